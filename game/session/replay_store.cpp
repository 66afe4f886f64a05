#include "game/session/replay_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <vector>

#include "base/text_file.h"
#include "datafiles/custom_powerup_file.h"
#include "game/session/replay_check.h"
#include "game/session/state_digest.h"
#include "game/shell/start_up.h"

namespace {

bool inGame(Phase p) {
    return p == Phase::Playing || p == Phase::Paused;
}

struct Recording {
    bool on = false;
    bool tooLong = false;
    long long frames = 0;
    ReplayFile replay;
} gRecording;

// ---- the index of the table's games ------------------------------------------

using Index = std::array<std::string, kScoreEntryCount>;

bool isReplayName(const std::string& name) {
    return isPlainFileName(name) && name.size() > 7 &&
           name.compare(name.size() - 7, 7, ".replay") == 0;
}

Index readIndex() {
    Index index;
    LineReader in = LineReader::open(kReplayIndexPath);
    for (std::string& name : index) {
        name = in.readLine();
        if (!isReplayName(name)) name.clear();
    }
    return index;
}

WriteResult writeIndex(const Index& index) {
    TextWriter out;
    for (const std::string& name : index) out.writeLine(name);
    return out.commit(kReplayIndexPath);
}

// The names the game gives its own replays, "2026-12-09_18-30-05.replay",
// with "_02" and on for more games in the same second. Only these are ever
// removed: a replay someone put into the folder stays.
bool isOwnName(const std::string& name) {
    static constexpr char kShape[] = "dddd-dd-dd_dd-dd-dd";
    if (name.size() < sizeof kShape - 1 + 7 || !isReplayName(name)) return false;
    for (std::size_t i = 0; i + 1 < sizeof kShape; ++i)
        if (kShape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(name[i]))
                             : name[i] != kShape[i])
            return false;
    return true;
}

std::string newReplayName() {
    const std::string stamp = localTimeStamp();
    std::string name = stamp + ".replay";
    for (int n = 2; fileExists(kReplayFolder + name) && n < 100; ++n) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "_%02d", n);
        name = stamp + suffix + ".replay";
    }
    return name;
}

// Removes the game's own replays that are neither among the newest
// kKeptReplays nor linked to an entry of the table.
void removeOldReplays(const Index& index) {
    std::vector<std::string> own;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kReplayFolder, error)) {
        const std::string name = entry.path().filename().string();
        if (isOwnName(name)) own.push_back(name);
    }
    std::sort(own.begin(), own.end());
    const std::size_t keep = std::min<std::size_t>(own.size(), kKeptReplays);
    for (std::size_t i = 0; i + keep < own.size(); ++i)
        if (std::find(index.begin(), index.end(), own[i]) == index.end())
            std::filesystem::remove(kReplayFolder + own[i], error);
}

// A replay belongs to an entry when it is the very game the entry names.
bool belongsTo(const ReplayFile& r, int entry) {
    const int start = scoreListStart(r.playerCount, r.difficulty);
    if (start < 0 || entry < start || entry >= start + kScoreListLength || r.customPowerUps)
        return false;
    const ScoreEntry& e = game.scoreTable[static_cast<std::size_t>(entry)];
    const bool two = r.playerCount == 2;
    return scoreSafeText(e.name1) == scoreSafeText(r.name1) &&
           (!two || scoreSafeText(e.name2) == scoreSafeText(r.name2)) &&
           e.kills == (two ? r.kills[0] + r.kills[1] : r.kills[0]) &&
           e.hits == (two ? r.hits[0] + r.hits[1] : r.hits[0]);
}

void saveRecording() {
    ReplayFile& r = gRecording.replay;
    const Checkpoint end = gameCheckpoint(gRecording.frames);
    r.checkpoints.push_back({-1, end.parts});
    for (int i = 0; i < 2; ++i) {
        r.kills[i] = game.players[i].kills;
        r.hits[i] = game.players[i].hits;
    }
    describeThisGame(r);
    ::mkdir(kReplayFolder.c_str(), 0755);
    const std::string name = newReplayName();
    const WriteResult written = writeFileSafely(kReplayFolder + name, formatReplay(r));
    reportUnwrittenFile(kReplayFolder + name, written);
    if (!written) return;

    // The entry the game took moves the ones below it down, as the table did.
    Index index = readIndex();
    const int mark = roundToInt(game.placementMark);
    const int start = scoreListStart(game.playerCount, game.difficulty);
    if (!r.customPowerUps && start >= 0 && mark >= 1 && mark <= kScoreListLength) {
        const int place = kScoreListLength - mark;
        for (int below = kScoreListLength - 1; below > place; --below)
            index[static_cast<std::size_t>(start + below)] =
                index[static_cast<std::size_t>(start + below - 1)];
        index[static_cast<std::size_t>(start + place)] = name;
        reportUnwrittenFile(kReplayIndexPath, writeIndex(index));
    }
    removeOldReplays(index);
}

}  // namespace

ReplayFile describeGameStart() {
    ReplayFile r;
    r.playerCount = twoPlayerGame() ? 2 : 1;
    r.difficulty = difficultyIndex();
    r.customPowerUps = game.customPowerUpsEnabled == 1;
    r.name1 = firstPlayer().name;
    r.name2 = secondPlayer().name;
    // A generator still waiting for its first number takes its seed now,
    // so that the replay knows the state it starts from.
    if (!randomState().seeded) random(0);
    const RandomState random = randomState();
    std::copy(std::begin(random.words), std::end(random.words), r.random);
    r.randomSeeded = random.seeded;
    r.fadeAlpha = game.fadeAlpha;
    r.pauseChoice = game.pauseChoice;
    for (int i = 0; i < 2; ++i)
        r.players[static_cast<std::size_t>(i)] = playerValues(game.players[i]);
    game.animations.forEach([&](const Animation& a) {
        r.animations.push_back(
            {a.x, a.y, a.frameWidth, a.frameCount, a.frame, a.image, a.tick, a.ticksPerFrame});
    });
    return r;
}

std::string localTimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    return stamp;
}

void recordStep(Phase before) {
    Recording& rec = gRecording;
    if (!inGame(before) && game.phase == Phase::Playing && !game.watching) {
        rec = Recording{};
        rec.on = true;
        rec.replay = describeGameStart();
        // Room for an hour of lively play, so recording allocates nothing
        // from frame to frame.
        rec.replay.runs.reserve(1 << 16);
        rec.replay.keySets.reserve(256);
        rec.replay.checkpoints.reserve(1024);
        return;
    }
    if (!rec.on || !inGame(before)) return;
    if (rec.frames >= kMaxReplayFrames || !appendFrame(rec.replay, frameInputInUse().keys))
        rec.tooLong = true;
    ++rec.frames;
    if (inGame(game.phase)) {
        if (rec.frames % kCheckpointInterval == 0 && !rec.tooLong)
            rec.replay.checkpoints.push_back(gameCheckpoint(rec.frames));
        return;
    }
    rec.on = false;
    if (game.phase != Phase::GameOver) return;  // the window closed: nothing is saved
    if (rec.tooLong) {
        std::fprintf(stderr, "pomvex: the game was too long to be saved as a replay\n");
        return;
    }
    saveRecording();
    rec.replay = ReplayFile{};
}

bool loadReplayFile(const std::string& path, ReplayFile& replay, std::string& why) {
    const auto bytes = readWholeFile(path);
    if (!bytes) {
        why = "Die Datei " + path + " l\xE4sst sich nicht lesen.";
        return false;
    }
    std::string error;
    if (!parseReplay(*bytes, replay, error)) {
        why = "Die Datei " + path +
              " ist keine Wiederholung oder besch\xE4"
              "digt (" +
              error + ").";
        return false;
    }
    why = whyNotPlayable(replay);
    return why.empty();
}

bool loadEntryReplay(int entry, ReplayFile& replay, std::string* why) {
    if (entry < 0 || entry >= kScoreEntryCount) return false;
    const std::string name = readIndex()[static_cast<std::size_t>(entry)];
    if (name.empty()) return false;
    std::string reason;
    if (!loadReplayFile(kReplayFolder + name, replay, reason)) {
        if (why) *why = reason;
        return false;
    }
    return belongsTo(replay, entry);
}

void findWatchableEntries() {
    const Index index = readIndex();
    for (int entry = 0; entry < kScoreEntryCount; ++entry) {
        ReplayFile replay;
        game.entryWatchable[entry] =
            !index[static_cast<std::size_t>(entry)].empty() && loadEntryReplay(entry, replay);
    }
}

bool bestEntryReplay(ReplayFile& best) {
    bool found = false;
    double most = -1;
    for (int entry = 0; entry < kScoreEntryCount; ++entry) {
        ReplayFile replay;
        const double kills = game.scoreTable[static_cast<std::size_t>(entry)].kills;
        if (kills > most && loadEntryReplay(entry, replay)) {
            best = std::move(replay);
            most = kills;
            found = true;
        }
    }
    return found;
}
