// The stress scene: a game at its own limits. Seven opponents with statuses,
// two players in aura forms, ten turrets, sixty items under their veil, 300
// shots, forty animations and the fade overlay.
#pragma once

#include <filesystem>
#include <string>

// A scratch game folder for a benchmark: the pictures of the given Data
// folder linked in, the given options file written, and the folder made the
// working folder until the object goes.
class BenchFolder {
  public:
    BenchFolder(const std::filesystem::path& pictures, const std::string& options);
    ~BenchFolder();
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

  private:
    std::filesystem::path home_, scratch_;
};

// Sets the scene up in a started game.
void buildStressScene();
// Puts back what died, left or ran out, and lets nobody lose, so that every
// frame carries the same load. Call before each frame.
void topUpStressScene(int frame);
