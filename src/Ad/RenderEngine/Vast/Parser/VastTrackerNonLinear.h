#pragma once

#include "Ad/RenderEngine/Vast/Model/VMAPModel.h"
#include "Ad/RenderEngine/Vast/Model/VastAd.h"
#include "Ad/RenderEngine/Vast/Model/VastModel.h"
#include "Ad/RenderEngine/Vast/Parser/NonlinearTrackingCreative.h"
#include "Ad/RenderEngine/Vast/Parser/TrackerModel.h"
#include "Ad/RenderEngine/Vast/Parser/TrackingStatus.h"
#include "Ad/RenderEngine/Vast/Parser/VastTrackerNonLinearDelegate.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen {

// The state of a tracker for the non-linear ads of a VAST document, kept beside the linear
// tracker. It holds values only: no tracking behaviour is defined for it yet.
class VastTrackerNonLinear {
public:
    VastTrackerNonLinear(std::string id, VastModel vastModel, double startTime, bool trackProgressCumulatively)
        : id(std::move(id)),
          vastModel(vastModel),
          startTime(startTime),
          trackerModel(std::move(vastModel)),
          trackProgressCumulatively(trackProgressCumulatively) {}

    std::weak_ptr<VastTrackerNonLinearDelegate> delegate;
    const std::string id;
    const VastModel vastModel;
    const std::int64_t totalAds = 0;
    const double startTime = 0;
    std::optional<VMAPModel> vmapModel;
    TrackingStatus trackingStatus = TrackingStatus::unknown;
    double currentTime = 0;
    std::vector<VastAd> vastAds;
    const TrackerModel trackerModel;
    double completedAdAccumulatedDuration = 0;
    std::optional<NonlinearTrackingCreative> currentNonlinearTrackingCreative;
    bool adBreakStarted = false;
    const bool trackProgressCumulatively = false;
};

}  // namespace solen
