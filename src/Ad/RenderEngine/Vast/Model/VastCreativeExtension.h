#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"

#include <optional>
#include <string>

namespace solen {

// A creative-level extension (CreativeExtension).
struct VastCreativeExtension {
    std::optional<std::string> mimeType;
    std::optional<std::string> content;

    // Reads "type" as `mimeType`; `content` starts absent.
    static VastCreativeExtension fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastCreativeExtension&) const = default;
};

}  // namespace solen
