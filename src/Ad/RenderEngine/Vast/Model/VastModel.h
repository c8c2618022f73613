#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAd.h"
#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Platform/Foundation/URL.h"

#include <string>
#include <vector>

namespace solen {

// A parsed VAST document.
struct VastModel {
    std::string version;
    std::vector<VastAd> ads;
    std::vector<platform::URL> errors;

    // Reads "version" (empty when missing); no ads and no Error addresses yet.
    static VastModel fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastModel&) const = default;
};

}  // namespace solen
