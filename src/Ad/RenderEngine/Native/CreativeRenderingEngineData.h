#pragma once

#include <solen/adapters/CreativeDataModelProtocol.h>

#include "Ad/RenderEngine/Native/Creative.h"

#include <optional>

namespace solen {

// How the auction's adapter-load step hands a line item's decoded creative to the
// server-to-server renderers, as a load configuration's creative. Never read from or written to
// JSON.
struct CreativeRenderingEngineData : CreativeDataModelProtocol {
    std::optional<Creative> adMarkup;

    CreativeRenderingEngineData() = default;
    explicit CreativeRenderingEngineData(std::optional<Creative> adMarkup) : adMarkup(std::move(adMarkup)) {}
};

}  // namespace solen
