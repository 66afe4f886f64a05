// Anyone on the network can send a game any bytes. The readers take only
// whole, well-formed messages of the session; what they take goes into the
// rollback as a peer's would, which must neither crash nor predict further
// than it may.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "game/session/net_protocol.h"
#include "game/session/rollback.h"

namespace {

void nothing(int, void*) {}
void step(const PeerInput (&)[2], long long, bool, bool, void*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    HelloMessage hello;
    StartMessage start;
    RefuseReason reason;
    DigestMessage digest;
    GoodbyeMessage goodbye;
    InputsMessage inputs;
    std::vector<std::uint8_t> again;
    if (readHello(data, size, hello)) {
        FUZZ_CHECK(hello.version.size() <= kMaxText && hello.name.size() <= kMaxText);
        writeHello(hello, again);
        FUZZ_CHECK(again.size() == size);
    }
    if (readStart(data, size, start)) FUZZ_CHECK(start.difficulty <= 2);
    if (readRefuse(data, size, reason)) FUZZ_CHECK(size == 5);
    if (readDigest(data, size, 7, digest)) FUZZ_CHECK(digest.partCount <= kMaxDigestParts);
    (void)readGoodbye(data, size, 7, goodbye);
    if (!readInputs(data, size, 7, inputs)) return 0;
    writeInputs(inputs, again);
    FUZZ_CHECK(again.size() == size && std::equal(again.begin(), again.end(), data));

    Rollback rollback(0, 2, 60, {nothing, nothing, step, nullptr});
    for (int f = 0; f < 20; ++f) {
        rollback.addLocalInput(PeerInput{});
        long long frame = inputs.first;
        for (int i = 0; i < inputs.runCount; ++i)
            for (int n = 0; n < inputs.runs[static_cast<std::size_t>(i)].frames; ++n)
                (void)rollback.addRemoteInput(frame++,
                                              inputs.runs[static_cast<std::size_t>(i)].input);
        if (rollback.canAdvance()) rollback.advance();
        FUZZ_CHECK(rollback.figures().lastDepth <= Rollback::kMaxPrediction);
        FUZZ_CHECK(rollback.frame() <= rollback.remoteKnown() + Rollback::kMaxPrediction);
    }
    return 0;
}
