#include "Platform/Device/NetworkReachability.h"

#include "Platform/Device/ProviderSlot.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace solen::platform {

namespace {
ProviderSlot<std::optional<NetworkReachability::Flags>>& slot() {
    static ProviderSlot<std::optional<NetworkReachability::Flags>> instance(&NetworkReachability::systemFlags);
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
