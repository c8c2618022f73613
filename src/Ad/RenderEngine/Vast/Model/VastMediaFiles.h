#pragma once

#include "Ad/RenderEngine/Vast/Model/VastInteractiveCreativeFile.h"
#include "Ad/RenderEngine/Vast/Model/VastMediaFile.h"

#include <vector>

namespace solen {

// The files of a linear creative (MediaFiles).
struct VastMediaFiles {
    std::vector<VastMediaFile> mediaFiles;
    std::vector<VastInteractiveCreativeFile> interactiveCreativeFiles;

    bool operator==(const VastMediaFiles&) const = default;
};

}  // namespace solen
