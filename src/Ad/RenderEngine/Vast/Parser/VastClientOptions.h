#pragma once

#include "Ad/RenderEngine/Vast/Model/VMAPModel.h"

#include <cstdint>
#include <optional>

namespace solen {

// The limits of one VAST request, copied into every parser the client starts. The defaults are
// the values the video asset uses.
struct VastClientOptions {
    // Depth limit of wrapper following: the root document has depth 0, a document fetched for a
    // wrapper found at depth d has depth d + 1, and a document is read at depth d only while
    // d < wrapperLimit. 0 or less refuses the request.
    std::int64_t wrapperLimit = 3;
    // Carried along; no per-wrapper limit is applied (each fetch is bounded by the overall limit).
    double singleWrapperTimeLimit = 5.0;
    // Overall time limit of one request, in seconds.
    double timeLimit = 10.0;
    // Carried along; nothing reads it.
    std::optional<VMAPModel> cachedVMAPModel;
};

}  // namespace solen
