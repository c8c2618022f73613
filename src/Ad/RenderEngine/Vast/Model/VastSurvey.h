#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>

namespace solen {

// A survey address of an ad (Survey).
struct VastSurvey {
    std::optional<std::string> type;
    std::optional<platform::URL> survey;

    // Reads "type"; `survey` starts absent.
    static VastSurvey fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastSurvey&) const = default;
};

}  // namespace solen
