// Sound through the real mixer, headless: SDL's disk driver writes what the
// mixer puts out into a file, which the tests read back, and the mixer's
// own count of its output times a sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "bench/stress_scene.h"
#include "game/shell/main_loop.h"
#include "game/shell/sounds.h"
#include "tests/game/game_fixture.h"

namespace {

// A loud 100 ms square wave, the test's stand-in for every effect.
std::string squareWave() {
    const int rate = 48000, frames = rate / 10;
    std::string pcm;
    for (int i = 0; i < frames; ++i) {
        const std::int16_t v = (i / 24) % 2 ? 20000 : -20000;
        pcm.append(reinterpret_cast<const char*>(&v), 2);
    }
    auto u32 = [](std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [](std::uint16_t v) { return std::string(reinterpret_cast<const char*>(&v), 2); };
    return "RIFF" + u32(36 + pcm.size()) + "WAVEfmt " + u32(16) + u16(1) + u16(1) + u32(rate) +
           u32(rate * 2) + u16(2) + u16(16) + "data" + u32(pcm.size()) + pcm;
}

class SoundTest : public GameTest {
  protected:
    void SetUp() override {
        output = folder.path() + "/mixed.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        std::filesystem::create_directory("Data/Klang");
        for (const SoundFile& s : kSoundTable) writeFileBytes(s.file, squareWave());
    }
    void TearDown() override {
        GameTest::TearDown();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    // The first sample frame from `from` on that is not silence, or -1.
    long long firstSound(std::size_t from) const {
        const std::string bytes = readFileBytes(output);
        for (std::size_t i = from * 4; i + 1 < bytes.size(); i += 2) {
            std::int16_t v;
            std::memcpy(&v, bytes.data() + i, 2);
            if (v > 1000 || v < -1000) return static_cast<long long>(i / 4);
        }
        return -1;
    }
    static void letTheMixerRun() { std::this_thread::sleep_for(std::chrono::milliseconds(250)); }

    // A frame with the first player throwing to the right.
    void throwAStone() {
        scriptKey(key::Right, true);
        frame();
        scriptKey(key::Right, false);
    }
    std::string output;
};

}  // namespace

// The stone's samples come out of the mixer within two frames and one audio
// buffer of the moment the frame threw it: timed from there, so that a slow
// sanitizer build's long frame does not count as the mixer's delay, and
// with the device's playing out of one buffer added.
TEST_F(SoundTest, AThrownStoneSoundsWithinTwoFramesAndABuffer) {
    startPlaying();
    ASSERT_TRUE(audioOpen());
    firstPlayer().fireCooldown = -1;
    letTheMixerRun();
    ASSERT_EQ(firstSound(0), -1) << "silence before";
    const long long before = audioFramesMixed();
    listenFrom(before);
    throwAStone();
    letTheMixerRun();
    const long long at = firstHeardFrame();
    ASSERT_GE(at, 0) << "the stone was not heard";
    EXPECT_GE(firstSound(0), 0) << "nor written out";
    const double latencyMs = heardDelaySeconds() * 1000 + 512 * 1000.0 / 48000;
    RecordProperty("latency_ms", std::to_string(latencyMs));
    EXPECT_LE(latencyMs, 2 * 1000.0 / 60 + 512 * 1000.0 / 48000);
}

// M mutes every sound and keeps it muted for the next start; M again brings
// the volumes back.
TEST_F(SoundTest, MutedTheGameIsSilentAndStaysSoAcrossStarts) {
    startPlaying();
    toggleMute();
    EXPECT_EQ(readSoundSettings(), (SoundSettings{0, 0}));
    firstPlayer().fireCooldown = -1;
    throwAStone();
    letTheMixerRun();
    EXPECT_EQ(firstSound(0), -1) << "muted, yet heard";
    toggleMute();
    EXPECT_EQ(readSoundSettings(), SoundSettings{});
}

TEST_F(SoundTest, KlangTxtRoundTripsAndDamageGivesTheDefaults) {
    ASSERT_TRUE(writeSoundSettings({35, 100}));
    EXPECT_EQ(readFileBytes(kSoundSettingsPath), "35\r\n100\r\n");
    EXPECT_EQ(readSoundSettings(), (SoundSettings{35, 100}));
    for (const char* damaged : {"", "50", "101\r\n20", "50\r\nlaut", "-5\r\n5", "5 \r\n5"}) {
        writeFileBytes(kSoundSettingsPath, damaged);
        EXPECT_EQ(readSoundSettings(), SoundSettings{}) << damaged;
    }
}

// The stress scene asks for its sounds dozens of times a frame (300 stones,
// ten turrets, hits and deaths all the time): each still starts once a frame
// and never sounds more than a few times over itself.
TEST_F(SoundTest, InTheStressSceneEachSoundHasAFewVoicesAtMost) {
    startPlaying(2, 2);
    ASSERT_TRUE(audioOpen());
    buildStressScene();
    int most = 0;
    for (int frame = 0; frame < 120; ++frame) {
        topUpStressScene(frame);
        runGameFrame();
        for (const SoundFile& s : kSoundTable) most = std::max(most, soundVoices(s.slot));
    }
    EXPECT_EQ(most, kVoicesPerSound);
}

TEST_F(SoundTest, WithoutASoundDeviceTheGamePlaysSilently) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    startPlaying();
    EXPECT_FALSE(audioOpen());
    firstPlayer().fireCooldown = -1;
    throwAStone();
    frames(10);
    EXPECT_GT(game.shots.count(), 0);
}
