#include "Ad/Managers/AuctionManager/AdTrackers/AdTracker.h"

#include "Commons/Utilities/Logger.h"

namespace solen {
namespace {

void sendNow(const TrackerManager& manager, const TrackerUrlList& urls, const std::vector<TrackerData>& macros) {
    for (const auto& request : manager.trackerRequests(urls, macros)) {
        manager.sendFromCurrentQueue(request);
    }
}

}  // namespace

AdTracker::AdTracker(std::shared_ptr<TrackerManager> trackerManager)
    : trackerManager_(trackerManager ? std::move(trackerManager) : TrackerManager::shared()) {}

void AdTracker::fireAdTracker(const TrackerUrlList& url, const Trackers& trackerType) const {
    if (url.empty()) {
        Logger::debug("No tracker present on fireTracker");
        return;
    }
    std::vector<Firing> firings;
    firings.push_back({url, trackerType.macros()});
    fireLater(std::move(firings));
}

void AdTracker::fire(const TrackerUrlList& urls, const std::vector<TrackerData>& with) const {
    if (urls.empty()) {
        return;
    }
    std::vector<Firing> firings;
    firings.push_back({urls, with});
    fireLater(std::move(firings));
}

void AdTracker::fireLater(std::vector<Firing> firings) const {
    if (firings.empty()) {
        return;
    }
    trackerManager_->sendQueue()->async([manager = trackerManager_, firings = std::move(firings)] {
        for (const auto& firing : firings) {
            sendNow(*manager, firing.urls, firing.macros);
        }
    });
}

void AdTracker::fireLater(std::function<std::vector<Firing>()> build) const {
    trackerManager_->sendQueue()->async([manager = trackerManager_, build = std::move(build)] {
        for (const auto& firing : build()) {
            sendNow(*manager, firing.urls, firing.macros);
        }
    });
}

void AdTracker::fireFromCurrentQueue(const TrackerUrlList& urls, const Trackers& trackerType) const {
    sendNow(*trackerManager_, urls, trackerType.macros());
}

}  // namespace solen
