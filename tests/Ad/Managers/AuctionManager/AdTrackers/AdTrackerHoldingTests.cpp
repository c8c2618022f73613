#include "Ad/Managers/AuctionManager/AdTrackers/AdTracker.h"

#include "support/RecordedTrackers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace solen {
namespace {

using ::testing::ElementsAre;

void fire(const AdTracker& tracker, const std::string& name) {
    tracker.fireAdTracker({"https://t.test/" + name}, Trackers::networkLoad(""));
}

// Held trackers leave in the order they were fired: those taken along leave from the block that
// took them, the rest when the holding ends; nothing is held on another thread or after the end.
TEST(AdTrackerHoldingTests, HeldTrackersLeaveInTheirOrderFromWhereverTheyAreSent) {
    test::RecordedTrackers sent;
    const AdTracker tracker(sent.manager());
    {
        const AdTracker::Holding holding;
        fire(tracker, "1");
        {
            const AdTracker::Holding nested;  // joins the outer one
            fire(tracker, "2");
        }
        EXPECT_TRUE(sent.urls().empty());
        AdTracker::Held taken = AdTracker::takeHeld();
        EXPECT_FALSE(taken.empty());
        fire(tracker, "4");  // still held here
        std::thread([&tracker, taken = std::move(taken)]() mutable {
            fire(tracker, "free");  // no holding on this thread: leaves at once
            const AdTracker::Holding adopted(std::move(taken));
            fire(tracker, "3");
            AdTracker::sendHeld();
            fire(tracker, "late");  // held again until the holding ends
        }).join();
        EXPECT_THAT(sent.urls(), ElementsAre("https://t.test/free", "https://t.test/1", "https://t.test/2",
                                             "https://t.test/3", "https://t.test/late"));
    }
    EXPECT_THAT(sent.urls(), ElementsAre("https://t.test/free", "https://t.test/1", "https://t.test/2",
                                         "https://t.test/3", "https://t.test/late", "https://t.test/4"));
    fire(tracker, "5");
    EXPECT_EQ(sent.urls().back(), "https://t.test/5");
}

// Blocks of different managers keep their order, each on its own manager's queue.
TEST(AdTrackerHoldingTests, HeldBlocksOfSeveralManagersEachGoToTheirOwn) {
    test::RecordedTrackers first;
    test::RecordedTrackers second;
    const AdTracker a(first.manager());
    const AdTracker b(second.manager());
    {
        const AdTracker::Holding holding;
        fire(a, "a1");
        fire(b, "b1");
        fire(a, "a2");
        fire(a, "a3");
    }
    EXPECT_THAT(first.urls(), ElementsAre("https://t.test/a1", "https://t.test/a2", "https://t.test/a3"));
    EXPECT_THAT(second.urls(), ElementsAre("https://t.test/b1"));
}

}  // namespace
}  // namespace solen
