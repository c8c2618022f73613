#pragma once

#include "Ad/RenderEngine/Vast/Model/IconClicks.h"
#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Ad/RenderEngine/Vast/Model/VastStaticResource.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>
#include <vector>

namespace solen {

// An industry icon shown over a linear creative (Icon). Attributes are kept as written,
// except duration and offset, which are read as clock times in seconds.
struct VastIcon {
    std::optional<std::string> program;
    std::optional<std::string> width;
    std::optional<std::string> height;
    std::optional<std::string> xPosition;
    std::optional<std::string> yPosition;
    std::optional<std::string> apiFramework;
    std::optional<std::string> pxratio;
    std::optional<double> duration;
    std::optional<double> offset;
    std::optional<IconClicks> iconClicks;
    std::vector<platform::URL> iconViewTracking;
    std::vector<VastStaticResource> staticResource;

    // Reads the standard Icon attributes; `iconClicks` absent, lists empty.
    static VastIcon fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastIcon&) const = default;
};

}  // namespace solen
