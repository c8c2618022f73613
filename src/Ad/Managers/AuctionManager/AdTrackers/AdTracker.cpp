#include "Ad/Managers/AuctionManager/AdTrackers/AdTracker.h"

#include "Commons/Utilities/Logger.h"

namespace solen {

AdTracker::AdTracker(std::shared_ptr<TrackerManager> trackerManager)
    : trackerManager_(trackerManager ? std::move(trackerManager) : TrackerManager::shared()) {}

void AdTracker::fireAdTracker(const std::vector<std::string>& url, const Trackers& trackerType) const {
    if (url.empty()) {
        Logger::debug("No tracker present on fireTracker");
        return;
    }
    fire(url, trackerType.macros());
}

void AdTracker::fire(const std::vector<std::string>& urls, const std::vector<TrackerData>& with) const {
    trackerManager_->fire(urls, with);
}

}  // namespace solen
