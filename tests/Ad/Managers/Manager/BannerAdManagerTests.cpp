// The banner ad manager over the scripted HTTP session on the manual clock: configuration and bid
// answers come from the session, the SDK is initialised through the real start-up once, line items
// load through scripted networks and fake renderers, and tracker hits are captured.
#include "Ad/Managers/Manager/BannerAdManager.h"

#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/ConfigManager.h"
#include "Commons/Configs/Network/ConfigResponse.h"
#include "Public/SdkStartup.h"
#include "support/AdResponseBuilder.h"
#include "support/ConfigAnswer.h"
#include "support/DispatchWait.h"
#include "support/FakeRenderers.h"
#include "support/LogCapture.h"
#include "support/RecordingAdManagerDelegate.h"
#include "support/ScopedAdapterSettings.h"
#include "support/ScopedApplication.h"
#include "support/ScopedManualClock.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedNetwork.h"
#include "support/SdkReady.h"
#include "support/TrackerCapture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <limits>

namespace solen {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::AdResponseBuilder;
using test::ScriptedNetwork;
using HttpAnswer = test::ScriptedHttpSession::Answer;
using LoadAnswer = ScriptedNetwork::LoadAnswer;

std::string code(const AdError& error) { return "didFail:" + std::to_string(error.code()); }

// The configuration every test runs under: fetch time-out 2500 ms and one ad unit per refresh case.
std::string configAnswer(bool disabled) {
    RootConfig root = ConfigDefaults::root(0);
    root.sdk.disabled = disabled;
    PrimeAdsConfig client = ConfigDefaults::primeAds(0);
    client.fetchTimeout = 2500;
    const std::vector<AdUnitsConfig> units = {{"unit-1", 60000, std::nullopt},  {"unit-999", 999, std::nullopt},
                                              {"unit-0", 0, std::nullopt},      {"unit-1500", 1500, std::nullopt},
                                              {"unit-neg", -5000, std::nullopt},
                                              {"unit-huge", std::numeric_limits<std::int64_t>::max(), std::nullopt}};
    return test::configAnswer(
        {root, ConfigDefaults::signals(), client, MediationConfig{{}, units}, ConfigDefaults::analytics()});
}

// A bid client that holds its request until the test sends it, so an answer can come late.
class HeldBidClient final : public AdNetworkInterface {
public:
    static std::shared_ptr<HeldBidClient> create() { return std::shared_ptr<HeldBidClient>(new HeldBidClient()); }
    void getAd(const std::string& requestId, const std::string& adUnitId, const ImpressionInfo& info) override {
        held_ = [this, requestId, adUnitId, info] { AdNetworkInterface::getAd(requestId, adUnitId, info); };
    }
    void send() {
        if (auto held = std::exchange(held_, nullptr)) held();
    }

private:
    HeldBidClient() : AdNetworkInterface(nullptr, nullptr) {}
    std::function<void()> held_;
};

// Public: the fault table's rows reach the fixture through a reference.
class BannerAdManagerTest : public ::testing::Test {
public:
    void SetUp() override {
        capture_.session()->setHandler([this](const platform::URLRequest& request) -> std::optional<HttpAnswer> {
            const std::string path = request.url() ? request.url()->path() : "";
            std::lock_guard lock(mutex_);
            if (path.ends_with("/configs")) {
                ++configRequests_;
                return HttpAnswer::status(200, configAnswer(false));
            }
            if (!path.ends_with("/bid")) return std::nullopt;
            ++bidRequests_;
            if (bids_.empty()) return HttpAnswer::status(204);
            HttpAnswer answer = bids_.front();
            if (bids_.size() > 1) bids_.pop_front();  // the last answer repeats
            return answer;
        });
        ASSERT_TRUE(test::initializeSdkOnce());
        ASSERT_TRUE(test::settle());
        capture_.clear();
        std::lock_guard lock(mutex_);
        configRequests_ = 0;
    }

    void TearDown() override {
        manager_.reset();
        EXPECT_TRUE(test::settle());
    }

    static AdSetting banner(std::string unit = "unit-1") {
        AdSetting setting;
        setting.adUnitId = std::move(unit);
        setting.adSize = AdSetting::Size{320, 50};
        return setting;
    }

    // The bid answers in turn (the last repeats; none: 204).
    void answerBids(std::vector<HttpAnswer> answers) {
        std::lock_guard lock(mutex_);
        bids_.assign(answers.begin(), answers.end());
    }
    static HttpAnswer bid(const std::vector<Ads>& lineItems, std::int64_t auctionTimeout = 1000,
                          std::function<void(AdResponse&)> change = nullptr) {
        AdResponseBuilder builder;
        for (const Ads& lineItem : lineItems) builder.add(lineItem);
        AdResponse response = builder.auctionTimeout(auctionTimeout).build();
        if (change) change(response);
        return HttpAnswer::status(200, response.encode().dump());
    }
    void script(const std::string& lineItem, std::vector<LoadAnswer> answers, double seconds = 0) {
        ScriptedNetwork::Script current = acme_.script();
        current.lineItemLoads[lineItem] = {std::move(answers), {seconds, nullptr}};
        acme_.setScript(current);
    }
    int bidRequests() {
        std::lock_guard lock(mutex_);
        return bidRequests_;
    }
    int configRequests() {
        std::lock_guard lock(mutex_);
        return configRequests_;
    }

    std::shared_ptr<BannerAdManager> makeManager(AdManager::Dependencies dependencies = {}) {
        manager_ = BannerAdManager::create(delegate_, std::move(dependencies));
        return manager_;
    }
    void load(AdSetting setting) {
        manager_->loadAd(std::move(setting));
        EXPECT_TRUE(test::settle());
    }
    void advance(double seconds) {
        clock_.advanceSeconds(seconds);
        EXPECT_TRUE(test::settle());
    }
    BannerStateType state() const { return manager_->bannerStateMachine().currentState(); }

    test::ScopedUserDefaults defaults_;
    test::ScopedApplication application_;
    test::ScopedManualClock clock_;
    test::TrackerCapture capture_;
    test::ScopedAdapterSettings settings_{{test::ScopedAdapterSettings::network("acme", "Acme", 10000),
                                           test::ScopedAdapterSettings::network("hb", "Hb", 3000, true)}};
    ScriptedNetwork acme_{"Acme", {AdFormat::banner, AdFormat::interstitial, AdFormat::rewarded, AdFormat::native},
                          ScriptedNetwork::Script{}, SdkInitializedResult::success(true)};
    ScriptedNetwork hb_{"Hb", {AdFormat::banner}, ScriptedNetwork::Script{}, SdkInitializedResult::success(true)};
    test::FakeRenderers renderers_;
    std::shared_ptr<test::RecordingAdManagerDelegate> delegate_ = std::make_shared<test::RecordingAdManagerDelegate>();
    std::shared_ptr<BannerAdManager> manager_;
    std::mutex mutex_;
    std::deque<HttpAnswer> bids_;
    int bidRequests_ = 0;
    int configRequests_ = 0;
};

TEST_F(BannerAdManagerTest, ValidationFailsInOrderBeforeAnyRequest) {
    const auto uninitialised = SdkStartup::create([] { return ConfigManager::shared(); });
    const auto sized = [](AdFormat format, std::optional<AdSetting::Size> size, std::optional<std::string> unit = "u") {
        AdSetting setting;
        setting.adType = format;
        setting.adUnitId = std::move(unit);
        setting.adSize = size;
        return setting;
    };
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    struct Row {
        bool disabled;
        bool initialised;
        AdSetting setting;
        AdError expected;
    };
    const std::vector<Row> rows = {
        {true, false, sized(AdFormat::banner, std::nullopt, std::nullopt), AdError::monetizationDisabled()},
        {false, false, sized(AdFormat::banner, std::nullopt, std::nullopt), AdError::sdkNotInitilize()},
        {false, true, sized(AdFormat::banner, std::nullopt, std::nullopt), AdError::invalidAdUnit()},
        {false, true, sized(AdFormat::banner, AdSetting::Size{0, 0}, ""), AdError::invalidAdUnit()},
        {false, true, sized(AdFormat::banner, std::nullopt), AdError::invalidAdSize()},
        {false, true, sized(AdFormat::banner, AdSetting::Size{320, 0}), AdError::invalidAdSize()},
        {false, true, sized(AdFormat::banner, AdSetting::Size{nan, 50}), AdError::invalidAdSize()},
        {false, true, sized(AdFormat::interstitial, AdSetting::Size{-1, 480}), AdError::invalidAdSize()},
        {false, true, sized(AdFormat::native, AdSetting::Size{320, inf}), AdError::invalidAdSize()},
    };
    for (const Row& row : rows) {
        if (row.disabled) {
            ConfigManager::shared()->handle(ConfigResponse::fromBody(configAnswer(true)), [](auto) {});
        }
        makeManager({nullptr, row.initialised ? nullptr : uninitialised});
        delegate_->clear();
        load(row.setting);
        EXPECT_THAT(delegate_->events(), ElementsAre(code(row.expected))) << code(row.expected);
        EXPECT_EQ(state(), BannerStateType::failedState);
        EXPECT_EQ(manager_->fetchTimer(), nullptr);
        if (row.disabled) {
            ConfigManager::shared()->handle(ConfigResponse::fromBody(configAnswer(false)), [](auto) {});
        }
    }
    EXPECT_EQ(bidRequests(), 0);

    // Interstitial settings need no size.
    makeManager();
    answerBids({bid({AdResponseBuilder::lineItem("A", "acme")})});
    load(sized(AdFormat::interstitial, std::nullopt));
    EXPECT_EQ(bidRequests(), 1);
}

TEST_F(BannerAdManagerTest, AWinIsReportedOnceWithTheFetchTimerFromTheConfiguration) {
    makeManager();
    answerBids({bid({AdResponseBuilder::lineItem("A", "acme")})});
    const auto view = std::make_shared<platform::View>();
    ScriptedNetwork::Script withView = acme_.script();
    withView.loadAnswers = {LoadAnswer::loaded(view)};  // the banner adapter hands out the first answer's view
    acme_.setScript(withView);
    manager_->loadAd(banner());
    ASSERT_NE(manager_->fetchTimer(), nullptr);
    EXPECT_DOUBLE_EQ(manager_->fetchTimer()->timerInterval(), 2.5);
    // A second load while this one runs is refused and leaves the setting.
    test::LogCapture log;
    manager_->loadAd(banner("unit-0"));
    EXPECT_TRUE(log.contains(AdError::invalidLoadRequest().description()));
    EXPECT_EQ(manager_->adSetting()->adUnitId, "unit-1");
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(delegate_->events(), ElementsAre("didFinishLoading"));
    EXPECT_EQ(delegate_->adView(), view);
    EXPECT_EQ(manager_->fetchTimer(), nullptr);
    EXPECT_NE(manager_->auctioneer(), nullptr);
    EXPECT_EQ(state(), BannerStateType::loadedState);  // not in a window: no refresh
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("adFill:A", "networkFill:A", "networkLoad:A"));
}

TEST_F(BannerAdManagerTest, RewardedVideoTurnsOnlyAnInterstitialIntoARewardedLoad) {
    const auto rewarded = [](AdResponse& response) { response.rewardedVideo = true; };
    for (const auto& [format, expected] : std::vector<std::pair<AdFormat, AdFormat>>{
             {AdFormat::banner, AdFormat::banner},
             {AdFormat::interstitial, AdFormat::rewarded},
             {AdFormat::native, AdFormat::native}}) {
        makeManager();
        answerBids({bid({AdResponseBuilder::lineItem("A", "acme")}, 1000, rewarded)});
        AdSetting setting = banner();
        setting.adType = format;
        load(setting);
        ASSERT_NE(manager_->auctioneer(), nullptr);
        EXPECT_EQ(manager_->auctioneer()->adSetting().adType, expected);
        EXPECT_EQ(manager_->adSetting()->adType, expected);
    }
}

TEST_F(BannerAdManagerTest, RefreshConfigAsksForTheMediationDocument) {
    makeManager();
    answerBids({bid({AdResponseBuilder::lineItem("A", "acme")}, 1000,
                    [](AdResponse& response) { response.refreshConfig = true; })});
    load(banner());
    EXPECT_TRUE(test::waitUntil([&] { return configRequests() >= 1; }));
    EXPECT_THAT(delegate_->results(), ElementsAre("didFinishLoading"));
}

// Each row ends in exactly one terminal delegate call, or none when the manager is released.
TEST_F(BannerAdManagerTest, EveryFaultEndsInOneTerminalCallAndNoneAfterARelease) {
    const auto noFill = SolenAdapterError::noFill(SolenErrorData::ofClass("Acme", "none", ""));
    const Ads a = AdResponseBuilder::lineItem("A", "acme");
    const Ads h = AdResponseBuilder::lineItem("H", "hb");
    const Ads x = AdResponseBuilder::s2sLineItem("X", "s2s-net", "PGRpdj4=");
    const HttpAnswer server500 = HttpAnswer::status(500, R"({"errors":["down"]})");
    const AdError bidFailure = AdError::serverError(0, "");  // any server error is 2012

    struct Row {
        std::string name;
        std::function<void(BannerAdManagerTest&)> arrange;
        bool held = false;  // the bid request waits for `send`
        std::function<void(BannerAdManagerTest&, HeldBidClient&)> act;
        std::vector<std::string> expected;
        int loads = -1;  // adapter loads, when checked
    };
    const auto release = [](BannerAdManagerTest& t) { t.manager_.reset(); };
    const std::vector<Row> rows = {
        {"bid failure", [&](auto& t) { t.answerBids({server500}); }, false, nullptr, {code(bidFailure)}},
        {"204", [](auto& t) { t.answerBids({HttpAnswer::status(204)}); }, false, nullptr, {code(AdError::noFill())}},
        {"fetch time-out", nullptr, true, [](auto& t, auto&) { t.advance(2.5); }, {code(AdError::fetchTimeOut())}},
        {"late answer after the time-out", [&](auto& t) { t.answerBids({bid({a})}); }, true,
         [](auto& t, HeldBidClient& client) {
             t.advance(2.5);
             client.send();
             t.advance(0);
         },
         {code(AdError::fetchTimeOut())}, 0},
        {"auction time-out, then the adapter loads",
         [&](auto& t) {
             t.answerBids({bid({a})});
             t.script("A", {LoadAnswer::loaded()}, 2);
         },
         false,
         [](auto& t, auto&) {
             t.advance(1);
             t.advance(1);
         },
         {code(AdError::auctionTimeout())}},
        {"adapter failure after success",
         [&](auto& t) {
             t.answerBids({bid({a})});
             t.script("A", {LoadAnswer::loaded(), LoadAnswer::failed(noFill)});
         },
         false, nullptr, {"didFinishLoading"}},
        {"adapter success twice",
         [&](auto& t) {
             t.answerBids({bid({a})});
             t.script("A", {LoadAnswer::loaded(), LoadAnswer::loaded()});
         },
         false, nullptr, {"didFinishLoading"}},
        {"header adapter failing after its load",
         [&](auto& t) {
             t.answerBids({bid({h})});
             auto script = t.hb_.script();
             script.loadAnswers = {LoadAnswer::loaded(), LoadAnswer::failed(noFill)};
             t.hb_.setScript(script);
         },
         false, nullptr, {"didFinishLoading"}},
        {"server-to-server renderer failing",
         [&](auto& t) {
             t.answerBids({bid({x})});
             t.renderers_.setScript({0, noFill, false});
         },
         false, nullptr, {code(AdError::auctionNoFill())}},
        {"released during the fetch", [&](auto& t) { t.answerBids({bid({a})}); }, true,
         [&](auto& t, HeldBidClient& client) {
             release(t);
             client.send();
             t.advance(3);
         },
         {}, 0},
        {"released during the auction",
         [&](auto& t) {
             t.answerBids({bid({a}, 5000)});
             t.script("A", {LoadAnswer::loaded()}, 2);
         },
         false,
         [&](auto& t, auto&) {
             release(t);
             t.advance(6);
         },
         {}},
        {"released after the win", [&](auto& t) { t.answerBids({bid({a})}); }, false,
         [&](auto& t, auto&) {
             release(t);
             t.advance(120);
         },
         {"didFinishLoading"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        script("A", {LoadAnswer::loaded()});
        acme_.clearCalls();
        renderers_.setScript({});
        delegate_->clear();
        if (row.arrange) row.arrange(*this);
        const auto client = HeldBidClient::create();
        makeManager({row.held ? client : nullptr, nullptr});
        manager_->setOnWindow(true);
        load(banner());
        if (row.act) row.act(*this, *client);
        advance(0);
        EXPECT_EQ(delegate_->results(), row.expected);
        if (row.loads >= 0) {
            EXPECT_EQ(acme_.count("load"), static_cast<std::size_t>(row.loads));
        }
        if (row.loads == 0) {
            EXPECT_THAT(capture_.settledEvents(), IsEmpty());
        }
        manager_.reset();
        EXPECT_TRUE(test::settle());
        capture_.clear();
    }
}

TEST_F(BannerAdManagerTest, RefreshFollowsTheAdUnitsIntervalOnlyInAWindow) {
    answerBids({bid({AdResponseBuilder::lineItem("A", "acme")})});
    // A window before the first load: the machine refuses the refresh.
    {
        test::LogCapture log;
        makeManager()->setOnWindow(true);
        EXPECT_TRUE(log.contains("Canno't refesh because Banner StateMachine fails due to invalid state"));
        EXPECT_EQ(manager_->refreshTimer(), nullptr);
    }
    struct Row {
        std::string unit;
        std::optional<double> timer;  // the armed interval
        bool notEnabledLine;
    };
    for (const Row& row : std::vector<Row>{{"unit-1", 60, false},
                                           {"unit-1500", 1, false},
                                           {"unit-999", std::nullopt, false},
                                           {"unit-neg", std::nullopt, false},
                                           {"unit-0", std::nullopt, true},
                                           {"unit-none", std::nullopt, true},
                                           {"unit-huge", 9223372036854775.0, false}}) {
        SCOPED_TRACE(row.unit);
        test::LogCapture log;
        makeManager()->setOnWindow(true);
        load(banner(row.unit));
        EXPECT_EQ(state(), BannerStateType::refreshLoadState);
        EXPECT_EQ(manager_->refreshTimer() != nullptr, row.timer.has_value());
        if (row.timer) {
            EXPECT_DOUBLE_EQ(manager_->refreshTimer()->interval(), *row.timer);
        }
        EXPECT_EQ(log.contains("Banner Refresh is not enabled for the adunit Optional(\"" + row.unit + "\")"),
                  row.notEnabledLine);
        EXPECT_EQ(log.contains("Banner Refresh starts with interval "), row.timer.has_value());
        // Refused by the machine until a new load result: re-entering the window arms nothing.
        manager_->setOnWindow(false);
        log.clear();
        manager_->setOnWindow(true);
        EXPECT_TRUE(log.contains("Canno't refesh because Banner StateMachine fails due to invalid state"));
        EXPECT_EQ(log.contains("Banner Refresh starts with interval "), false);
    }

    // 60 s: the tick reloads with the same setting; outside a window nothing is armed.
    makeManager()->setOnWindow(true);
    load(banner());
    const int before = bidRequests();
    advance(59);
    EXPECT_EQ(bidRequests(), before);
    advance(1);
    EXPECT_EQ(bidRequests(), before + 1);
    EXPECT_THAT(delegate_->results(), ::testing::Each("didFinishLoading"));
    manager_->setOnWindow(false);
    advance(600);
    EXPECT_EQ(bidRequests(), before + 1);
}

TEST_F(BannerAdManagerTest, ExpansionPausesTheRefreshAndTheBackgroundKeepsTheTimeLeft) {
    answerBids({bid({AdResponseBuilder::lineItem("A", "acme")})});
    makeManager()->setOnWindow(true);
    load(banner());
    Auctioneer& auction = *manager_->auctioneer();
    advance(20);
    manager_->auctioneerWillPresentScreen(auction);
    EXPECT_EQ(state(), BannerStateType::expandedState);
    test::LogCapture log;
    manager_->loadAd(banner());
    EXPECT_TRUE(log.contains(AdError::invalidLoadRequest().description()));
    const int before = bidRequests();
    advance(120);
    EXPECT_EQ(bidRequests(), before);
    manager_->auctioneerWillDismissScreen(auction);
    EXPECT_EQ(state(), BannerStateType::refreshLoadState);
    EXPECT_DOUBLE_EQ(manager_->refreshTimer()->interval(), 60);  // a fresh, full-length timer
    EXPECT_THAT(delegate_->events(), ElementsAre("didFinishLoading", "willPresent", "willDismiss"));

    // Background after 20 s for 100 s: the reload comes 40 s after the return.
    advance(20);
    application_.moveTo(platform::Application::State::background);
    advance(100);
    application_.moveTo(platform::Application::State::active);
    advance(39);
    EXPECT_EQ(bidRequests(), before);
    advance(1);
    EXPECT_EQ(bidRequests(), before + 1);
}

TEST_F(BannerAdManagerTest, AnUnbuildableRequestEndsAtTheFetchTimeOut) {
    makeManager({AdNetworkInterface::create(nullptr, [](const std::string&, const ImpressionInfo&) {
        return std::shared_ptr<Request>();
    }), nullptr});
    load(banner());
    EXPECT_THAT(delegate_->events(), IsEmpty());
    advance(2.5);
    EXPECT_THAT(delegate_->events(), ElementsAre(code(AdError::fetchTimeOut())));
    EXPECT_EQ(bidRequests(), 0);
}

}  // namespace
}  // namespace solen
