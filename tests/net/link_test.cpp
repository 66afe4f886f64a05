// Two links on this machine's loopback: the reliable channel delivers in
// order, the unreliable one delivers, and a goodbye reaches the other side.
#include "net/link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

// Polls both links until `done` or two seconds have passed.
template <typename Done>
bool pump(net::Link& a, net::Link& b, Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < end) {
        for (net::Link* link : {&a, &b}) {
            const net::LinkEvent e = link->poll(1);
            if (done(link, e)) return true;
        }
    }
    return false;
}

}  // namespace

TEST(NetLink, MessagesCrossLoopbackOnBothChannelsAndGoodbyeArrives) {
    std::string error;
    auto host = net::Link::listen(0, "127.0.0.1", error);
    ASSERT_TRUE(host) << error;
    auto guest = net::Link::connect("127.0.0.1", host->localPort(), error);
    ASSERT_TRUE(guest) << error;
    int connected = 0;
    ASSERT_TRUE(pump(*host, *guest, [&](net::Link*, const net::LinkEvent& e) {
        return (connected += e.kind == net::LinkEvent::Connected) == 2;
    }));

    for (std::uint8_t i = 0; i < 20; ++i) guest->send(net::Channel::Reliable, &i, 1);
    const std::uint8_t fast[3] = {7, 8, 9};
    guest->send(net::Channel::Unreliable, fast, 3);
    int next = 0;
    bool unreliableSeen = false;
    ASSERT_TRUE(pump(*host, *guest, [&](net::Link* at, const net::LinkEvent& e) {
        if (at != host.get() || e.kind != net::LinkEvent::Message) return false;
        if (e.channel == net::Channel::Unreliable)
            unreliableSeen = e.size == 3 && e.data[2] == 9;
        else
            EXPECT_EQ(e.data[0], next++);
        return next == 20 && unreliableSeen;
    }));
    EXPECT_GT(guest->figures().bytesSent, 20);

    guest->disconnect(500);
    EXPECT_FALSE(guest->connected());
    EXPECT_TRUE(pump(*host, *guest, [&](net::Link* at, const net::LinkEvent& e) {
        return at == host.get() && e.kind == net::LinkEvent::Disconnected;
    }));
}
