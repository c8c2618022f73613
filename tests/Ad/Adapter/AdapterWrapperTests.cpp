#include "Ad/Adapter/InternalAdapter/AdapterWrapper.h"
#include "Ad/Adapter/InternalAdapter/BannerAdapter.h"
#include "Ad/Adapter/InternalAdapter/SplashAdapter.h"
#include "Ad/Managers/AuctionManager/AdTrackers/AdTracker.h"
#include "Commons/Configs/SettingsManager.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/ClassRegistry.h"
#include "support/DispatchWait.h"
#include "support/Gate.h"
#include "support/LogCapture.h"
#include "support/RecordedTrackers.h"
#include "support/RecordingBidder.h"
#include "support/ScopedAdapterSettings.h"
#include "support/ScopedManualClock.h"
#include "support/ScriptedNetwork.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace solen {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::RecordingBidder;
using test::ScriptedNetwork;

// Every macro in one query, so that a URL shows which values its moment carries.
constexpr const char* allMacros =
    "?i=$IMP&c=$CR_ID&n=$NETWORK_LATENCY&d=$DROP_REASON&s=$DROP_DESCRIPTOR&l=$LOAD_LATENCY&r=$RENDER_LATENCY&a=$AUCTION_LATENCY";

TEST(AdTrackerTest, EachKindReplacesAllEightMacrosWithItsOwnValues) {
    test::RecordedTrackers sent;
    test::LogCapture log;
    const AdTracker tracker(sent.manager());
    using K = Trackers::Kind;
    const std::vector<std::pair<Trackers, std::string>> rows = {
        {Trackers::noAdFillEventUrl("L", "A", "D", "S"), "?i=&c=&n=&d=D&s=S&l=L&r=&a=A"},
        {Trackers::networkLoad("I"), "?i=I&c=&n=&d=&s=&l=&r=&a="},
        {Trackers::networkFill("I", "C", "N"), "?i=I&c=C&n=N&d=&s=&l=&r=&a="},
        {Trackers::networkNoFill("I", "C", "N", "D", "S"), "?i=I&c=C&n=N&d=D&s=S&l=&r=&a="},
        {Trackers::adFill("I", "C", "L", "A"), "?i=I&c=C&n=&d=&s=&l=L&r=&a=A"},
        {Trackers::bidLoss("I", "C", "D", "S"), "?i=I&c=C&n=&d=D&s=S&l=&r=&a="},
        {Trackers::impression("I", "C", "R"), "?i=I&c=C&n=&d=&s=&l=&r=R&a="},
        {Trackers::click("I", std::nullopt), "?i=I&c=&n=&d=&s=&l=&r=&a="},
        {Trackers::video(K::videoQ2), "?i=&c=&n=&d=&s=&l=&r=&a="},
    };
    for (const auto& [kind, query] : rows) {
        sent.clear();
        tracker.fireAdTracker({std::string("https://t.test/x") + allMacros}, kind);
        EXPECT_THAT(sent.urls(), ElementsAre("https://t.test/x" + query));
    }

    sent.clear();
    tracker.fireAdTracker({"https://t.test/loss?l=$LOAD_LATENCY&r=$DROP_REASON&imp=$IMP", "not a url",
                           "https://t.test/two?d=$DROP_DESCRIPTOR"},
                          Trackers::bidLoss("", "cr", "NoFill", "a b:$"));
    EXPECT_THAT(sent.urls(), ElementsAre("https://t.test/loss?l=&r=NoFill&imp=", "https://t.test/two?d=a%20b:$"));

    sent.clear();
    tracker.fireAdTracker({}, Trackers::networkLoad(""));
    EXPECT_TRUE(sent.urls().empty());
    EXPECT_TRUE(log.contains("No tracker present on fireTracker"));
}

// A line item whose lists each hold one URL naming the list and carrying every macro.
Ads lineItem(const std::string& networkId) {
    Ads ad;
    ad.lineItemId = "li-1";
    ad.networkId = networkId;
    const auto list = [](const std::string& name) {
        return std::vector<std::string>{"https://t.test/" + name + "?i=$IMP&c=$CR_ID&n=$NETWORK_LATENCY&d=$DROP_REASON"};
    };
    auto& t = ad.trackers;
    t.networkLoad = list("load");
    t.networkFill = list("fill");
    t.networkNoFill = list("nofill");
    t.bidLoss = list("loss");
    t.videoStart = list("vstart");
    t.videoQ1 = list("vq1");
    t.videoQ2 = list("vq2");
    t.videoQ3 = list("vq3");
    t.videoComplete = list("vcomplete");
    t.videoSkip = list("vskip");
    t.click = list("click");
    t.impression = list("impression");
    return ad;
}

std::string url(const std::string& name, const std::string& creative, const std::string& latency,
                const std::string& reason = "") {
    return "https://t.test/" + name + "?i=&c=" + creative + "&n=" + latency + "&d=" + reason;
}

// A banner adapter that throws from `load` and `getCreativeId`.
class ThrowingBannerAdapter final : public SolenBaseBannerAdapter {
public:
    void load(const AdapterAdConfiguration&) override { throw std::runtime_error("network exploded"); }
    std::optional<std::string> getCreativeId() override { throw std::logic_error("no id"); }
    std::shared_ptr<platform::View> getAdView() override { return nullptr; }
};

class AdapterWrapperTest : public ::testing::Test {
protected:
    // A banner wrapper around the scripted network's banner adapter; `network` decides its answers.
    std::shared_ptr<BannerAdapter> banner(ScriptedNetwork& network, const std::shared_ptr<RecordingBidder>& owner) {
        auto adapter = platform::ClassRegistry::shared()
                           .lookup(network.adAdapterClassName(AdFormat::banner))
                           ->create<SolenBaseBannerAdapter>();
        return BannerAdapter::create(std::move(adapter), owner, trackers.manager());
    }

    test::ScopedManualClock clock;
    test::RecordedTrackers trackers;
    test::LogCapture log;
    std::shared_ptr<RecordingBidder> bidder = RecordingBidder::create();
};

TEST_F(AdapterWrapperTest, LoadsOnTheGlobalQueueAndReportsOnMainWithFillTrackers) {
    ScriptedNetwork::Script script;
    script.loadTiming = {0.25, platform::DispatchQueue::global()};
    const auto view = std::make_shared<platform::View>();
    script.loadAnswers = {ScriptedNetwork::LoadAnswer::loaded(view)};
    ScriptedNetwork network("WrapOk", {AdFormat::banner}, script);
    const auto wrapper = banner(network, bidder);
    EXPECT_EQ(wrapper->state(), AdapterAdState::initialised);

    wrapper->load(lineItem("wrap-ok"), AdapterAdConfiguration(), 2500);
    EXPECT_EQ(wrapper->state(), AdapterAdState::loading);
    EXPECT_TRUE(log.contains("LoadTimer has been created with interval 2.5"));
    EXPECT_EQ(wrapper->adLoadTimer()->timerInterval(), 2.5);
    ASSERT_TRUE(test::settle());
    ASSERT_EQ(network.calls("load").size(), 1u);
    EXPECT_FALSE(network.calls("load")[0].onMainThread);
    EXPECT_TRUE(bidder->reports().empty());

    clock.advanceSeconds(0.25);
    ASSERT_TRUE(test::settle());
    const auto reports = bidder->reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].name, "didLoad");
    EXPECT_EQ(reports[0].view, view);
    EXPECT_EQ(reports[0].adapter, wrapper.get());
    EXPECT_TRUE(reports[0].onMainThread);
    EXPECT_EQ(wrapper->state(), AdapterAdState::loaded);
    EXPECT_EQ(wrapper->networkLatency().getLatency(), 250);
    EXPECT_THAT(trackers.urls(), ElementsAre(url("load", "", ""), url("fill", "creative-1", "250")));

    // The expiry of the stopped timer changes nothing.
    clock.advanceSeconds(5);
    ASSERT_TRUE(test::settle());
    EXPECT_EQ(bidder->reports().size(), 1u);
    EXPECT_EQ(log.count("LoadTimer suspended"), 1u);
}

// The bidders' load, run from a global-queue block as their load step does, under `claim` (the
// bidder's claim on the load, taken when the load was handed over).
void loadFromGlobalQueue(const std::shared_ptr<InternalAdAdapter>& wrapper, InternalAdapterDelegate::LoadClaim claim, Ads ad,
                         double timeoutInMilli) {
    platform::DispatchQueue::global()->async(
        [held = wrapper, claim = std::move(claim), ad = std::move(ad), timeoutInMilli]() mutable {
            InternalAdAdapter& adapter = *held;
            adapter.loadFromGlobalQueue(std::move(held), std::make_shared<const std::optional<Ads>>(std::move(ad)),
                                        AdapterAdConfiguration(), timeoutInMilli, std::move(claim));
        });
}

TEST_F(AdapterWrapperTest, LoadFromTheGlobalQueueAsksTheNetworkThereAndStartsOnMainInOneHop) {
    ScriptedNetwork network("WrapHop", {AdFormat::banner}, {});  // answers inside its load
    const auto wrapper = banner(network, bidder);
    loadFromGlobalQueue(wrapper, bidder->loadClaim(), lineItem("wrap-hop"), 2500);
    ASSERT_TRUE(test::drainGlobalQueue());
    // Asked from the block itself; the load and the answer wait for main, in that order.
    ASSERT_EQ(network.count("load"), 1u);
    EXPECT_FALSE(network.calls("load")[0].onMainThread);
    EXPECT_EQ(wrapper->state(), AdapterAdState::initialised);
    EXPECT_EQ(platform::MainLoop::shared().pendingCount(), 2u);
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(bidder->summaries(), ElementsAre("didLoad"));
    EXPECT_TRUE(bidder->reports()[0].onMainThread);
    EXPECT_EQ(wrapper->state(), AdapterAdState::loaded);
    EXPECT_EQ(wrapper->ad()->lineItemId, "li-1");
    EXPECT_TRUE(wrapper->adConfiguration().has_value());
    EXPECT_TRUE(log.contains("LoadTimer has been created with interval 2.5"));
    EXPECT_EQ(wrapper->adLoadTimer()->state(), TimeKeeper::State::suspended);
    EXPECT_THAT(trackers.urls(), ElementsAre(url("load", "", ""), url("fill", "creative-1", "0")));

    // A network that is not ready is not asked: the load fails on main, without a timer.
    test::ScopedAdapterSettings settings({test::ScopedAdapterSettings::network("wrap-cold", "ColdNet")});
    ScriptedNetwork cold("ColdNet", {AdFormat::banner}, {}, SdkInitializedResult::success(false));
    bidder->clear();
    trackers.clear();
    const auto unready = banner(cold, bidder);
    loadFromGlobalQueue(unready, bidder->loadClaim(), lineItem("wrap-cold"), 2500);
    ASSERT_TRUE(test::settle());
    EXPECT_EQ(cold.count("load"), 0u);
    EXPECT_THAT(bidder->summaries(), ElementsAre("didFail:AdapterInitializationFailed"));
    EXPECT_EQ(unready->state(), AdapterAdState::failed);
    EXPECT_EQ(unready->adLoadTimer(), nullptr);
    const std::string reason = "AdapterInitializationFailed";
    EXPECT_THAT(trackers.urls(), ElementsAre(url("load", "", ""), url("nofill", "creative-1", "0", reason),
                                             url("loss", "creative-1", "", reason)));

    // A load whose bidder is gone before its step runs sends no tracker, asks no network and
    // starts nothing.
    ScriptedNetwork::Script silent;
    silent.loadAnswers = {};
    ScriptedNetwork quiet("WrapQuiet", {AdFormat::banner}, silent);
    trackers.clear();
    const auto orphan = banner(quiet, bidder);
    const auto claim = bidder->loadClaim();
    bidder.reset();
    loadFromGlobalQueue(orphan, claim, lineItem("wrap-hop"), 2500);
    ASSERT_TRUE(test::settle());
    EXPECT_EQ(quiet.count("load"), 0u);
    EXPECT_THAT(trackers.urls(), IsEmpty());
    EXPECT_EQ(orphan->state(), AdapterAdState::initialised);
    EXPECT_EQ(orphan->adLoadTimer(), nullptr);
    EXPECT_FALSE(orphan->ad().has_value());

}

// Every way a bidder lets go of a load after its step read the claim and asked the network: the
// bidder released, or one that no longer owns the load (a winner was set, it handed over). The
// load ends once, as one abandoned while loading, and nobody hears of it.
TEST_F(AdapterWrapperTest, ALoadLetGoAfterItsStepAskedTheNetworkEndsOnceAndReportsNothing) {
    ScriptedNetwork::Script silent;
    silent.loadAnswers = {};
    ScriptedNetwork network("WrapLetGo", {AdFormat::banner}, silent);
    const std::vector<std::string> closed = {url("load", "", ""), url("nofill", "creative-1", "0", "ObjectDeallocated"),
                                             url("loss", "creative-1", "", "ObjectDeallocated")};
    for (const bool released : {true, false}) {
        SCOPED_TRACE(released ? "bidder released" : "load no longer owned");
        trackers.clear();
        auto owner = RecordingBidder::create();
        const auto wrapper = banner(network, owner);
        loadFromGlobalQueue(wrapper, owner->loadClaim(), lineItem("wrap-letgo"), 2500);
        ASSERT_TRUE(test::drainGlobalQueue());
        EXPECT_EQ(network.count("load"), released ? 1u : 2u);
        if (released) {
            owner.reset();
        } else {
            owner->setOwnsLoads(false);
        }
        ASSERT_TRUE(test::settle());
        EXPECT_EQ(wrapper->state(), AdapterAdState::failed);
        EXPECT_EQ(wrapper->adLoadTimer(), nullptr);
        EXPECT_EQ(wrapper->ad()->lineItemId, "li-1");
        EXPECT_EQ(trackers.urls(), closed);

        // The network's late answers, the load time-out and a release change nothing.
        const auto adapter = network.lastAdapter(AdFormat::banner);
        adapter->reportLoad(ScriptedNetwork::LoadAnswer::loaded());
        adapter->reportLoad(ScriptedNetwork::LoadAnswer::failed(
            SolenAdapterError::noFill(SolenErrorData::ofClass("WrapLetGo", "no ad", "later"))));
        clock.advanceSeconds(5);
        ASSERT_TRUE(test::settle());
        EXPECT_EQ(wrapper->state(), AdapterAdState::failed);
        EXPECT_EQ(trackers.urls(), closed);
        if (owner) {
            EXPECT_TRUE(owner->reports().empty());
        }
    }

    // A load that failed at once (its network not ready) ends with its own error, told to nobody.
    test::ScopedAdapterSettings settings({test::ScopedAdapterSettings::network("wrap-letgo-cold", "ColdLetGo")});
    ScriptedNetwork cold("ColdLetGo", {AdFormat::banner}, {}, SdkInitializedResult::success(false));
    trackers.clear();
    auto owner = RecordingBidder::create();
    const auto unready = banner(cold, owner);
    loadFromGlobalQueue(unready, owner->loadClaim(), lineItem("wrap-letgo-cold"), 2500);
    ASSERT_TRUE(test::drainGlobalQueue());
    owner->setOwnsLoads(false);
    ASSERT_TRUE(test::settle());
    EXPECT_EQ(cold.count("load"), 0u);
    EXPECT_TRUE(owner->reports().empty());
    const std::string reason = "AdapterInitializationFailed";
    EXPECT_THAT(trackers.urls(), ElementsAre(url("load", "", ""), url("nofill", "creative-1", "0", reason),
                                             url("loss", "creative-1", "", reason)));
}

// A network that keeps its delegate for the whole of its `load()` holds the last reference to a
// wrapper its bidder let go: the wrapper is destroyed on the global queue, after its load was
// closed on main, or closing it there.
TEST_F(AdapterWrapperTest, AWrapperLetGoDuringItsNetworksLoadIsDestroyedOnTheGlobalQueueOnce) {
    const std::vector<std::string> closed = {url("load", "", ""), url("nofill", "creative-1", "0", "ObjectDeallocated"),
                                             url("loss", "creative-1", "", "ObjectDeallocated")};
    // The full-screen wrappers add a render timer, the native one a view link.
    for (const AdFormat format : {AdFormat::banner, AdFormat::interstitial, AdFormat::native})
    for (const bool loadingOnMain : {false, true}) {
        SCOPED_TRACE(std::string(AdFormats::rawValue(format)) +
                     (loadingOnMain ? ": released while loading" : ": let go before the load reached main"));
        trackers.clear();
        test::Gate gate;
        ScriptedNetwork::Script holding;
        holding.onLoad = gate.waiter();
        holding.loadAnswers = {ScriptedNetwork::LoadAnswer::loaded()};  // made before the load returns
        ScriptedNetwork network("WrapHeld", {format}, holding);
        auto owner = RecordingBidder::create();
        std::shared_ptr<InternalAdAdapter> wrapper = AdapterWrapper::create(
            format, platform::ClassRegistry::shared().lookup(network.adAdapterClassName(format))->create<SolenBaseAdAdapter>(),
            owner, trackers.manager());
        const std::weak_ptr<InternalAdAdapter> watched = wrapper;
        loadFromGlobalQueue(wrapper, owner->loadClaim(), lineItem("wrap-held"), 2500);
        wrapper.reset();
        ASSERT_TRUE(test::waitHoldingMain([&] { return network.count("load") == 1; }));
        if (loadingOnMain) {
            platform::MainLoop::shared().runUntilIdle();  // the load starts on main
            EXPECT_EQ(watched.lock()->state(), AdapterAdState::loading);
        }
        owner.reset();
        platform::MainLoop::shared().runUntilIdle();
        ASSERT_FALSE(watched.expired());  // the network still holds it
        EXPECT_EQ(watched.lock()->state(), loadingOnMain ? AdapterAdState::loading : AdapterAdState::failed);

        gate.open();
        ASSERT_TRUE(test::drainGlobalQueue());
        EXPECT_TRUE(watched.expired());  // released there, without the main thread
        clock.advanceSeconds(5);
        ASSERT_TRUE(test::settle());
        EXPECT_EQ(trackers.urls(), closed);
    }
}

TEST_F(AdapterWrapperTest, ReadinessFailuresFailAtOnceWithoutTimerOrNetworkLoad) {
    const auto stored = SolenAdapterError::noFill(SolenErrorData::ofClass("AcmeNet", "start failed", "later"));
    struct Row {
        std::string networkId;
        std::optional<AdapterConfig> registered;
        SdkInitializedResult cell;
        std::optional<SolenAdapterError> expected;  // none: the load goes ahead
    };
    const auto config = [](std::string id, std::string adapterName) {
        AdapterConfig network;
        network.networkId = std::move(id);
        network.adapterName = std::move(adapterName);
        return network;
    };
    const std::string contact = std::string("Please contact ") + SolenAdapterError::supportAddress;
    const std::vector<Row> rows = {
        {"ready-none", std::nullopt, SdkInitializedResult::success(false), std::nullopt},
        {"ready-ok", config("ready-ok", "ReadyNet"), SdkInitializedResult::success(true), std::nullopt},
        {"ready-missing", config("ready-missing", "GhostNet"), SdkInitializedResult::success(true),
         SolenAdapterError::adapterInitializationFailed(SolenErrorData::ofClass(
             "BannerAdapter", "Not able to find the SDKAdapter class of this networkGhostNet", contact))},
        {"ready-cold", config("ready-cold", "ReadyNet"), SdkInitializedResult::success(false),
         SolenAdapterError::adapterInitializationFailed(
             SolenErrorData::ofClass("BannerAdapter", "ReadyNet adapter not initialized yet", contact))},
        {"ready-failed", config("ready-failed", "ReadyNet"), SdkInitializedResult::failure(stored), stored},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.networkId);
        ScriptedNetwork network("ReadyNet", {AdFormat::banner}, {}, row.cell);
        if (row.registered) {
            SettingsManager::shared()->fillAdapterSettings({*row.registered});
        }
        bidder->clear();
        trackers.clear();
        const auto wrapper = banner(network, bidder);
        wrapper->load(lineItem(row.networkId), AdapterAdConfiguration(), 1000);
        if (!row.expected) {
            ASSERT_TRUE(test::settle());
            EXPECT_EQ(network.count("load"), 1u);
            EXPECT_THAT(bidder->summaries(), ElementsAre("didLoad"));
            continue;
        }
        // Reported from inside the load, after the no-fill and then the bid-loss trackers.
        ASSERT_EQ(bidder->reports().size(), 1u);
        EXPECT_EQ(bidder->reports()[0].error, row.expected);
        EXPECT_EQ(wrapper->state(), AdapterAdState::failed);
        EXPECT_EQ(wrapper->adLoadTimer(), nullptr);
        const std::string reason(row.expected->rawValue());
        EXPECT_THAT(trackers.urls(), ElementsAre(url("load", "", ""), url("nofill", "creative-1", "0", reason),
                                                 url("loss", "creative-1", "", reason)));
        ASSERT_TRUE(test::settle());
        EXPECT_EQ(network.count("load"), 0u);
    }
}

TEST_F(AdapterWrapperTest, TimeOutFailsTheLoadOnceAndRacesWithTheAnswerInBothOrders) {
    ScriptedNetwork::Script silent;
    silent.loadAnswers = {};
    ScriptedNetwork network("WrapSlow", {AdFormat::banner}, silent);

    // A second start leaves one timer; only it expires.
    const auto wrapper = banner(network, bidder);
    wrapper->load(lineItem("wrap-slow"), AdapterAdConfiguration(), 3000);
    EXPECT_TRUE(log.contains("LoadTimer has been created with interval 3.0"));
    const auto first = wrapper->adLoadTimer();
    wrapper->startAdLoadTimer(2000);
    EXPECT_NE(wrapper->adLoadTimer(), first);
    EXPECT_EQ(first->state(), TimeKeeper::State::suspended);
    clock.advanceSeconds(2);
    ASSERT_TRUE(test::settle());
    clock.advanceSeconds(2);
    ASSERT_TRUE(test::settle());
    ASSERT_EQ(bidder->reports().size(), 1u);
    const SolenAdapterError error = *bidder->reports()[0].error;
    EXPECT_EQ(error.kind(), SolenAdapterError::Kind::lineItemTimeout);
    EXPECT_EQ(error.data().failureReason(), "The network adapter timed out");
    EXPECT_EQ(error.data().recoverySuggestion(), "Please try again");
    EXPECT_EQ(error.data().className(), "ScriptedBannerAdapter");
    EXPECT_EQ(log.count("adLoadTimer timeoutFailure"), 1u);
    EXPECT_THAT(trackers.urls(), ElementsAre(url("load", "", ""), url("nofill", "creative-1", "2000", "LineItemTimeout"),
                                             url("loss", "creative-1", "", "LineItemTimeout")));

    // A late answer is passed on: the wrapper is loaded again and fires its fill trackers.
    network.lastAdapter(AdFormat::banner)->reportLoad(ScriptedNetwork::LoadAnswer::loaded());
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(bidder->summaries(), ElementsAre("didFail:LineItemTimeout", "didLoad"));
    EXPECT_EQ(wrapper->state(), AdapterAdState::loaded);

    // Both on their way to main before it runs: the one that got there first decides.
    for (const bool answerFirst : {true, false}) {
        bidder->clear();
        const auto racer = banner(network, bidder);
        racer->load(lineItem("wrap-slow"), AdapterAdConfiguration(), 1000);
        ASSERT_TRUE(test::settle());
        const auto adapter = network.lastAdapter(AdFormat::banner);
        if (answerFirst) {
            adapter->reportLoad(ScriptedNetwork::LoadAnswer::loaded());
        }
        clock.advanceSeconds(1);
        ASSERT_TRUE(test::drainGlobalQueue());
        if (!answerFirst) {
            adapter->reportLoad(ScriptedNetwork::LoadAnswer::loaded());
        }
        ASSERT_TRUE(test::settle());
        if (answerFirst) {
            EXPECT_THAT(bidder->summaries(), ElementsAre("didLoad"));
        } else {
            EXPECT_THAT(bidder->summaries(), ElementsAre("didFail:LineItemTimeout", "didLoad"));
        }
    }

    // A time-out that is not positive fails at once, without asking the network.
    for (const double timeout : {0.0, -5.0}) {
        bidder->clear();
        network.clearCalls();
        const auto now = banner(network, bidder);
        now->load(lineItem("wrap-slow"), AdapterAdConfiguration(), timeout);
        EXPECT_THAT(bidder->summaries(), ElementsAre("didFail:LineItemTimeout"));
        ASSERT_TRUE(test::settle());
        EXPECT_EQ(network.count("load"), 0u);
    }
}

TEST_F(AdapterWrapperTest, CallbacksReachTheBidderOnMainThroughTheFormatGate) {
    ScriptedNetwork network("WrapGate", {AdFormat::banner, AdFormat::splash});
    const auto controller = std::make_shared<platform::ViewController>();
    using Drive = std::function<void(AdapterDelegate&, SolenBaseAdAdapter&)>;
    const std::vector<std::pair<Drive, std::string>> table = {
        {[](AdapterDelegate& d, SolenBaseAdAdapter& a) { d.adAdapterDidClick(a); }, "interact"},
        {[](AdapterDelegate& d, SolenBaseAdAdapter& a) { d.userWillLeaveApplicationFrom(a); }, "willLeave"},
        {[](AdapterDelegate& d, SolenBaseAdAdapter& a) { d.adAdapterWillPresentScreen(a); }, "willPresent"},
        {[](AdapterDelegate& d, SolenBaseAdAdapter& a) { d.adAdapterDidPresentScreen(a); }, "didPresent"},
        {[](AdapterDelegate& d, SolenBaseAdAdapter& a) { d.adAdapterWillDismissScreen(a); }, "willDismiss"},
        {[](AdapterDelegate& d, SolenBaseAdAdapter& a) { d.adAdapterDidDismissScreen(a); }, "didDismiss"},
        {[](AdapterDelegate& d, SolenBaseAdAdapter& a) { d.adapterDidAdImpression(a); }, "impression"},
        {[](AdapterDelegate& d, SolenBaseAdAdapter&) { d.adAdapterDidVideoEventOccurred(VideoEvent::pause); }, ""},
        {[](AdapterDelegate& d, SolenBaseAdAdapter& a) { d.adAdapterDidFailToLoad(a, SolenAdapterError::noFill(SolenErrorData(a, "none", "later"))); },
         "didFail:NoFill"},
        {[](AdapterDelegate& d, SolenBaseAdAdapter& a) { d.adAdapterDidLoad(a, nullptr); }, "didLoad"},
    };
    for (const auto interfaces : {RecordingBidder::Interfaces::everyFormat, RecordingBidder::Interfaces::loadResultOnly}) {
        const bool gated = interfaces == RecordingBidder::Interfaces::loadResultOnly;
        const auto owner = RecordingBidder::create(interfaces);
        owner->setViewController(controller);
        const auto bannerWrapper = banner(network, owner);
        auto splashAdapter = platform::ClassRegistry::shared()
                                 .lookup(network.adAdapterClassName(AdFormat::splash))
                                 ->create<SolenBaseSplashAdapter>();
        const auto splashWrapper =
            std::dynamic_pointer_cast<SplashAdapter>(AdapterWrapper::create(AdFormat::splash, splashAdapter, owner));
        ASSERT_NE(splashWrapper, nullptr);
        EXPECT_EQ(AdapterWrapper::create(AdFormat::native, splashAdapter, owner), nullptr);  // not a native adapter

        for (const std::shared_ptr<AdapterWrapper>& wrapper : {std::shared_ptr<AdapterWrapper>(bannerWrapper),
                                                               std::shared_ptr<AdapterWrapper>(splashWrapper)}) {
            for (const auto& [drive, expected] : table) {
                owner->clear();
                std::thread([&, wrapper] { drive(*wrapper, *wrapper->solenAdAdapter()); }).join();
                ASSERT_TRUE(test::settle());
                const bool loadResult = expected == "didLoad" || expected.starts_with("didFail");
                const bool reported = !expected.empty() && (!gated || loadResult);
                EXPECT_EQ(owner->summaries(), reported ? std::vector<std::string>{expected} : std::vector<std::string>{})
                    << expected;
                if (reported) {
                    EXPECT_TRUE(owner->reports()[0].onMainThread);
                }
            }
        }

        // The view-controller query is answered on main, also when asked from another thread.
        std::shared_ptr<platform::ViewController> answer;
        std::atomic<bool> answered = false;
        std::thread asking([&] {
            answer = bannerWrapper->viewControllerForModalPresentation();
            answered = true;
        });
        const bool done = test::waitUntil([&] { return answered.load(); });
        asking.join();
        ASSERT_TRUE(done);
        EXPECT_EQ(answer, gated ? nullptr : controller);
    }
    // None once the bidder is gone.
    auto owner = RecordingBidder::create();
    owner->setViewController(controller);
    const auto orphan = banner(network, owner);
    owner.reset();
    EXPECT_EQ(orphan->viewControllerForModalPresentation(), nullptr);
}

TEST_F(AdapterWrapperTest, VideoEventsFireTheirListsOnly) {
    ScriptedNetwork network("WrapVideo", {AdFormat::banner});
    const auto wrapper = banner(network, bidder);
    wrapper->load(lineItem("wrap-video"), AdapterAdConfiguration(), 1000);
    ASSERT_TRUE(test::settle());
    trackers.clear();
    const auto adapter = network.lastAdapter(AdFormat::banner);
    for (const auto event : {VideoEvent::start, VideoEvent::firstQuartile, VideoEvent::midpoint, VideoEvent::pause,
                             VideoEvent::thirdQuartile, VideoEvent::complete, VideoEvent::skip, VideoEvent::progress}) {
        adapter->reportVideoEvent(event);
    }
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(trackers.urls(), ElementsAre(url("vstart", "", ""), url("vq1", "", ""), url("vq2", "", ""),
                                             url("vq3", "", ""), url("vcomplete", "", ""), url("vskip", "", "")));
    EXPECT_THAT(bidder->summaries(), ElementsAre("didLoad"));
}

TEST_F(AdapterWrapperTest, AbandonAndReleaseInEachState) {
    ScriptedNetwork::Script silent;
    silent.loadAnswers = {};
    ScriptedNetwork network("WrapGone", {AdFormat::banner}, silent);
    const std::vector<std::string> deallocated = {
        url("nofill", "creative-1", "0", "ObjectDeallocated"), url("loss", "creative-1", "", "ObjectDeallocated")};

    // Initialised, loaded and failed wrappers report nothing when abandoned.
    const auto fresh = banner(network, bidder);
    fresh->abandon();
    const auto loaded = banner(network, bidder);
    loaded->load(lineItem("wrap-gone"), AdapterAdConfiguration(), 1000);
    ASSERT_TRUE(test::settle());
    network.lastAdapter(AdFormat::banner)->reportLoad(ScriptedNetwork::LoadAnswer::loaded());
    ASSERT_TRUE(test::settle());
    loaded->abandon();
    const auto failed = banner(network, bidder);
    failed->load(lineItem("wrap-gone"), AdapterAdConfiguration(), 0);
    failed->abandon();
    EXPECT_THAT(bidder->summaries(), ElementsAre("didLoad", "didFail:LineItemTimeout"));

    // Loading: objectDeallocated with its trackers, then the report; the timer is stopped.
    bidder->clear();
    trackers.clear();
    const auto loading = banner(network, bidder);
    loading->load(lineItem("wrap-gone"), AdapterAdConfiguration(), 1000);
    ASSERT_TRUE(test::settle());  // the network-load trackers leave with the network's load
    loading->abandon();
    ASSERT_EQ(bidder->reports().size(), 1u);
    const SolenAdapterError error = *bidder->reports()[0].error;
    EXPECT_EQ(error.kind(), SolenAdapterError::Kind::objectDeallocated);
    EXPECT_EQ(error.data().failureReason(), "Adapter failed to get a fill because the object was deallocated");
    EXPECT_EQ(error.data().recoverySuggestion(),
              std::string("Please try again. If you see this error consistently please reach out to ") +
                  SolenAdapterError::supportAddress);
    // The network's late answer and the time-out change nothing: the load was closed.
    network.lastAdapter(AdFormat::banner)->reportLoad(ScriptedNetwork::LoadAnswer::loaded());
    clock.advanceSeconds(2);
    ASSERT_TRUE(test::settle());
    EXPECT_EQ(bidder->reports().size(), 1u);
    EXPECT_EQ(loading->state(), AdapterAdState::failed);
    EXPECT_EQ(trackers.urls(), (std::vector<std::string>{url("load", "", ""), deallocated[0], deallocated[1]}));

    // Released while loading without abandon: the same trackers, no report; the network's late
    // answers (already on their way, or made afterwards) reach nobody.
    bidder->clear();
    trackers.clear();
    auto released = banner(network, bidder);
    released->load(lineItem("wrap-gone"), AdapterAdConfiguration(), 1000);
    ASSERT_TRUE(test::settle());
    const auto adapter = network.lastAdapter(AdFormat::banner);
    adapter->reportLoad(ScriptedNetwork::LoadAnswer::loaded());
    released.reset();
    adapter->reportLoad(ScriptedNetwork::LoadAnswer::loaded());
    clock.advanceSeconds(2);
    ASSERT_TRUE(test::settle());
    EXPECT_TRUE(bidder->reports().empty());
    EXPECT_EQ(trackers.urls(), (std::vector<std::string>{url("load", "", ""), deallocated[0], deallocated[1]}));

    // A bidder may let go of the wrapper while it is told of the result.
    auto dropped = banner(network, bidder);
    auto* const raw = dropped.get();
    bidder->releaseOnResult(std::move(dropped));
    raw->load(lineItem("wrap-gone"), AdapterAdConfiguration(), -1);
    EXPECT_THAT(bidder->summaries(), ElementsAre("didFail:LineItemTimeout"));
}

TEST_F(AdapterWrapperTest, ThrowingAdapterAndSuccessWithoutLineItem) {
    const auto thrower = std::make_shared<ThrowingBannerAdapter>();
    const auto wrapper = BannerAdapter::create(thrower, bidder, trackers.manager());
    EXPECT_EQ(wrapper->creativeId(), std::nullopt);

    // A success before any load: nothing is fired, the load is still reported.
    wrapper->adAdapterDidLoad(*thrower, nullptr);
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(bidder->summaries(), ElementsAre("didLoad"));
    EXPECT_TRUE(trackers.urls().empty());

    bidder->clear();
    wrapper->load(lineItem("wrap-throw"), AdapterAdConfiguration(), 1000);
    ASSERT_TRUE(test::settle());
    ASSERT_EQ(bidder->reports().size(), 1u);
    const SolenAdapterError error = *bidder->reports()[0].error;
    EXPECT_EQ(error.kind(), SolenAdapterError::Kind::adapterError);
    EXPECT_EQ(error.data().failureReason(), "network exploded");
    EXPECT_EQ(error.data().recoverySuggestion(), "Please try again");
    EXPECT_EQ(error.data().className(), "ThrowingBannerAdapter");
    EXPECT_THAT(trackers.urls(), ElementsAre(url("load", "", ""), url("nofill", "", "0", "AdapterError"),
                                             url("loss", "", "", "AdapterError")));
}

}  // namespace
}  // namespace solen

namespace solen {
namespace {

// A load the network fails: the timer is stopped once the bidder has been told (the next line item
// goes first), with one log line, and its deadline then changes nothing.
TEST_F(AdapterWrapperTest, AFailedLoadsTimerStopsOnceWithOneLine) {
    ScriptedNetwork::Script script;
    script.loadAnswers = {ScriptedNetwork::LoadAnswer::failed(
        SolenAdapterError::noFill(SolenErrorData::ofClass("WrapNoFill", "no ad", "later")))};
    ScriptedNetwork network("WrapNoFill", {AdFormat::banner}, script);
    const auto wrapper = banner(network, bidder);
    wrapper->load(lineItem("wrap-nofill"), AdapterAdConfiguration(), 2500);
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(bidder->summaries(), ElementsAre("didFail:NoFill"));
    EXPECT_EQ(wrapper->state(), AdapterAdState::failed);
    ASSERT_NE(wrapper->adLoadTimer(), nullptr);
    EXPECT_EQ(wrapper->adLoadTimer()->state(), TimeKeeper::State::suspended);
    EXPECT_EQ(log.count("LoadTimer suspended"), 1u);

    clock.advanceSeconds(5);
    ASSERT_TRUE(test::settle());
    wrapper->killAdTimer();
    EXPECT_EQ(bidder->reports().size(), 1u);
    EXPECT_EQ(log.count("adLoadTimer timeoutFailure"), 0u);
    EXPECT_EQ(log.count("LoadTimer suspended"), 1u);
    EXPECT_THAT(trackers.urls(), ElementsAre(url("load", "", ""), url("nofill", "creative-1", "0", "NoFill"),
                                             url("loss", "creative-1", "", "NoFill")));
}

}  // namespace
}  // namespace solen
