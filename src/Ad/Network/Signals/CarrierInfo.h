#pragma once

#include <optional>
#include <string>

namespace solen {

// The mobile carrier, read only when the signals configuration allows cell data.
class CarrierInfo {
public:
    // The `cell` switch of the signals configuration (off in the built-in default).
    static bool isCellInfoAllowed();
    // The carrier's name; none unless allowed and known.
    static std::optional<std::string> carrierName();
    // Mobile country code + "-" + mobile network code ("310-260"); none unless allowed and both known.
    static std::optional<std::string> mccMnc();
};

}  // namespace solen
