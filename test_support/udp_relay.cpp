#include "test_support/udp_relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <queue>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A flood must not grow the queue without bound; past this it is lost.
constexpr std::size_t kMaxPending = 10000;
// The longest poll() sleeps, so a stop or a due packet waits no longer.
constexpr int kPollMs = 2;
// Reads per socket and wake-up, so one busy direction cannot starve sending.
constexpr int kReadsPerWake = 256;

bool sameAddress(const sockaddr_in& a, const sockaddr_in& b) {
    return a.sin_addr.s_addr == b.sin_addr.s_addr && a.sin_port == b.sin_port;
}

int boundSocket(int port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error(std::string("udp relay: socket: ") + std::strerror(errno));
    // A burst must not be lost in the kernel before the thread reads it: the
    // relay should lose only what its dice say.
    const int size = 1 << 20;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    const sockaddr_in address = loopbackAddress(port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0) {
        const std::string why = std::strerror(errno);
        ::close(fd);
        throw std::runtime_error("udp relay: bind 127.0.0.1:" + std::to_string(port) + ": " + why);
    }
    return fd;
}

// A share in [0, 1) from one draw, computed the same by every standard
// library (the standard distributions are not), so fates match everywhere.
double share(std::mt19937_64& dice) {
    return static_cast<double>(dice() >> 11) * 0x1.0p-53;
}

struct Pending {
    Clock::time_point due;
    std::uint64_t order;  // packets due at the same moment leave in arrival order
    int direction;
    std::string bytes;
    bool operator>(const Pending& other) const {
        return due != other.due ? due > other.due : order > other.order;
    }
};

}  // namespace

UdpRelay::UdpRelay(int serverPort, RelayConditions conditions, int listenPort, double maxSeconds)
    : serverPort_(serverPort), conditions_(conditions) {
    clientFd_ = boundSocket(listenPort);
    try {
        // The server sees the relay as one peer, whoever the client is.
        serverFd_ = boundSocket(0);
        sockaddr_in address{};
        socklen_t length = sizeof address;
        if (::getsockname(clientFd_, reinterpret_cast<sockaddr*>(&address), &length) < 0)
            throw std::runtime_error(std::string("udp relay: getsockname: ") +
                                     std::strerror(errno));
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, maxSeconds] { run(maxSeconds); });
    } catch (...) {
        ::close(clientFd_);
        if (serverFd_ >= 0) ::close(serverFd_);
        throw;
    }
}

UdpRelay::~UdpRelay() {
    stop();
    ::close(clientFd_);
    ::close(serverFd_);
}

void UdpRelay::stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void UdpRelay::setConditions(RelayConditions conditions) {
    std::lock_guard lock(mutex_);
    conditions_ = conditions;
}

RelayCounts UdpRelay::counts() const {
    std::lock_guard lock(mutex_);
    return counts_;
}

bool UdpRelay::failed() const {
    std::lock_guard lock(mutex_);
    return !error_.empty();
}

std::string UdpRelay::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

void UdpRelay::run(double maxSeconds) {
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(maxSeconds));
    const sockaddr_in server = loopbackAddress(serverPort_);
    sockaddr_in client{};
    bool haveClient = false;
    std::uint64_t seed = 0, order = 0;
    std::mt19937_64 dice[2];
    bool seeded = false;
    std::priority_queue<Pending, std::vector<Pending>, std::greater<>> pending;
    std::vector<char> buffer(65536);

    auto fail = [&](const char* what) {
        std::lock_guard lock(mutex_);
        error_ = std::string("udp relay: ") + what + ": " + std::strerror(errno);
    };

    // Rolls every die for every packet, whatever the conditions, so a packet's
    // fate depends only on the seed and its place in the sequence.
    auto admit = [&](int direction, std::string bytes) {
        std::lock_guard lock(mutex_);
        const RelayConditions c = conditions_;
        if (!seeded || c.seed != seed) {
            seed = c.seed;
            seeded = true;
            dice[0].seed(seed);
            dice[1].seed(seed ^ 0x9e3779b97f4a7c15ULL);  // the directions roll apart
        }
        std::mt19937_64& d = dice[direction];
        const bool lost = share(d) < c.loss, twice = share(d) < c.duplicate;
        const bool held = share(d) < c.reorder;
        const int delay = std::max(0, c.delayMs), jitter = std::max(0, c.jitterMs);
        const int spread = static_cast<int>(d() % static_cast<unsigned>(jitter + 1));
        const int spreadCopy = static_cast<int>(d() % static_cast<unsigned>(jitter + 1));
        const int extra =
            1 + static_cast<int>(d() % static_cast<unsigned>(std::max(1, 2 * delay + jitter)));
        counts_.packets[direction]++;
        counts_.bytes[direction] += static_cast<long long>(bytes.size());
        const std::size_t copies = twice ? 2 : 1;
        if (lost || pending.size() + copies > kMaxPending) {
            counts_.dropped[direction]++;
            return;
        }
        const auto now = Clock::now();
        const int base = delay + (held ? extra : 0);
        if (twice) {
            counts_.duplicated[direction]++;
            pending.push(
                {now + std::chrono::milliseconds(base + spreadCopy), order++, direction, bytes});
        }
        pending.push(
            {now + std::chrono::milliseconds(base + spread), order++, direction, std::move(bytes)});
    };

    // Reads what a socket holds; false on an error that ends the relay.
    auto drain = [&](int fd, int direction) {
        for (int i = 0; i < kReadsPerWake; ++i) {
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t n = ::recvfrom(fd, buffer.data(), buffer.size(), 0,
                                         reinterpret_cast<sockaddr*>(&from), &length);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
                if (errno == ECONNREFUSED || errno == EINTR) continue;
                fail("recvfrom");
                return false;
            }
            if (direction == 0) {
                if (!haveClient) client = from;
                haveClient = true;
                if (!sameAddress(from, client)) continue;  // a stranger: not our game
            } else if (!haveClient || !sameAddress(from, server)) {
                continue;
            }
            admit(direction, std::string(buffer.data(), static_cast<std::size_t>(n)));
        }
        return true;
    };

    while (!stop_ && Clock::now() < deadline) {
        int timeout = kPollMs;
        if (!pending.empty()) {
            const auto wait =
                std::chrono::ceil<std::chrono::milliseconds>(pending.top().due - Clock::now());
            timeout = static_cast<int>(std::clamp<long long>(wait.count(), 0, kPollMs));
        }
        pollfd fds[2] = {{clientFd_, POLLIN, 0}, {serverFd_, POLLIN, 0}};
        if (::poll(fds, 2, timeout) < 0 && errno != EINTR) return fail("poll");
        if ((fds[0].revents & (POLLIN | POLLERR)) && !drain(clientFd_, 0)) return;
        if ((fds[1].revents & (POLLIN | POLLERR)) && !drain(serverFd_, 1)) return;

        const auto now = Clock::now();
        while (!pending.empty() && pending.top().due <= now) {
            const Pending& p = pending.top();
            const int fd = p.direction == 0 ? serverFd_ : clientFd_;
            const sockaddr_in& to = p.direction == 0 ? server : client;
            if (::sendto(fd, p.bytes.data(), p.bytes.size(), 0,
                         reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0) {
                if (errno != EAGAIN && errno != EWOULDBLOCK && errno != ENOBUFS &&
                    errno != ECONNREFUSED)
                    return fail("sendto");
                std::lock_guard lock(mutex_);
                counts_.dropped[p.direction]++;
            }
            pending.pop();
        }
    }
}

sockaddr_in loopbackAddress(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}
