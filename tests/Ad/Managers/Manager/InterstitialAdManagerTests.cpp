// The interstitial ad manager and the public full-screen ad over the scripted HTTP session on the
// manual clock: line items load and show through a scripted network, every report is recorded.
#include "Ad/Managers/Manager/InterstitialAdManager.h"

#include "Ad/Adapter/InternalAdapter/BannerAdapter.h"
#include "Ad/Managers/AuctionManager/Bidders/Passive/PassiveBidder.h"
#include "Commons/Configs/ConfigDefaults.h"
#include "support/AdResponseBuilder.h"
#include "support/ConfigAnswer.h"
#include "support/DispatchWait.h"
#include "support/FakeRenderers.h"
#include "support/LogCapture.h"
#include "support/ScopedAdapterSettings.h"
#include "support/ScopedApplication.h"
#include "support/ScopedManualClock.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedNetwork.h"
#include "support/SdkStartupOnce.h"
#include "support/TrackerCapture.h"

#include <solen/SolenInterstitial.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace solen {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::AdResponseBuilder;
using test::ScriptedNetwork;
using HttpAnswer = test::ScriptedHttpSession::Answer;
using State = InterstitialState;

const nlohmann::ordered_json serverRewards = {{"type", "gems"}, {"amount", 3}};

// Every report as a short text, checking that each arrives on a main-queue turn of its own.
class Recorder final : public InterstitialAdMangerDelegate {
public:
    std::vector<std::string> events;

    void adManagerDidFinishLoading(AdManager&, std::shared_ptr<platform::View>) override { add("loaded"); }
    void adManagerDidFailToLoadWith(AdManager&, const AdError& error) override {
        add("failLoad:" + std::to_string(error.code()));
    }
    void adManagerDidInteract(AdManager&) override { add("click"); }
    void userWillLeaveApplicationFrom(AdManager&) override { add("leave"); }
    void adManagerWillPresentScreen(AdManager&) override { add("willPresent"); }
    void adManagerDidPresentScreen(AdManager&) override { add("didPresent"); }
    void adManagerWillDismissScreen(AdManager&) override { add("willDismiss"); }
    void adManagerDidDismissScreen(AdManager&) override { add("didDismiss"); }
    void adManagerDidAdImpression(AdManager&, std::optional<nlohmann::ordered_json>) override { add("impression"); }
    void adManagerRewardedActionCompletedWith(AdManager&, nlohmann::ordered_json rewards) override {
        add("reward:" + rewards.dump());
    }
    void adManagerDidFailToPresentWith(AdManager&, const PresentationError& error) override {
        add("failPresent:" + std::to_string(error.toError().code));
    }

private:
    void add(std::string event) { events.push_back(std::move(event)); }
};

class PublicRecorder final : public SolenInterstitialDelegate {
public:
    std::vector<std::string> events;
    void solenInterstitialDidLoad(SolenInterstitial&) override { events.push_back("didLoad"); }
    void solenInterstitialDidFailToDisplay(SolenInterstitial&, const platform::Error& error) override {
        events.push_back("didFailToDisplay:" + std::to_string(error.code));
    }
    void solenInterstitialWillDisplay(SolenInterstitial&) override { events.push_back("willDisplay"); }
    void solenInterstitialDidDisplay(SolenInterstitial&) override { events.push_back("didDisplay"); }
    void solenInterstitialWillDismiss(SolenInterstitial&) override { events.push_back("willDismiss"); }
    void solenInterstitialDidDismiss(SolenInterstitial&) override { events.push_back("didDismiss"); }
    void solenInterstitialImpression(SolenInterstitial&, const std::optional<nlohmann::ordered_json>&) override {
        events.push_back("impression");
    }
    void solenRewardsUnlocked(SolenInterstitial&, const nlohmann::ordered_json& rewards) override {
        events.push_back("rewards:" + rewards.dump());
    }
};

class InterstitialAdManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        capture_.session()->setHandler([this](const platform::URLRequest& request) -> std::optional<HttpAnswer> {
            const std::string path = request.url() ? request.url()->path() : "";
            if (path.ends_with("/configs")) {
                PrimeAdsConfig client = ConfigDefaults::primeAds(0);
                client.fetchTimeout = 2500;
                client.interstitial.showTimeOut = 5000;
                return HttpAnswer::status(200, test::configAnswer({ConfigDefaults::root(0), ConfigDefaults::signals(), client,
                                                                   MediationConfig{}, ConfigDefaults::analytics()}));
            }
            if (!path.ends_with("/bid")) return std::nullopt;
            std::lock_guard lock(mutex_);
            ++bidRequests_;
            AdResponse response = AdResponseBuilder().add(AdResponseBuilder::lineItem("A", "acme")).auctionTimeout(1000).build();
            if (rewarded_) {
                response.rewardedVideo = true;
                response.rewards = serverRewards;
            }
            return HttpAnswer::status(200, response.encode().dump());
        });
        ASSERT_TRUE(test::initializeSdkOnce());
        ASSERT_TRUE(test::settle());
        manager_ = InterstitialAdManager::create(recorder_);
    }
    void TearDown() override {
        manager_.reset();
        EXPECT_TRUE(test::settle());
    }

    static AdSetting setting() {
        AdSetting result;
        result.adType = AdFormat::interstitial;
        result.adUnitId = "unit-i";
        return result;
    }
    void script(const std::function<void(ScriptedNetwork::Script&)>& change) {
        ScriptedNetwork::Script current = acme_.script();
        change(current);
        acme_.setScript(current);
    }
    void loadAndSettle() {
        manager_->loadAd(setting());
        ASSERT_TRUE(test::settle());
    }
    void advance(double seconds) {
        clock_.advanceSeconds(seconds);
        ASSERT_TRUE(test::settle());
    }
    void show(std::shared_ptr<platform::ViewController> viewController = platform::ViewController::create()) {
        manager_->show(std::move(viewController));
        ASSERT_TRUE(test::settle());
    }
    void dismiss(AdFormat format) {
        acme_.lastAdapter(format)->reportDismiss();
        ASSERT_TRUE(test::settle());
    }
    int bidRequests() {
        std::lock_guard lock(mutex_);
        return bidRequests_;
    }
    State state() const { return manager_->stateMachine().currentState(); }

    test::ScopedUserDefaults defaults_;
    test::ScopedApplication application_;
    test::ScopedManualClock clock_;
    test::TrackerCapture capture_;
    test::ScopedAdapterSettings settings_{{test::ScopedAdapterSettings::network("acme", "Acme", 10000)}};
    ScriptedNetwork acme_{"Acme", {AdFormat::banner, AdFormat::interstitial, AdFormat::rewarded}, ScriptedNetwork::Script{},
                          SdkInitializedResult::success(true)};
    test::FakeRenderers renderers_;
    std::shared_ptr<Recorder> recorder_ = std::make_shared<Recorder>();
    std::shared_ptr<InterstitialAdManager> manager_;
    std::mutex mutex_;
    bool rewarded_ = false;
    int bidRequests_ = 0;
};

TEST_F(InterstitialAdManagerTest, ShowsThatCannotHappenFailOnceWithInternalErrorAndLeaveTheAdLoadable) {
    // Before a load: refused, the state stays.
    show();
    EXPECT_THAT(recorder_->events, ElementsAre("failPresent:2002"));
    EXPECT_EQ(state(), State::createdState);
    EXPECT_FALSE(manager_->isReady());

    manager_->loadAd(setting());
    EXPECT_FALSE(manager_->isReady());  // loading
    test::LogCapture log;
    manager_->loadAd(setting());
    EXPECT_TRUE(log.contains(AdError::invalidLoadRequest().description()));
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(recorder_->events, ElementsAre("failPresent:2002", "loaded"));
    EXPECT_TRUE(manager_->isReady());
    script([](auto& s) { s.ready = false; });
    EXPECT_FALSE(manager_->isReady());
    // A winner of another kind is never ready and never shown.
    const auto bidder = PassiveBidder::create({}, setting());
    bidder->setWinnerBidder(BannerAdapter::create(platform::ClassRegistry::shared()
                                                      .lookup(acme_.adAdapterClassName(AdFormat::banner))
                                                      ->create<SolenBaseBannerAdapter>(),
                                                  {}));
    EXPECT_FALSE(InterstitialAdManager::isWinningAdapterReady(*bidder));
    EXPECT_FALSE(InterstitialAdManager::showWinningAdapter(platform::ViewController::create(), *bidder));

    // No view controller: the network is not asked; the show ends and a load goes ahead.
    recorder_->events.clear();
    show(nullptr);
    EXPECT_THAT(recorder_->events, ElementsAre("failPresent:2002"));
    EXPECT_EQ(acme_.count("show"), 0u);
    EXPECT_EQ(state(), State::failedState);
    show();  // a second show
    EXPECT_THAT(recorder_->events, ElementsAre("failPresent:2002", "failPresent:2002"));
    loadAndSettle();
    EXPECT_EQ(bidRequests(), 2);
    EXPECT_EQ(state(), State::loadedState);
}

TEST_F(InterstitialAdManagerTest, EachShowEndsOnScreenOrInOneFailure) {
    struct Row {
        std::string name;
        bool rewarded;
        std::function<void(ScriptedNetwork::Script&)> change;
        double wait;  // seconds on the clock after the show
        std::vector<std::string> expected;
        State after;
    };
    const auto failure = SolenAdapterError::failedToShow(SolenErrorData::ofClass("Acme", "busy", ""));
    const std::string reward = "reward:" + serverRewards.dump();
    const std::vector<Row> rows = {
        {"presents", false, nullptr, 0, {"willPresent", "didPresent", "impression", "willDismiss", "didDismiss"},
         State::dismissState},
        // "Will present" stops the render timer: an ad on screen past the time-out stays there.
        {"presents and stays past the time-out", false, nullptr, 6,
         {"willPresent", "didPresent", "impression", "willDismiss", "didDismiss"}, State::dismissState},
        {"rewarded", true, nullptr, 0,
         {"willPresent", "didPresent", "impression", reward, "willDismiss", "didDismiss"}, State::dismissState},
        {"network failure, then the time-out", false, [&](auto& s) { s.showFailure = failure; }, 6,
         {"failPresent:" + std::to_string(failure.toError().code)}, State::failedState},
        {"never presents", false, [](auto& s) { s.presentsOnShow = false; }, 5, {"failPresent:2007"}, State::failedState},
        {"rewarded never presents", true, [](auto& s) { s.presentsOnShow = false; }, 5, {"failPresent:2007"},
         State::failedState},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        manager_ = InterstitialAdManager::create(recorder_);
        acme_.setScript({});
        if (row.change) script(row.change);
        rewarded_ = row.rewarded;
        loadAndSettle();
        const AdFormat format = row.rewarded ? AdFormat::rewarded : AdFormat::interstitial;
        ASSERT_EQ(manager_->adSetting()->adType, format);
        recorder_->events.clear();
        show();
        if (row.wait > 0) {
            advance(row.wait - 0.001);
            if (row.expected.front() == "failPresent:2007") {
                EXPECT_THAT(recorder_->events, IsEmpty());
            }
            advance(0.001);
        }
        if (row.expected.front() == "willPresent") dismiss(format);
        EXPECT_EQ(recorder_->events, row.expected);
        EXPECT_EQ(state(), row.after);
        const auto shows = acme_.calls("show");
        ASSERT_EQ(shows.size(), 1u);
        EXPECT_TRUE(shows[0].onMainThread);
        const int before = bidRequests();
        loadAndSettle();  // a finished show leaves the ad loadable
        EXPECT_EQ(bidRequests(), before + 1);
        acme_.clearCalls();
    }
}

TEST_F(InterstitialAdManagerTest, LoadsWhileAnAdShowsAreRefusedAsActive) {
    script([](auto& s) { s.presentsOnShow = false; });
    loadAndSettle();
    show();
    test::LogCapture log;
    loadAndSettle();
    EXPECT_TRUE(log.contains(AdError::adActive().description()));
    EXPECT_EQ(bidRequests(), 1);
    // Presenting late (after the time-out ended the show) still tells of the ad on screen.
    advance(5);
    recorder_->events.clear();
    acme_.lastAdapter(AdFormat::interstitial)->reportDismiss();
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(recorder_->events, ElementsAre("didDismiss"));
}

TEST_F(InterstitialAdManagerTest, PublicAdDeliversEveryCallbackOneHopAfterItsEventInOrder) {
    const auto delegate = std::make_shared<PublicRecorder>();
    auto ad = SolenInterstitial::create("unit-i", delegate);
    EXPECT_FALSE(ad->isReady());
    ad->show(platform::ViewController::create());
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(delegate->events, ElementsAre("didFailToDisplay:2002"));
    delegate->events.clear();

    rewarded_ = true;
    ad->load();
    ASSERT_TRUE(test::settle());
    EXPECT_TRUE(ad->isReady());
    ad->show(platform::ViewController::create());
    ASSERT_TRUE(test::settle());
    acme_.lastAdapter(AdFormat::rewarded)->reportDismiss();
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(delegate->events, ElementsAre("didLoad", "willDisplay", "didDisplay", "impression",
                                              "rewards:" + serverRewards.dump(), "willDismiss", "didDismiss"));
    // Released, it calls nobody.
    delegate->events.clear();
    ad->load();
    std::weak_ptr<SolenInterstitial> weak = ad;
    ad.reset();
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(delegate->events, IsEmpty());
    EXPECT_TRUE(weak.expired());
}

TEST_F(InterstitialAdManagerTest, TimerLinesWriteTheirSecondsAsTheWrappersDo) {
    test::LogCapture log;
    loadAndSettle();
    const auto lineEndsWith = [&log](const std::string& text) {
        const auto lines = log.lines();
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.ends_with(text); });
    };
    // Fetch time-out 2500 ms, auction time-out 1000 ms, network load time-out 10000 ms.
    EXPECT_TRUE(lineEndsWith(" fetchTimer has been created with interval 2.5"));
    EXPECT_TRUE(lineEndsWith(" auctionTimer has been created with interval 1.0"));
    EXPECT_TRUE(lineEndsWith(" LoadTimer has been created with interval 10.0"));
}

}  // namespace
}  // namespace solen
