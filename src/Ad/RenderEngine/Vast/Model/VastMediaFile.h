#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>

namespace solen {

// One rendition of a linear creative (MediaFile). Attributes are kept as written.
struct VastMediaFile {
    std::optional<std::string> id;
    std::optional<std::string> delivery;
    std::optional<std::string> type;
    std::optional<std::string> width;
    std::optional<std::string> height;
    std::optional<std::string> codec;
    std::optional<std::string> bitrate;
    std::optional<std::string> minBitrate;
    std::optional<std::string> maxBitrate;
    std::optional<std::string> scalable;
    std::optional<std::string> maintainAspectRatio;
    std::optional<std::string> apiFramework;
    std::optional<std::string> fileSize;
    std::optional<std::string> mediaType;
    std::optional<platform::URL> url;

    // Reads the standard MediaFile attributes; `url` starts absent.
    static VastMediaFile fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastMediaFile&) const = default;
};

}  // namespace solen
