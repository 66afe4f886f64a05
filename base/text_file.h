// Text files as all three programs read and write them.
//
// Files are small, so a reader takes the whole file into memory and hands out
// lines; a writer gathers the bytes and puts them down in one safe step: a
// temporary file beside the target, flushed to disk, then renamed over it, so
// a crash or a full disk never leaves a half-written file behind.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Reading stops here: nothing the programs read legitimately comes near it,
// and a hostile file cannot make them allocate without bound.
constexpr std::size_t kMaxTextFileBytes = 16u << 20;

// The whole file, or nothing when it cannot be opened for reading.
std::optional<std::string> readWholeFile(const std::string& path);

// The line reader: a line ends at the first CR, LF, NUL byte or the end of
// the data. The end mark is consumed and not part of the line; CR directly
// followed by LF is one mark. Reading past the end yields empty lines.
class LineReader {
  public:
    LineReader() = default;
    explicit LineReader(std::string data) : data_(std::move(data)) {}
    // A file that does not open reads as empty lines, like one past its end.
    static LineReader open(const std::string& path) {
        auto bytes = readWholeFile(path);
        return LineReader(bytes ? std::move(*bytes) : std::string());
    }
    std::string readLine();
    // Byte offset of the next unread byte.
    std::size_t position() const { return pos_; }
    const std::string& data() const { return data_; }
    bool atEnd() const { return pos_ >= data_.size(); }

  private:
    std::string data_;
    std::size_t pos_ = 0;
};

// What a safe write reports: whether the file now holds the new bytes, and if
// not, the system's reason ("No space left on device"). The old file is then
// as it was.
struct WriteResult {
    bool ok = true;
    std::string reason;
    explicit operator bool() const { return ok; }
};

// Gathers the bytes of a file and writes them safely in commit().
class TextWriter {
  public:
    void writeLine(std::string_view text) {
        bytes_.append(text);
        bytes_.append("\r\n");
    }
    void writeText(std::string_view text) { bytes_.append(text); }
    const std::string& bytes() const { return bytes_; }
    WriteResult commit(const std::string& path) const;

  private:
    std::string bytes_;
};

// Replaces the file at path by bytes: temporary file, flush, rename. On
// failure the temporary file is gone and the old file untouched.
WriteResult writeFileSafely(const std::string& path, std::string_view bytes);

bool fileExists(const std::string& path);
