#include "net/link.h"

#include <arpa/inet.h>
#include <enet/enet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <mutex>

namespace net {

namespace {

constexpr std::size_t kChannels = 2;
// ENet gives up on a silent peer only after this; the game decides sooner
// what a silence means, and must still hear a peer that comes back.
constexpr enet_uint32 kSilenceLimitMs = 12000;

bool startEnet(std::string& error) {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] {
        ready = enet_initialize() == 0;
        if (ready) std::atexit(enet_deinitialize);
    });
    if (!ready) error = "ENet konnte nicht gestartet werden";
    return ready;
}

}  // namespace

std::unique_ptr<Link> Link::listen(int port, const std::string& bindAddress, std::string& error) {
    if (!startEnet(error)) return nullptr;
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = static_cast<enet_uint16>(port);
    if (!bindAddress.empty() && enet_address_set_host_ip(&address, bindAddress.c_str()) != 0) {
        error = "Unbekannte Adresse: " + bindAddress;
        return nullptr;
    }
    std::unique_ptr<Link> link(new Link);
    // One peer: a second machine that knocks finds no room and is ignored.
    link->host_ = enet_host_create(&address, 1, kChannels, 0, 0);
    if (!link->host_) {
        error = "UDP-Port " + std::to_string(port) + " ist belegt oder nicht erlaubt";
        return nullptr;
    }
    return link;
}

std::unique_ptr<Link> Link::connect(const std::string& where, int port, std::string& error) {
    if (!startEnet(error)) return nullptr;
    ENetAddress address{};
    if (enet_address_set_host(&address, where.c_str()) != 0) {
        error = "Die Adresse " + where + " ist unbekannt";
        return nullptr;
    }
    address.port = static_cast<enet_uint16>(port);
    std::unique_ptr<Link> link(new Link);
    link->host_ = enet_host_create(nullptr, 1, kChannels, 0, 0);
    if (!link->host_) {
        error = "Kein UDP-Anschluss frei";
        return nullptr;
    }
    link->peer_ = enet_host_connect(link->host_, &address, kChannels, 0);
    if (!link->peer_) {
        error = "Verbindung zu " + where + " konnte nicht beginnen";
        return nullptr;
    }
    enet_peer_timeout(link->peer_, 0, kSilenceLimitMs, kSilenceLimitMs);
    return link;
}

Link::~Link() {
    releaseLastPacket();
    if (peer_ && connected_) enet_peer_disconnect_now(peer_, 0);
    if (host_) enet_host_destroy(host_);
}

void Link::releaseLastPacket() {
    if (lastPacket_) enet_packet_destroy(static_cast<ENetPacket*>(lastPacket_));
    lastPacket_ = nullptr;
}

LinkEvent Link::poll(int timeoutMs) {
    releaseLastPacket();
    LinkEvent out;
    ENetEvent event{};
    const int got =
        enet_host_service(host_, &event, static_cast<enet_uint32>(timeoutMs < 0 ? 0 : timeoutMs));
    if (got <= 0) return out;
    switch (event.type) {
        case ENET_EVENT_TYPE_CONNECT:
            peer_ = event.peer;
            connected_ = true;
            enet_peer_timeout(peer_, 0, kSilenceLimitMs, kSilenceLimitMs);
            out.kind = LinkEvent::Connected;
            break;
        case ENET_EVENT_TYPE_RECEIVE:
            lastPacket_ = event.packet;
            out.kind = LinkEvent::Message;
            out.channel = event.channelID == 0 ? Channel::Reliable : Channel::Unreliable;
            out.data = event.packet->data;
            out.size = event.packet->dataLength;
            break;
        case ENET_EVENT_TYPE_DISCONNECT:
            if (event.peer == peer_) {
                connected_ = false;
                out.kind = LinkEvent::Disconnected;
            }
            // A listening link takes the next machine that knocks.
            if (event.peer == peer_ && host_->address.port != 0) peer_ = nullptr;
            break;
        case ENET_EVENT_TYPE_NONE:
            break;
    }
    return out;
}

bool Link::send(Channel channel, const std::uint8_t* data, std::size_t size) {
    if (!connected()) return false;
    const enet_uint32 flags = channel == Channel::Reliable ? ENET_PACKET_FLAG_RELIABLE : 0;
    ENetPacket* packet = enet_packet_create(data, size, flags);
    if (!packet) return false;
    if (enet_peer_send(peer_, static_cast<enet_uint8>(channel), packet) != 0) {
        enet_packet_destroy(packet);
        return false;
    }
    return true;
}

void Link::flush() {
    enet_host_flush(host_);
}

LinkFigures Link::figures() const {
    LinkFigures f;
    f.bytesSent = host_->totalSentData;
    f.bytesReceived = host_->totalReceivedData;
    if (peer_) {
        f.roundTripMs = static_cast<int>(peer_->roundTripTime);
        f.packetLoss = static_cast<double>(peer_->packetLoss) /
                       static_cast<double>(int{ENET_PEER_PACKET_LOSS_SCALE});
    }
    return f;
}

int Link::localPort() const {
    return host_->address.port;
}

void Link::disconnect(int timeoutMs) {
    if (!connected()) return;
    // Later: what is queued (a goodbye) still goes out first.
    enet_peer_disconnect_later(peer_, 0);
    ENetEvent event{};
    // Bounded: at most timeoutMs in all, whatever arrives meanwhile.
    const enet_uint32 start = enet_time_get();
    while (enet_time_get() - start < static_cast<enet_uint32>(timeoutMs)) {
        if (enet_host_service(host_, &event, 10) <= 0) continue;
        if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
        if (event.type == ENET_EVENT_TYPE_DISCONNECT) break;
    }
    connected_ = false;
    enet_peer_reset(peer_);
    peer_ = nullptr;
}

std::string localAddresses() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return {};
    std::string out;
    for (const ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
        if ((ntohl(in->sin_addr.s_addr) >> 24) == 127) continue;
        if (!inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) continue;
        if (!out.empty()) out += ", ";
        out += text;
    }
    freeifaddrs(list);
    return out;
}

}  // namespace net
