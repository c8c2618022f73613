#pragma once

#include "Ad/Managers/AuctionManager/AdTrackers/Trackers.h"
#include "Commons/Trackers/TrackerData.h"
#include "Commons/Trackers/TrackerManager.h"

#include <memory>
#include <string>
#include <vector>

namespace solen {

// Fires a line item's tracking URLs at one of its moments: builds the moment's eight macro values
// and hands the URLs with them to the tracker manager, which replaces the macros, skips a URL that
// does not parse and sends each other one from the global queue. Returns once every request is
// submitted. Used by the wrappers, the bidders and the auctioneer. Callable from any thread.
class AdTracker {
public:
    // `trackerManager`: where the requests go; none means the process-wide one.
    explicit AdTracker(std::shared_ptr<TrackerManager> trackerManager = nullptr);

    const std::shared_ptr<TrackerManager>& trackerManager() const { return trackerManager_; }

    // An empty list writes the debug line "No tracker present on fireTracker" and sends nothing.
    void fireAdTracker(const std::vector<std::string>& url, const Trackers& trackerType) const;
    // The same with substitutions the caller built.
    void fire(const std::vector<std::string>& urls, const std::vector<TrackerData>& with) const;

    // `fireAdTracker` in two halves, for a caller that sends from a background block of its own:
    // the requests, built now (with the debug line for an empty list), and their sending.
    std::vector<std::shared_ptr<Request>> adTrackerRequests(const std::vector<std::string>& url,
                                                            const Trackers& trackerType) const;
    // Each request in a block of its own on the tracker manager's queue.
    void send(const std::vector<std::shared_ptr<Request>>& requests) const;
    // Each request from the calling thread, itself in a background block.
    void sendFromCurrentQueue(const std::vector<std::shared_ptr<Request>>& requests) const;

private:
    std::shared_ptr<TrackerManager> trackerManager_;
};

}  // namespace solen
