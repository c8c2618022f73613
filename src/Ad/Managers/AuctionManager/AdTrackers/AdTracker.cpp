#include "Ad/Managers/AuctionManager/AdTrackers/AdTracker.h"

#include "Commons/Utilities/Logger.h"

#include <iterator>
#include <utility>

namespace solen {
namespace {

void sendNow(const TrackerManager& manager, const TrackerUrlList& urls, const std::vector<TrackerData>& macros) {
    for (const auto& request : manager.trackerRequests(urls, macros)) {
        manager.sendFromCurrentQueue(request);
    }
}

// What this thread holds back while a `Holding` lives on it.
struct HeldState {
    int holdings = 0;
    AdTracker::Held held;
};
thread_local HeldState tHeld;

}  // namespace

AdTracker::Holding::Holding() { ++tHeld.holdings; }

AdTracker::Holding::Holding(Held adopted) {
    ++tHeld.holdings;
    auto& entries = tHeld.held.entries_;
    if (entries.empty()) {
        entries = std::move(adopted.entries_);
    } else {
        entries.insert(entries.end(), std::make_move_iterator(adopted.entries_.begin()),
                       std::make_move_iterator(adopted.entries_.end()));
    }
}

AdTracker::Holding::~Holding() {
    if (--tHeld.holdings == 0) {
        sendHeld();
    }
}

AdTracker::Held AdTracker::takeHeld() { return std::exchange(tHeld.held, Held()); }

void AdTracker::sendHeld() {
    std::vector<Held::Entry> entries = std::move(takeHeld().entries_);
    for (std::size_t first = 0; first < entries.size();) {
        std::size_t end = first + 1;
        while (end < entries.size() && entries[end].manager == entries[first].manager) {
            ++end;
        }
        const auto& manager = entries[first].manager;
        if (end - first == 1) {
            manager->sendQueue()->async(std::move(entries[first].job));
        } else {
            std::vector<std::function<void()>> jobs;
            jobs.reserve(end - first);
            for (std::size_t i = first; i < end; ++i) {
                jobs.push_back(std::move(entries[i].job));
            }
            manager->sendQueue()->async([jobs = std::move(jobs)] {
                for (const auto& job : jobs) {
                    job();
                }
            });
        }
        first = end;
    }
}

void AdTracker::submit(const std::shared_ptr<TrackerManager>& manager, std::function<void()> job) {
    if (tHeld.holdings > 0) {
        tHeld.held.entries_.push_back({manager, std::move(job)});
    } else {
        manager->sendQueue()->async(std::move(job));
    }
}

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
    submit(trackerManager_, [manager = trackerManager_, firings = std::move(firings)] {
        for (const auto& firing : firings) {
            sendNow(*manager, firing.urls, firing.macros);
        }
    });
}

void AdTracker::fireLater(std::function<std::vector<Firing>()> build) const {
    submit(trackerManager_, [manager = trackerManager_, build = std::move(build)] {
        for (const auto& firing : build()) {
            sendNow(*manager, firing.urls, firing.macros);
        }
    });
}

void AdTracker::fireFromCurrentQueue(const TrackerUrlList& urls, const Trackers& trackerType) const {
    sendNow(*trackerManager_, urls, trackerType.macros());
}

}  // namespace solen
