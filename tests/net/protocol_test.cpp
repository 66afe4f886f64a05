#include <gtest/gtest.h>

#include "game/session/net_game.h"
#include "game/session/net_protocol.h"

namespace {

InputsMessage someInputs() {
    InputsMessage m;
    m.session = 77, m.frame = 1000, m.ack = 990, m.first = 992;
    m.runCount = 2;
    m.runs[0] = {3, {peer::WalkUp | peer::FireLeft, 0, 0}};
    m.runs[1] = {250, {peer::Pointer, 1365, 767}};
    return m;
}

}  // namespace

TEST(NetProtocol, EveryMessageReadsBackAsWritten) {
    std::vector<std::uint8_t> bytes;
    HelloMessage hello{"1.0.0", 0x1122334455667788ull, 42, 0, "Anna"};
    writeHello(hello, bytes);
    HelloMessage hello2;
    ASSERT_TRUE(readHello(bytes.data(), bytes.size(), hello2));
    EXPECT_EQ(hello2.version, "1.0.0");
    EXPECT_EQ(hello2.behaviour, hello.behaviour);
    EXPECT_EQ(hello2.name, "Anna");

    writeStart({77, 0xdeadbeefcafeull, 2, 1}, bytes);
    StartMessage start;
    ASSERT_TRUE(readStart(bytes.data(), bytes.size(), start));
    EXPECT_EQ(start.seed, 0xdeadbeefcafeull);
    EXPECT_EQ(start.customPowerUps, 1);

    writeInputs(someInputs(), bytes);
    InputsMessage inputs;
    ASSERT_TRUE(readInputs(bytes.data(), bytes.size(), 77, inputs));
    EXPECT_EQ(inputs.frameCount(), 253);
    EXPECT_EQ(inputs.runs[1].input, (PeerInput{peer::Pointer, 1365, 767}));
    EXPECT_EQ(messageType(bytes.data(), bytes.size()), MessageType::Inputs);

    DigestMessage digest;
    digest.session = 77, digest.frame = 600, digest.partCount = 3, digest.parts = {1, 2, 3};
    writeDigest(digest, bytes);
    DigestMessage digest2;
    ASSERT_TRUE(readDigest(bytes.data(), bytes.size(), 77, digest2));
    EXPECT_EQ(digest2.parts[2], 3u);

    RefuseReason reason{};
    writeRefuse(RefuseReason::Pictures, bytes);
    ASSERT_TRUE(readRefuse(bytes.data(), bytes.size(), reason));
    EXPECT_EQ(reason, RefuseReason::Pictures);
}

// Cut short anywhere, one byte too many, another session, a stranger's
// bytes or values out of range: the reader refuses it.
TEST(NetProtocol, ReadersRefuseMalformedAndForeignMessages) {
    std::vector<std::uint8_t> bytes;
    writeInputs(someInputs(), bytes);
    InputsMessage m;
    for (std::size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(readInputs(bytes.data(), n, 77, m)) << "cut at " << n;
    std::vector<std::uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(readInputs(longer.data(), longer.size(), 77, m));
    EXPECT_FALSE(readInputs(bytes.data(), bytes.size(), 78, m));
    std::vector<std::uint8_t> stranger = bytes;
    stranger[0] = 'Q';
    EXPECT_FALSE(readInputs(stranger.data(), stranger.size(), 77, m));
    EXPECT_EQ(messageType(stranger.data(), stranger.size()), MessageType{});

    InputsMessage absurd = someInputs();
    absurd.first = 0xFFFFFFF0u;
    writeInputs(absurd, bytes);
    EXPECT_FALSE(readInputs(bytes.data(), bytes.size(), 77, m));
    absurd = someInputs();
    absurd.runs[0].input.buttons = 0x8000;  // no such button
    writeInputs(absurd, bytes);
    EXPECT_FALSE(readInputs(bytes.data(), bytes.size(), 77, m));
    absurd = someInputs();
    absurd.runs[0].frames = 0;
    writeInputs(absurd, bytes);
    EXPECT_FALSE(readInputs(bytes.data(), bytes.size(), 77, m));

    writeHello({"1.0.0", 1, 2, 3, "Anna"}, bytes);
    bytes[4] = 200;  // a version text longer than the message
    HelloMessage hello;
    EXPECT_FALSE(readHello(bytes.data(), bytes.size(), hello));
    writeStart({0, 1, 1, 0}, bytes);  // no session
    StartMessage start;
    EXPECT_FALSE(readStart(bytes.data(), bytes.size(), start));
}

// The handshake's checks, most telling first: the version, then how the
// two builds play, then the pictures; names and custom power-ups may differ.
TEST(NetProtocol, TheHandshakeRefusesAnotherVersionBuildOrPictures) {
    const HelloMessage mine{"1.0.0", 1, 2, 3, "Anna"};
    HelloMessage theirs = mine;
    theirs.name = "Ben";
    theirs.customPowerUps = 4;
    EXPECT_EQ(whyRefused(mine, theirs), "");
    theirs.pictures = 9;
    EXPECT_EQ(whyRefused(mine, theirs), "Die Bilder des anderen Rechners sind andere als hier.");
    theirs.behaviour = 9;
    EXPECT_NE(whyRefused(mine, theirs).find("anders als hier"), std::string::npos);
    theirs.version = "0.9.0";
    EXPECT_EQ(whyRefused(mine, theirs),
              "Der andere Rechner hat eine andere Version von Pomvex (0.9.0, hier 1.0.0).");
}
