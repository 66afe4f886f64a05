// The messages two machines exchange in a network game, and their exact
// bytes. Everything read from the wire is hostile until checked: each reader
// takes a whole message, checks every length and count against fixed bounds
// and the session id, and fails rather than guess.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What one machine's player does in one frame.
struct PeerInput {
    std::uint16_t buttons = 0;
    std::int16_t mouseX = 0, mouseY = 0;
    bool operator==(const PeerInput&) const = default;
};
namespace peer {
constexpr std::uint16_t WalkUp = 1 << 0, WalkDown = 1 << 1, WalkLeft = 1 << 2, WalkRight = 1 << 3,
                        FireUp = 1 << 4, FireLeft = 1 << 5, FireDown = 1 << 6, FireRight = 1 << 7,
                        Escape = 1 << 8, Return = 1 << 9, Pointer = 1 << 10;
constexpr std::uint16_t kAllButtons = (1 << 11) - 1;
}  // namespace peer

enum class MessageType : std::uint8_t {
    Hello = 1,
    Start = 2,
    Refuse = 3,
    Inputs = 4,
    Digest = 5,
    Goodbye = 6
};

// Sent by both sides as soon as they are connected: what must agree before
// the two can play one game.
struct HelloMessage {
    std::string version;               // at most kMaxText bytes
    std::uint64_t behaviour = 0;       // digest of a short built-in game played at start
    std::uint64_t pictures = 0;        // digest of the picture files
    std::uint64_t customPowerUps = 0;  // digest of the custom power-up files (0: none)
    std::string name;                  // the player's first name from the options, Windows-1252
};

// The host's word that the game begins, with what both must start from.
struct StartMessage {
    std::uint32_t session = 0;
    std::uint64_t seed = 0;
    std::uint8_t difficulty = 0;  // 0..2
    // 1: on, as both have the same files; 0: off; 2: off, as the host has
    // them on but the two machines' files differ (both are told).
    std::uint8_t customPowerUps = 0;
};

enum class RefuseReason : std::uint8_t { Version = 1, Behaviour = 2, Pictures = 3 };
constexpr int kLastRefuseReason = 3;

// Inputs from frame `first` on, as runs of equal inputs. `frame` is the
// sender's next frame to simulate; `ack` the sender has every input of the
// receiver's before this frame.
struct InputsMessage {
    std::uint32_t session = 0;
    std::uint32_t frame = 0, ack = 0, first = 0;
    struct Run {
        std::uint8_t frames = 0;  // 1..255
        PeerInput input;
    };
    int runCount = 0;
    std::array<Run, 64> runs;  // fixed, so reading and writing allocate nothing
    int frameCount() const;
};
constexpr int kMaxInputRuns = 64;
constexpr int kMaxInputFrames = 255;

// A digest of a confirmed frame, part by part.
struct DigestMessage {
    std::uint32_t session = 0;
    std::uint32_t frame = 0;
    int partCount = 0;
    std::array<std::uint32_t, 12> parts{};
};
constexpr int kMaxDigestParts = 12;

// Ended: this side has seen the session end (Escape on the host's title)
// and the other has every input it needs to see it too.
enum class GoodbyeReason : std::uint8_t { Left = 1, Desync = 2, Ended = 3 };
struct GoodbyeMessage {
    std::uint32_t session = 0;
    GoodbyeReason reason = GoodbyeReason::Left;
};

constexpr std::size_t kMaxText = 32;
constexpr std::size_t kMaxMessage = 1024;
// Frames beyond this are absurd: about 400 days at 60 a second.
constexpr std::uint32_t kMaxFrame = 1u << 31;

// The first byte of a message, or 0 for an empty or unknown one.
MessageType messageType(const std::uint8_t* data, std::size_t size);

// Writers append to `out` (cleared first).
void writeHello(const HelloMessage& m, std::vector<std::uint8_t>& out);
void writeStart(const StartMessage& m, std::vector<std::uint8_t>& out);
void writeRefuse(RefuseReason reason, std::vector<std::uint8_t>& out);
void writeInputs(const InputsMessage& m, std::vector<std::uint8_t>& out);
void writeDigest(const DigestMessage& m, std::vector<std::uint8_t>& out);
void writeGoodbye(const GoodbyeMessage& m, std::vector<std::uint8_t>& out);

// Readers: true only for a whole, well-formed message of their type (and,
// for those that carry one, of this session).
bool readHello(const std::uint8_t* data, std::size_t size, HelloMessage& m);
bool readStart(const std::uint8_t* data, std::size_t size, StartMessage& m);
bool readRefuse(const std::uint8_t* data, std::size_t size, RefuseReason& reason);
bool readInputs(const std::uint8_t* data, std::size_t size, std::uint32_t session,
                InputsMessage& m);
bool readDigest(const std::uint8_t* data, std::size_t size, std::uint32_t session,
                DigestMessage& m);
bool readGoodbye(const std::uint8_t* data, std::size_t size, std::uint32_t session,
                 GoodbyeMessage& m);
