#include "Ad/Adapter/AdapterCall.h"
#include "Ad/Adapter/AdapterRecords.h"
#include "Ad/RenderEngine/Native/CreativeRenderingEngineData.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/ClassRegistry.h"
#include "support/LogCapture.h"
#include "support/ScopedManualClock.h"
#include "support/ScriptedNetwork.h"

#include <solen/adapters/SolenBaseInterstitialAdapter.h>
#include <solen/adapters/SolenBaseSDKAdapter.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <stdexcept>

namespace solen {
namespace {

using ::testing::ElementsAre;
using Json = nlohmann::ordered_json;
using platform::ClassRegistry;

TEST(AdapterRecordsTest, SettingsPassOnlyWhenTheyAreObjects) {
    const std::vector<std::pair<std::optional<Json>, std::optional<Json>>> rows = {
        {Json{{"appKey", "k"}, {"nested", {{"a", 1}}}}, Json{{"appKey", "k"}, {"nested", {{"a", 1}}}}},
        {Json::object(), Json::object()},
        {Json::array({1, 2}), std::nullopt},
        {Json("text"), std::nullopt},
        {std::nullopt, std::nullopt},
    };
    for (const auto& [meta, expected] : rows) {
        AdapterConfig network;
        network.networkId = "n1";
        network.adapterName = "Acme";
        network.adapterMeta = meta;
        Ads lineItem;
        lineItem.networkId = "n1";
        lineItem.lineItemMeta = meta;
        lineItem.adm = "PGRpdj4=";

        EXPECT_EQ(makeAdapterSdkConfiguration(network).networkConfig, expected);
        const AdapterAdConfiguration load = makeAdapterAdConfiguration(lineItem, &network, platform::Size{300, 250});
        EXPECT_EQ(load.lineItemConfig, expected);
        ASSERT_TRUE(load.adapterSdkConfig.has_value());  // the record is passed even without settings
        EXPECT_EQ(load.adapterSdkConfig->networkConfig, expected);
        EXPECT_EQ(load.adSize, (platform::Size{300, 250}));
        EXPECT_EQ(load.creativeModel, nullptr);

        const AdapterAdConfiguration unregistered = makeAdapterAdConfiguration(lineItem, nullptr, std::nullopt);
        EXPECT_FALSE(unregistered.adapterSdkConfig.has_value());
        EXPECT_FALSE(unregistered.adSize.has_value());
    }

    // The SDK's own renderers get the whole creative through the same slot.
    AdapterAdConfiguration load;
    load.creativeModel = std::make_shared<CreativeRenderingEngineData>(Creative{PubContentModel("PGRpdj4="), MarkupType::encodedS2s, "cr"});
    EXPECT_NE(std::dynamic_pointer_cast<const CreativeRenderingEngineData>(load.creativeModel), nullptr);
}

struct ExampleThrower {};

TEST(AdapterCallTest, EscapingExceptionsAreLoggedWithTheClassAndGiveTheFallback) {
    test::LogCapture log;
    const ExampleThrower thrower;
    using Token = std::optional<std::string>;
    EXPECT_EQ(callAdapter(thrower, "getBidToken", Token("fallback"), [] { return Token("token"); }), "token");
    EXPECT_TRUE(log.lines().empty());

    EXPECT_EQ(callAdapter(thrower, "getBidToken", Token("fallback"), []() -> Token { throw std::runtime_error("boom"); }),
              "fallback");
    EXPECT_EQ(callAdapter(thrower, "isReady", false, []() -> bool { throw 42; }), false);
    int ran = 0;
    callAdapter(thrower, "load", [&] { ++ran; });
    callAdapter(thrower, "show", [&] {
        ++ran;
        throw std::logic_error("no view controller");
    });
    EXPECT_EQ(ran, 2);
    EXPECT_TRUE(log.contains("ExampleThrower threw from getBidToken: boom"));
    EXPECT_TRUE(log.contains("ExampleThrower threw from isReady: an unknown exception"));
    EXPECT_TRUE(log.contains("ExampleThrower threw from show: no view controller"));
    EXPECT_EQ(log.count("threw from"), 3u);
}

// Records every callback of an interstitial adapter with the thread it came on.
class RecordingDelegate final : public InterstitialAdapterDelegate {
public:
    void adAdapterDidLoad(SolenBaseAdAdapter&, std::shared_ptr<platform::View>) override { note("didLoad"); }
    void adAdapterDidFailToLoad(SolenBaseAdAdapter&, SolenAdapterError error) override {
        note("didFail:" + std::string(error.rawValue()));
    }
    void adAdapterDidClick(SolenBaseAdAdapter&) override { note("click"); }
    void userWillLeaveApplicationFrom(SolenBaseAdAdapter&) override { note("leave"); }
    void adAdapterWillPresentScreen(SolenBaseAdAdapter&) override { note("willPresent"); }
    void adAdapterDidPresentScreen(SolenBaseAdAdapter&) override { note("didPresent"); }
    void adAdapterWillDismissScreen(SolenBaseAdAdapter&) override { note("willDismiss"); }
    void adAdapterDidDismissScreen(SolenBaseAdAdapter&) override { note("didDismiss"); }
    void adapterDidAdImpression(SolenBaseAdAdapter&) override { note("impression"); }
    void adAdapterDidVideoEventOccurred(VideoEvent event) override { note("video:" + std::to_string(static_cast<int>(event))); }
    void adAdapterDidFailToPresent(SolenBaseAdAdapter&, SolenAdapterError error) override {
        note("failToPresent:" + std::string(error.rawValue()));
    }

    std::vector<std::string> events() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }

private:
    void note(std::string event) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(std::move(event));
    }
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
};

bool settle() { return platform::DispatchQueue::waitUntilIdle(std::chrono::seconds(10)); }

TEST(ScriptedNetworkTest, StartUpAnswersAsScriptedIntoOneCellPerNetwork) {
    test::ScopedManualClock clock;
    const auto queue = platform::DispatchQueue::createSerial("scripted.startup");
    const SolenAdapterError failed = SolenAdapterError::adapterInitializationFailed(
        SolenErrorData::ofClass("Acme", "Acme adapter not initialized yet", "Please contact support@solen.ai"));
    test::ScriptedNetwork::Script script;
    script.startUpResult = SdkInitializedResult::failure(failed);
    script.startUpTiming = {2, queue};
    script.bidToken = "tok";
    test::ScriptedNetwork acme("Acme", {}, script);
    test::ScriptedNetwork other("Other", {}, {}, SdkInitializedResult::success(true));

    const auto make = [](const test::ScriptedNetwork& network) {
        return ClassRegistry::shared().lookup(network.sdkAdapterClassName())->create<SolenBaseSDKAdapter>();
    };
    ASSERT_EQ(acme.sdkAdapterClassName(), "SolenAcmeAdapter.AcmeSDKAdapter");
    const auto first = make(acme);
    const auto second = make(acme);
    std::mutex mutex;
    std::vector<std::thread::id> answeredOn;
    first->initOnSDKInit(AdapterSdkConfiguration(Json{{"appKey", "k"}}), [&, first](SdkInitializedResult result) {
        first->setSdkInitializedResult(std::move(result));
        std::lock_guard<std::mutex> lock(mutex);
        answeredOn.push_back(std::this_thread::get_id());
    });
    clock.advanceSeconds(1.9);
    ASSERT_TRUE(settle());
    EXPECT_EQ(second->sdkInitializedResult(), SdkInitializedResult::success(false));
    clock.advanceSeconds(0.1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(second->sdkInitializedResult().failureError(), failed);  // the class's one cell
    EXPECT_TRUE(make(other)->sdkInitializedResult().isReady());         // another network's cell
    {
        std::lock_guard<std::mutex> lock(mutex);
        ASSERT_EQ(answeredOn.size(), 1u);
        EXPECT_NE(answeredOn[0], std::this_thread::get_id());
    }
    EXPECT_EQ(second->getBidToken(AdapterSdkConfiguration()), "tok");
    EXPECT_EQ(second->initOnAdLoad(AdapterSdkConfiguration()), std::nullopt);

    // A start-up that never answers releases its handler.
    script.startUpResult.reset();
    acme.setScript(script);
    auto sentinel = std::make_shared<int>(0);
    const std::weak_ptr<int> watched = sentinel;
    make(acme)->initOnSDKInit(AdapterSdkConfiguration(), [sentinel = std::move(sentinel)](SdkInitializedResult) {});
    EXPECT_TRUE(watched.expired());

    const auto initCalls = acme.calls("initOnSDKInit");
    ASSERT_EQ(initCalls.size(), 2u);
    EXPECT_EQ(initCalls[0].arguments, (Json{{"networkConfig", {{"appKey", "k"}}}}));
    EXPECT_EQ(initCalls[0].thread, std::this_thread::get_id());
}

TEST(ScriptedNetworkTest, LoadAndShowAnswerAsScripted) {
    test::ScopedManualClock clock;
    using Answer = test::ScriptedNetwork::LoadAnswer;
    const auto noFill = SolenAdapterError::noFill(SolenErrorData::ofClass("Acme", "none", "later"));
    struct Row {
        std::vector<Answer> answers;
        test::ScriptedNetwork::Timing timing;
        std::vector<std::string> beforeDelay;
        std::vector<std::string> afterDelay;
    };
    // The queue is set after the table is built: a queue inside the braced table trips a false
    // "may be used uninitialized" warning of the optimiser.
    std::vector<Row> rows = {
        {{Answer::loaded()}, {}, {"didLoad"}, {"didLoad"}},
        {{Answer::failed(noFill)}, {}, {"didFail:NoFill"}, {"didFail:NoFill"}},
        {{}, {}, {}, {}},
        {{Answer::loaded(), Answer::failed(noFill)}, {}, {"didLoad", "didFail:NoFill"}, {"didLoad", "didFail:NoFill"}},
        {{Answer::loaded()}, {5, nullptr}, {}, {"didLoad"}},
    };
    rows[1].timing.queue = platform::DispatchQueue::global();
    for (const Row& row : rows) {
        test::ScriptedNetwork::Script script;
        script.loadAnswers = row.answers;
        script.loadTiming = row.timing;
        script.ready = false;
        script.showFailure = noFill;
        test::ScriptedNetwork network("Acme", {AdFormat::interstitial}, script);
        const auto adapter = ClassRegistry::shared()
                                 .lookup("SolenAcmeAdapter.AcmeInterstitialAdapter")
                                 ->create<SolenBaseInterstitialAdapter>();
        ASSERT_NE(adapter, nullptr);
        const auto delegate = std::make_shared<RecordingDelegate>();
        adapter->setDelegate(delegate);
        adapter->load(AdapterAdConfiguration(Json{{"placement", "p"}}, std::nullopt, platform::Size{320, 480}));
        ASSERT_TRUE(settle());
        EXPECT_EQ(delegate->events(), row.beforeDelay);
        clock.advanceSeconds(5);
        ASSERT_TRUE(settle());
        EXPECT_EQ(delegate->events(), row.afterDelay);
        EXPECT_EQ(network.calls("load").at(0).arguments,
                  (Json{{"lineItemConfig", {{"placement", "p"}}}, {"adSize", {320, 480}}, {"adMarkup", nullptr}, {"creative", false}}));
        EXPECT_EQ(network.lastAdapter(AdFormat::interstitial).get(), dynamic_cast<test::ScriptedAdAdapter*>(adapter.get()));
    }

    // Readiness, show outcomes and hand-driven reports.
    test::ScriptedNetwork::Script script;
    script.videoEvents = {VideoEvent::start, VideoEvent::complete};
    test::ScriptedNetwork network("Acme", {AdFormat::interstitial}, script);
    const auto adapter =
        ClassRegistry::shared().lookup("SolenAcmeAdapter.AcmeInterstitialAdapter")->create<SolenBaseInterstitialAdapter>();
    const auto delegate = std::make_shared<RecordingDelegate>();
    adapter->setDelegate(delegate);
    EXPECT_TRUE(adapter->isReady());
    adapter->show(nullptr);
    network.lastAdapter(AdFormat::interstitial)->reportClick();
    network.lastAdapter(AdFormat::interstitial)->reportDismiss();
    script.showFailure = SolenAdapterError::failedToShow(SolenErrorData::ofClass("Acme", "gone", "later"));
    network.setScript(script);
    adapter->show(nullptr);
    EXPECT_THAT(delegate->events(), ElementsAre("willPresent", "didPresent", "impression", "video:0", "video:4", "click",
                                                "willDismiss", "didDismiss", "failToPresent:FailedToShow"));
    EXPECT_EQ(adapter->getCreativeId(), "creative-1");
}

}  // namespace
}  // namespace solen
