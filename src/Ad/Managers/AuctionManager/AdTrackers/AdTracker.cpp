#include "Ad/Managers/AuctionManager/AdTrackers/AdTracker.h"

#include "Commons/Utilities/Logger.h"

namespace solen {

AdTracker::AdTracker(std::shared_ptr<TrackerManager> trackerManager)
    : trackerManager_(trackerManager ? std::move(trackerManager) : TrackerManager::shared()) {}

void AdTracker::fireAdTracker(const std::vector<std::string>& url, const Trackers& trackerType) const {
    send(adTrackerRequests(url, trackerType));
}

std::vector<std::shared_ptr<Request>> AdTracker::adTrackerRequests(const std::vector<std::string>& url,
                                                                   const Trackers& trackerType) const {
    if (url.empty()) {
        Logger::debug("No tracker present on fireTracker");
        return {};
    }
    return trackerManager_->trackerRequests(url, trackerType.macros());
}

void AdTracker::send(const std::vector<std::shared_ptr<Request>>& requests) const {
    for (const auto& request : requests) {
        trackerManager_->send(request);
    }
}

void AdTracker::sendFromCurrentQueue(const std::vector<std::shared_ptr<Request>>& requests) const {
    for (const auto& request : requests) {
        trackerManager_->sendFromCurrentQueue(request);
    }
}

void AdTracker::fire(const std::vector<std::string>& urls, const std::vector<TrackerData>& with) const {
    trackerManager_->fire(urls, with);
}

}  // namespace solen
