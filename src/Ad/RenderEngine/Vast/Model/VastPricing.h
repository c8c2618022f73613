#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"

#include <optional>
#include <string>

namespace solen {

// The price of an ad (Pricing).
struct VastPricing {
    std::string model;
    std::string currency;
    std::optional<double> pricing;

    // Reads "model" and "currency"; nothing when either is missing or empty.
    // `pricing` (the element text) starts absent.
    static std::optional<VastPricing> fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastPricing&) const = default;
};

}  // namespace solen
