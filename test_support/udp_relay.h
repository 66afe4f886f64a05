// A UDP relay on 127.0.0.1 that delays, jitters, loses, duplicates and
// reorders datagrams between one client and one server, so network play can
// be tried under bad conditions on a machine without traffic shaping. The
// dice are seeded: the same seed and the same packets give the same fates.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

struct sockaddr_in;

// 127.0.0.1 at this port.
sockaddr_in loopbackAddress(int port);

struct RelayConditions {
    int delayMs = 0;         // one-way delay added to every packet, each direction
    int jitterMs = 0;        // plus a uniform 0..jitterMs extra per packet (this alone reorders)
    double loss = 0;         // share of packets dropped, 0..1
    double duplicate = 0;    // share of the packets that get through which are sent twice
    double reorder = 0;      // share held back an extra 1..2*delay+jitter ms
    std::uint64_t seed = 1;  // the same seed and packet sequence give each packet the same fate
};

// [0] client to server, [1] server to client. packets and bytes count what
// reached the relay; dropped what it lost (by the dice, a full queue or a
// failed send), duplicated the extra copies. So a side receives
// packets - dropped + duplicated datagrams.
struct RelayCounts {
    long long packets[2] = {}, bytes[2] = {}, dropped[2] = {}, duplicated[2] = {};
};

class UdpRelay {
  public:
    // Listens on 127.0.0.1:listenPort (0 picks a free port, see port()) and
    // forwards to 127.0.0.1:serverPort. The first address that sends to the
    // relay is the client; packets from it go to the server, packets from the
    // server go back to it. Stops by itself after maxSeconds. Throws
    // std::runtime_error when the sockets cannot be made or bound.
    UdpRelay(int serverPort, RelayConditions conditions, int listenPort = 0,
             double maxSeconds = 900);
    ~UdpRelay();
    UdpRelay(const UdpRelay&) = delete;
    UdpRelay& operator=(const UdpRelay&) = delete;

    int port() const { return port_; }
    // For packets arriving from now on; those already queued keep their fate.
    // A new seed restarts the dice.
    void setConditions(RelayConditions conditions);
    RelayCounts counts() const;
    // Ends the relay and waits for its thread; for the owner's thread only.
    void stop();
    // What ended the relay early (a socket error), reported here rather than
    // thrown from its thread.
    bool failed() const;
    std::string error() const;

  private:
    void run(double maxSeconds);

    int clientFd_ = -1, serverFd_ = -1, port_ = 0, serverPort_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    RelayConditions conditions_;
    RelayCounts counts_;
    std::string error_;
    std::thread thread_;
};
