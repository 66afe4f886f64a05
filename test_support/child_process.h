// Another program run beside a test or a benchmark: started with its output
// in files, waited for with a time limit, its CPU time counted.
#pragma once

#include <sys/resource.h>

#include <map>
#include <string>
#include <vector>

class ChildProcess {
  public:
    // Starts `program` with `args`, its stdout into `out` and its stderr
    // into out + ".err", the environment's plus `environment` (NAME=VALUE).
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::string& out, const std::vector<std::string>& environment = {});
    ~ChildProcess();  // stops it if it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits until it ends or `seconds` pass, then stops it. Its exit status,
    // or 999 when it had to be stopped, 128 when a signal ended it.
    int wait(double seconds);
    // Whether it still runs (without waiting).
    bool running();
    double cpuSeconds() const { return cpu_; }    // user and system, once it ended
    double wallSeconds() const { return wall_; }  // from start to end
    // Its stdout as "name value" lines.
    std::map<std::string, std::string> lines() const;
    std::string errors() const;

  private:
    void collect(int status, const rusage& usage, bool stopped);
    int pid_ = -1, status_ = -1;
    double cpu_ = 0, wall_ = 0, started_ = 0;
    std::string out_;
};

std::string wholeFile(const std::string& path);
