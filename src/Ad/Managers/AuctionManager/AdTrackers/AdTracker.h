#pragma once

#include "Ad/Managers/AuctionManager/AdTrackers/Trackers.h"
#include "Commons/Trackers/TrackerData.h"
#include "Commons/Trackers/TrackerManager.h"
#include "Commons/Trackers/TrackerUrlList.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace solen {

// Fires a line item's tracking URLs at one of its moments: builds the moment's eight macro values
// and hands the URLs with them to the tracker manager's queue, where one block replaces the macros,
// skips a URL that does not parse and sends each other one. Returns once the block is submitted:
// the caller (often the main thread, once per line item and moment) pays for neither the macro
// replacement nor the parsing. Used by the wrappers, the bidders and the auctioneer. Callable from
// any thread.
class AdTracker {
public:
    // One list of URL texts with the substitutions of its moment. The texts are shared with the
    // list they come from, not copied.
    struct Firing {
        TrackerUrlList urls;
        std::vector<TrackerData> macros;
    };

    // `trackerManager`: where the requests go; none means the process-wide one.
    explicit AdTracker(std::shared_ptr<TrackerManager> trackerManager = nullptr);

    const std::shared_ptr<TrackerManager>& trackerManager() const { return trackerManager_; }

    // An empty list writes the debug line "No tracker present on fireTracker" and sends nothing.
    void fireAdTracker(const TrackerUrlList& url, const Trackers& trackerType) const;
    // The same with substitutions the caller built (an empty list sends nothing).
    void fire(const TrackerUrlList& urls, const std::vector<TrackerData>& with) const;
    // Several lists, in order, from one block on the tracker manager's queue.
    void fireLater(std::vector<Firing> firings) const;
    // The lists that `build` gives, in order, built and sent from one block on the tracker
    // manager's queue: for moments whose macro values cost more to make than the caller should pay
    // (a failed line item's error descriptor, on the main thread).
    void fireLater(std::function<std::vector<Firing>()> build) const;
    // A list built and sent from the calling thread, itself a block of a background queue.
    void fireFromCurrentQueue(const TrackerUrlList& urls, const Trackers& trackerType) const;

    // Tracker blocks that a thread holds back instead of submitting them one by one, in the order
    // they were fired. Moved between threads with the work that sends them.
    class Held {
    public:
        bool empty() const { return entries_.empty(); }

    private:
        friend class AdTracker;
        struct Entry {
            std::shared_ptr<TrackerManager> manager;
            std::function<void()> job;
        };
        std::vector<Entry> entries_;
    };

    // While one lives on a thread, the blocks fired from that thread (`fireAdTracker`, `fire`,
    // `fireLater`) are held back, in order, and submitted when the outermost one ends, by
    // `sendHeld`, or by the block that takes them (`takeHeld`): a line item's failure holds its
    // trackers until the next line item's load step, which sends them with its own in one block
    // from the global queue, so the main thread submits one block, and wakes one worker, less per
    // line item. The order in which the blocks are submitted does not change. Nested ones join the
    // outermost.
    class Holding {
    public:
        Holding();
        // Starts by holding `adopted`, handed over from another thread.
        explicit Holding(Held adopted);
        ~Holding();
        Holding(const Holding&) = delete;
        Holding& operator=(const Holding&) = delete;
    };
    // Takes what this thread holds back, for a block about to be submitted that sends it before
    // anything of its own (`Holding(Held)` there).
    static Held takeHeld();
    // Submits what this thread holds back, now and in order: the blocks of one manager that follow
    // each other as one block.
    static void sendHeld();

private:
    // Submits `job` to `manager`'s queue, or holds it back while a `Holding` lives on this thread.
    static void submit(const std::shared_ptr<TrackerManager>& manager, std::function<void()> job);

    std::shared_ptr<TrackerManager> trackerManager_;
};

}  // namespace solen
