#pragma once

#include "Ad/RenderEngine/Native/MarkupType.h"
#include "Ad/RenderEngine/Native/PubContentModel.h"
#include "Commons/Json/JsonReader.h"

#include <optional>
#include <string>

namespace solen {

// The creative of a server-to-server line item: base64 markup for the web renderer or a native
// object for the native renderer. `markupType` says which one the renderers expect; it does not
// steer decoding.
struct Creative {
    PubContentModel pubContent;
    MarkupType markupType = MarkupType::default_;
    std::optional<std::string> creativeId;

    static Creative decode(const JsonReader& reader);
    // Parses and decodes a whole JSON text; throws JsonDecodingError.
    static Creative decode(std::string_view text);
    Json encode() const;
    bool operator==(const Creative&) const = default;
};

}  // namespace solen
