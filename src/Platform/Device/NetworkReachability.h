#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace solen::platform {

// Reachability flags of the route to the internet (a reading for the all-zero IPv4 address).
class NetworkReachability {
public:
    using Flags = std::uint32_t;

    static constexpr Flags transientConnection = 0x1;
    static constexpr Flags reachable = 0x2;
    static constexpr Flags connectionRequired = 0x4;
    static constexpr Flags connectionOnTraffic = 0x8;
    static constexpr Flags interventionRequired = 0x10;
    static constexpr Flags connectionOnDemand = 0x20;
    static constexpr Flags isLocalAddress = 0x10000;
    static constexpr Flags isDirect = 0x20000;
    static constexpr Flags isWWAN = 0x40000;

    // The current flags; absent when they cannot be read.
    static std::optional<Flags> internetFlags();
    // True when the flags can be read and say reachable.
    static bool isInternetReachable();

    // Replaces the source of the flags (tests, hosts); an empty function restores the default,
    // which reports `reachable` when a network interface other than loopback is up and running
    // with an address, and no flags at all otherwise. The default lists the interfaces again only
    // after the kernel announced a change of an interface or an address (or could not tell).
    static void setProvider(std::function<std::optional<Flags>()> provider);

    // The default reading of this machine, listed afresh.
    static std::optional<Flags> systemFlags();
};

}  // namespace solen::platform
