#include "game/session/replay_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/text_file.h"

namespace {

constexpr std::string_view kMagic = "pomvex-replay 3";
constexpr std::size_t kMaxNameBytes = 1000;
constexpr std::size_t kMaxParts = 32;

std::string number(double v) {
    char out[32];
    const auto end = std::to_chars(out, out + sizeof out, v).ptr;
    return std::string(out, end);
}

std::string hex16(std::uint64_t v) {
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(v));
    return out;
}

std::string keyList(const KeySet& keys) {
    std::string out;
    for (int k = 0; k < 256; ++k)
        if ((keys[k >> 3] >> (k & 7)) & 1) out += (out.empty() ? "" : ",") + std::to_string(k);
    return out.empty() ? "-" : out;
}

// ---- reading -----------------------------------------------------------------

// The words of one line, each read off the front.
class Fields {
  public:
    explicit Fields(std::string_view line) : rest_(line) {}
    std::string_view word() {
        while (!rest_.empty() && rest_.front() == ' ') rest_.remove_prefix(1);
        const std::size_t end = rest_.find(' ');
        const std::string_view w = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end);
        return w;
    }
    bool done() {
        while (!rest_.empty() && rest_.front() == ' ') rest_.remove_prefix(1);
        return rest_.empty();
    }

  private:
    std::string_view rest_;
};

template <typename T>
bool whole(std::string_view w, T& out, T low, T high, int base = 10) {
    T v{};
    const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v, base);
    if (ec != std::errc() || end != w.data() + w.size() || w.empty() || v < low || v > high)
        return false;
    out = v;
    return true;
}

// Far beyond anything a game holds, and far enough inside the int range
// that a position plus a picture's size cannot overflow where it is drawn.
constexpr double kMaxValue = 1e9;

bool finite(std::string_view w, double& out) {
    double v = 0;
    const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
    if (ec != std::errc() || end != w.data() + w.size() || w.empty() ||
        !(std::fabs(v) <= kMaxValue))
        return false;
    out = v;
    return true;
}

bool isHex(std::string_view w, std::size_t digits) {
    if (w.size() != digits) return false;
    for (char c : w)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

struct Reader {
    ReplayFile& r;
    std::string& error;
    int line = 0;
    long long frames = 0;

    bool fail(const std::string& why) {
        error = "line " + std::to_string(line) + ": " + why;
        return false;
    }

    bool values(Fields& f, double* out, int count) {
        for (int i = 0; i < count; ++i)
            if (!finite(f.word(), out[i])) return fail("a value that is not a number a game holds");
        return f.done() || fail("more values than expected");
    }

    bool keys(Fields& f) {
        std::uint32_t index = 0;
        if (!whole(f.word(), index, 0u, 0xFFFFFFFFu) || index != r.keySets.size())
            return fail("key sets out of order");
        if (r.keySets.size() >= kMaxKeySets) return fail("too many key sets");
        KeySet set{};
        const std::string_view list = f.word();
        if (!f.done()) return fail("more than one key list");
        if (list != "-") {
            std::size_t at = 0;
            while (at <= list.size()) {
                const std::size_t comma = std::min(list.find(',', at), list.size());
                int code = 0;
                if (!whole(list.substr(at, comma - at), code, 0, 255))
                    return fail("a key code outside 0 to 255");
                set[code >> 3] |= static_cast<std::uint8_t>(1 << (code & 7));
                at = comma + 1;
            }
        }
        r.keySets.push_back(set);
        return true;
    }

    bool runs(Fields& f) {
        for (std::string_view w = f.word(); !w.empty(); w = f.word()) {
            const std::size_t dot = w.find('.');
            InputRun run;
            if (dot == std::string_view::npos ||
                !whole(w.substr(0, dot), run.frames, 1u,
                       static_cast<std::uint32_t>(kMaxReplayFrames)) ||
                !whole(w.substr(dot + 1), run.keySet, 0u, 0xFFFFFFFFu))
                return fail("a run that is not <frames>.<key set>");
            if (run.keySet >= r.keySets.size()) return fail("a run of a key set not listed");
            frames += run.frames;
            if (frames > kMaxReplayFrames) return fail("more frames than any game has");
            r.runs.push_back(run);
        }
        return true;
    }

    bool checkpoint(Fields& f) {
        Checkpoint c;
        const std::string_view at = f.word();
        if (at == "end") {
            c.frame = -1;
        } else if (!whole(at, c.frame, 1LL, kMaxReplayFrames)) {
            return fail("a checkpoint at no frame");
        }
        if (r.checkpoints.size() >
            static_cast<std::size_t>(kMaxReplayFrames / kCheckpointInterval) + 1)
            return fail("too many checkpoints");
        for (std::string_view w = f.word(); !w.empty(); w = f.word()) {
            const std::size_t colon = w.find(':');
            if (colon == std::string_view::npos || colon == 0 || !isHex(w.substr(colon + 1), 8) ||
                c.parts.size() >= kMaxParts)
                return fail("a checkpoint part that is not <name>:<8 hex digits>");
            c.parts.emplace_back(std::string(w.substr(0, colon)), std::string(w.substr(colon + 1)));
        }
        r.checkpoints.push_back(std::move(c));
        return true;
    }

    bool entry(std::string_view text) {
        Fields f(text);
        const std::string_view keyword = f.word();
        const std::string_view rest =
            text.size() > keyword.size() ? text.substr(keyword.size() + 1) : std::string_view();
        if (keyword == "version") {
            r.version = std::string(rest);
            return !r.version.empty() || fail("no version");
        }
        if (keyword == "behaviour" || keyword == "pictures") {
            const std::string_view w = f.word();
            if (!isHex(w, 16) || !f.done()) return fail("a digest that is not 16 hex digits");
            (keyword == "behaviour" ? r.behaviour : r.pictures) = std::string(w);
            return true;
        }
        if (keyword == "custom") {
            if (!whole(f.word(), r.customFiles, 0, 100000))
                return fail("a count of custom power-ups that is not one");
            const std::string_view digest = f.word();
            if (!isHex(digest, 16) || !f.done()) return fail("a digest that is not 16 hex digits");
            r.customDigest = std::string(digest);
            return true;
        }
        if (keyword == "options") {
            int custom = 0;
            if (!whole(f.word(), r.playerCount, 1, 2) || !whole(f.word(), r.difficulty, 0, 2) ||
                !whole(f.word(), custom, 0, 1) || !f.done())
                return fail("options that are not <1 or 2> <0 to 2> <0 or 1>");
            r.customPowerUps = custom == 1;
            return true;
        }
        if (keyword == "name1" || keyword == "name2") {
            if (rest.size() > kMaxNameBytes) return fail("a name too long for the game");
            (keyword == "name1" ? r.name1 : r.name2) = std::string(rest);
            return true;
        }
        if (keyword == "result") {
            double v[4];
            if (!values(f, v, 4)) return false;
            r.kills[0] = v[0], r.hits[0] = v[1], r.kills[1] = v[2], r.hits[1] = v[3];
            return true;
        }
        if (keyword == "random") {
            for (std::uint64_t& w : r.random)
                if (!whole(f.word(), w, std::uint64_t{0}, ~std::uint64_t{0}, 16))
                    return fail("a random state that is not four words");
            int seeded = 0;
            if (!whole(f.word(), seeded, 0, 1) || !f.done())
                return fail("a random state without its mark");
            r.randomSeeded = seeded == 1;
            return true;
        }
        if (keyword == "fade") return values(f, &r.fadeAlpha, 1);
        if (keyword == "pause-choice") {
            if (!whole(f.word(), r.pauseChoice, 0, 1) || !f.done())
                return fail("a pause choice that is not 0 or 1");
            return true;
        }
        if (keyword == "player") {
            int index = 0;
            if (!whole(f.word(), index, 0, 1)) return fail("a player that is not 0 or 1");
            return values(f, r.players[index].data(), kPlayerValueCount);
        }
        if (keyword == "animation") {
            if (r.animations.size() >= kMaxAnimations) return fail("too many animations");
            return values(f, r.animations.emplace_back().data(), kAnimationValueCount);
        }
        if (keyword == "keys") return keys(f);
        if (keyword == "runs") return runs(f);
        if (keyword == "checkpoint") return checkpoint(f);
        return fail("an unknown entry");
    }
};

}  // namespace

long long ReplayFile::frameCount() const {
    long long n = 0;
    for (const InputRun& run : runs) n += run.frames;
    return n;
}

std::string formatReplay(const ReplayFile& r) {
    std::string out = std::string(kMagic) + "\n";
    out += "version " + r.version + "\n";
    out += "behaviour " + r.behaviour + "\n";
    out += "pictures " + r.pictures + "\n";
    out += "custom " + std::to_string(r.customFiles) + " " + r.customDigest + "\n";
    out += "options " + std::to_string(r.playerCount) + " " + std::to_string(r.difficulty) + " " +
           (r.customPowerUps ? "1" : "0") + "\n";
    out += "name1 " + r.name1 + "\n";
    out += "name2 " + r.name2 + "\n";
    out += "result " + number(r.kills[0]) + " " + number(r.hits[0]) + " " + number(r.kills[1]) +
           " " + number(r.hits[1]) + "\n";
    out += "random";
    for (std::uint64_t w : r.random) out += " " + hex16(w);
    out += r.randomSeeded ? " 1\n" : " 0\n";
    out += "fade " + number(r.fadeAlpha) + "\n";
    out += "pause-choice " + std::to_string(r.pauseChoice) + "\n";
    for (int i = 0; i < 2; ++i) {
        out += "player " + std::to_string(i);
        for (double v : r.players[i]) out += " " + number(v);
        out += "\n";
    }
    for (const auto& a : r.animations) {
        out += "animation";
        for (double v : a) out += " " + number(v);
        out += "\n";
    }
    for (std::size_t i = 0; i < r.keySets.size(); ++i)
        out += "keys " + std::to_string(i) + " " + keyList(r.keySets[i]) + "\n";
    // Sixteen runs to a line keep the file readable and its lines short.
    for (std::size_t i = 0; i < r.runs.size(); i += 16) {
        out += "runs";
        for (std::size_t j = i; j < r.runs.size() && j < i + 16; ++j)
            out += " " + std::to_string(r.runs[j].frames) + "." + std::to_string(r.runs[j].keySet);
        out += "\n";
    }
    for (const Checkpoint& c : r.checkpoints) {
        out += "checkpoint " + (c.frame < 0 ? std::string("end") : std::to_string(c.frame));
        for (const auto& [name, value] : c.parts) out += " " + name + ":" + value;
        out += "\n";
    }
    return out;
}

bool parseReplay(std::string_view bytes, ReplayFile& replay, std::string& error) {
    replay = ReplayFile{};
    if (bytes.size() > kMaxTextFileBytes) {
        error = "larger than any replay";
        return false;
    }
    LineReader in{std::string(bytes)};
    Reader reader{replay, error};
    reader.line = 1;
    if (in.readLine() != kMagic) {
        error = "not a replay of this game (it does not begin with \"pomvex-replay 3\")";
        return false;
    }
    while (!in.atEnd()) {
        ++reader.line;
        const std::string text = in.readLine();
        if (text.empty()) continue;
        if (!reader.entry(text)) return false;
    }
    ++reader.line;
    if (replay.version.empty() || replay.behaviour.empty() || replay.pictures.empty())
        return reader.fail("the file ends before its head is complete");
    if (replay.runs.empty()) return reader.fail("the file holds no frames");
    if (replay.checkpoints.empty() || replay.checkpoints.back().frame != -1)
        return reader.fail("the file ends before the game does");
    return true;
}

bool appendFrame(ReplayFile& r, const KeySet& keys) {
    if (!r.runs.empty() && r.keySets[r.runs.back().keySet] == keys &&
        r.runs.back().frames < 0xFFFFFFFFu) {
        ++r.runs.back().frames;
        return true;
    }
    std::size_t set = 0;
    while (set < r.keySets.size() && r.keySets[set] != keys) ++set;
    if (set == r.keySets.size()) {
        if (set >= kMaxKeySets) return false;
        r.keySets.push_back(keys);
    }
    r.runs.push_back({1, static_cast<std::uint32_t>(set)});
    return true;
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
