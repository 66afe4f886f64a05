// The replay file: what the game writes it reads back to the same replay,
// and a damaged file is refused with the line it broke on.
#include "game/session/replay_file.h"

#include <gtest/gtest.h>

#include "test_support/scratch_folder.h"

namespace {

std::string golden() {
    return readFileBytes(POMVEX_SOURCE_DIR "/tests/replays/one_player_easy.replay");
}

// The golden replay with its first line that starts with `start` replaced.
std::string withLine(const std::string& start, const std::string& line) {
    std::string text = golden();
    const std::size_t at = text.find("\n" + start) + 1;
    text.replace(at, text.find('\n', at) - at, line);
    return text;
}

}  // namespace

TEST(ReplayFile, ReadsBackWhatItWrites) {
    ReplayFile replay;
    std::string error;
    ASSERT_TRUE(parseReplay(golden(), replay, error)) << error;
    EXPECT_EQ(formatReplay(replay), golden());
    EXPECT_GT(replay.frameCount(), 6000);
    EXPECT_EQ(replay.checkpoints.back().frame, -1);
    // Line ends of any kind read alike.
    std::string crlf;
    for (char c : golden()) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ReplayFile again;
    ASSERT_TRUE(parseReplay(crlf, again, error)) << error;
    EXPECT_EQ(formatReplay(again), golden());
}

TEST(ReplayFile, RefusesDamageWithTheLineItBrokeOn) {
    struct Case {
        const char* what;
        std::string text;
        const char* error;
    };
    const std::string text = golden();
    const Case cases[] = {
        {"another file", "Anna\r\nBen\r\n", "not a replay of this game"},
        {"cut short at a line end", text.substr(0, text.rfind('\n', text.size() / 2) + 1),
         "ends before the game does"},
        {"a run of a key set not listed", withLine("runs", "runs 3.9999"), "a key set not listed"},
        {"a run of no frames", withLine("runs", "runs 0.0"), "not <frames>.<key set>"},
        {"more frames than a game has", withLine("runs", "runs 4000000000.0"),
         "not <frames>.<key set>"},
        {"a key beyond the keyboard", withLine("keys 1", "keys 1 31,256"), "outside 0 to 255"},
        {"key sets out of order", withLine("keys 1", "keys 7 31"), "out of order"},
        {"a player value that is no number", withLine("player 1", "player 1 0 nan"),
         "not a number a game holds"},
        {"a smiley far off the field", withLine("player 0", "player 0 1e300"),
         "not a number a game holds"},
        {"three players", withLine("options", "options 3 0 0"), "options that are not"},
        {"a digest that is not one", withLine("behaviour", "behaviour xyz"), "16 hex digits"},
        {"an unknown line", withLine("fade", "colour 3"), "an unknown entry"},
    };
    for (const Case& c : cases) {
        ReplayFile replay;
        std::string error;
        EXPECT_FALSE(parseReplay(c.text, replay, error)) << c.what;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.what << ": " << error;
        if (c.text != cases[0].text) {
            EXPECT_EQ(error.rfind("line ", 0), 0u) << c.what << ": " << error;
        }
    }
}
