#pragma once

#include "Ad/RenderEngine/Vast/Model/VastModel.h"
#include "Ad/RenderEngine/Vast/Parser/TrackerModelType.h"

namespace solen {

// How a VAST tracker treats the ads of its document.
struct TrackerModel {
    TrackerModelType type = TrackerModelType::standAlone;
    VastModel vastModel;

    // `standAlone` when no ad has a sequence (or there are no ads), `adPod` when every ad has one,
    // `adBuffet` when only some have one.
    explicit TrackerModel(VastModel model);
};

}  // namespace solen
