#include "Ad/Adapter/InternalAdapter/InternalAdAdapter.h"
#include "Ad/Managers/AuctionManager/Bidders/Passive/PassiveBidder.h"
#include "support/AdResponseBuilder.h"
#include "support/DispatchWait.h"
#include "support/RecordingAdBidderDelegate.h"
#include "support/ScopedAdapterSettings.h"
#include "support/ScopedManualClock.h"
#include "support/ScriptedNetwork.h"
#include "support/TrackerCapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace solen {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::AdResponseBuilder;
using test::ScriptedNetwork;
using Answer = ScriptedNetwork::LoadAnswer;

const std::string noFillCode = std::to_string(AdError::auctionNoFill().code());

SolenAdapterError noFill() { return SolenAdapterError::noFill(SolenErrorData::ofClass("Acme", "no ad", "later")); }

// One bidder over scripted "Acme" line items of network "acme" (load time-out 10 s), on the
// manual clock, with every tracker captured.
class PassiveWindowTest : public ::testing::Test {
protected:
    // How line item `id` answers: `answers` after `seconds` (0: inside the network's load), on
    // `queue` (none: the global queue when delayed).
    void script(const std::string& id, std::vector<Answer> answers, double seconds,
                std::shared_ptr<platform::DispatchQueue> queue = nullptr) {
        ScriptedNetwork::Script current = network_.script();
        current.lineItemLoads[id] = {std::move(answers), {seconds, std::move(queue)}};
        network_.setScript(std::move(current));
    }

    std::shared_ptr<PassiveBidder> start(const std::vector<std::string>& ids, std::int64_t windowSize,
                                         AdFormat format = AdFormat::banner) {
        std::vector<Ads> batch;
        for (const std::string& id : ids) {
            batch.push_back(AdResponseBuilder::lineItem(id, "acme"));
        }
        AdSetting setting;
        setting.adType = format;
        bidder_ = PassiveBidder::create(auction_, setting, windowSize);
        bidder_->load(std::move(batch));
        EXPECT_TRUE(test::settle());
        return bidder_;
    }

    void advance(double seconds) {
        clock_.advanceSeconds(seconds);
        EXPECT_TRUE(test::settle());
    }

    // The line items whose network load was called, sorted (loads run on the global queue).
    std::vector<std::string> loaded() const {
        std::vector<std::string> ids;
        for (const auto& call : network_.calls("load")) {
            ids.push_back(call.arguments["lineItemConfig"]["lineItemId"].get<std::string>());
        }
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    test::ScopedManualClock clock_;
    test::TrackerCapture capture_;
    test::ScopedAdapterSettings settings_{{test::ScopedAdapterSettings::network("acme", "Acme", 10000),
                                           test::ScopedAdapterSettings::network("missing", "Missing")}};
    ScriptedNetwork network_{"Acme", std::vector<AdFormat>(AdFormats::allCases.begin(), AdFormats::allCases.end()),
                             ScriptedNetwork::Script{}, SdkInitializedResult::success(true)};
    std::shared_ptr<test::RecordingAdBidderDelegate> auction_ = std::make_shared<test::RecordingAdBidderDelegate>();
    std::shared_ptr<PassiveBidder> bidder_;
};

TEST_F(PassiveWindowTest, LaterLoadWaitsForTheHeadAndWinsWhenItFails) {
    script("A", {Answer::failed(noFill())}, 2);
    script("B", {Answer::loaded()}, 1);
    start({"A", "B", "C", "D"}, 2);
    EXPECT_THAT(loaded(), ElementsAre("A", "B"));
    advance(1);
    EXPECT_THAT(auction_->events(), IsEmpty());  // B loaded, A still loading
    advance(1);
    EXPECT_THAT(auction_->events(), ElementsAre("adDidReceive", "didFinishLoading"));
    EXPECT_EQ(bidder_->winnerBidder()->ad()->lineItemId, "B");
    EXPECT_THAT(bidder_->localCacheAdapters(), IsEmpty());
    EXPECT_THAT(loaded(), ElementsAre("A", "B"));  // C and D never tried, and fire nothing
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("bidLoss:A", "networkFill:B", "networkLoad:A", "networkLoad:B",
                                                      "networkNoFill:A"));
    const auto fill = capture_.hits("networkFill").front();
    EXPECT_EQ(fill.macro("NETWORK_LATENCY"), "1000");
    EXPECT_EQ(fill.macro("CR_ID"), "creative-1");
    EXPECT_EQ(capture_.hits("networkNoFill").front().macro("DROP_REASON"), "NoFill");
}

TEST_F(PassiveWindowTest, HeadFailureSlidesTheWindowAndAWinAbandonsTheRest) {
    script("A", {Answer::failed(noFill())}, 1);
    script("B", {Answer::loaded()}, 3);
    script("C", {}, 0);  // silent
    start({"A", "B", "C", "D"}, 2);
    advance(1);
    EXPECT_THAT(loaded(), ElementsAre("A", "B", "C"));
    EXPECT_EQ(bidder_->localCacheAdapters().size(), 2u);
    EXPECT_EQ(bidder_->currentIndex(), 2);
    advance(2);
    EXPECT_THAT(auction_->events(), ElementsAre("adDidReceive", "didFinishLoading"));
    EXPECT_THAT(capture_.settledEvents(),
                ElementsAre("bidLoss:A", "bidLoss:C", "networkFill:B", "networkLoad:A", "networkLoad:B", "networkLoad:C",
                            "networkNoFill:A", "networkNoFill:C"));
    EXPECT_EQ(capture_.hit("bidLoss", "C").macro("DROP_REASON"), "ObjectDeallocated");  // C, let go while loading
    advance(20);  // C's load timer died with it
    EXPECT_EQ(auction_->events().size(), 2u);
    EXPECT_THAT(loaded(), ElementsAre("A", "B", "C"));
}

TEST_F(PassiveWindowTest, WindowSizesOneZeroAndAboveTheBatch) {
    for (const char* id : {"A", "B"}) {
        script(id, {Answer::failed(noFill())}, 1);
    }
    script("C", {Answer::loaded()}, 1);
    start({"A", "B", "C"}, 1);
    for (const auto& expected : {std::vector<std::string>{"A"}, {"A", "B"}, {"A", "B", "C"}}) {
        EXPECT_EQ(loaded(), expected);
        EXPECT_THAT(auction_->events(), IsEmpty());
        advance(1);
    }
    EXPECT_THAT(auction_->events(), ElementsAre("adDidReceive", "didFinishLoading"));

    network_.clearCalls();
    auction_->clear();
    start({"A", "B", "C"}, 10);
    EXPECT_THAT(loaded(), ElementsAre("A", "B", "C"));

    for (const std::int64_t size : {0, -1}) {
        network_.clearCalls();
        auction_->clear();
        auction_->queueBatch({AdResponseBuilder::lineItem("H", "acme")}, LineItemBatchKind::header);
        start({"A", "B"}, size);
        EXPECT_THAT(loaded(), IsEmpty());
        EXPECT_THAT(auction_->events(), ElementsAre("nextLineItems", "loadNextBidder:header:H"));
    }
}

TEST_F(PassiveWindowTest, OnlyTheHeadsFailureSlidesAndALaterLoadWinsOnceAllAheadFailed) {
    script("A", {Answer::failed(noFill())}, 3);
    script("B", {Answer::failed(noFill())}, 2);
    script("C", {Answer::loaded()}, 1);
    start({"A", "B", "C", "D"}, 3);
    advance(2);  // C loaded, B failed behind the loading head: no slide, no win
    EXPECT_THAT(loaded(), ElementsAre("A", "B", "C"));
    EXPECT_THAT(auction_->events(), IsEmpty());
    EXPECT_EQ(bidder_->localCacheAdapters().size(), 2u);
    EXPECT_FALSE(bidder_->precedingAdaptersFailed(*bidder_->localCacheAdapters().back()));
    advance(1);
    EXPECT_THAT(auction_->events(), ElementsAre("adDidReceive", "didFinishLoading"));
    EXPECT_EQ(bidder_->winnerBidder()->ad()->lineItemId, "C");
    EXPECT_THAT(loaded(), ElementsAre("A", "B", "C"));
}

TEST_F(PassiveWindowTest, LateFailureOfALineItemThatTimedOutRefillsTheWindow) {
    // B times out behind a loading head; its network's own failure comes later, when B has
    // left the window: the window refills to its size with C. (B's network adapter keeps its
    // delegate, B's wrapper, alive, as a network adapter may: here the test holds it.)
    settings_.add({test::ScopedAdapterSettings::network("quick", "Acme", 3000)});
    script("A", {}, 0);  // silent
    script("B", {Answer::failed(noFill())}, 3.5);
    script("C", {}, 0);
    AdSetting setting;
    bidder_ = PassiveBidder::create(auction_, setting, 2);
    bidder_->load({AdResponseBuilder::lineItem("A", "acme", 10000), AdResponseBuilder::lineItem("B", "quick"),
                   AdResponseBuilder::lineItem("C", "acme")});
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(loaded(), ElementsAre("A", "B"));
    const std::shared_ptr<InternalAdAdapter> wrapperOfB = bidder_->localCacheAdapters().at(1);
    advance(3);
    ASSERT_EQ(bidder_->localCacheAdapters().size(), 1u);  // B timed out: no slide behind the loading head
    EXPECT_THAT(loaded(), ElementsAre("A", "B"));
    advance(0.5);
    EXPECT_THAT(loaded(), ElementsAre("A", "B", "C"));
    std::vector<std::string> window;
    for (const auto& adapter : bidder_->localCacheAdapters()) {
        window.push_back(adapter->ad()->lineItemId);
    }
    EXPECT_THAT(window, ElementsAre("A", "C"));
    EXPECT_THAT(auction_->events(), IsEmpty());
    EXPECT_EQ(wrapperOfB->ad()->lineItemId, "B");
}

TEST_F(PassiveWindowTest, LineItemsWithoutAdaptersAreSkippedWithTrackersAndTheBatchHandsOver) {
    Ads unregistered = AdResponseBuilder::lineItem("Z", "nobody");
    AdSetting setting;
    bidder_ = PassiveBidder::create(auction_, setting, 2);
    bidder_->load({AdResponseBuilder::lineItem("X1", "missing"), unregistered, AdResponseBuilder::lineItem("X2", "missing")});
    EXPECT_THAT(auction_->events(), ElementsAre("nextLineItems", "sendFail:" + noFillCode));
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("networkLoad:X1", "networkLoad:X2", "networkLoad:Z",
                                                      "networkNoFill:X1", "networkNoFill:X2", "networkNoFill:Z"));
    for (const auto& hit : capture_.hits("networkLoad")) {
        EXPECT_EQ(hit.macro("NETWORK_LATENCY"), "");
        EXPECT_EQ(hit.macro("DROP_REASON"), "");
    }
    for (const auto& hit : capture_.hits("networkNoFill")) {
        EXPECT_EQ(hit.macro("DROP_REASON"), "AdapterNotFound");
        EXPECT_EQ(hit.macro("NETWORK_LATENCY"), "0");
        const std::string name = hit.lineItem == "Z" ? "nobody" : "Missing";
        EXPECT_THAT(hit.macro("DROP_DESCRIPTOR"), ::testing::HasSubstr("The " + name + " adapter requested"));
    }
    bidder_->startWindowSlide();  // handing over happens once
    EXPECT_EQ(auction_->count("nextLineItems"), 1u);
}

TEST_F(PassiveWindowTest, AfterAWinOnlyTheWinnersPresentationReportsGoOn) {
    script("A", {Answer::loaded(), Answer::failed(noFill()), Answer::loaded()}, 1,
           platform::DispatchQueue::createSerial("network.callbacks"));
    script("B", {Answer::loaded()}, 2);
    script("C", {Answer::failed(noFill())}, 0);
    start({"A", "B", "C"}, 3);
    advance(1);
    EXPECT_THAT(auction_->events(), ElementsAre("adDidReceive", "didFinishLoading"));
    const auto winner = bidder_->winnerBidder();
    ASSERT_EQ(winner->ad()->lineItemId, "A");
    // Whatever the other adapters report now changes nothing; so do the winner's later load reports.
    bidder_->adAdapterDidFail(winner, noFill());
    bidder_->adAdapterDidLoad(winner, nullptr);
    capture_.clear();
    auto adapter = std::dynamic_pointer_cast<test::ScriptedAdAdapter>(winner->solenAdAdapter());
    adapter->reportClick();
    adapter->reportImpression();
    adapter->reportDismiss();
    EXPECT_TRUE(test::settle());
    EXPECT_THAT(auction_->events(), ElementsAre("adDidReceive", "didFinishLoading", "interact", "impression",
                                                "willDismiss", "didDismiss"));
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("impression:A"));
    EXPECT_EQ(capture_.hits().front().macro("CR_ID"), "creative-1");
}

TEST_F(PassiveWindowTest, AdaptersAnsweringFromOtherThreads) {
    const auto serial = platform::DispatchQueue::createSerial("network.callbacks");
    script("A", {Answer::failed(noFill())}, 0, serial);
    script("B", {Answer::loaded()}, 0, platform::DispatchQueue::global());
    script("C", {Answer::loaded()}, 0.5, serial);
    for (const AdFormat format : AdFormats::allCases) {
        network_.clearCalls();
        auction_->clear();
        start({"A", "B", "C"}, 2, format);
        EXPECT_THAT(auction_->events(), ElementsAre("adDidReceive", "didFinishLoading"));
        EXPECT_EQ(bidder_->winnerBidder()->ad()->lineItemId, "B");
        EXPECT_EQ(bidder_->winnerBidder()->format(), format);
        EXPECT_EQ(auction_->adView() != nullptr, false);  // the scripted answers carry no view
        advance(1);
    }
}

}  // namespace
}  // namespace solen
