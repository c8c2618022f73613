#include "Platform/Device/NetworkReachability.h"

#include "Platform/Device/ProviderSlot.h"

#include <ifaddrs.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace solen::platform {

namespace {

// The machine's reading, taken again only after the kernel announced a change of a network
// interface or of an address. Listing the interfaces costs a netlink dump of every link and
// address (tens of microseconds); asking the change subscription whether anything happened costs
// one non-blocking receive. The kernel queues its announcement before the call that made the
// change returns, so a reading taken after an empty receive is as current as a fresh one.
// Without the subscription (no netlink in this process) every read lists the interfaces.
class WatchedReading {
public:
    WatchedReading() {
        socket_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
        if (socket_ < 0) return;
        sockaddr_nl address{};
        address.nl_family = AF_NETLINK;
        address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR;
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(socket_);
            socket_ = -1;
        }
    }
    WatchedReading(const WatchedReading&) = delete;
    WatchedReading& operator=(const WatchedReading&) = delete;

    std::optional<NetworkReachability::Flags> read() {
        std::lock_guard lock(mutex_);
        // Drained before the reading, so that a change made meanwhile is announced to the next read.
        // A listing that failed is not kept: the next read tries again.
        if (announcedChange() || !reading_) reading_ = NetworkReachability::systemFlags();
        return reading_;
    }

private:
    // Empties the subscription's queue; true when it held anything, overflowed or failed.
    bool announcedChange() const {
        if (socket_ < 0) return true;
        bool changed = false;
        char buffer[4096];
        for (;;) {
            const ssize_t received = ::recv(socket_, buffer, sizeof buffer, MSG_DONTWAIT);
            if (received > 0) {
                changed = true;
                continue;
            }
            if (received < 0 && errno == EINTR) continue;
            if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return changed;
            // ENOBUFS: announcements were lost; anything else: the subscription cannot be trusted.
            if (received < 0 && errno == ENOBUFS) {
                changed = true;
                continue;
            }
            return true;
        }
    }

    int socket_ = -1;
    std::mutex mutex_;
    std::optional<NetworkReachability::Flags> reading_;  // the last successful reading
};

std::optional<NetworkReachability::Flags> watchedSystemFlags() {
    // Never destroyed: readings may be taken while static objects are torn down.
    static auto* reading = new WatchedReading();
    return reading->read();
}

ProviderSlot<std::optional<NetworkReachability::Flags>>& slot() {
    static auto& instance = *new ProviderSlot<std::optional<NetworkReachability::Flags>>(&watchedSystemFlags);
    return instance;
}
}  // namespace

std::optional<NetworkReachability::Flags> NetworkReachability::internetFlags() { return slot().read(); }

bool NetworkReachability::isInternetReachable() {
    const auto flags = internetFlags();
    return flags && (*flags & reachable) != 0;
}

void NetworkReachability::setProvider(std::function<std::optional<Flags>()> provider) {
    slot().replace(std::move(provider));
}

std::optional<NetworkReachability::Flags> NetworkReachability::systemFlags() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return std::nullopt;
    }
    bool up = false;
    for (const ifaddrs* entry = list; entry != nullptr && !up; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr) continue;
        const int family = entry->ifa_addr->sa_family;
        if (family != AF_INET && family != AF_INET6) continue;
        const unsigned flags = entry->ifa_flags;
        up = (flags & IFF_UP) != 0 && (flags & IFF_RUNNING) != 0 && (flags & IFF_LOOPBACK) == 0;
    }
    freeifaddrs(list);
    return up ? reachable : Flags{0};
}

}  // namespace solen::platform
