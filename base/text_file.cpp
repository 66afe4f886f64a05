#include "base/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

std::optional<std::string> readWholeFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::string data;
    char buffer[65536];
    std::size_t n;
    while (data.size() < kMaxTextFileBytes && (n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        data.append(buffer, n);
    std::fclose(f);
    if (data.size() > kMaxTextFileBytes) data.resize(kMaxTextFileBytes);
    return data;
}

std::string LineReader::readLine() {
    const std::size_t start = pos_;
    std::size_t end = start;
    while (end < data_.size()) {
        const char c = data_[end];
        if (c == '\r' || c == '\n' || c == '\0') break;
        ++end;
    }
    std::string line = data_.substr(start, end - start);
    if (end < data_.size()) {
        ++end;
        if (data_[end - 1] == '\r' && end < data_.size() && data_[end] == '\n') ++end;
    }
    pos_ = end;
    return line;
}

WriteResult TextWriter::commit(const std::string& path) const {
    return writeFileSafely(path, bytes_);
}

WriteResult writeFileSafely(const std::string& path, std::string_view bytes) {
    const std::string temp = path + ".tmp-" + std::to_string(::getpid());
    int error = 0;  // the first errno of the way, kept for the reason
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return {false, std::strerror(errno)};
    std::size_t done = 0;
    while (error == 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            error = errno;
        else if (n == 0)
            error = EIO;
        else
            done += static_cast<std::size_t>(n);
    }
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error == 0) return {};
    ::unlink(temp.c_str());
    return {false, std::strerror(error)};
}

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
