#include "test_support/child_process.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& out, const std::vector<std::string>& environment)
    : out_(out) {
    std::vector<std::string> all = {program};
    all.insert(all.end(), args.begin(), args.end());
    started_ = now();
    // Whatever this process has buffered would otherwise be written twice.
    std::fflush(stdout);
    std::fflush(stderr);
    pid_ = fork();
    if (pid_ != 0) return;
    if (!std::freopen(out.c_str(), "w", stdout) ||
        !std::freopen((out + ".err").c_str(), "w", stderr))
        _exit(126);
    for (const std::string& e : environment) putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && status_ < 0) wait(0);
}

void ChildProcess::collect(int status, const rusage& usage, bool stopped) {
    wall_ = now() - started_;
    cpu_ = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    status_ = stopped ? 999 : WIFSIGNALED(status) ? 128 : WEXITSTATUS(status);
}

bool ChildProcess::running() {
    if (status_ >= 0 || pid_ <= 0) return false;
    int status = 0;
    rusage usage{};
    const pid_t done = wait4(pid_, &status, WNOHANG, &usage);
    if (done == pid_) collect(status, usage, false);
    if (done < 0) status_ = 998;
    return status_ < 0;
}

int ChildProcess::wait(double seconds) {
    const double end = now() + seconds;
    while (running() && now() < end) usleep(20000);
    if (status_ < 0 && pid_ > 0) {
        kill(pid_, SIGKILL);
        int status = 0;
        rusage usage{};
        if (wait4(pid_, &status, 0, &usage) == pid_) collect(status, usage, true);
        if (status_ < 0) status_ = 998;
    }
    return status_;
}

std::map<std::string, std::string> ChildProcess::lines() const {
    std::map<std::string, std::string> m;
    std::ifstream in(out_);
    std::string name, value;
    while (in >> name && std::getline(in, value)) m[name] = value.empty() ? value : value.substr(1);
    return m;
}

std::string ChildProcess::errors() const {
    return wholeFile(out_ + ".err");
}

std::string wholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
