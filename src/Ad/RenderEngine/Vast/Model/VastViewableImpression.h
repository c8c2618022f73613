#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>
#include <vector>

namespace solen {

// Viewability addresses of an ad or a verification (ViewableImpression).
struct VastViewableImpression {
    std::optional<std::string> id;
    std::optional<platform::URL> url;
    std::vector<platform::URL> viewable;
    std::vector<platform::URL> notViewable;
    std::vector<platform::URL> viewUndetermined;

    // Reads "id"; `url` absent and the lists empty.
    static VastViewableImpression fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastViewableImpression&) const = default;
};

}  // namespace solen
