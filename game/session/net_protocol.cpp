#include "game/session/net_protocol.h"

namespace {

// "PX" and a protocol revision: a stranger's packet or an older game's
// fails on its first bytes.
constexpr std::uint8_t kMagic[3] = {'P', 'X', 1};

struct Writer {
    std::vector<std::uint8_t>& out;
    void u8(std::uint8_t v) { out.push_back(v); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v)), u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v)), u16(static_cast<std::uint16_t>(v >> 16));
    }
    void u64(std::uint64_t v) {
        u32(static_cast<std::uint32_t>(v)), u32(static_cast<std::uint32_t>(v >> 32));
    }
    void text(const std::string& s) {
        const std::size_t n = s.size() < kMaxText ? s.size() : kMaxText;
        u8(static_cast<std::uint8_t>(n));
        out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    }
    void head(MessageType type) {
        out.clear();
        out.insert(out.end(), kMagic, kMagic + 3);
        u8(static_cast<std::uint8_t>(type));
    }
};

// Reads within [data, data + size); once anything runs past the end, every
// later read gives 0 and ok stays false.
struct Reader {
    const std::uint8_t* data;
    std::size_t size, at = 0;
    bool ok = true;
    std::uint8_t u8() {
        if (at >= size) return ok = false, 0;
        return data[at++];
    }
    std::uint16_t u16() {
        const std::uint16_t lo = u8();
        return static_cast<std::uint16_t>(lo | u8() << 8);
    }
    std::uint32_t u32() {
        const std::uint32_t lo = u16();
        return lo | std::uint32_t{u16()} << 16;
    }
    std::uint64_t u64() {
        const std::uint64_t lo = u32();
        return lo | std::uint64_t{u32()} << 32;
    }
    bool text(std::string& s) {
        const std::size_t n = u8();
        if (n > kMaxText || at + n > size) return ok = false;
        s.assign(reinterpret_cast<const char*>(data + at), n);
        at += n;
        return true;
    }
    bool head(MessageType type) {
        return size >= 4 && data[0] == kMagic[0] && data[1] == kMagic[1] && data[2] == kMagic[2] &&
               data[3] == static_cast<std::uint8_t>(type) && (at = 4, true);
    }
    // A message is whole when nothing is missing and nothing is left over.
    bool whole() const { return ok && at == size; }
};

bool validInput(const PeerInput& in) {
    return (in.buttons & ~peer::kAllButtons) == 0 && in.mouseX >= -1 && in.mouseX <= 4096 &&
           in.mouseY >= -1 && in.mouseY <= 4096;
}

}  // namespace

int InputsMessage::frameCount() const {
    int n = 0;
    for (int i = 0; i < runCount; ++i) n += runs[static_cast<std::size_t>(i)].frames;
    return n;
}

MessageType messageType(const std::uint8_t* data, std::size_t size) {
    if (size < 4 || data[0] != kMagic[0] || data[1] != kMagic[1] || data[2] != kMagic[2]) return {};
    const std::uint8_t t = data[3];
    return t >= 1 && t <= 6 ? static_cast<MessageType>(t) : MessageType{};
}

void writeHello(const HelloMessage& m, std::vector<std::uint8_t>& out) {
    Writer w{out};
    w.head(MessageType::Hello);
    w.text(m.version);
    w.u64(m.behaviour), w.u64(m.pictures), w.u64(m.customPowerUps);
    w.text(m.name);
}

bool readHello(const std::uint8_t* data, std::size_t size, HelloMessage& m) {
    Reader r{data, size};
    if (!r.head(MessageType::Hello) || !r.text(m.version)) return false;
    m.behaviour = r.u64(), m.pictures = r.u64(), m.customPowerUps = r.u64();
    return r.text(m.name) && r.whole();
}

void writeStart(const StartMessage& m, std::vector<std::uint8_t>& out) {
    Writer w{out};
    w.head(MessageType::Start);
    w.u32(m.session), w.u64(m.seed), w.u8(m.difficulty), w.u8(m.customPowerUps);
}

bool readStart(const std::uint8_t* data, std::size_t size, StartMessage& m) {
    Reader r{data, size};
    if (!r.head(MessageType::Start)) return false;
    m.session = r.u32(), m.seed = r.u64(), m.difficulty = r.u8();
    m.customPowerUps = r.u8();
    return r.whole() && m.session != 0 && m.difficulty <= 2 && m.customPowerUps <= 2;
}

void writeRefuse(RefuseReason reason, std::vector<std::uint8_t>& out) {
    Writer w{out};
    w.head(MessageType::Refuse);
    w.u8(static_cast<std::uint8_t>(reason));
}

bool readRefuse(const std::uint8_t* data, std::size_t size, RefuseReason& reason) {
    Reader r{data, size};
    if (!r.head(MessageType::Refuse)) return false;
    const std::uint8_t v = r.u8();
    reason = static_cast<RefuseReason>(v);
    return r.whole() && v >= 1 && v <= kLastRefuseReason;
}

void writeInputs(const InputsMessage& m, std::vector<std::uint8_t>& out) {
    Writer w{out};
    w.head(MessageType::Inputs);
    w.u32(m.session), w.u32(m.frame), w.u32(m.ack), w.u32(m.first);
    w.u8(static_cast<std::uint8_t>(m.runCount));
    for (int i = 0; i < m.runCount; ++i) {
        const InputsMessage::Run& run = m.runs[static_cast<std::size_t>(i)];
        w.u8(run.frames), w.u16(run.input.buttons);
        w.u16(static_cast<std::uint16_t>(run.input.mouseX));
        w.u16(static_cast<std::uint16_t>(run.input.mouseY));
    }
}

bool readInputs(const std::uint8_t* data, std::size_t size, std::uint32_t session,
                InputsMessage& m) {
    Reader r{data, size};
    if (!r.head(MessageType::Inputs)) return false;
    m.session = r.u32(), m.frame = r.u32(), m.ack = r.u32(), m.first = r.u32();
    m.runCount = r.u8();
    if (!r.ok || m.session != session || m.runCount > kMaxInputRuns) return false;
    for (int i = 0; i < m.runCount; ++i) {
        InputsMessage::Run& run = m.runs[static_cast<std::size_t>(i)];
        run.frames = r.u8(), run.input.buttons = r.u16();
        run.input.mouseX = static_cast<std::int16_t>(r.u16());
        run.input.mouseY = static_cast<std::int16_t>(r.u16());
        if (run.frames == 0 || !validInput(run.input)) return false;
    }
    const int frames = m.frameCount();
    return r.whole() && frames <= kMaxInputFrames && m.frame < kMaxFrame && m.ack < kMaxFrame &&
           m.first < kMaxFrame - kMaxInputFrames;
}

void writeDigest(const DigestMessage& m, std::vector<std::uint8_t>& out) {
    Writer w{out};
    w.head(MessageType::Digest);
    w.u32(m.session), w.u32(m.frame), w.u8(static_cast<std::uint8_t>(m.partCount));
    for (int i = 0; i < m.partCount; ++i) w.u32(m.parts[static_cast<std::size_t>(i)]);
}

bool readDigest(const std::uint8_t* data, std::size_t size, std::uint32_t session,
                DigestMessage& m) {
    Reader r{data, size};
    if (!r.head(MessageType::Digest)) return false;
    m.session = r.u32(), m.frame = r.u32(), m.partCount = r.u8();
    if (!r.ok || m.session != session || m.partCount > kMaxDigestParts) return false;
    for (int i = 0; i < m.partCount; ++i) m.parts[static_cast<std::size_t>(i)] = r.u32();
    return r.whole() && m.frame < kMaxFrame;
}

void writeGoodbye(const GoodbyeMessage& m, std::vector<std::uint8_t>& out) {
    Writer w{out};
    w.head(MessageType::Goodbye);
    w.u32(m.session), w.u8(static_cast<std::uint8_t>(m.reason));
}

bool readGoodbye(const std::uint8_t* data, std::size_t size, std::uint32_t session,
                 GoodbyeMessage& m) {
    Reader r{data, size};
    if (!r.head(MessageType::Goodbye)) return false;
    m.session = r.u32();
    const std::uint8_t v = r.u8();
    m.reason = static_cast<GoodbyeReason>(v);
    return r.whole() && m.session == session && v >= 1 && v <= 3;
}
