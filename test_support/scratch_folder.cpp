#include "test_support/scratch_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    char templ[] = "/tmp/pomvex-test-XXXXXX";
    if (!::mkdtemp(templ)) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
    fs::create_directories(path_ + "/Data/CustomPU");
    fs::create_directories(path_ + "/Eigene Smileys");
    previous_ = fs::current_path().string();
    fs::current_path(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    fs::current_path(previous_, ec);
    fs::remove_all(path_, ec);
}

void ScratchFolder::linkPictures() const {
    linkPictures(fs::path(POMVEX_RUN_DIR) / "Data");
}

void ScratchFolder::linkPictures(const fs::path& from) const {
    // A relative path means what it meant before this folder became the
    // working folder.
    const fs::path source = from.is_absolute() ? from : fs::path(previous_) / from;
    std::error_code ec;
    if (!fs::is_directory(source, ec))
        throw std::runtime_error("no picture folder at " + source.string());
    for (const auto& entry : fs::directory_iterator(source, ec)) {
        const fs::path name = entry.path().filename();
        // Whoever plays in that folder keeps their options and scores: a
        // test writing its own would write through the link into theirs.
        if (entry.is_directory() && name == "Klang") {
            fs::create_directory_symlink(entry.path(), fs::path(path_) / "Data" / name, ec);
            continue;
        }
        if (!entry.is_regular_file() || name == "Optionen.txt" || name == "Scores.txt" ||
            name == "Klang.txt")
            continue;
        fs::create_symlink(entry.path(), fs::path(path_) / "Data" / name, ec);
    }
}

std::string readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}
