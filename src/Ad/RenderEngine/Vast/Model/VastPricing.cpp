#include "Ad/RenderEngine/Vast/Model/VastPricing.h"

#include <utility>

namespace solen {

std::optional<VastPricing> VastPricing::fromAttributes(const VastAttributes::Map& attributes) {
    auto model = VastAttributes::text(attributes, "model");
    auto currency = VastAttributes::text(attributes, "currency");
    if (!model || model->empty() || !currency || currency->empty()) {
        return std::nullopt;
    }
    VastPricing r;
    r.model = std::move(*model);
    r.currency = std::move(*currency);
    return r;
}

}  // namespace solen
