// The soak run: the whole program, headless, for a long stretch of frames of
// two-player "Krank" with custom power-ups on and random keys. It starts
// games from the title screen, pauses now and then, ends games through the
// pause menu when the lives last too long, leaves the game-over screen and
// starts again, and looks in on the high-score screen on the way.
//
//   pomvex-soak [FRAMES [SEED]]   default 216000 frames (an hour at 60 Hz)
//   POMVEX_SOAK_FRAMES, POMVEX_SOAK_SEED do the same from the environment
//
// Built with the sanitizers, any memory error or undefined behaviour stops
// it and LeakSanitizer checks the exit. It prints the peak resident memory
// at 10 %, 50 % and 100 % and fails when the program keeps growing after the
// first tenth: what a game needs is in place by then, and what the live
// entities take is a few kilobytes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "datafiles/custom_powerup_file.h"
#include "datafiles/powerup_scales.h"
#include "game/shell/game_state.h"
#include "game/shell/screens.h"
#include "game/shell/start_up.h"
#include "test_support/picture_files.h"
#include "test_support/scratch_folder.h"

#if defined(__SANITIZE_ADDRESS__)
// A small quarantine, so freed memory waiting in it levels off early in the
// run and a steady rise of the resident size means a real leak.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16:detect_leaks=1";
}
#endif

namespace {

// Memory growth after the first tenth that counts as the program keeping
// what it should have let go.
constexpr long kAllowedGrowthKb = 48 * 1024;

// The keys of both players in a two-player game.
constexpr int kWalkKeys[] = {key::P, key::OUmlaut, key::L, key::AUmlaut,
                             key::W, key::S,       key::A, key::D};
constexpr int kFireKeys[] = {key::Up, key::Down, key::Left, key::Right,
                             key::T,  key::F,    key::G,    key::H};

struct Memory {
    long peakKb = 0;  // VmHWM
    long nowKb = 0;   // VmRSS
};

Memory readMemory() {
    Memory m;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) m.peakKb = std::atol(line.c_str() + 6);
        if (line.rfind("VmRSS:", 0) == 0) m.nowKb = std::atol(line.c_str() + 6);
    }
    return m;
}

enum class Menu { TwoPlayers, Krank, HighScores, LeaveHighScores, Start };

struct Soak {
    long long frames = 0;  // every flip: screens, games and pauses
    long long limit = 0;
    std::mt19937_64 dice;

    Menu menu = Menu::TwoPlayers;
    long long lastGameFrame = 0;
    long long framesInGame = 0;
    long long gameBudget = 0;  // frames after which the soak ends a game itself
    bool endingGame = false;
    bool wasPaused = false;
    long long idleFrames = 0;  // frames outside any game in a row
    bool stuck = false;

    long long gamesStarted = 0, gamesEnded = 0, pauses = 0, highScoreVisits = 0;
    long long kills = 0;  // opponents killed in all games
    bool aiming[2] = {false, false};
    long long peakEntities = 0;
    long long mostItems = 0, mostTurrets = 0, mostTurretShots = 0;  // what the run reached
    Memory atTenth, atHalf, atEnd;
    int checkpoint = 0;

    int roll(int sides) { return std::uniform_int_distribution<int>(0, sides - 1)(dice); }
};

long long liveEntities() {
    return game.shots.count() + game.opponents.count() + game.items.count() + game.turrets.count() +
           game.turretShots.count() + game.animations.count();
}

void report(const char* label, const Soak& s, Memory m) {
    std::printf(
        "%-5s frame %lld: peak RSS %ld MB, RSS %ld MB; games %lld started, %lld ended; "
        "live: %lld shots, %lld opponents, %lld items, %lld turrets, %lld turret shots, "
        "%lld animations\n",
        label, s.frames, m.peakKb / 1024, m.nowKb / 1024, s.gamesStarted, s.gamesEnded,
        static_cast<long long>(game.shots.count()), static_cast<long long>(game.opponents.count()),
        static_cast<long long>(game.items.count()), static_cast<long long>(game.turrets.count()),
        static_cast<long long>(game.turretShots.count()),
        static_cast<long long>(game.animations.count()));
    std::fflush(stdout);
}

void releaseAll() {
    for (int k : kWalkKeys) scriptKey(k, false);
    for (int k : kFireKeys) scriptKey(k, false);
    scriptKey(key::Escape, false);
    scriptKey(key::Return, false);
    scriptKey(key::Up, false);
    scriptKey(key::Down, false);
}

// Title and high-score screens: two players, "Krank", every fourth game a
// look at the high scores first, then start.
void driveMenu(Soak& s) {
    switch (s.menu) {
        case Menu::TwoPlayers:
            scriptMouse(930, 400, true);
            if (game.playerCount == 2) s.menu = Menu::Krank;
            break;
        case Menu::Krank:
            scriptMouse(1170, 600, true);
            if (game.difficulty == 2) {
                scriptMouse(1170, 600, false);
                s.menu = s.gamesStarted % 4 == 3 ? Menu::HighScores : Menu::Start;
            }
            break;
        case Menu::HighScores:
            scriptMouse(400, 500, true);
            if (game.menuHover == kMenuHighScores) {
                ++s.highScoreVisits;
                s.menu = Menu::LeaveHighScores;
            }
            break;
        case Menu::LeaveHighScores:
            // The high-score screen leaves on Return and clears the hover.
            scriptMouse(700, 100, false);
            scriptKey(key::Return, true);
            if (game.menuHover == kMenuNone) {
                scriptKey(key::Return, false);
                s.menu = Menu::Start;
            }
            break;
        case Menu::Start:
            scriptKey(key::Return, false);
            scriptMouse(400, 400, true);
            break;
    }
}

// The keys of one player in a two-player game: up, down, left, right, then
// fire up, left, down, right.
struct PlayerKeys {
    int up, down, left, right, fireUp, fireLeft, fireDown, fireRight;
};
constexpr PlayerKeys kKeysOf[2] = {
    {key::P, key::OUmlaut, key::L, key::AUmlaut, key::Up, key::Left, key::Down, key::Right},
    {key::W, key::S, key::A, key::D, key::T, key::F, key::G, key::H}};

// Half of the time a player plays with a purpose: walks to the nearest item,
// or else lines up with the nearest opponent and shoots at it, as the
// opponents do with the players. That makes kills, items, forms, turrets and
// the custom power-ups happen; pure chance hardly ever kills anything.
void aim(int index) {
    const Player& me = game.players[index];
    const PlayerKeys& k = kKeysOf[index];
    for (int code : {k.up, k.down, k.left, k.right, k.fireUp, k.fireLeft, k.fireDown, k.fireRight})
        scriptKey(code, false);
    double bestItem = 1e18, ix = 0, iy = 0;
    game.items.forEach([&](const PowerUpItem& i) {
        const double d = std::abs(i.x - me.x) + std::abs(i.y - me.y);
        if (d < bestItem) bestItem = d, ix = i.x, iy = i.y;
    });
    double bestFoe = 1e18, ox = 0, oy = 0;
    game.opponents.forEach([&](const Opponent& o) {
        const double d = std::abs(o.x - me.x) + std::abs(o.y - me.y);
        if (d < bestFoe) bestFoe = d, ox = o.x, oy = o.y;
    });
    if (bestItem < 1e18) {
        if (std::abs(ix - me.x) > 10) scriptKey(ix > me.x ? k.right : k.left, true);
        if (std::abs(iy - me.y) > 10) scriptKey(iy > me.y ? k.down : k.up, true);
    }
    if (bestFoe < 1e18) {
        const double dx = ox - me.x, dy = oy - me.y;
        const bool row = std::abs(dy) < std::abs(dx);  // closer to its row than its column
        if (row)
            scriptKey(dx > 0 ? k.fireRight : k.fireLeft, true);
        else
            scriptKey(dy > 0 ? k.fireDown : k.fireUp, true);
        if (bestItem >= 1e18) {  // close the smaller gap to line up
            if (row && std::abs(dy) > 20) scriptKey(dy > 0 ? k.down : k.up, true);
            if (!row && std::abs(dx) > 20) scriptKey(dx > 0 ? k.right : k.left, true);
        }
    }
}

// Random play: every key flips now and then, so keys are held for stretches
// as a person holds them; in stretches of a few seconds a player aims
// instead.
void drivePlay(Soak& s) {
    if (s.framesInGame % 240 == 1) {
        s.aiming[0] = s.roll(2) == 0;
        s.aiming[1] = s.roll(2) == 0;
    }
    for (int index = 0; index < 2; ++index) {
        if (s.aiming[index]) {
            aim(index);
            continue;
        }
        const PlayerKeys& k = kKeysOf[index];
        for (int code :
             {k.up, k.down, k.left, k.right, k.fireUp, k.fireLeft, k.fireDown, k.fireRight})
            if (s.roll(12) == 0) scriptKey(code, !keyHeld(code));
    }
    const int x = s.roll(kCanvasWidth);
    const int y = s.roll(kCanvasHeight);
    const bool button = s.roll(2) == 0;
    scriptMouse(x, y, button);
    scriptKey(key::Return, false);  // still down from the pause menu
    if (s.framesInGame >= s.gameBudget) s.endingGame = true;
    // Pause now and then (and to end a game that lasts too long).
    if (s.endingGame || s.roll(2500) == 0) scriptKey(key::Escape, true);
}

// In the pause menu: Up and Return go on playing, Down and Return end the
// game.
void drivePause(Soak& s) {
    scriptKey(key::Escape, false);
    scriptKey(key::Return, false);
    const bool end = s.endingGame;
    scriptKey(end ? key::Down : key::Up, true);
    scriptKey(end ? key::Up : key::Down, false);
    if (game.pauseChoice == (end ? 1 : 0)) scriptKey(key::Return, true);
}

void step(void* context) {
    Soak& s = *static_cast<Soak*>(context);
    ++s.frames;
    const bool inGame = game.frameNumber != s.lastGameFrame;
    s.lastGameFrame = game.frameNumber;

    if (!game.introDone) {
        // Skip the intro: Escape down, then up.
        scriptKey(key::Escape, s.frames < 3);
    } else if (game.paused) {
        if (!s.wasPaused && !s.endingGame) ++s.pauses;
        drivePause(s);
    } else if (inGame) {
        if (s.framesInGame == 0) {
            ++s.gamesStarted;
            s.gameBudget = 6000 + s.roll(24000);
            releaseAll();
            scriptMouse(400, 400, false);
        }
        ++s.framesInGame;
        s.idleFrames = 0;
        if (game.gameOver == 0) {
            drivePlay(s);
        } else {
            // Fading out: let go of everything, and take the pointer off the
            // title screen's "Beenden", where a held button would quit.
            releaseAll();
            scriptMouse(700, 100, false);
        }
        const long long now = liveEntities();
        if (now > s.peakEntities) s.peakEntities = now;
        s.mostItems = std::max<long long>(s.mostItems, game.items.count());
        s.mostTurrets = std::max<long long>(s.mostTurrets, game.turrets.count());
        s.mostTurretShots = std::max<long long>(s.mostTurretShots, game.turretShots.count());
    } else if (game.gameOver == 1) {
        // The game-over screen: Return goes back to the title.
        if (s.framesInGame > 0) {
            ++s.gamesEnded;
            s.kills += std::lround(firstPlayer().kills + secondPlayer().kills);
            s.framesInGame = 0;
            s.endingGame = false;
            s.menu = Menu::TwoPlayers;
            releaseAll();
        }
        scriptKey(key::Return, true);
    } else if (s.framesInGame == 0) {
        driveMenu(s);
    }
    // Otherwise the pause has just been left and the game's next frame follows.
    s.wasPaused = game.paused != 0;
    if (!inGame && game.introDone && ++s.idleFrames > 3000) {
        std::printf("stuck outside a game for 3000 frames (menu step %d)\n",
                    static_cast<int>(s.menu));
        s.stuck = true;
        scriptCloseRequest();
    }

    if (s.checkpoint == 0 && s.frames >= s.limit / 10) {
        s.atTenth = readMemory();
        report("10 %", s, s.atTenth);
        s.checkpoint = 1;
    }
    if (s.checkpoint == 1 && s.frames >= s.limit / 2) {
        s.atHalf = readMemory();
        report("50 %", s, s.atHalf);
        s.checkpoint = 2;
    }
    if (s.checkpoint == 2 && s.frames >= s.limit) {
        s.atEnd = readMemory();
        report("100 %", s, s.atEnd);
        s.checkpoint = 3;
        scriptCloseRequest();
    }
}

long long numberFrom(int argc, char** argv, int index, const char* variable, long long fallback) {
    if (argc > index) return std::atoll(argv[index]);
    if (const char* v = std::getenv(variable)) return std::atoll(v);
    return fallback;
}

// Three power-ups of our own, the pictures in each format the game loads,
// and one whose smiley picture is missing.
void writeCustomPowerUps() {
    TestPicture smiley(100, 100, 0xFFFF00FFu);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if ((x - 50) * (x - 50) + (y - 50) * (y - 50) < 45 * 45) smiley.at(x, y) = 0xFF30C040u;
    TestPicture shot(16, 16, 0xFFE02020u);
    writePng("Eigene Smileys/Gruen.png", smiley);
    writeBmp24("Eigene Smileys/Gruen.bmp", smiley);
    writeJpeg("Eigene Smileys/Schuss.jpg", shot);
    writePng("Eigene Smileys/Schuss.png", shot);

    struct Made {
        const char* name;
        const char* smiley;
        const char* shot;
        int damage, duration, fireDelay, walk;
    };
    const Made made[] = {
        {"Gruener Riese", "Gruen.png", "Schuss.png", 9, 0, 0, 0},
        {"Schnecke", "Gruen.bmp", "Schuss.jpg", 0, 5, 9, 0},
        {"Geist", "Fehlt.png", "Schuss.png", 5, 2, 3, 1},
    };
    for (int n = 0; n < 3; ++n) {
        const Made& m = made[n];
        CustomPowerUpFile f;
        f.name = m.name;
        f.author = "Soak";
        f.smileyFile = m.smiley;
        f.shotFile = m.shot;
        f.damageBonus = scaleStep(kDamageScale, m.damage).value;
        f.durationStep = scaleStep(kDurationScale, m.duration).value;
        f.fireDelayOffset = scaleStep(kFireDelayScale, m.fireDelay).value;
        f.walkBonus = scaleStep(kWalkScale, m.walk).value;
        writeFileBytes(customPowerUpPath(n), formatCustomPowerUpFile(f));
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    Soak s;
    s.limit = numberFrom(argc, argv, 1, "POMVEX_SOAK_FRAMES", 216000);
    const long long seed = numberFrom(argc, argv, 2, "POMVEX_SOAK_SEED", 1);
    if (s.limit < 10) {
        std::fprintf(stderr, "pomvex-soak: at least 10 frames\n");
        return 2;
    }
    s.dice.seed(static_cast<std::uint64_t>(seed));
    std::printf("soak: %lld frames, seed %lld\n", s.limit, seed);

    ScratchFolder folder;
    folder.linkPictures();
    // Two players, "Krank", a small window, custom power-ups on.
    writeFileBytes("Data/Optionen.txt", "Eins\r\nZwei\r\n2\r\n2\r\n683\r\n384\r\n1");
    writeCustomPowerUps();

    scriptedInput(true);
    setFlipHook(step, &s);
    seedRandom(static_cast<std::uint64_t>(seed));
    // Start-up does not seed the generator again, so a seed replays a run.
    const int exitCode = runProgram();

    bool ok = exitCode == 0 && !s.stuck && s.checkpoint == 3;
    if (s.checkpoint != 3)
        std::printf("the program ended after %lld of %lld frames\n", s.frames, s.limit);
    std::printf(
        "soak: %lld frames, %lld games started, %lld ended, %lld pauses, %lld high-score visits, "
        "at most %lld live entities\n",
        s.frames, s.gamesStarted, s.gamesEnded, s.pauses, s.highScoreVisits, s.peakEntities);
    std::printf("%lld kills; at most %lld items, %lld turrets and %lld turret shots at once\n",
                s.kills, s.mostItems, s.mostTurrets, s.mostTurretShots);
    if (s.checkpoint == 3) {
        const long long growth = s.atEnd.peakKb - s.atTenth.peakKb;
        std::printf("peak RSS grew by %lld KB after the first tenth (allowed %ld KB)\n", growth,
                    kAllowedGrowthKb);
        if (growth > kAllowedGrowthKb) ok = false;
    }
    if (s.gamesStarted == 0) ok = false;
    std::printf("soak: %s\n", ok ? "passed" : "FAILED");
    return ok ? 0 : 1;
}
