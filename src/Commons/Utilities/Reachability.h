#pragma once

#include "Platform/Device/NetworkReachability.h"

#include <cstdint>

namespace solen {

// Connection class of the route to the internet: 0 none or unknown, 1 reachable without setting
// up a connection first (treated as Wi-Fi), 3 to 6 cellular generations by radio technology.
class Reachability {
public:
    static std::uint8_t currentConnectionType(platform::NetworkReachability::Flags flags);
    static std::uint8_t radioConnectionType();
};

}  // namespace solen
