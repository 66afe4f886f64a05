#include "game/session/net_input.h"

#include "game/players/steering.h"

namespace {

void holdPlayerKeys(const PeerInput& in, const PlayerKeys& k, FrameInput& out) {
    const std::pair<std::uint16_t, int> keys[] = {
        {peer::WalkUp, k.up},         {peer::WalkDown, k.down},      {peer::WalkLeft, k.left},
        {peer::WalkRight, k.right},   {peer::FireUp, k.fireUp},      {peer::FireLeft, k.fireLeft},
        {peer::FireDown, k.fireDown}, {peer::FireRight, k.fireRight}};
    for (const auto& [bit, code] : keys)
        if (in.buttons & bit) out.hold(code);
}

}  // namespace

PeerInput peerInputOf(const FrameInput& devices) {
    static constexpr std::pair<int, std::uint16_t> keys[] = {
        {key::W, peer::WalkUp},      {key::S, peer::WalkDown},      {key::A, peer::WalkLeft},
        {key::D, peer::WalkRight},   {key::Up, peer::FireUp},       {key::Left, peer::FireLeft},
        {key::Down, peer::FireDown}, {key::Right, peer::FireRight}, {key::Escape, peer::Escape},
        {key::Return, peer::Return}};
    PeerInput in;
    for (const auto& [code, bit] : keys)
        if (devices.held(code)) in.buttons |= bit;
    if (devices.mouseButton) in.buttons |= peer::Pointer;
    in.mouseX = static_cast<std::int16_t>(devices.mouseX);
    in.mouseY = static_cast<std::int16_t>(devices.mouseY);
    return in;
}

FrameInput sharedFrameInput(const PeerInput& host, const PeerInput& guest, Phase phase) {
    FrameInput out;
    // A network game always has two players: the host's hand holds the
    // first player's keys, whose fire keys are the arrows the screens also
    // choose with, and the guest's the second player's.
    holdPlayerKeys(host, playerKeys(0), out);
    const bool inGame = phase == Phase::Playing || phase == Phase::Paused;
    const bool prompt =
        phase == Phase::Paused || phase == Phase::GameOver || phase == Phase::HighScores;
    if (inGame) holdPlayerKeys(guest, playerKeys(1), out);
    if (prompt) {
        if (guest.buttons & peer::FireUp) out.hold(key::Up);
        if (guest.buttons & peer::FireDown) out.hold(key::Down);
    }
    const std::uint16_t either = host.buttons | guest.buttons;
    const std::uint16_t escape = inGame ? either : host.buttons;
    const std::uint16_t enter = prompt ? either : host.buttons;
    if (escape & peer::Escape) out.hold(key::Escape);
    if (enter & peer::Return) out.hold(key::Return);
    out.mouseX = host.mouseX;
    out.mouseY = host.mouseY;
    out.mouseButton = (host.buttons & peer::Pointer) != 0;
    return out;
}
