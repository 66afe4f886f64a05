// A connection to one other machine over ENet, and nothing more: it moves
// bytes on a reliable and an unreliable channel and tells how the line is
// doing. What the bytes mean is the game's business; no game type comes in
// here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct _ENetHost;
struct _ENetPeer;

namespace net {

constexpr int kDefaultPort = 28760;

enum class Channel : std::uint8_t { Reliable = 0, Unreliable = 1 };

struct LinkEvent {
    enum Kind { None, Connected, Message, Disconnected } kind = None;
    Channel channel = Channel::Reliable;
    // A message's bytes, valid until the next poll.
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// Totals since the link was made, in bytes as ENet puts them on the wire
// (its own headers included, the UDP and IP headers not).
struct LinkFigures {
    long long bytesSent = 0, bytesReceived = 0;
    int roundTripMs = 0;    // ENet's running mean, 0 before the first measurement
    double packetLoss = 0;  // of reliable packets, 0..1
};

class Link {
  public:
    // Waits for one machine on this UDP port. An empty bind address takes
    // every interface of this machine; tests give 127.0.0.1.
    static std::unique_ptr<Link> listen(int port, const std::string& bindAddress,
                                        std::string& error);
    // Starts to connect to a host name or IPv4 address; Connected follows
    // from poll once the other side answers.
    static std::unique_ptr<Link> connect(const std::string& address, int port, std::string& error);
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Sends what is queued and waits up to timeoutMs for the next event.
    LinkEvent poll(int timeoutMs);
    // Queues a message; false when there is no connection or no memory.
    bool send(Channel channel, const std::uint8_t* data, std::size_t size);
    // Puts the queued messages on the wire now, without waiting.
    void flush();
    bool connected() const { return peer_ != nullptr && connected_; }
    LinkFigures figures() const;
    // The port the link listens on (a listening link), for tests that ask
    // for any free port with 0.
    int localPort() const;
    // Sends what is queued, tells the other side goodbye and waits at most
    // timeoutMs for its answer.
    void disconnect(int timeoutMs);

  private:
    Link() = default;
    _ENetHost* host_ = nullptr;
    _ENetPeer* peer_ = nullptr;
    bool connected_ = false;
    void* lastPacket_ = nullptr;  // the received packet whose bytes poll handed out
    void releaseLastPacket();
};

// The addresses other machines may reach this one at, for the host's waiting
// screen: IPv4 first, without the loopback ones.
std::string localAddresses();

}  // namespace net
