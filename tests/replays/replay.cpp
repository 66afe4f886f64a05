#include "tests/replays/replay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>

#include "datafiles/custom_powerup_file.h"
#include "game/session/frame_source.h"
#include "game/session/snapshot.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/start_up.h"
#include "test_support/allocation_count.h"
#include "test_support/picture_files.h"
#include "test_support/scratch_folder.h"

namespace {

// ---- the file --------------------------------------------------------------

std::string formatFrame(const FrameInput& f) {
    std::string keys;
    for (int k = 0; k < 256; ++k)
        if (f.held(k)) keys += (keys.empty() ? "" : ",") + std::to_string(k);
    return std::to_string(f.mouseX) + " " + std::to_string(f.mouseY) + " " +
           (f.mouseButton ? "1" : "0") + " " + (keys.empty() ? "-" : keys);
}

// ---- the digest ------------------------------------------------------------

struct Digest {
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a
    void bytes(const void* p, std::size_t n) {
        const auto* b = static_cast<const unsigned char*>(p);
        for (std::size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
    }
    void number(double v) { bytes(&v, sizeof v); }
    void text(const std::string& s) { bytes(s.data(), s.size()); }
    std::string hex() const {
        char out[17];
        std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
        return out;
    }
};

// Feeds the whole replay's digest and, beside it, one digest per part of the
// state for the checkpoint being taken.
struct Sampler {
    Digest& whole;
    Checkpoint& checkpoint;
    Digest part;
    void number(double v) {
        whole.number(v);
        part.number(v);
    }
    void text(const std::string& s) {
        whole.text(s);
        part.text(s);
    }
    void endPart(const char* name) {
        checkpoint.parts.emplace_back(name, part.hex().substr(0, 8));
        part = Digest{};
    }
};

// Everything that moves in a game, at one moment.
void sampleState(Sampler& d) {
    d.number(static_cast<double>(game.frameNumber));
    d.number(game.livesLeft);
    d.number(game.fadeAlpha);
    d.endPart("game");
    for (const Player& p : game.players)
        for (double v : {p.x, p.y, p.health, p.form, p.formTimer, p.fireCooldown, p.hits, p.kills,
                         p.deaths, p.active})
            d.number(v);
    d.endPart("players");
    game.opponents.forEach([&](const Opponent& o) {
        for (double v : {o.x, o.y, o.health, o.status, o.statusTimer, o.fireCountdown}) d.number(v);
    });
    d.endPart("opponents");
    game.shots.forEach([&](const Shot& s) {
        for (double v : {s.x, s.y, s.kind, s.damage}) d.number(v);
    });
    d.endPart("shots");
    game.items.forEach([&](const PowerUpItem& i) {
        for (double v : {i.x, i.y, i.kind, i.fade, i.customIndex}) d.number(v);
    });
    d.endPart("items");
    game.turrets.forEach([&](const Turret& t) {
        for (double v : {t.x, t.y, t.turretType, t.life, t.cooldown}) d.number(v);
    });
    d.endPart("turrets");
    game.turretShots.forEach([&](const TurretShot& t) {
        for (double v : {t.x, t.y, t.effect, t.rotation}) d.number(v);
    });
    d.endPart("turret-shots");
    d.number(game.animations.count());
    d.endPart("animations");
}

// Everything a frame step leaves behind, part by part, for the rollback check:
// what the checkpoints sample, and the screens and the random generator too.
Checkpoint stepDigest() {
    Digest unused;
    Checkpoint c;
    Sampler d{unused, c, {}};
    sampleState(d);
    for (double v :
         {static_cast<double>(game.phase), double(game.paused), double(game.pauseChoice),
          game.menuHover, double(game.introDone), double(game.logoLevel), double(game.logoHold),
          game.blinkLevel, double(game.blinkFalling), game.placementMark, game.spawnTimer,
          game.livesTotal, game.gameOver, game.playerCount, game.difficulty})
        d.number(v);
    d.endPart("screens");
    const RandomState random = randomState();
    for (std::uint64_t w : random.words) d.number(static_cast<double>(w));
    d.endPart("random");
    return c;
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

// A recording ends its game from the pause after this many frames.
constexpr long long kLongestGame = 6000;
// A played replay may run this many frames (five seconds) past its recorded
// input before it counts as a game that does not end when it should.
constexpr std::size_t kOverrunFrames = 300;

struct Session {
    Replay* replay = nullptr;
    bool record = false;
    std::size_t next = 0;  // frame whose input comes next
    std::mt19937 dice;
    Digest digest;
    // The robot's own place in the program.
    enum Phase { Intro, Title, Playing, GameOver, Quitting } phase = Intro;
    int wait = 0;
    long long lastGameFrame = 0;
    ReplayResult result;
    int lastTurrets = 0;
    long long lastSample = 0;
    long long lastCounted = 0;
    double lastForm[2] = {0, 0};
    // Playback stops at the first checkpoint that differs from the file's:
    // what follows a drift says nothing more, and a drifting game may never
    // end at all.
    void stop(std::string why) {
        if (result.stoppedBecause.empty()) result.stoppedBecause = std::move(why);
    }
    void compareCheckpoint() {
        const std::size_t i = result.checkpoints.size() - 1;
        if (i >= replay->checkpoints.size() || replay->checkpoints[i].frame < 0 ||
            replay->checkpoints[i] != result.checkpoints[i]) {
            const std::vector<Checkpoint> expected(
                replay->checkpoints.begin(),
                replay->checkpoints.begin() + std::min(i + 1, replay->checkpoints.size()));
            stop(firstDrift(expected, result.checkpoints));
        }
    }

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
                const int want = replay->playerCount;
                if (inGame) {
                    phase = Playing;
                    break;
                }
                if (game.playerCount != want) {
                    f.mouseX = want == 2 ? 937 : 857, f.mouseY = 400, f.mouseButton = true;
                } else if (roundToInt(game.difficulty) != replay->difficulty) {
                    f.mouseX = 1010 + 80 * replay->difficulty, f.mouseY = 605;
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
                if (game.frameNumber > kLongestGame) {
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
                if (wait > 5) phase = Quitting, wait = 0;
                break;
            case Quitting:
                if (++wait > 2) f.hold(key::Escape);
                break;
        }
        return f;
    }

    void afterFrame() {
        if (game.frameNumber != lastSample && game.frameNumber % 250 == 0) {
            Sampler sampler{digest, result.checkpoints.emplace_back(), {}};
            sampler.checkpoint.frame = game.frameNumber;
            sampleState(sampler);
            lastSample = game.frameNumber;
            if (!record) compareCheckpoint();
        }
        if (game.turrets.count() > lastTurrets) result.turretsPlaced += 1;
        lastTurrets = game.turrets.count();
        for (int i = 0; i < 2; ++i) {
            const double form = game.players[i].form;
            if (form != lastForm[i] && form > 0 && form != 100) result.formsTaken += 1;
            lastForm[i] = form;
        }
        // The counters as the game ends, before the reset for the next one.
        if (game.gameOver == 1 && game.frameNumber != lastCounted) {
            result.kills = firstPlayer().kills + secondPlayer().kills;
            result.hits = firstPlayer().hits + secondPlayer().hits;
            lastCounted = game.frameNumber;
        }
        FrameInput f;
        if (record) {
            f = decide();
            replay->frames.push_back(f);
        } else if (result.stoppedBecause.empty() && next < replay->frames.size()) {
            f = replay->frames[next];
        } else {
            if (result.stoppedBecause.empty() && next > replay->frames.size() + kOverrunFrames)
                stop("frame " + std::to_string(game.frameNumber) + ": still running " +
                     std::to_string(kOverrunFrames) + " frames after the recorded input ended");
            // Out of input, or stopped: let go of everything and ask the
            // window to close. The pause does not look at the window, so a
            // game that drifted into it is let out first.
            if (game.paused == 1) f.hold(key::Return);
            f.closeRequested = true;
        }
        ++next;
        pending = f;
    }
};

void prepareFolder(const Replay& replay) {
    writeFileBytes("Data/Optionen.txt", "Anna\r\nBen\r\n1\r\n0\r\n1366\r\n768\r\n" +
                                            std::string(replay.customPowerUps > 0 ? "1" : "0"));
    for (int n = 0; n < replay.customPowerUps; ++n) {
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

}  // namespace

std::string formatReplay(const Replay& r) {
    std::string out = "pomvex-replay 2\n";
    out += "seed " + std::to_string(r.seed) + "\n";
    out += "options " + std::to_string(r.playerCount) + " " + std::to_string(r.difficulty) + " " +
           std::to_string(r.customPowerUps) + "\n";
    out += "digest " + r.digest + "\n";
    for (const Checkpoint& c : r.checkpoints) {
        out += "checkpoint " + (c.frame < 0 ? std::string("end") : std::to_string(c.frame));
        for (const auto& [name, value] : c.parts) out += " " + name + ":" + value;
        out += "\n";
    }
    // Runs of equal input share one line: "<count> <mouse x> <mouse y> <button> <keys>".
    for (std::size_t i = 0; i < r.frames.size();) {
        std::size_t j = i + 1;
        while (j < r.frames.size() && r.frames[j] == r.frames[i]) ++j;
        out += std::to_string(j - i) + " " + formatFrame(r.frames[i]) + "\n";
        i = j;
    }
    return out;
}

bool parseReplay(const std::string& text, Replay& r) {
    std::istringstream in(text);
    std::string word;
    if (!(in >> word) || word != "pomvex-replay" || !(in >> word)) return false;
    if (!(in >> word) || word != "seed" || !(in >> r.seed)) return false;
    if (!(in >> word) || word != "options" ||
        !(in >> r.playerCount >> r.difficulty >> r.customPowerUps))
        return false;
    if (!(in >> word) || word != "digest" || !(in >> r.digest)) return false;
    r.checkpoints.clear();
    std::string line;
    std::getline(in, line);
    while (in.peek() == 'c') {
        std::getline(in, line);
        std::istringstream fields(line);
        Checkpoint c;
        std::string frame;
        if (!(fields >> word >> frame) || word != "checkpoint") return false;
        c.frame = frame == "end" ? -1 : std::stoll(frame);
        while (fields >> word) {
            const auto colon = word.find(':');
            if (colon == std::string::npos) return false;
            c.parts.emplace_back(word.substr(0, colon), word.substr(colon + 1));
        }
        r.checkpoints.push_back(std::move(c));
    }
    r.frames.clear();
    long long count;
    while (in >> count) {
        FrameInput f;
        std::string keys;
        int button;
        if (!(in >> f.mouseX >> f.mouseY >> button >> keys) || count <= 0 || count > 10000000)
            return false;
        f.mouseButton = button != 0;
        if (keys != "-") {
            std::istringstream list(keys);
            std::string k;
            while (std::getline(list, k, ',')) f.hold(std::stoi(k));
        }
        r.frames.insert(r.frames.end(), static_cast<std::size_t>(count), f);
    }
    return in.eof();
}

namespace {

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
    while (!programOver()) {
        ++step;
        takeFrameInput(padUseOf(game.phase));
        inputs[step % ring] = frameInputInUse();
        stepFrame();
        left[step % ring] = stepDigest();
        const long long before = allocationCount();
        saveSnapshot(saved[step % ring]);
        if (step < depth || !session.result.stoppedBecause.empty()) continue;
        restoreSnapshot(saved[(step - depth) % ring]);
        session.result.snapshotAllocations += allocationCount() - before;
        setDrawing(false);
        for (long long again = step - depth + 1; again <= step; ++again) {
            useFrameInput(inputs[again % ring]);
            stepFrame();
            const Checkpoint now = stepDigest();
            if (now != left[again % ring]) {
                const std::string drift = firstDrift({left[again % ring]}, {now});
                session.stop("shown frame " + std::to_string(again) + " (game frame " +
                             std::to_string(game.frameNumber) + "), simulated again after a " +
                             "rollback of " + std::to_string(depth) + ", differs in" +
                             drift.substr(drift.find(':') + 1));
                break;
            }
            const long long saving = allocationCount();
            saveSnapshot(saved[again % ring]);
            session.result.snapshotAllocations += allocationCount() - saving;
        }
        setDrawing(true);
    }
    shutDown(game.phase == Phase::Quit);
}

}  // namespace

ReplayResult playReplay(Replay& replay, bool record, int rollbackDepth) {
    ScratchFolder folder;
    folder.linkPictures();
    prepareFolder(replay);
    if (record) replay.frames.clear();

    Session session;
    session.replay = &replay;
    session.record = record;
    session.dice.seed(static_cast<std::uint32_t>(replay.seed));
    seedRandom(replay.seed);
    if (!record && !replay.frames.empty()) session.pending = replay.frames[0];
    session.next = 1;
    if (record) replay.frames.push_back(FrameInput{});
    setFlipHook([](void* s) { static_cast<Session*>(s)->afterFrame(); }, &session);
    setFrameSource([](PadUse, void* s) { return static_cast<Session*>(s)->pending; }, &session);
    scriptTimeOfDay(12, 0);
    if (rollbackDepth > 0)
        runProgramRollingBack(session, rollbackDepth);
    else
        runProgram();
    setFrameSource(nullptr, nullptr);
    setFlipHook(nullptr, nullptr);

    // The end state: counters, what is left on the field, the score file.
    ReplayResult& result = session.result;
    result.frames = static_cast<long long>(session.next);
    Sampler end{session.digest, result.checkpoints.emplace_back(), {}};
    end.checkpoint.frame = -1;
    sampleState(end);
    end.text(readFileBytes("Data/Scores.txt"));
    end.endPart("scores");
    end.text(readFileBytes("Data/Optionen.txt"));
    end.endPart("options");
    result.digest = session.digest.hex();
    return result;
}

std::string firstDrift(const std::vector<Checkpoint>& expected,
                       const std::vector<Checkpoint>& played) {
    const auto where = [](long long frame) {
        return frame < 0 ? std::string("the end") : "frame " + std::to_string(frame);
    };
    for (std::size_t i = 0; i < expected.size() || i < played.size(); ++i) {
        if (i >= expected.size()) return where(played[i].frame) + ": not in the replay";
        if (i >= played.size()) return where(expected[i].frame) + ": never reached";
        const Checkpoint &e = expected[i], &p = played[i];
        if (e.frame != p.frame) return where(e.frame) + ": reached " + where(p.frame) + " instead";
        std::string parts;
        for (std::size_t k = 0; k < e.parts.size() || k < p.parts.size(); ++k)
            if (k >= e.parts.size() || k >= p.parts.size() || e.parts[k] != p.parts[k])
                parts += (parts.empty() ? "" : ", ") +
                         (k < e.parts.size() ? e.parts[k].first : p.parts[k].first);
        if (!parts.empty()) return where(e.frame) + ": " + parts;
    }
    return "";
}
