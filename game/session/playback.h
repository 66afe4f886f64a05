// Playing a replay's game again: the game is put back as it began, each
// frame gets the keys that were held in it, and every checkpoint is
// compared as it comes. The first that differs ends playback: what would
// follow is a game that never was.
#pragma once

#include <string>

#include "game/session/replay_file.h"

class Playback {
  public:
    // Puts the game as the replay's game began, in Phase::Playing, with
    // game.watching set so its end enters nothing. The replay must stay
    // alive while it plays.
    void begin(const ReplayFile& replay);
    // Puts the next frame's input into use; false once it is all played.
    bool useNextInput();
    // After the frame stepped: false once playback is over (the game
    // ended, the input ran out or a checkpoint differed).
    bool afterStep();
    // From begin() on, the whole replay at once and undrawn.
    void playUndrawn();

    long long frames() const { return frames_; }
    bool over() const { return over_; }
    // Every checkpoint of the file was reached and matched.
    bool matched() const {
        return over_ && drift_.empty() && compared_ == replay_->checkpoints.size();
    }
    // Where playback first went its own way ("frame 900: players"), or "".
    const std::string& drift() const { return drift_; }
    std::size_t checkpointsCompared() const { return compared_; }

  private:
    void compare(const Checkpoint& played);

    const ReplayFile* replay_ = nullptr;
    std::size_t run_ = 0;
    std::uint32_t usedOfRun_ = 0;
    long long frames_ = 0;
    long long totalFrames_ = 0;
    std::size_t compared_ = 0;
    bool over_ = false;
    std::string drift_;
};
