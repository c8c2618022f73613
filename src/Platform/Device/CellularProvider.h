#pragma once

#include <functional>
#include <optional>
#include <string>

namespace solen::platform {

// The subscriber's cellular provider (the SIM's carrier). A Linux machine has no SIM: by default
// there is none; tests and hosts can supply one. Thread-safe.
class CellularProvider {
public:
    struct Carrier {
        std::optional<std::string> carrierName;
        std::optional<std::string> mobileCountryCode;
        std::optional<std::string> mobileNetworkCode;
    };

    static std::optional<Carrier> subscriberCellularProvider();
    // An empty function restores the default.
    static void setProvider(std::function<std::optional<Carrier>()> provider);
};

}  // namespace solen::platform
