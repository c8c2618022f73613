#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>
#include <string_view>

namespace solen {

// The kind of a video click; its text is the element name.
enum class ClickType {
    clickThrough,
    clickTracking,
    customClick,
};

// The text the document writes for the case.
std::string_view rawValue(ClickType value);
// The case whose text is exactly `text` (an element name), if any.
std::optional<ClickType> clickTypeFromRawValue(std::string_view text);

// A click address of a linear creative (ClickThrough, ClickTracking or CustomClick).
struct VastVideoClick {
    std::optional<std::string> id;
    ClickType type = ClickType::clickThrough;
    std::optional<platform::URL> url;

    // Reads "id"; `url` starts absent.
    static VastVideoClick fromAttributes(ClickType type, const VastAttributes::Map& attributes);

    bool operator==(const VastVideoClick&) const = default;
};

}  // namespace solen
