#include "Ad/Adapter/InternalAdapter/InternalAdAdapter.h"
#include "Ad/Managers/AuctionManager/Auctioneer.h"
#include "Ad/Managers/AuctionManager/Bidders/Bidder.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/AdResponseBuilder.h"
#include "support/DispatchWait.h"
#include "support/FakeRenderers.h"
#include "support/Gate.h"
#include "support/LogCapture.h"
#include "support/RecordingAdBidderDelegate.h"
#include "support/RecordingAuctioneerDelegate.h"
#include "support/ScopedAdapterSettings.h"
#include "support/ScopedManualClock.h"
#include "support/ScriptedNetwork.h"
#include "support/TrackerCapture.h"

#include <solen/adapters/SolenBaseRewardedAdapter.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <future>

namespace solen {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::AdResponseBuilder;
using test::Gate;
using test::ScopedAdapterSettings;
using test::ScriptedNetwork;
using Answer = ScriptedNetwork::LoadAnswer;
using Json = nlohmann::ordered_json;

const std::string timedOut = "didFail:" + std::to_string(AdError::auctionTimeout().code());
const std::string noFillEnd = "didFail:" + std::to_string(AdError::auctionNoFill().code());

SolenAdapterError noFill() { return SolenAdapterError::noFill(SolenErrorData::ofClass("Net", "no ad", "later")); }

// Line items by the first letter of their id: "A".."G" of the ordinary network "acme", "H" of the
// header-bidding network "hb", "M" of the header-bidding network "hbmiss" whose classes are
// missing, "L" of the ordinary network "late" (registered by the tests that use it), "X"
// unregistered server-to-server (markup "<div>"), "Y" unregistered, "N" unregistered without
// bid-loss trackers.
Ads item(const std::string& id) {
    switch (id[0]) {
    case 'H': return AdResponseBuilder::lineItem(id, "hb");
    case 'L': return AdResponseBuilder::lineItem(id, "late");
    case 'M': return AdResponseBuilder::lineItem(id, "hbmiss");
    case 'X': return AdResponseBuilder::s2sLineItem(id, "s2s-net", "PGRpdj4=");
    case 'Y': return AdResponseBuilder::lineItem(id, "nobody");
    case 'N': {
        Ads lineItem = AdResponseBuilder::lineItem(id, "nobody");
        lineItem.trackers.bidLoss.reset();
        return lineItem;
    }
    default: return AdResponseBuilder::lineItem(id, "acme");
    }
}

class AuctionTest : public ::testing::Test {
protected:
    void script(ScriptedNetwork& network, const std::string& id, std::vector<Answer> answers, double seconds) {
        ScriptedNetwork::Script current = network.script();
        current.lineItemLoads[id] = {std::move(answers), {seconds, nullptr}};
        network.setScript(std::move(current));
    }

    void start(const std::vector<std::string>& ids, std::int64_t auctionTimeout = 1000, AdFormat format = AdFormat::banner,
               std::optional<Json> rewards = std::nullopt) {
        begin(ids, auctionTimeout, format, std::move(rewards));
        EXPECT_TRUE(test::settle());
    }

    // Starts the auction and returns at once: the load steps it handed to the global queue may
    // not have run, and nothing it sent to the main queue has.
    void begin(const std::vector<std::string>& ids, std::int64_t auctionTimeout = 1000, AdFormat format = AdFormat::banner,
               std::optional<Json> rewards = std::nullopt) {
        AdResponseBuilder builder;
        for (const std::string& id : ids) {
            builder.add(item(id));
        }
        builder.auctionTimeout(auctionTimeout);
        if (rewards) {
            builder.rewards(*rewards);
        }
        AdSetting setting;
        setting.adType = format;
        setting.adUnitId = "unit-1";
        auctioneer_ = Auctioneer::create(manager_, setting);
        auctioneer_->startAuction(builder.build());
    }

    // Holds the load steps of `network`'s line items in the network's start-up for ad loading
    // (`initOnAdLoad`, which starts it) until `gate` opens: there a step has not reached the
    // wrapper yet.
    static void holdLoadSteps(ScriptedNetwork& network, const Gate& gate) {
        // The configuration's first use in the process starts every registered network once, from
        // the global queue: over before the hold, it cannot start this one behind its back.
        Bidder::formatSettings(AdFormat::interstitial);
        EXPECT_TRUE(test::drainGlobalQueue());
        ScriptedNetwork::Script held = network.script();
        held.adLoadResult = SdkInitializedResult::success(true);
        held.onInitOnAdLoad = gate.waiter();
        network.setScript(std::move(held));
        network.setSdkInitializedResult(SdkInitializedResult::success(false));
    }

    // Each of `lineItems` was tried and closed once as let go while loading (network load, then
    // no-fill and bid-loss with ObjectDeallocated), besides the `others` events.
    void expectClosedAsDeallocated(const std::vector<std::string>& lineItems, std::vector<std::string> others) {
        for (const std::string& id : lineItems) {
            for (const char* kind : {"bidLoss", "networkLoad", "networkNoFill"}) {
                others.push_back(std::string(kind) + ":" + id);
            }
        }
        std::sort(others.begin(), others.end());
        EXPECT_EQ(capture_.settledEvents(), others);
        for (const auto& hit : capture_.hits()) {
            EXPECT_EQ(hit.macro("DROP_REASON"), hit.kind == "networkLoad" ? "" : "ObjectDeallocated") << hit.kind;
        }
    }

    void advance(double seconds) {
        clock_.advanceSeconds(seconds);
        EXPECT_TRUE(test::settle());
    }

    test::ScopedManualClock clock_;
    test::TrackerCapture capture_;
    ScopedAdapterSettings settings_{{ScopedAdapterSettings::network("acme", "Acme", 10000),
                                     ScopedAdapterSettings::network("hb", "Hb", 3000, true),
                                     ScopedAdapterSettings::network("hbmiss", "HbMiss", 3000, true)}};
    std::vector<AdFormat> formats_{AdFormats::allCases.begin(), AdFormats::allCases.end()};
    ScriptedNetwork acme_{"Acme", formats_, ScriptedNetwork::Script{}, SdkInitializedResult::success(true)};
    ScriptedNetwork hb_{"Hb", formats_, ScriptedNetwork::Script{}, SdkInitializedResult::success(true)};
    std::shared_ptr<test::RecordingAuctioneerDelegate> manager_ = std::make_shared<test::RecordingAuctioneerDelegate>();
    std::shared_ptr<Auctioneer> auctioneer_;
};

TEST_F(AuctionTest, BatchesAreRunsOfOrdinaryItemsOrOneHeaderOrServerToServerItem) {
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> rows = {
        {{"A", "B", "H", "C"}, {"passive:A,B", "header:H", "passive:C", "none:"}},
        {{"X", "A"}, {"s2s:X", "passive:A", "none:"}},
        {{"A", "Y", "B"}, {"passive:A", "passive:B", "passive:", "passive:"}},
        {{"H"}, {"header:H", "none:"}},
        {{"Y"}, {"passive:", "passive:"}},
        {{"Y", "X", "H"}, {"s2s:X", "header:H", "passive:"}},
        {{}, {"none:"}},
    };
    for (const auto& [ids, expected] : rows) {
        std::vector<Ads> remaining;
        for (const std::string& id : ids) {
            remaining.push_back(item(id));
        }
        std::vector<std::string> batches;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            auto [lineItems, kind] = Auctioneer::nextLineItems(remaining);
            std::string text = test::RecordingAdBidderDelegate::kindName(kind) + ":";
            for (const Ads& lineItem : lineItems.value_or(std::vector<Ads>{})) {
                text += (text.back() == ':' ? "" : ",") + lineItem.lineItemId;
            }
            batches.push_back(text);
        }
        EXPECT_EQ(batches, expected);
    }

    // Whole auctions: an item passed over leaves an empty passive batch, which ends in no fill.
    script(acme_, "A", {Answer::failed(noFill())}, 0);
    script(acme_, "B", {Answer::failed(noFill())}, 0);
    start({"A", "Y", "B"});
    EXPECT_THAT(manager_->events(), ElementsAre(noFillEnd));
    EXPECT_THAT(acme_.calls("load").size(), 2u);
    // A and B by their wrappers; Y, never tried, when the auction ends (no error: empty reason).
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("bidLoss:A", "bidLoss:B", "bidLoss:Y", "networkLoad:A", "networkLoad:B",
                                                      "networkNoFill:A", "networkNoFill:B", "noAdFillEventUrl:-"));
    EXPECT_EQ(capture_.hit("bidLoss", "Y").macro("DROP_REASON"), "");
    start({"Y"});
    EXPECT_THAT(manager_->events(), ElementsAre(noFillEnd, noFillEnd));
}

TEST_F(AuctionTest, TheAuctionTimeOutCutsAPassiveBatchOnce) {
    script(acme_, "A", {Answer::loaded()}, 2);
    start({"A", "B", "H", "N", "C"});  // N has no bid-loss trackers: the losers after it still fire
    advance(1);
    EXPECT_THAT(manager_->events(), ElementsAre(timedOut));
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("bidLoss:C", "bidLoss:H", "networkLoad:A", "noAdFillEventUrl:-"));
    for (const auto& hit : capture_.hits()) {
        if (hit.kind != "networkLoad") {
            EXPECT_EQ(hit.macro("DROP_REASON"), "AuctionTimeout");
        }
    }
    const auto noAdFill = capture_.hits("noAdFillEventUrl").front();
    EXPECT_EQ(noAdFill.macro("LOAD_LATENCY"), "1000");
    EXPECT_EQ(noAdFill.macro("AUCTION_LATENCY"), "1000");
    EXPECT_THAT(noAdFill.macro("DROP_DESCRIPTOR"), ::testing::HasSubstr("Failed to get an ad because the auction timed out"));
    capture_.clear();
    advance(1);  // A loads late: its own fill tracker, nothing for the auction
    EXPECT_THAT(manager_->events(), ElementsAre(timedOut));
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("networkFill:A"));
    auctioneer_.reset();  // released after the failure: nothing more
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("networkFill:A"));

    script(acme_, "A", {}, 0);
    start({"A"}, -5);  // a negative time-out fires on the next turn
    EXPECT_THAT(manager_->events(), ElementsAre(timedOut, timedOut));
}

TEST_F(AuctionTest, HeaderItemsOutliveTheAuctionTimeOutAndFailOnAtOnce) {
    script(hb_, "H", {Answer::loaded()}, 2);
    start({"H", "A"});
    advance(2);
    EXPECT_THAT(manager_->events(), ElementsAre("didFinishLoading"));
    const auto fill = capture_.hits("adFill");
    ASSERT_EQ(fill.size(), 1u);
    EXPECT_EQ(fill[0].lineItem, "H");
    EXPECT_EQ(fill[0].macro("AUCTION_LATENCY"), "0");  // ended when the load started
    EXPECT_EQ(fill[0].macro("LOAD_LATENCY"), "2000");  // stamped again at the win
    EXPECT_EQ(fill[0].macro("CR_ID"), "creative-1");
    EXPECT_THAT(capture_.hits("bidLoss").front().lineItem, "A");
    EXPECT_EQ(capture_.hits("bidLoss").front().macro("DROP_REASON"), "");

    capture_.clear();
    script(hb_, "H", {Answer::failed(noFill()), Answer::loaded()}, 0.5);
    script(acme_, "A", {Answer::loaded()}, 0.5);
    start({"M", "H", "A"});
    advance(0.5);
    EXPECT_THAT(acme_.calls("load").size(), 1u);  // A started right after H failed
    advance(0.5);
    EXPECT_THAT(manager_->events(), ElementsAre("didFinishLoading", "didFinishLoading"));
    // The missing header class fires nothing; H's second answer moves nothing.
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("adFill:A", "bidLoss:H", "networkFill:A", "networkLoad:A",
                                                      "networkLoad:H", "networkNoFill:H"));
}

TEST_F(AuctionTest, ServerToServerItemsLoadThroughTheFormatsRenderer) {
    test::FakeRenderers renderers({0, std::nullopt, true});
    struct Row {
        AdFormat format;
        double timeoutSeconds;
        std::string renderer;
    };
    for (const Row& row : {Row{AdFormat::rewarded, 10, "S2sInterstitialAdapter"}, Row{AdFormat::splash, 5, "S2sNativeAdapter"},
                           Row{AdFormat::banner, 5, "S2sBannerAdapter"}}) {
        start({"X"}, 1000, row.format);
        advance(row.timeoutSeconds - 0.5);
        EXPECT_THAT(manager_->events(), IsEmpty());
        advance(0.5);
        EXPECT_THAT(manager_->events(), ElementsAre(noFillEnd));
        EXPECT_EQ(renderers.loads().back(), row.renderer + ":<div>");
        EXPECT_EQ(capture_.hits("networkNoFill").back().macro("DROP_REASON"), "LineItemTimeout");
        *manager_ = test::RecordingAuctioneerDelegate();
    }

    renderers.setScript({0.5, noFill(), false});
    start({"X", "A", "B"});
    advance(0.5);
    EXPECT_THAT(manager_->events(), ElementsAre("didFinishLoading"));
    EXPECT_THAT(acme_.calls("load").size(), 1u);

    capture_.clear();
    renderers.setScript({0.5, std::nullopt, false});
    start({"X", "A"});
    advance(0.5);
    EXPECT_THAT(manager_->events(), ElementsAre("didFinishLoading", "didFinishLoading"));
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("adFill:X", "bidLoss:A", "networkFill:X", "networkLoad:X"));
    EXPECT_EQ(capture_.hits("adFill").front().macro("CR_ID"), "S2sBannerAdapter-creative");
}

TEST_F(AuctionTest, ReleaseFiresTheDeallocationTrackersOnceAndReportsNothing) {
    script(acme_, "A", {}, 0);
    start({"A", "H"});
    auctioneer_.reset();
    EXPECT_THAT(manager_->events(), IsEmpty());
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("bidLoss:A", "bidLoss:H", "networkLoad:A", "networkNoFill:A",
                                                      "noAdFillEventUrl:-"));
    for (const auto& hit : capture_.hits()) {
        EXPECT_EQ(hit.macro("DROP_REASON"), hit.kind == "networkLoad" ? "" : "ObjectDeallocated");
    }

    // A manager that lets go inside the failure report: the no-fill event stays single.
    capture_.clear();
    manager_->onEnd = [this] { auctioneer_.reset(); };
    start({});
    EXPECT_THAT(manager_->events(), ElementsAre(noFillEnd));
    EXPECT_EQ(auctioneer_, nullptr);
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("noAdFillEventUrl:-"));
}

TEST_F(AuctionTest, AReleasedAuctionAsksNoNetworkForAnAd) {
    // A and B (one window of two) and H; the auctioneer is released while the load steps of A and
    // B are held before they reach their wrappers.
    {
        Gate gate;
        holdLoadSteps(acme_, gate);
        begin({"A", "B", "H"}, 1000, AdFormat::interstitial);
        ASSERT_TRUE(test::waitUntil([&] { return acme_.count("initOnAdLoad") == 2; }));  // both steps are held
        auctioneer_.reset();
        gate.open();
        EXPECT_TRUE(test::settle());
    }
    EXPECT_EQ(acme_.count("load"), 0u);
    EXPECT_EQ(hb_.count("load"), 0u);
    EXPECT_THAT(manager_->events(), IsEmpty());
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("bidLoss:H", "noAdFillEventUrl:-"));
    for (const auto& hit : capture_.hits()) {
        EXPECT_EQ(hit.macro("DROP_REASON"), "ObjectDeallocated");
    }
    EXPECT_EQ(acme_.lastAdapter(AdFormat::interstitial), nullptr);  // the wrappers were let go

    // Released after the load steps ran (acme is started now) and before their loads reached
    // main: the network was asked for A and B, so each load ends as one let go while loading,
    // with its no-fill and bid-loss trackers once; nothing is reported.
    capture_.clear();
    acme_.clearCalls();
    begin({"A", "B", "H"}, 1000, AdFormat::interstitial);
    ASSERT_TRUE(test::drainGlobalQueue());
    EXPECT_EQ(acme_.count("load"), 2u);
    auctioneer_.reset();
    EXPECT_TRUE(test::settle());
    EXPECT_THAT(manager_->events(), IsEmpty());
    expectClosedAsDeallocated({"A", "B"}, {"bidLoss:H", "noAdFillEventUrl:-"});
    EXPECT_EQ(acme_.lastAdapter(AdFormat::interstitial), nullptr);
}

TEST_F(AuctionTest, EveryBidderThatLetsGoOfAnAskedNetworkClosesItsLineItemOnce) {
    // A header-bidding line item whose auction is released once its network was asked.
    script(hb_, "H", {}, 0);
    begin({"H"});
    ASSERT_TRUE(test::drainGlobalQueue());
    ASSERT_EQ(hb_.count("load"), 1u);
    auctioneer_.reset();
    EXPECT_TRUE(test::settle());
    EXPECT_THAT(manager_->events(), IsEmpty());
    expectClosedAsDeallocated({"H"}, {"noAdFillEventUrl:-"});

    // An auction that times out while A's network is asked, and that its manager lets go when
    // told: A's load reaches main after the auction is gone.
    capture_.clear();
    acme_.clearCalls();
    script(acme_, "A", {}, 0);
    manager_->onEnd = [this] { auctioneer_.reset(); };
    {
        Gate gate;
        holdLoadSteps(acme_, gate);
        begin({"A"}, 500);
        ASSERT_TRUE(test::waitHoldingMain([&] { return acme_.count("initOnAdLoad") == 1; }));
        clock_.advanceSeconds(0.5);  // the time-out waits for main, ahead of A's load
        ASSERT_TRUE(test::waitHoldingMain([] { return platform::MainLoop::shared().pendingCount() == 1; }));
        gate.open();
        ASSERT_TRUE(test::drainGlobalQueue());
        EXPECT_EQ(acme_.count("load"), 1u);
        EXPECT_TRUE(test::settle());
    }
    EXPECT_EQ(auctioneer_, nullptr);
    EXPECT_THAT(manager_->events(), ElementsAre(timedOut));
    EXPECT_THAT(capture_.settledEvents(),
                ElementsAre("bidLoss:A", "networkLoad:A", "networkNoFill:A", "noAdFillEventUrl:-"));
    EXPECT_EQ(capture_.hit("networkNoFill", "A").macro("DROP_REASON"), "ObjectDeallocated");
    EXPECT_EQ(capture_.hit("bidLoss", "A").macro("DROP_REASON"), "ObjectDeallocated");
}

TEST_F(AuctionTest, AWonWindowAsksNoNetworkForTheLoadsItLetGo) {
    // A fills inside its load; L's step is held until A has won, and L's network is never asked.
    settings_.add({ScopedAdapterSettings::network("late", "Late", 10000)});
    ScriptedNetwork late("Late", formats_);
    Gate gate;
    holdLoadSteps(late, gate);
    begin({"A", "L"}, 1000, AdFormat::interstitial);
    // A has won while L's step is held.
    ASSERT_TRUE(test::waitUntil([&] { return !manager_->events().empty() && late.count("initOnAdLoad") == 1; }));
    EXPECT_THAT(manager_->events(), ElementsAre("didFinishLoading"));
    gate.open();
    EXPECT_TRUE(test::settle());
    EXPECT_EQ(late.count("load"), 0u);
    EXPECT_THAT(manager_->events(), ElementsAre("didFinishLoading"));
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("adFill:A", "networkFill:A", "networkLoad:A"));
    EXPECT_EQ(late.lastAdapter(AdFormat::interstitial), nullptr);
}

TEST_F(AuctionTest, AWonWindowClosesTheLoadWhoseNetworkItAskedBeforeTheWin) {
    // A fills inside its load; L's step runs once A's load and fill wait for main, so that L's
    // network is asked and its load reaches main after A has won.
    settings_.add({ScopedAdapterSettings::network("late", "Late", 10000)});
    ScriptedNetwork::Script silent;
    silent.loadAnswers = {};
    ScriptedNetwork late("Late", formats_, silent);
    Gate gate;
    holdLoadSteps(late, gate);
    begin({"A", "L"}, 1000, AdFormat::interstitial);
    // A's load and its fill wait for main while L's step is held.
    ASSERT_TRUE(test::waitHoldingMain([&] {
        return late.count("initOnAdLoad") == 1 && platform::MainLoop::shared().pendingCount() == 2;
    }));
    gate.open();
    ASSERT_TRUE(test::drainGlobalQueue());
    EXPECT_EQ(late.count("load"), 1u);
    EXPECT_TRUE(test::settle());
    EXPECT_THAT(manager_->events(), ElementsAre("didFinishLoading"));
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("adFill:A", "bidLoss:L", "networkFill:A", "networkLoad:A",
                                                      "networkLoad:L", "networkNoFill:L"));
    EXPECT_EQ(capture_.hit("networkNoFill", "L").macro("DROP_REASON"), "ObjectDeallocated");
    EXPECT_EQ(capture_.hit("bidLoss", "L").macro("DROP_REASON"), "ObjectDeallocated");
    EXPECT_EQ(late.lastAdapter(AdFormat::interstitial), nullptr);
}

TEST_F(AuctionTest, TheWinnersReportsAreForwardedWithItsTrackers) {
    test::LogCapture log;
    for (const bool responseRewards : {true, false}) {
        *manager_ = test::RecordingAuctioneerDelegate();
        capture_.clear();
        start({"A"}, 1000, AdFormat::rewarded, responseRewards ? std::optional<Json>(Json{{"gems", 9}}) : std::nullopt);
        const auto winner = auctioneer_->bidder()->winnerBidder();
        ASSERT_NE(winner, nullptr);
        // A won auction keeps no storage of the line items; what follows needs only the winner's.
        EXPECT_EQ(auctioneer_->adResponse()->ads.capacity(), 0u);
        auto adapter = std::dynamic_pointer_cast<SolenBaseRewardedAdapter>(winner->solenAdAdapter());
        adapter->show(nullptr);
        std::dynamic_pointer_cast<test::ScriptedAdAdapter>(adapter)->reportClick();
        EXPECT_TRUE(test::settle());
        const std::string reward = responseRewards ? R"(reward:{"gems":9})" : R"(reward:{"type":"coins","amount":5})";
        EXPECT_THAT(manager_->events(), ElementsAre("didFinishLoading", "willPresent", "didPresent", "impression:none", reward,
                                                    "interact"));
        EXPECT_THAT(capture_.settledEvents(), ElementsAre("adFill:A", "click:A", "impression:A", "networkFill:A", "networkLoad:A"));
    }
    EXPECT_EQ(log.count("Solen reward missing"), 1u);
}

}  // namespace
}  // namespace solen
