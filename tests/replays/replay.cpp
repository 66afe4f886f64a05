#include "tests/replays/replay.h"

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "datafiles/custom_powerup_file.h"
#include "game/session/frame_source.h"
#include "game/session/net_game.h"
#include "game/session/net_report.h"
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

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

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
    paceWithoutWindow(robot.paced);
    if (rollbackDepth > 0)
        runProgramRollingBack(session, rollbackDepth);
    else
        runProgram();
    setFrameSource(nullptr, nullptr);
    setFlipHook(nullptr, nullptr);
    paceWithoutWindow(false);
    session.result.cpuSeconds = processCpuSeconds();

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

// ---- one side of a network game -------------------------------------------

namespace {

// Each machine's robot steers its own player with the one-player keys. The
// host's also chooses the difficulty and starts games on the title, ends a
// game from the pause after a while, and once the session has run its
// frames ends it with Escape on the title; both go on from game over with
// Return.
struct NetRobot {
    const NetRobotRun* run = nullptr;
    std::mt19937 dice;
    int wait = 0;
    long long frames = 0, gameStart = -1;
    bool gameDone = false, pausedHere = false, guestPaused = false;

    FrameInput decide() {
        FrameInput f;
        const bool host = run->hosting;
        ++frames;
        // A fault planted on purpose: this machine's smiley drifts for two
        // seconds of the first game, which the other machine never sees.
        if (run->plantDesync && gameStart >= 0 && game.phase == Phase::Playing &&
            game.frameNumber - gameStart > 300 && game.frameNumber - gameStart < 420)
            game.players[host ? 0 : 1].x += 0.25;
        switch (game.phase) {
            case Phase::Title:
                if (!host) break;
                if (gameDone && frames < run->frames) gameDone = false, wait = 0;
                if (gameDone) {
                    if (++wait > 20) f.hold(key::Escape);
                } else if (roundToInt(game.difficulty) != run->difficulty) {
                    f.mouseX = 1010 + 80 * run->difficulty, f.mouseY = 605, f.mouseButton = true;
                } else {
                    f.mouseX = 400, f.mouseY = 400, f.mouseButton = ++wait > 10;
                }
                break;
            case Phase::Playing: {
                wait = 0;
                if (gameStart < 0) gameStart = game.frameNumber;
                const long long longest = std::min<long long>(3600, run->frames);
                if (host && game.frameNumber - gameStart > longest && game.gameOver == 0) {
                    f.hold(key::Escape);
                    pausedHere = true;
                    break;
                }
                // The guest pauses once a session too, and goes on.
                if (!host && !guestPaused && game.frameNumber - gameStart == 200) {
                    f.hold(key::Escape);
                    guestPaused = pausedHere = true;
                    break;
                }
                steerPlayer(game.players[host ? 0 : 1], kOnePlayer, dice, f);
                break;
            }
            case Phase::Paused:
                if (pausedHere && host) f.hold(game.pauseChoice == 1 ? key::Return : key::Down);
                if (pausedHere && !host && ++wait > 30) f.hold(key::Return), pausedHere = false;
                break;
            case Phase::GameOver:
            case Phase::HighScores:
                gameDone = true;
                pausedHere = false;
                gameStart = -1;
                if (++wait % 30 < 3) f.hold(key::Return);
                break;
            default:
                break;
        }
        return f;
    }
};

}  // namespace

int playNetRobot(const NetRobotRun& run) {
    ScratchFolder folder;
    folder.linkPictures();
    if (run.otherPictures) {
        // A stone of another size: the collisions would differ.
        std::filesystem::remove("Data/Stein.bmp");
        writeBmp24("Data/Stein.bmp", TestPicture(31, 29, 0xFF808080u));
    }
    writeFileBytes("Data/Optionen.txt", std::string(run.hosting ? "Anna" : "Ben") +
                                            "\r\nNiemand\r\n1\r\n0\r\n1366\r\n768\r\n0");
    NetRobot robot;
    robot.run = &run;
    robot.dice.seed(static_cast<std::uint32_t>(run.seed + (run.hosting ? 0 : 1000)));
    seedRandom(run.seed);
    scriptTimeOfDay(12, 0);
    NetGameConfig config;
    config.hosting = run.hosting;
    config.port = run.port;
    config.address = "127.0.0.1";
    config.bindAddress = "127.0.0.1";
    config.delay = run.delay;
    config.unattended = true;
    config.localSource = [](PadUse, void* r) { return static_cast<NetRobot*>(r)->decide(); };
    config.localContext = &robot;
    const int code = runNetworkProgram(config);
    const NetGameFigures& f = lastSessionFigures();
    // Depths of the rollbacks there were (a frame without one is not counted).
    long long rollbacks = 0;
    for (std::size_t d = 1; d < f.depths.size(); ++d) rollbacks += f.depths[d];
    const auto depthAt = [&](double share) {
        long long seen = 0;
        for (std::size_t d = 1; d < f.depths.size(); ++d)
            if ((seen += f.depths[d]) >= share * static_cast<double>(rollbacks))
                return static_cast<int>(d);
        return 0;
    };
    int deepest = 0;
    for (std::size_t d = 1; d < f.depths.size(); ++d)
        if (f.depths[d] > 0) deepest = static_cast<int>(d);
    std::printf("frames %lld\nstalled %lld\nrollbacks %lld\nresimulated %lld\n", f.frames,
                f.stalledFrames, f.rollbacks, f.resimulated);
    std::printf("depth-p50 %d\ndepth-p95 %d\ndepth-max %d\n", depthAt(0.5), depthAt(0.95), deepest);
    std::printf("desyncs %lld\nbytes-sent %lld\nbytes-received %lld\nseconds %.2f\n", f.desyncs,
                f.bytesSent, f.bytesReceived, f.seconds);
    std::printf("final %s\nended %s\n", f.finalState.c_str(), f.ended.c_str());
    std::printf("cpu-seconds %.3f\nahead %.2f\nnotice-frames %lld\n", processCpuSeconds(),
                f.meanAhead, f.noticeFrames);
    // A report the session wrote, before the scratch folder goes.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kNetReportFolder, error)) {
        const std::string text = readFileBytes(entry.path().string());
        std::printf("report-differs %d\nreport-has-record %d\n",
                    text.find("DIFFERS") != std::string::npos,
                    text.find("pomvex-net-session 1") != std::string::npos);
    }
    if (!run.recordPath.empty()) {
        std::ofstream(run.recordPath, std::ios::binary) << f.record;
    }
    std::fflush(stdout);
    return code;
}

int playRecordLocally(const std::string& path) {
    ScratchFolder folder;
    folder.linkPictures();
    writeOptions(0);
    if (!startUp()) return 1;
    std::string why;
    std::ifstream in(path, std::ios::binary);
    std::stringstream record;
    record << in.rdbuf();
    const bool played = playSessionRecord(record.str(), why);
    if (played)
        std::printf("final %s\n", sharedStateDigest().c_str());
    else
        std::fprintf(stderr, "%s: %s\n", path.c_str(), why.c_str());
    shutDown(false);
    return played ? 0 : 1;
}
