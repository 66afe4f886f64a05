#include "game/session/net_report.h"

#include <sys/stat.h>

#include <cstdio>
#include <sstream>

#include "base/text_file.h"
#include "game/session/net_game.h"
#include "game/session/net_input.h"
#include "game/session/replay_check.h"
#include "game/session/replay_store.h"
#include "game/session/state_digest.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/start_up.h"

namespace {

constexpr const char* kRecordHead = "pomvex-net-session 1";

}  // namespace

void InputLog::add(const PeerInput (&inputs)[2]) {
    ++frames_;
    if (!runs_.empty() && runs_.back().host == inputs[0] && runs_.back().guest == inputs[1]) {
        ++runs_.back().frames;
        return;
    }
    runs_.push_back({1, inputs[0], inputs[1]});
}

std::string InputLog::text() const {
    std::string out;
    char line[96];
    for (const Run& r : runs_) {
        std::snprintf(line, sizeof line, "%lld %u %d %d %u %d %d\n", r.frames, r.host.buttons,
                      r.host.mouseX, r.host.mouseY, r.guest.buttons, r.guest.mouseX,
                      r.guest.mouseY);
        out += line;
    }
    return out;
}

std::string sessionRecord(const StartMessage& start, const std::string& hostName,
                          const std::string& guestName, const InputLog& log) {
    std::string r = std::string(kRecordHead) + "\n";
    r += "version " + game.versionText + "\n";
    r += "behaviour " + behaviourDigest() + "\n";
    r += "seed " + std::to_string(start.seed) + "\n";
    r += "difficulty " + std::to_string(start.difficulty) + "\n";
    r += "custom-power-ups " + std::to_string(start.customPowerUps) + "\n";
    r += "host " + hostName + "\n";
    r += "guest " + guestName + "\n";
    r += "frames " + std::to_string(log.frames()) +
         " (runs: frames, host buttons x y, guest buttons x y)\n";
    r += log.text();
    return r;
}

bool playSessionRecord(const std::string& record, std::string& why) {
    std::istringstream in(record);
    std::string line, word, version, behaviour, host, guest;
    StartMessage start;
    std::getline(in, line);
    if (line != kRecordHead) return why = "not a session record", false;
    unsigned long long seed = 0;
    int difficulty = 0, custom = 0;
    for (int n = 0; n < 8 && std::getline(in, line); ++n) {
        const std::size_t space = line.find(' ');
        const std::string name = line.substr(0, space), value = line.substr(space + 1);
        if (name == "version") version = value;
        if (name == "behaviour") behaviour = value;
        if (name == "seed") seed = std::strtoull(value.c_str(), nullptr, 10);
        if (name == "difficulty") difficulty = std::atoi(value.c_str());
        if (name == "custom-power-ups") custom = std::atoi(value.c_str());
        if (name == "host") host = value;
        if (name == "guest") guest = value;
    }
    if (version != game.versionText || behaviour != behaviourDigest())
        return why = "made by another version or build of the game", false;
    start.seed = seed;
    start.difficulty = static_cast<std::uint8_t>(difficulty < 0 || difficulty > 2 ? 0 : difficulty);
    start.customPowerUps = static_cast<std::uint8_t>(custom == 1 ? 1 : 0);
    beginSharedGame(start, host, guest);
    setDrawing(false);
    long long frames = 0;
    unsigned hostButtons = 0, guestButtons = 0;
    PeerInput both[2];
    while (in >> frames >> hostButtons >> both[0].mouseX >> both[0].mouseY >> guestButtons >>
           both[1].mouseX >> both[1].mouseY) {
        both[0].buttons = static_cast<std::uint16_t>(hostButtons & peer::kAllButtons);
        both[1].buttons = static_cast<std::uint16_t>(guestButtons & peer::kAllButtons);
        for (long long f = 0; f < frames && f < (1LL << 31); ++f) {
            useFrameInput(sharedFrameInput(both[0], both[1], game.phase));
            if (!programOver()) stepFrame();
        }
    }
    setDrawing(true);
    return true;
}

std::string sharedStateDigest() {
    Digest d;
    for (const auto& [name, value] : sharedStateCheckpoint().parts) d.text(name), d.text(value);
    return d.hex();
}

std::string writeDesyncReport(long long frame, const Checkpoint& mine, const DigestMessage& theirs,
                              const std::vector<std::string>& differing, bool hosting,
                              const std::string& record) {
    std::string r = "Pomvex: Netzspiel, die beiden Rechner sind auseinandergelaufen\n";
    r += "this machine " + std::string(hosting ? "host" : "guest") + "\n";
    r += "frame " + std::to_string(frame) + "\n";
    for (std::size_t i = 0; i < mine.parts.size(); ++i) {
        char other[16] = "-";
        if (static_cast<int>(i) < theirs.partCount)
            std::snprintf(other, sizeof other, "%08x", theirs.parts[i]);
        r += "part " + mine.parts[i].first + " here " + mine.parts[i].second + " there " + other;
        for (const std::string& d : differing)
            if (d == mine.parts[i].first) r += " DIFFERS";
        r += "\n";
    }
    r += "\n" + record;

    ::mkdir(kNetReportFolder, 0755);
    const std::string path =
        std::string(kNetReportFolder) + "Abweichung_" + localTimeStamp() + ".txt";
    const WriteResult written = writeFileSafely(path, r);
    reportUnwrittenFile(path, written);
    return written ? path : std::string();
}
