#include "tests/replays/replay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <sstream>
#include <stdexcept>

#include "datafiles/custom_powerup_file.h"
#include "game/session/frame_source.h"
#include "game/session/replay_commands.h"
#include "game/session/replay_store.h"
#include "game/session/snapshot.h"
#include "game/session/state_digest.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/start_up.h"
#include "test_support/allocation_count.h"
#include "test_support/picture_files.h"
#include "test_support/scratch_folder.h"

namespace {

// ---- the robot that records ------------------------------------------------

struct PlayerKeys {
    int up, down, left, right, fireUp, fireLeft, fireDown, fireRight;
};
constexpr PlayerKeys kOnePlayer{key::W,  key::S,    key::A,    key::D,
                                key::Up, key::Left, key::Down, key::Right};
constexpr PlayerKeys kFirstOfTwo{key::P,  key::OUmlaut, key::L,    key::AUmlaut,
                                 key::Up, key::Left,    key::Down, key::Right};
constexpr PlayerKeys kSecondOfTwo{key::W, key::S, key::A, key::D, key::T, key::F, key::G, key::H};

// Plays like a keen beginner: walks to ready items, otherwise lines up with
// the nearest opponent at a distance and shoots along the line.
void steerPlayer(const Player& p, const PlayerKeys& k, std::mt19937& dice, FrameInput& keys) {
    if (p.active != 1) return;
    const double px = p.x + 50, py = p.y + 50;
    const PowerUpItem* item = nullptr;
    double best = 1e18;
    game.items.forEach([&](const PowerUpItem& i) {
        const double d = std::hypot(i.x + 50 - px, i.y + 50 - py);
        if (i.fade <= 0 && d < best) best = d, item = &i;
    });
    if (item && best < 700) {
        const double dx = item->x + 50 - px, dy = item->y + 50 - py;
        if (dx > 5) keys.hold(k.right);
        if (dx < -5) keys.hold(k.left);
        if (dy > 5) keys.hold(k.down);
        if (dy < -5) keys.hold(k.up);
        return;
    }
    const Opponent* target = nullptr;
    best = 1e18;
    game.opponents.forEach([&](const Opponent& o) {
        const double d = std::hypot(o.x + 50 - px, o.y + 50 - py);
        if (d < best) best = d, target = &o;
    });
    if (!target) {
        // Wander towards the middle while the field is empty.
        if (px < 600) keys.hold(k.right);
        if (px > 760) keys.hold(k.left);
        if (py < 320) keys.hold(k.down);
        if (py > 440) keys.hold(k.up);
        return;
    }
    const double dx = target->x + 50 - px, dy = target->y + 50 - py;
    if (std::fabs(dy) < 35)
        keys.hold(dx > 0 ? k.fireRight : k.fireLeft);
    else if (std::fabs(dx) < 35)
        keys.hold(dy > 0 ? k.fireDown : k.fireUp);
    // Line up on the smaller offset; keep some distance on the larger.
    if (std::fabs(dx) < std::fabs(dy)) {
        if (std::fabs(dx) > 10) keys.hold(dx > 0 ? k.right : k.left);
        if (std::fabs(dy) < 200) keys.hold(dy > 0 ? k.up : k.down);
    } else {
        if (std::fabs(dy) > 10) keys.hold(dy > 0 ? k.down : k.up);
        if (std::fabs(dx) < 200) keys.hold(dx > 0 ? k.left : k.right);
    }
    if (dice() % 9 == 0) keys.hold(dice() % 2 ? k.fireUp : k.fireLeft);  // a stray shot
}

// A game ends from the pause after this many frames; the later games of a
// run sooner.
constexpr long long kLongestGame = 6000;
constexpr long long kLaterGames = 700;

struct Session {
    const RobotGame* robot = nullptr;
    std::mt19937 dice;
    // The robot's own place in the program.
    enum Phase { Intro, Title, Playing, GameOver, Quitting } phase = Intro;
    int wait = 0;
    int gamesPlayed = 0;
    long long gameStart = 0;
    long long lastGameFrame = 0;
    RobotResult result;
    int lastTurrets = 0;
    double lastForm[2] = {0, 0};

    // The input of the next frame, handed to the game by the frame source.
    FrameInput pending;

    FrameInput decide() {
        FrameInput f;
        const bool inGame = game.frameNumber != lastGameFrame;
        lastGameFrame = game.frameNumber;
        switch (phase) {
            case Intro:
                if (++wait < 3) f.hold(key::Escape);
                if (game.introDone) phase = Title, wait = 0;
                break;
            case Title: {
                // Player count, then difficulty, held until taken, then start.
                const int want = robot->playerCount;
                if (inGame) {
                    phase = Playing;
                    gameStart = game.frameNumber;
                    break;
                }
                if (game.playerCount != want) {
                    f.mouseX = want == 2 ? 937 : 857, f.mouseY = 400, f.mouseButton = true;
                } else if (roundToInt(game.difficulty) != robot->difficulty) {
                    f.mouseX = 1010 + 80 * robot->difficulty, f.mouseY = 605;
                    f.mouseButton = true;
                } else {
                    f.mouseX = 400, f.mouseY = 400, f.mouseButton = ++wait > 2;
                }
                break;
            }
            case Playing: {
                if (game.gameOver == 1 && game.fadeAlpha == 255) {
                    phase = GameOver, wait = 0;
                    break;
                }
                // A robot that cannot lose: end the game from the pause.
                if (game.frameNumber - gameStart >
                    (gamesPlayed == 0 ? kLongestGame : kLaterGames)) {
                    if (!game.paused)
                        f.hold(key::Escape);
                    else
                        f.hold(game.pauseChoice == 1 ? key::Return : key::Down);
                    break;
                }
                if (twoPlayerGame()) {
                    steerPlayer(firstPlayer(), kFirstOfTwo, dice, f);
                    steerPlayer(secondPlayer(), kSecondOfTwo, dice, f);
                } else {
                    steerPlayer(firstPlayer(), kOnePlayer, dice, f);
                }
                break;
            }
            case GameOver:
                if (++wait < 3) f.hold(key::Return);
                if (wait > 5) {
                    ++gamesPlayed;
                    phase = gamesPlayed < robot->games ? Title : Quitting;
                    wait = 0;
                }
                break;
            case Quitting:
                if (++wait > 2) f.hold(key::Escape);
                break;
        }
        return f;
    }

    void afterFrame() {
        result.frames += 1;
        if (game.turrets.count() > lastTurrets) result.turretsPlaced += 1;
        lastTurrets = game.turrets.count();
        for (int i = 0; i < 2; ++i) {
            const double form = game.players[i].form;
            if (form != lastForm[i] && form > 0 && form != 100) result.formsTaken += 1;
            lastForm[i] = form;
        }
        pending = decide();
        // A run that went wrong ends rather than running on for ever.
        if (result.frames > 4 * kLongestGame * robot->games) pending.closeRequested = true;
    }
};

// runProgram with a rollback after every frame, as a network game does when
// the other side's input arrives late: the state of `depth` frames ago comes
// back from its snapshot, and those frames are simulated again undrawn on
// the same input. Each must leave exactly the state that the drawn frame
// left; the first that does not stops the run, named in stoppedBecause.
void runProgramRollingBack(Session& session, int depth) {
    if (!startUp()) {
        shutDown(false);
        return;
    }
    game.phase = Phase::Intro;
    const std::size_t ring = static_cast<std::size_t>(depth) + 1;
    std::vector<Snapshot> saved(ring);
    std::vector<FrameInput> inputs(ring);
    std::vector<Checkpoint> left(ring);
    saveSnapshot(saved[0]);
    long long step = 0;
    RobotResult& result = session.result;
    while (!programOver() && result.stoppedBecause.empty()) {
        ++step;
        takeFrameInput(padUseOf(game.phase));
        inputs[step % ring] = frameInputInUse();
        stepFrame();
        left[step % ring] = fullStateCheckpoint();
        const long long before = allocationCount();
        saveSnapshot(saved[step % ring]);
        if (step < depth) continue;
        restoreSnapshot(saved[(step - depth) % ring]);
        result.snapshotAllocations += allocationCount() - before;
        setDrawing(false);
        for (long long again = step - depth + 1; again <= step; ++again) {
            useFrameInput(inputs[again % ring]);
            stepFrame();
            const Checkpoint now = fullStateCheckpoint();
            if (now != left[again % ring]) {
                const std::string drift = firstDrift({left[again % ring]}, {now});
                result.stoppedBecause =
                    "shown frame " + std::to_string(again) + " (game frame " +
                    std::to_string(game.frameNumber) + "), simulated again after a rollback of " +
                    std::to_string(depth) + ", differs in" + drift.substr(drift.find(':') + 1);
                break;
            }
            const long long saving = allocationCount();
            saveSnapshot(saved[again % ring]);
            result.snapshotAllocations += allocationCount() - saving;
        }
        setDrawing(true);
    }
    shutDown(game.phase == Phase::Quit);
}

void writeOptions(int customPowerUps) {
    writeFileBytes("Data/Optionen.txt", "Anna\r\nBen\r\n1\r\n0\r\n1366\r\n768\r\n" +
                                            std::string(customPowerUps > 0 ? "1" : "0"));
}

}  // namespace

void prepareCustomPowerUps(int count) {
    for (int n = 0; n < count; ++n) {
        TestPicture face(100, 100, 0x00000000);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                if ((x - 50) * (x - 50) + (y - 50) * (y - 50) < 45 * 45)
                    face.at(x, y) = 0xFF000000u | (0x40u << (8 * (n % 3))) | 0x303030u;
        const std::string picture = "Eigene" + std::to_string(n) + ".png";
        writePng("Eigene Smileys/" + picture, face);
        writeCustomPowerUp(n, "Eigenbau " + std::to_string(n + 1), "Replay", picture, "", n, 1 + n,
                           -5.0 * n, 2.0 * n);
    }
}

RobotResult playRobot(const RobotGame& robot, int rollbackDepth) {
    ScratchFolder folder;
    folder.linkPictures();
    writeOptions(robot.customPowerUps);
    prepareCustomPowerUps(robot.customPowerUps);

    Session session;
    session.robot = &robot;
    session.dice.seed(static_cast<std::uint32_t>(robot.seed));
    seedRandom(robot.seed);
    setFlipHook([](void* s) { static_cast<Session*>(s)->afterFrame(); }, &session);
    setFrameSource([](PadUse, void* s) { return static_cast<Session*>(s)->pending; }, &session);
    scriptTimeOfDay(12, 0);
    if (rollbackDepth > 0)
        runProgramRollingBack(session, rollbackDepth);
    else
        runProgram();
    setFrameSource(nullptr, nullptr);
    setFlipHook(nullptr, nullptr);

    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kReplayFolder, error))
        if (entry.path().extension() == ".replay") names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::string why;
        if (!parseReplay(readFileBytes(name), session.result.saved.emplace_back(), why))
            throw std::runtime_error(name + ": " + why);
    }
    return session.result;
}

void prepareFolderFor(const ScratchFolder& folder, const ReplayFile& replay) {
    folder.linkPictures();
    writeOptions(replay.customFiles);
    prepareCustomPowerUps(replay.customFiles);
}

int verifyInScratchFolder(const std::string& path) {
    ReplayFile replay;
    std::string why;
    if (!parseReplay(readFileBytes(path), replay, why)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), why.c_str());
        return 1;
    }
    const std::string absolute = std::filesystem::absolute(path).string();
    ScratchFolder folder;
    prepareFolderFor(folder, replay);
    return verifyReplayFile(absolute);
}
