#pragma once

#include "Ad/RenderEngine/Native/Creative.h"

#include <optional>

namespace solen {

// How the auction's adapter-load step hands a line item's decoded creative to the
// server-to-server renderers. Never read from or written to JSON.
struct CreativeRenderingEngineData {
    std::optional<Creative> adMarkup;
};

}  // namespace solen
