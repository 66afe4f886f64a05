// Helpers shared by the tests: a scratch working folder laid out like the
// game's run folder, and small file utilities.
#pragma once

#include <filesystem>
#include <string>

// Creates a fresh folder with Data/, Data/CustomPU/ and "Eigene Smileys/",
// makes it the working folder for the rest of the test and removes it again
// when the object goes away.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    // Links the pictures of a Data folder (the build's own by default) into
    // Data/ so the game finds them, and its sounds' folder Data/Klang/. A relative path is taken from the
    // working folder the scratch folder replaced; a folder that does not
    // exist throws std::runtime_error.
    void linkPictures() const;
    void linkPictures(const std::filesystem::path& from) const;

  private:
    std::string path_;
    std::string previous_;
};

std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);
