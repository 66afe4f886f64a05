#include "test_support/udp_relay.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A plain UDP socket on 127.0.0.1 playing the client or the server.
class Endpoint {
  public:
    Endpoint() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address = loopbackAddress(0);
        socklen_t length = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) < 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) < 0)
            throw std::runtime_error("cannot bind a UDP socket on 127.0.0.1");
        port_ = ntohs(address.sin_port);
    }
    ~Endpoint() { ::close(fd_); }
    int port() const { return port_; }
    void sendTo(int port, const std::string& bytes) const {
        const sockaddr_in to = loopbackAddress(port);
        ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
    }
    // The next datagram and the port it came from, or nothing after timeoutMs.
    std::optional<std::pair<std::string, int>> receive(int timeoutMs) const {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) return std::nullopt;
        char buffer[2048];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n =
            ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (n < 0) return std::nullopt;
        return std::make_pair(std::string(buffer, static_cast<std::size_t>(n)),
                              static_cast<int>(ntohs(from.sin_port)));
    }

  private:
    int fd_;
    int port_ = 0;
};

TEST(UdpRelay, DelaysBothDirectionsAndCarriesTheReplyBack) {
    Endpoint server, client;
    RelayConditions conditions;
    conditions.delayMs = 30;
    UdpRelay relay(server.port(), conditions);
    const auto start = Clock::now();
    client.sendTo(relay.port(), "ping");
    const auto request = server.receive(2000);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->first, "ping");
    EXPECT_GE(Clock::now() - start, 30ms);
    server.sendTo(request->second, "pong");
    const auto reply = client.receive(2000);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->first, "pong");
    EXPECT_EQ(reply->second, relay.port());
    EXPECT_GE(Clock::now() - start, 60ms);
    EXPECT_FALSE(relay.failed()) << relay.error();
}

struct Trial {
    std::vector<int> arrivals;  // how often each numbered packet reached the server
    long long relayed = 0, delivered = 0, expected = 0;
};

Trial sendNumberedPackets(std::uint64_t seed) {
    constexpr int kPackets = 2000, kBurst = 50;
    Endpoint server, client;
    RelayConditions conditions;
    conditions.loss = 0.5;
    conditions.duplicate = 0.2;
    conditions.seed = seed;
    UdpRelay relay(server.port(), conditions);
    Trial trial;
    trial.arrivals.assign(kPackets, 0);
    auto take = [&](int timeoutMs) {
        const auto got = server.receive(timeoutMs);
        if (!got) return false;
        ++trial.arrivals.at(std::stoi(got->first));
        ++trial.delivered;
        return true;
    };
    for (int sent = 0; sent < kPackets;) {
        for (int i = 0; i < kBurst; ++i) client.sendTo(relay.port(), std::to_string(sent++));
        // The relay's own tally paces the client: a burst larger than a socket
        // buffer would be lost in the kernel, where the seed has no say.
        for (int wait = 0; relay.counts().packets[0] < sent && wait < 1000; ++wait)
            std::this_thread::sleep_for(1ms);
        while (take(0)) {
        }
    }
    const RelayCounts counts = relay.counts();
    trial.relayed = counts.packets[0];
    trial.expected = counts.packets[0] - counts.dropped[0] + counts.duplicated[0];
    for (const auto deadline = Clock::now() + 2s;
         trial.delivered < trial.expected && Clock::now() < deadline;)
        take(10);
    return trial;
}

TEST(UdpRelay, LosesAndDuplicatesAlikeForTheSameSeed) {
    const Trial first = sendNumberedPackets(7);
    EXPECT_EQ(first.relayed, 2000);
    EXPECT_EQ(first.delivered, first.expected);
    int arrived = 0, twice = 0;
    for (const int n : first.arrivals) {
        arrived += n > 0;
        twice += n == 2;
    }
    EXPECT_NEAR(arrived, 1000, 150);
    EXPECT_NEAR(twice, 200, 100);
    EXPECT_EQ(sendNumberedPackets(7).arrivals, first.arrivals);
    EXPECT_NE(sendNumberedPackets(8).arrivals, first.arrivals);
}

}  // namespace
