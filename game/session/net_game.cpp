#include "game/session/net_game.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "game/players/player.h"
#include "game/session/net_input.h"
#include "game/session/net_report.h"
#include "game/session/replay_check.h"
#include "game/session/replay_store.h"
#include "game/session/snapshot.h"
#include "game/session/state_digest.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/pictures.h"
#include "game/shell/start_up.h"

namespace {

using Clock = std::chrono::steady_clock;

// Every second both sides compare a digest of one confirmed frame.
constexpr int kCheckEvery = 60;
// A silent peer: a notice after a second, the end after ten.
constexpr double kNoticeAfter = 1.0, kGiveUpAfter = 10.0;
// Messages handled in one go, so a flood cannot hold a frame up.
constexpr int kMaxEventsAtOnce = 256;
// Inputs go out at least this often, and at once when they change.
constexpr double kSendEvery = 0.030;
constexpr double kFrameSeconds = 1.0 / 60;
// Acknowledgements this many frames later than a round trip mean a loss.
constexpr double kLagFrames = 4;
// Running ahead of the other by more than this many frames slows this side.
constexpr double kLevel = 0.25;

NetGameFigures gFigures;
// The score table as last saved in a session: a game entered on frames that
// were never final does not stay in it.
ScoreTable gSavedScores;

double since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

std::uint64_t textDigest(const std::string& s) {
    Digest d;
    d.text(s);
    return d.h;
}

}  // namespace

HelloMessage helloOfThisGame() {
    HelloMessage m;
    m.version = game.versionText;
    m.behaviour = textDigest(behaviourDigest());
    m.pictures = textDigest(pictureDigest());
    m.customPowerUps = game.customPowerUpCount > 0 ? textDigest(customPowerUpDigest()) : 0;
    m.name = firstPlayer().name;
    return m;
}

namespace {

// Why two machines cannot play together, or nothing.
std::string refusal(RefuseReason reason, const HelloMessage& mine, const HelloMessage& theirs) {
    switch (reason) {
        case RefuseReason::Version:
            return "Der andere Rechner hat eine andere Version von Pomvex (" + theirs.version +
                   ", hier " + mine.version + ").";
        case RefuseReason::Behaviour:
            return "Pomvex spielt auf dem anderen Rechner anders als hier: die beiden Spiele "
                   "sind verschieden gebaut.";
        case RefuseReason::Pictures:
            return "Die Bilder des anderen Rechners sind andere als hier.";
    }
    return {};
}

bool refuses(const HelloMessage& mine, const HelloMessage& theirs, RefuseReason& reason) {
    if (theirs.version != mine.version)
        reason = RefuseReason::Version;
    else if (theirs.behaviour != mine.behaviour)
        reason = RefuseReason::Behaviour;
    else if (theirs.pictures != mine.pictures)
        reason = RefuseReason::Pictures;
    else
        return false;
    return true;
}

std::uint32_t hexPart(const std::string& hex) {
    return static_cast<std::uint32_t>(std::strtoul(hex.c_str(), nullptr, 16));
}

// A screen of its own outside the shared game: the background and a few
// lines of text.
void drawMessageScreen(const std::vector<std::string>& lines, bool prompt) {
    drawOpaque(kBackgroundImage, 0, 0);
    beginText();
    setTextTransparent();
    useFont(2);
    int y = 250;
    for (const std::string& line : lines) {
        drawText(140, y, line);
        y += 60;
        useFont(3);
    }
    if (prompt)
        drawText(1100, 720,
                 "Enter dr\xFC"
                 "cken!");
    endText();
    flip();
}

class Session {
  public:
    explicit Session(const NetGameConfig& config) : config_(config) {}
    // Connects, agrees and plays; false when nothing was played (refused,
    // cancelled, no answer), with the reason in figures().ended.
    bool run();
    NetGameFigures& figures() { return figures_; }

  private:
    bool connect();
    bool handshake();
    void play();
    void endWith(const std::string& why) {
        if (figures_.ended.empty()) figures_.ended = why;
    }

    // Network in.
    void receive(int timeoutMs);
    void handle(const net::LinkEvent& e);
    void takeInputs(const InputsMessage& m);
    void takeDigest(const DigestMessage& m);
    // Network out.
    void sendInputs(bool changed);
    void sendGoodbye(GoodbyeReason reason);

    // The frame hooks of the rollback.
    static void save(int slot, void* c) {
        saveSnapshot(static_cast<Session*>(c)->slots_[static_cast<std::size_t>(slot)]);
    }
    static void load(int slot, void* c) {
        restoreSnapshot(static_cast<Session*>(c)->slots_[static_cast<std::size_t>(slot)]);
    }
    static void step(const PeerInput (&in)[2], long long frame, bool shown, bool confirmed,
                     void* c);
    void afterFrame();
    void endWhenCertain();
    void check(long long frame);
    void compareCheck(int slot);
    void stalled();
    FrameInput localDevices();

    const NetGameConfig& config_;
    NetGameFigures figures_;
    std::unique_ptr<net::Link> link_;
    std::vector<std::uint8_t> out_;
    HelloMessage mine_, theirs_;
    bool haveTheirs_ = false;
    StartMessage start_;
    bool started_ = false;
    std::uint32_t session_ = 0;

    std::unique_ptr<Rollback> rollback_;
    std::vector<Snapshot> slots_;
    Clock::time_point lastHeard_, lastSent_, begun_;
    std::uint32_t remoteFrame_ = 0;  // the other's frame when it last said so
    Clock::time_point remoteFrameAt_;
    long long remoteAck_ = 0;  // the other side has every input of ours before this
    double ahead_ = 0;         // frames this side runs ahead of the other, smoothed
    PeerInput lastLocal_;
    Phase shownPhase_ = Phase::Title;
    long long quitFrame_ = -1, resultFrame_ = -1;
    double stalledSeconds_ = 0;
    bool waitScreen_ = false;
    std::string notice_;
    Clock::time_point noticeUntil_;
    InputLog log_;
    std::string hostName_, guestName_;
    bool peerEnded_ = false;
    Clock::time_point peerEndedAt_;
    double aheadSum_ = 0;

    struct Check {
        long long frame = -1;
        Checkpoint mine;
        DigestMessage theirs;
        bool haveMine = false, haveTheirs = false;
    };
    std::array<Check, 8> checks_;
};

bool Session::connect() {
    std::string error;
    if (config_.hosting)
        link_ = net::Link::listen(config_.port, config_.bindAddress, error);
    else
        link_ = net::Link::connect(config_.address, config_.port, error);
    if (!link_) {
        endWith(error);
        return false;
    }
    const std::string port = std::to_string(config_.port);
    const std::string addresses = net::localAddresses();
    const Clock::time_point begun = Clock::now();
    while (!link_->connected()) {
        receive(0);
        if (!figures_.ended.empty()) return false;
        const FrameInput devices = localDevices();
        if (devices.closeRequested) {
            figures_.windowClosed = true;
            return false;
        }
        if (devices.held(key::Escape) && !config_.localSource) {
            endWith("Abgebrochen.");
            return false;
        }
        if (config_.hosting) {
            drawMessageScreen(
                {"Warte auf den zweiten Spieler ...",
                 "Adressen dieses Rechners: " +
                     (addresses.empty() ? std::string("(keine gefunden)") : addresses),
                 "UDP-Port " + port, "Escape bricht ab."},
                false);
        } else {
            drawMessageScreen({"Verbinde mit " + config_.address + ", Port " + port + " ...",
                               "Escape bricht ab."},
                              false);
            // ENet gives up after a few seconds of no answer; so do we.
            if (since(begun) > 12) {
                endWith("Keine Antwort von " + config_.address + ", Port " + port + ".");
                return false;
            }
        }
        if (config_.unattended) receive(static_cast<int>(kFrameSeconds * 1000));
    }
    return true;
}

bool Session::handshake() {
    mine_ = helloOfThisGame();
    writeHello(mine_, out_);
    link_->send(net::Channel::Reliable, out_.data(), out_.size());
    link_->flush();
    const Clock::time_point begun = Clock::now();
    while (!started_) {
        receive(static_cast<int>(kFrameSeconds * 1000));
        if (!figures_.ended.empty()) return false;
        if (localDevices().closeRequested) {
            figures_.windowClosed = true;
            return false;
        }
        if (since(begun) > kGiveUpAfter) {
            endWith("Der andere Rechner antwortet nicht.");
            return false;
        }
        if (!haveTheirs_) continue;
        RefuseReason reason{};
        if (refuses(mine_, theirs_, reason)) {
            writeRefuse(reason, out_);
            link_->send(net::Channel::Reliable, out_.data(), out_.size());
            link_->flush();
            endWith(refusal(reason, mine_, theirs_));
            return false;
        }
        if (config_.hosting) {
            start_.session =
                static_cast<std::uint32_t>(Clock::now().time_since_epoch().count() & 0x7fffffff) |
                1u;
            start_.seed = static_cast<std::uint64_t>(Clock::now().time_since_epoch().count());
            start_.difficulty = static_cast<std::uint8_t>(difficultyIndex());
            const bool wanted = game.customPowerUpsEnabled != 0 && mine_.customPowerUps != 0;
            start_.customPowerUps = !wanted                                          ? 0
                                    : mine_.customPowerUps == theirs_.customPowerUps ? 1
                                                                                     : 2;
            writeStart(start_, out_);
            link_->send(net::Channel::Reliable, out_.data(), out_.size());
            link_->flush();
            started_ = true;
        }
    }
    return true;
}

void Session::receive(int timeoutMs) {
    for (int n = 0; n < kMaxEventsAtOnce; ++n) {
        const net::LinkEvent e = link_->poll(n == 0 ? timeoutMs : 0);
        if (e.kind == net::LinkEvent::None) return;
        handle(e);
    }
}

void Session::handle(const net::LinkEvent& e) {
    if (e.kind == net::LinkEvent::Disconnected) {
        if (peerEnded_) return;  // it said goodbye; the end is already certain
        endWith(started_ ? "Die Verbindung zum anderen Rechner ist abgebrochen."
                         : "Der andere Rechner hat die Verbindung beendet.");
        return;
    }
    if (e.kind != net::LinkEvent::Message) return;
    const MessageType type = messageType(e.data, e.size);
    InputsMessage inputs;
    DigestMessage digest;
    GoodbyeMessage goodbye;
    RefuseReason reason{};
    bool known = true;
    switch (type) {
        case MessageType::Hello:
            known = !haveTheirs_ && readHello(e.data, e.size, theirs_);
            haveTheirs_ = haveTheirs_ || known;
            break;
        case MessageType::Start:
            known =
                !config_.hosting && !started_ && haveTheirs_ && readStart(e.data, e.size, start_);
            started_ = started_ || known;
            break;
        case MessageType::Refuse:
            known = readRefuse(e.data, e.size, reason);
            if (known) endWith(refusal(reason, mine_, theirs_));
            break;
        case MessageType::Inputs:
            known = rollback_ && readInputs(e.data, e.size, session_, inputs);
            if (known) takeInputs(inputs);
            break;
        case MessageType::Digest:
            known = rollback_ && readDigest(e.data, e.size, session_, digest);
            if (known) takeDigest(digest);
            break;
        case MessageType::Goodbye:
            known = readGoodbye(e.data, e.size, session_, goodbye);
            // The other saw the session end: this side has what it needs to
            // see it too, and runs on until it does.
            if (known && goodbye.reason == GoodbyeReason::Ended)
                peerEnded_ = true, peerEndedAt_ = Clock::now();
            else if (known)
                endWith(goodbye.reason == GoodbyeReason::Desync
                            ? "Die beiden Rechner sind auseinandergelaufen; das Spiel ist beendet."
                            : "Der andere Spieler hat das Spiel verlassen.");
            break;
        default:
            known = false;
    }
    // Only what the other side really said shows that it is still there.
    if (known) lastHeard_ = Clock::now();
}

void Session::takeInputs(const InputsMessage& m) {
    if (m.frame > remoteFrame_) remoteFrame_ = m.frame, remoteFrameAt_ = Clock::now();
    // It cannot have more of ours than we made.
    remoteAck_ = std::clamp<long long>(m.ack, remoteAck_, rollback_->localKnown());
    long long frame = m.first;
    for (int i = 0; i < m.runCount; ++i) {
        const InputsMessage::Run& run = m.runs[static_cast<std::size_t>(i)];
        for (int n = 0; n < run.frames; ++n, ++frame)
            if (!rollback_->addRemoteInput(frame, run.input)) return;
    }
}

void Session::sendInputs(bool changed) {
    // The other acknowledges what it has a round trip later; when its word
    // lags further behind, something was lost, and the keys go out every
    // frame until it has caught up.
    const double trip = link_->figures().roundTripMs / 1000.0 / kFrameSeconds;
    const bool lagging = static_cast<double>(rollback_->localKnown() - remoteAck_) >
                         config_.delay + trip + kLagFrames;
    if (!changed && since(lastSent_) < (lagging ? 0.9 * kFrameSeconds : kSendEvery)) return;
    InputsMessage m;
    m.session = session_;
    m.frame = static_cast<std::uint32_t>(rollback_->frame());
    m.ack = static_cast<std::uint32_t>(rollback_->remoteKnown());
    const long long known = rollback_->localKnown();
    const long long first =
        std::max({remoteAck_, known - kMaxInputFrames, known - Rollback::kInputRing / 2, 0LL});
    m.first = static_cast<std::uint32_t>(first);
    for (long long f = first; f < known; ++f) {
        const PeerInput& in = rollback_->localInput(f);
        InputsMessage::Run* last =
            m.runCount > 0 ? &m.runs[static_cast<std::size_t>(m.runCount - 1)] : nullptr;
        if (last && last->input == in && last->frames < 255) {
            ++last->frames;
        } else if (m.runCount < kMaxInputRuns) {
            m.runs[static_cast<std::size_t>(m.runCount++)] = {1, in};
        } else {
            break;  // the rest goes in the next message
        }
    }
    writeInputs(m, out_);
    link_->send(net::Channel::Unreliable, out_.data(), out_.size());
    link_->flush();
    lastSent_ = Clock::now();
}

void Session::sendGoodbye(GoodbyeReason reason) {
    writeGoodbye({session_, reason}, out_);
    link_->send(net::Channel::Reliable, out_.data(), out_.size());
    link_->disconnect(1000);
}

FrameInput Session::localDevices() {
    if (config_.localSource) return config_.localSource(padUseOf(game.phase), config_.localContext);
    // Each machine has one player, whose pads steer as in a one-player game.
    const double players = game.playerCount;
    game.playerCount = 1;
    const FrameInput devices = deviceFrameInput(padUseOf(game.phase));
    game.playerCount = players;
    return devices;
}

void Session::step(const PeerInput (&in)[2], long long frame, bool shown, bool confirmed, void* c) {
    Session& s = *static_cast<Session*>(c);
    const Phase before = game.phase;
    const bool unsaved = game.scoresUnsaved;
    useFrameInput(sharedFrameInput(in[0], in[1], before));
    setDrawing(shown);
    if (!programOver()) stepFrame();
    setDrawing(true);
    if (!shown && before == Phase::Playing && game.phase == Phase::Paused) {
        // The pause shows the frame it began on, which was not drawn: run
        // that frame once more, drawn but not shown, for its picture.
        load(static_cast<int>(frame % Rollback::kSnapshotSlots), c);
        setPresenting(false);
        useFrameInput(sharedFrameInput(in[0], in[1], before));
        stepFrame();
        setPresenting(true);
    }
    if (programOver() && before != game.phase) s.quitFrame_ = frame;
    if (game.scoresUnsaved && !unsaved) s.resultFrame_ = frame;
    if (confirmed && frame % kCheckEvery == 0) s.check(frame);
    if (shown) {
        ++s.figures_.frames;
        if (game.phase != s.shownPhase_) musicFor(game.phase);
        s.shownPhase_ = game.phase;
    }
}

void Session::check(long long frame) {
    Check& c = checks_[static_cast<std::size_t>((frame / kCheckEvery) % checks_.size())];
    if (c.frame != frame) c = Check{}, c.frame = frame;
    if (c.haveMine) return;  // simulated again on the same inputs: the same state
    c.mine = sharedStateCheckpoint();
    c.haveMine = true;
    DigestMessage m;
    m.session = session_;
    m.frame = static_cast<std::uint32_t>(frame);
    m.partCount = static_cast<int>(std::min<std::size_t>(c.mine.parts.size(), kMaxDigestParts));
    for (int i = 0; i < m.partCount; ++i)
        m.parts[static_cast<std::size_t>(i)] =
            hexPart(c.mine.parts[static_cast<std::size_t>(i)].second);
    writeDigest(m, out_);
    link_->send(net::Channel::Reliable, out_.data(), out_.size());
    compareCheck(static_cast<int>((frame / kCheckEvery) % checks_.size()));
}

void Session::takeDigest(const DigestMessage& m) {
    // Only frames the two can both still have in mind.
    if (m.frame % kCheckEvery != 0 || m.frame + 8LL * kCheckEvery < rollback_->frame()) return;
    const int slot = static_cast<int>((m.frame / kCheckEvery) % checks_.size());
    Check& c = checks_[static_cast<std::size_t>(slot)];
    if (c.frame != m.frame) c = Check{}, c.frame = m.frame;
    c.theirs = m;
    c.haveTheirs = true;
    compareCheck(slot);
}

void Session::compareCheck(int slot) {
    Check& c = checks_[static_cast<std::size_t>(slot)];
    if (!c.haveMine || !c.haveTheirs) return;
    std::vector<std::string> differing;
    const std::size_t parts = c.mine.parts.size();
    for (std::size_t i = 0; i < parts && i < kMaxDigestParts; ++i)
        if (hexPart(c.mine.parts[i].second) != c.theirs.parts[i] ||
            static_cast<int>(parts) != c.theirs.partCount)
            differing.push_back(c.mine.parts[i].first);
    c.haveTheirs = false;  // compared once
    if (differing.empty()) return;
    ++figures_.desyncs;
    const std::string report =
        writeDesyncReport(c.frame, c.mine, c.theirs, differing, config_.hosting,
                          sessionRecord(start_, hostName_, guestName_, log_));
    sendGoodbye(GoodbyeReason::Desync);
    endWith("Die beiden Rechner sind bei Bild " + std::to_string(c.frame) +
            " auseinandergelaufen; das Spiel ist beendet." +
            (report.empty() ? std::string() : " Bericht: " + report));
}

void Session::afterFrame() {
    // Frames on both real inputs are final: into the log for a report.
    const long long final = std::min(rollback_->remoteKnown(), rollback_->frame());
    for (long long f = log_.frames(); f < final; ++f) {
        PeerInput both[2];
        both[rollback_->side()] = rollback_->localInput(f);
        both[1 - rollback_->side()] = rollback_->remoteInput(f);
        log_.add(both);
    }
    // A finished game is saved once the frame that entered it is final.
    if (game.scoresUnsaved && resultFrame_ >= 0 && resultFrame_ < rollback_->remoteKnown()) {
        reportUnwrittenFile(kScoresPath, saveScores(game.scoreTable, game.customPowerUpsEnabled));
        game.scoresUnsaved = false;
        gSavedScores = game.scoreTable;
    }
    // Time: the side ahead slows a little until the two are level again.
    // The other's frame now is the one it last told, half a round trip
    // old when it arrived, and the time since.
    const double trip = link_->figures().roundTripMs / 1000.0 / kFrameSeconds;
    const double remoteNow = remoteFrame_ + trip / 2 + since(remoteFrameAt_) / kFrameSeconds;
    const double ahead = static_cast<double>(rollback_->frame()) - remoteNow;
    // Smoothed over about a second, as one estimate jitters with the line.
    ahead_ = 0.98 * ahead_ + 0.02 * ahead;
    aheadSum_ += ahead;
    if (ahead_ > kLevel)
        stretchNextFrame(static_cast<int>(std::min(2000.0, (ahead_ - kLevel) * 2000)));
}

void Session::endWhenCertain() {
    // Escape on the host's title ends the session on both, once it is
    // certain here and the other has every input it needs to see it too.
    if (programOver() && quitFrame_ >= 0 && quitFrame_ < rollback_->remoteKnown() &&
        (peerEnded_ || remoteAck_ > quitFrame_)) {
        if (!peerEnded_) sendGoodbye(GoodbyeReason::Ended);
        endWith("Der Gastgeber hat das Netzspiel beendet.");
    }
    // A side that said goodbye sends no more inputs, so this one may be
    // stalled for good: it ends in any case.
    if (peerEnded_ && since(peerEndedAt_) > 2)
        endWith("Der andere Rechner hat das Netzspiel beendet.");
}

void Session::stalled() {
    const Clock::time_point begun = Clock::now();
    const double silence = since(lastHeard_);
    if (silence < kNoticeAfter) {
        // A short wait: the last frame stays on the screen, and the wait
        // ends the moment the other's input arrives.
        waitScreen_ = false;
        receive(static_cast<int>(kFrameSeconds * 1000 / 2));
    } else {
        // A long one says so, over the last frame.
        if (!waitScreen_) grabCanvas(kNetWaitSnapshotImage, 0, 0, kCanvasWidth, kCanvasHeight);
        waitScreen_ = true;
        notice_ = "Keine Nachricht vom anderen Rechner seit " +
                  std::to_string(static_cast<int>(silence)) + " s - warte ...";
        noticeUntil_ = Clock::now() + std::chrono::milliseconds(200);
        drawOpaque(kNetWaitSnapshotImage, 0, 0);
        flip();
        ++figures_.noticeFrames;
        receive(0);
    }
    stalledSeconds_ += since(begun);
}

void Session::play() {
    rollback_ = std::make_unique<Rollback>(config_.hosting ? 0 : 1, config_.delay, kCheckEvery,
                                           Rollback::Hooks{save, load, step, this});
    slots_.resize(Rollback::kSnapshotSlots);
    session_ = start_.session;
    log_.reserve();
    const std::string hostName = config_.hosting ? mine_.name : theirs_.name;
    const std::string guestName = config_.hosting ? theirs_.name : mine_.name;
    gSavedScores = game.scoreTable;
    beginSharedGame(start_, hostName, guestName);
    hostName_ = hostName, guestName_ = guestName;
    if (start_.customPowerUps == 2) {
        notice_ =
            "Eigene Power-Ups sind in diesem Spiel aus: die beiden Rechner haben "
            "verschiedene.";
        noticeUntil_ = Clock::now() + std::chrono::seconds(8);
    }
    setOverlayHook(
        [](void* c) {
            Session& s = *static_cast<Session*>(c);
            if (s.notice_.empty() || Clock::now() > s.noticeUntil_) return;
            beginText();
            setTextTransparent();
            useFont(3);
            drawText(40, 40, s.notice_, 0xFFFFFF);
            endText();
        },
        this);
    paceWithoutWindow(true);
    musicFor(Phase::Title);
    // The guest begins when the start reaches it, half a round trip after
    // the host sent it: the host waits as long, so both begin together.
    if (config_.hosting) {
        const double half = std::min(0.5, link_->figures().roundTripMs / 2000.0);
        const Clock::time_point sent = Clock::now();
        while (since(sent) < half) receive(1);
    }
    begun_ = lastHeard_ = remoteFrameAt_ = Clock::now();
    lastSent_ = begun_ - std::chrono::seconds(1);  // the first keys go out at once
    while (figures_.ended.empty()) {
        receive(0);
        endWhenCertain();
        if (!figures_.ended.empty()) break;
        if (since(lastHeard_) > kGiveUpAfter && !peerEnded_) {
            endWith(
                "Der andere Rechner antwortet seit zehn Sekunden nicht mehr; das Spiel "
                "ist beendet.");
            break;
        }
        // A robot's next input is asked for only when a frame will run on
        // it; the devices are read in a wait too, for the window's close.
        const bool advancing = rollback_->canAdvance();
        const FrameInput devices =
            advancing || !config_.localSource ? localDevices() : FrameInput{};
        if (devices.closeRequested) {
            figures_.windowClosed = true;
            sendGoodbye(GoodbyeReason::Left);
            break;
        }
        if (!advancing) {
            stalled();
            sendInputs(false);
            continue;
        }
        const PeerInput local = peerInputOf(devices);
        const bool changed = !(local == lastLocal_);
        lastLocal_ = local;
        rollback_->addLocalInput(local);
        const long long flips = flipCount();
        rollback_->advance();
        figures_.depths[static_cast<std::size_t>(
            std::min(rollback_->figures().lastDepth, Rollback::kMaxPrediction))]++;
        // A frame after the end draws nothing: keep time all the same.
        if (flipCount() == flips) receive(static_cast<int>(kFrameSeconds * 1000));
        afterFrame();
        sendInputs(changed);
    }
    setOverlayHook(nullptr, nullptr);
    paceWithoutWindow(false);
    figures_.seconds = since(begun_);
    figures_.meanAhead = figures_.frames > 0 ? aheadSum_ / static_cast<double>(figures_.frames) : 0;
    figures_.finalState = sharedStateDigest();
    figures_.record = sessionRecord(start_, hostName_, guestName_, log_);
    figures_.stalledFrames = static_cast<long long>(stalledSeconds_ / kFrameSeconds + 0.5);
    figures_.rollbacks = rollback_->figures().rollbacks;
    figures_.resimulated = rollback_->figures().resimulated;
}

bool Session::run() {
    if (!connect() || !handshake()) {
        if (link_) {
            figures_.bytesSent = link_->figures().bytesSent;
            figures_.bytesReceived = link_->figures().bytesReceived;
            link_->disconnect(300);
        }
        return false;
    }
    play();
    figures_.bytesSent = link_->figures().bytesSent;
    figures_.bytesReceived = link_->figures().bytesReceived;
    if (link_->connected() && !peerEnded_) sendGoodbye(GoodbyeReason::Left);
    return true;
}

// The last word of a session, until the player goes on.
void showEnding(const std::string& why) {
    const Clock::time_point shown = Clock::now();
    bool released = false;
    while (since(shown) < 30) {
        const FrameInput devices = deviceFrameInput(PadUse::Prompt);
        if (devices.closeRequested) return;
        const bool pressed = devices.held(key::Return) || devices.held(key::Escape);
        if (pressed && released) return;
        released = released || !pressed;
        drawMessageScreen({"Netzspiel", why}, true);
    }
}

}  // namespace

void beginSharedGame(const StartMessage& start, const std::string& hostName,
                     const std::string& guestName) {
    // Both machines start from the very state a fresh start gives, with
    // the settings the host chose and both names; only what is each
    // machine's own (its window, its score table, its loaded files) stays.
    GameState fresh;
    fresh.versionText = game.versionText;
    fresh.windowWidth = game.windowWidth;
    fresh.windowHeight = game.windowHeight;
    fresh.scoreTable = game.scoreTable;
    fresh.customPowerUps = game.customPowerUps;
    fresh.customPowerUpCount = game.customPowerUpCount;
    fresh.players[0].name = hostName;
    fresh.players[1].name = guestName;
    fresh.playerCount = 2;
    fresh.difficulty = start.difficulty;
    fresh.customPowerUpsEnabled = start.customPowerUps == 1 ? 1 : 0;
    fresh.fadeAlpha = 254;
    fresh.introDone = 1;
    fresh.phase = Phase::Title;
    fresh.networkGame = true;
    // The click that joined does not also choose on the title.
    fresh.pointerWasHeld = true;
    game = fresh;
    givePlayerStartValues(firstPlayer(), 0);
    givePlayerStartValues(secondPlayer(), 1);
    seedRandom(start.seed);
}

std::string whyRefused(const HelloMessage& mine, const HelloMessage& theirs) {
    RefuseReason reason{};
    return refuses(mine, theirs, reason) ? refusal(reason, mine, theirs) : std::string();
}

const NetGameFigures& lastSessionFigures() {
    return gFigures;
}

bool splitAddress(const std::string& text, std::string& address, int& port, std::string& why) {
    port = net::kDefaultPort;
    address = text;
    if (std::count(text.begin(), text.end(), ':') > 1 || text.find('[') != std::string::npos) {
        why =
            "IPv6-Adressen kann diese Version noch nicht erreichen; bitte eine IPv4-Adresse "
            "oder einen Rechnernamen angeben.";
        return false;
    }
    const std::size_t colon = text.find(':');
    if (colon != std::string::npos) {
        address = text.substr(0, colon);
        const std::string digits = text.substr(colon + 1);
        char* end = nullptr;
        const long value = std::strtol(digits.c_str(), &end, 10);
        if (digits.empty() || *end != '\0' || value < 1 || value > 65535) {
            why = "Der Port \"" + digits + "\" ist keine Zahl von 1 bis 65535.";
            return false;
        }
        port = static_cast<int>(value);
    }
    if (address.empty()) {
        why = "Keine Adresse angegeben.";
        return false;
    }
    return true;
}

namespace {

// pomvex --join without an address: the address is typed in the window.
bool askForAddress(NetGameConfig& config, std::string why) {
    // M types an m here rather than muting.
    const TypingText typing;
    std::string typed = config.address;
    bool returnHeld = true, escapeHeld = true;
    for (;;) {
        const FrameInput devices = deviceFrameInput(PadUse::Prompt);
        if (devices.closeRequested) return false;
        for (char c : deviceTypedText()) {
            if (c == '\b') {
                if (!typed.empty()) typed.pop_back();
            } else if (typed.size() < 60) {
                typed += c;
            }
        }
        const bool escape = devices.held(key::Escape), enter = devices.held(key::Return);
        if (escape && !escapeHeld) return false;
        if (enter && !returnHeld && !typed.empty()) {
            if (splitAddress(typed, config.address, config.port, why)) return true;
        }
        escapeHeld = escape;
        returnHeld = enter;
        const bool blink = (Clock::now().time_since_epoch().count() / 500'000'000) % 2 == 0;
        drawMessageScreen({"Mit welchem Rechner verbinden?", typed + (blink ? "_" : " "),
                           "Adresse oder Rechnername, dahinter wahlweise :Port.",
                           "Enter verbindet, Escape bricht ab.", why},
                          false);
    }
}

}  // namespace

int runNetworkProgram(const NetGameConfig& given) {
    if (!startUp()) {
        shutDown(false);
        return 1;
    }
    NetGameConfig config = given;
    const GameState local = game;
    bool windowClosed = false;
    std::string why;
    for (;;) {
        if (!config.hosting && config.address.empty() && config.unattended) break;
        if (!config.hosting && (config.address.empty() || !why.empty()) && !config.unattended) {
            if (!askForAddress(config, why)) {
                windowClosed = inputAsksToClose();
                break;
            }
        }
        Session session(config);
        const bool played = session.run();
        gFigures = session.figures();
        windowClosed = gFigures.windowClosed;
        why = gFigures.ended;
        if (!why.empty()) std::fprintf(stderr, "pomvex: %s\n", why.c_str());
        if (windowClosed || config.unattended) break;
        if (!why.empty() && why != "Abgebrochen.") showEnding(why);
        // Someone who joins from the window may try another address.
        if (played || config.hosting || why == "Abgebrochen.") break;
    }
    // On alone: the state this machine had before, with the games the
    // session entered into its score table and saved.
    game = local;
    if (gFigures.frames > 0) game.scoreTable = gSavedScores;
    game.phase = Phase::Title;
    if (windowClosed || config.unattended) {
        shutDown(false);
        return gFigures.desyncs > 0 ? 1 : 0;
    }
    findWatchableEntries();
    musicFor(Phase::Title);
    runFrames();
    shutDown(game.phase == Phase::Quit);
    return 0;
}
