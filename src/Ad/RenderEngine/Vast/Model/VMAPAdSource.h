#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Ad/RenderEngine/Vast/Model/VastModel.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>
#include <string_view>

namespace solen {

// The format of an ad source's ad tag or custom data ("templateType").
enum class VMAPAdSourceTemplate {
    vast1,
    vast2,
    vast3,
    vast4,
    proprietary,
    unknown,
};

// The text the document writes for the case.
std::string_view rawValue(VMAPAdSourceTemplate value);
// The case whose text is exactly `text`, else `VMAPAdSourceTemplate::unknown`.
VMAPAdSourceTemplate vmapAdSourceTemplateFromRawValue(std::string_view text);

// The ad source of a VMAP ad break (vmap:AdSource).
struct VMAPAdSource {
    bool allowMultipleAds = false;
    bool followRedirects = false;
    std::string id;
    std::optional<VastModel> vastAdData;
    std::optional<platform::URL> adTagURI;
    std::optional<std::string> customAdData;
    std::optional<VMAPAdSourceTemplate> templateType;

    // Reads "allowMultipleAds" and "followRedirects" (true only for "true" in any letter case)
    // and "id" (empty when missing); the VAST data starts absent.
    static VMAPAdSource fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VMAPAdSource&) const = default;
};

}  // namespace solen
