#pragma once

#include "Ad/RenderEngine/Vast/Model/VMAPAdBreak.h"
#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"

#include <string>
#include <vector>

namespace solen {

// A parsed VMAP document: the ad breaks of a content stream.
struct VMAPModel {
    std::string version;
    std::vector<VMAPAdBreak> adBreaks;

    // Reads "version" (empty when missing); no ad breaks yet.
    static VMAPModel fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VMAPModel&) const = default;
};

}  // namespace solen
