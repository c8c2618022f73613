#pragma once

#include "Ad/RenderEngine/Vast/Model/VastError.h"
#include "Ad/RenderEngine/Vast/Model/VastModel.h"

#include <optional>
#include <utility>

namespace solen {

// The outcome of reading one VAST document: a model or an error, exactly one of them.
struct VastParseResult {
    std::optional<VastModel> model;
    std::optional<VastError> error;

    static VastParseResult success(VastModel model) { return VastParseResult{std::move(model), std::nullopt}; }
    static VastParseResult failure(VastError error) { return VastParseResult{std::nullopt, error}; }

    bool ok() const { return model.has_value(); }
};

}  // namespace solen
