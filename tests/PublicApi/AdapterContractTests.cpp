// An adapter package's view of the SDK: only <solen/...> headers, only libsolen.so.
#include <solen/SolenAdViewConfiguration.h>
#include <solen/SolenNativeAdView.h>
#include <solen/adapters/AdapterAdConfiguration.h>
#include <solen/adapters/CreativeData.h>
#include <solen/adapters/SolenAdapterError.h>
#include <solen/adapters/SolenBaseBannerAdapter.h>
#include <solen/adapters/SolenBaseInterstitialAdapter.h>
#include <solen/adapters/SolenBaseNativeAdapter.h>
#include <solen/adapters/SolenBaseRewardedAdapter.h>
#include <solen/adapters/SolenBaseSplashAdapter.h>
#include <solen/adapters/SolenSDKAdapter.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace acme {

using namespace solen;
using Json = nlohmann::ordered_json;

// Loads fill when the line item's settings say {"fill": true}; otherwise no fill.
template <class Protocol>
class ExampleLoader : public Protocol {
public:
    void load(const AdapterAdConfiguration& configuration) override {
        const auto delegate = Protocol::delegate();
        if (configuration.lineItemConfig && configuration.lineItemConfig->value("fill", false)) {
            delegate->adAdapterDidLoad(*this, platform::View::create());
        } else {
            delegate->adAdapterDidFailToLoad(*this, SolenAdapterError::noFill(SolenErrorData(*this, "No ad", "Retry later")));
        }
    }
    std::optional<std::string> getCreativeId() override { return "cr-7"; }
};

class ExampleAdapter final : public ExampleLoader<SolenBaseBannerAdapter> {
public:
    std::shared_ptr<platform::View> getAdView() override { return nullptr; }
};

template <class Protocol>
class ExampleFullScreenAdapter final : public ExampleLoader<Protocol> {
public:
    bool isReady() override { return true; }
    void show(std::shared_ptr<platform::ViewController>) override { Protocol::delegate()->adAdapterDidPresentScreen(*this); }
};

// Relies on the default frame update.
class ExampleNativeAdapter final : public ExampleLoader<SolenBaseNativeAdapter> {
public:
    std::shared_ptr<SolenNativeAdView> getAdView(std::optional<SolenAdViewConfiguration>) override {
        return std::make_shared<SolenNativeAdView>();
    }
    void adViewAttached(bool) override {}
};

class ExampleSplashAdapter final : public ExampleLoader<SolenBaseSplashAdapter> {
public:
    std::shared_ptr<platform::View> getAdView(std::optional<SolenAdViewConfiguration>) override { return nullptr; }
};

// Relies on the default bid token.
template <int Tag>
class ExampleSDKAdapter final : public SolenSDKAdapter<ExampleSDKAdapter<Tag>> {
public:
    static SdkInitializedResult initialSdkInitializedResult() { return SdkInitializedResult::success(false); }
    std::string networkSDKVersion() const override { return "9.1"; }
    std::string adapterVersion() const override { return "9.1.0"; }
    void initOnSDKInit(const AdapterSdkConfiguration&, SdkInitializedResultHandler handler) override {
        handler(SdkInitializedResult::success(true));
    }
    std::optional<SdkInitializedResult> initOnAdLoad(const AdapterSdkConfiguration&) override { return std::nullopt; }
};

template <class T>
struct Box {};

// Takes every format's callbacks; records "<callback>:<detail>".
class RecordingDelegate final : public BannerAdapterDelegate,
                                public InterstitialAdapterDelegate,
                                public RewardedAdapterDelegate,
                                public NativeAdapterDelegate,
                                public SplashAdapterDelegate {
public:
    std::vector<std::string> events;
    const SolenBaseAdAdapter* lastAdapter = nullptr;

    void adAdapterDidLoad(SolenBaseAdAdapter& adapter, std::shared_ptr<platform::View> view) override {
        note(adapter, std::string("didLoad:") + (view ? "view" : "none"));
    }
    void adAdapterDidFailToLoad(SolenBaseAdAdapter& adapter, SolenAdapterError error) override {
        note(adapter, "didFail:" + error.errorUserInfo()["domain"].get<std::string>());
    }
    void adAdapterDidClick(SolenBaseAdAdapter& adapter) override { note(adapter, "click"); }
    void userWillLeaveApplicationFrom(SolenBaseAdAdapter& adapter) override { note(adapter, "leave"); }
    void adAdapterWillPresentScreen(SolenBaseAdAdapter& adapter) override { note(adapter, "willPresent"); }
    void adAdapterDidPresentScreen(SolenBaseAdAdapter& adapter) override { note(adapter, "didPresent"); }
    void adAdapterWillDismissScreen(SolenBaseAdAdapter& adapter) override { note(adapter, "willDismiss"); }
    void adAdapterDidDismissScreen(SolenBaseAdAdapter& adapter) override { note(adapter, "didDismiss"); }
    void adapterDidAdImpression(SolenBaseAdAdapter& adapter) override { note(adapter, "impression"); }
    void adAdapterDidVideoEventOccurred(VideoEvent) override { events.push_back("video"); }
    void adAdapterDidFailToPresent(SolenBaseAdAdapter& adapter, SolenAdapterError) override { note(adapter, "failToPresent"); }
    void adAdapterRewardsUnlocked(SolenBaseAdAdapter& adapter, Json) override { note(adapter, "rewards"); }
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override { return nullptr; }

private:
    void note(SolenBaseAdAdapter& adapter, std::string event) {
        lastAdapter = &adapter;
        events.push_back(std::move(event));
    }
};

}  // namespace acme

namespace solen {
namespace {

using ::testing::ElementsAre;
using Json = nlohmann::ordered_json;
using Kind = SolenAdapterError::Kind;

// Each format's fake, driven like the SDK does: delegate set, then load (fill, then no fill).
TEST(AdapterContractTest, EveryFormatCanBeWrittenOnThePublicHeadersAndReportsThroughItsDelegate) {
    auto delegate = std::make_shared<acme::RecordingDelegate>();
    auto banner = std::make_shared<acme::ExampleAdapter>();
    auto interstitial = std::make_shared<acme::ExampleFullScreenAdapter<SolenBaseInterstitialAdapter>>();
    auto rewarded = std::make_shared<acme::ExampleFullScreenAdapter<SolenBaseRewardedAdapter>>();
    auto native = std::make_shared<acme::ExampleNativeAdapter>();
    auto splash = std::make_shared<acme::ExampleSplashAdapter>();
    banner->setDelegate(delegate);
    interstitial->setDelegate(delegate);
    rewarded->setDelegate(delegate);
    native->setDelegate(delegate);
    splash->setDelegate(delegate);

    const std::vector<std::shared_ptr<SolenBaseAdAdapter>> adapters = {banner, interstitial, rewarded, native, splash};
    for (const auto& adapter : adapters) {
        delegate->events.clear();
        adapter->load(AdapterAdConfiguration(Json{{"fill", true}}));
        adapter->load(AdapterAdConfiguration(Json{{"fill", false}}));
        EXPECT_EQ(delegate->lastAdapter, adapter.get());
        EXPECT_EQ(adapter->getCreativeId(), "cr-7");
        ASSERT_EQ(delegate->events.size(), 2u);
        EXPECT_EQ(delegate->events[0], "didLoad:view");
        EXPECT_THAT(delegate->events[1], ::testing::StartsWith("didFail:ai.solen.Example"));
    }
    interstitial->show(nullptr);
    EXPECT_EQ(delegate->events.back(), "didPresent");

    // The defaults: no frame-update handling, no bid token.
    native->adViewFrameUpdated(platform::Rect(0, 0, 10, 10));
    EXPECT_EQ(acme::ExampleSDKAdapter<0>().getBidToken(AdapterSdkConfiguration(Json{{"k", 1}})), std::nullopt);

    // A delegate that is gone is not kept alive by the adapter.
    delegate.reset();
    EXPECT_EQ(banner->delegate(), nullptr);
}

TEST(AdapterContractTest, StartUpStateIsOneCellPerClassSharedByItsInstancesAndSafeFromManyThreads) {
    acme::ExampleSDKAdapter<1> first;
    acme::ExampleSDKAdapter<1> second;
    EXPECT_EQ(first.sdkInitializedResult(), SdkInitializedResult::success(false));  // the declared start

    first.initOnSDKInit(AdapterSdkConfiguration(), [&first](SdkInitializedResult result) {
        first.setSdkInitializedResult(std::move(result));
    });
    EXPECT_TRUE(second.sdkInitializedResult().isReady());
    EXPECT_FALSE(acme::ExampleSDKAdapter<2>::classSdkInitializedResult().isReady());  // another class

    const auto failure = SdkInitializedResult::failure(SolenAdapterError::adapterInitializationFailed(
        SolenErrorData::ofClass("Acme", "Acme adapter not initialized yet", "Please contact support@solen.ai")));
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            SolenBaseSDKAdapter& adapter = t % 2 ? static_cast<SolenBaseSDKAdapter&>(first) : second;
            for (int i = 0; i < 200; ++i) {
                adapter.setSdkInitializedResult(i % 3 ? SdkInitializedResult::success(i % 2) : failure);
                const SdkInitializedResult seen = adapter.sdkInitializedResult();
                EXPECT_TRUE(seen == failure || seen.isSuccess());
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    second.setSdkInitializedResult(failure);
    EXPECT_EQ(first.sdkInitializedResult().failureError(), failure.failureError());
    EXPECT_FALSE(first.sdkInitializedResult().isReady());
}

TEST(AdapterErrorTest, CasesHaveTheirNamesAndFixedCodesWhateverTheirOrder) {
    struct Row {
        SolenAdapterError (*make)(SolenErrorData);
        Kind kind;
        const char* rawValue;
        std::int64_t code;
    };
    const std::vector<Row> rows = {
        {&SolenAdapterError::adapterInitializationFailed, Kind::adapterInitializationFailed, "AdapterInitializationFailed", 8001},
        {&SolenAdapterError::invalidLineItemConfig, Kind::invalidLineItemConfig, "InvalidLineItemConfig", 8002},
        {&SolenAdapterError::objectCreationFailed, Kind::objectCreationFailed, "ObjectCreationFailed", 8003},
        {&SolenAdapterError::invalidAdMarkup, Kind::invalidAdMarkup, "InvalidAdMarkup", 8004},
        {&SolenAdapterError::noFill, Kind::noFill, "NoFill", 8005},
        {&SolenAdapterError::failedToShow, Kind::failedToShow, "FailedToShow", 8006},
        {&SolenAdapterError::adapterError, Kind::adapterError, "AdapterError", 8009},
        {&SolenAdapterError::lineItemTimeout, Kind::lineItemTimeout, "LineItemTimeout", 8007},
        {&SolenAdapterError::adapterNotFound, Kind::adapterNotFound, "AdapterNotFound", 8008},
        {&SolenAdapterError::objectDeallocated, Kind::objectDeallocated, "ObjectDeallocated", 8010},
        {&SolenAdapterError::auctionTimeout, Kind::auctionTimeout, "AuctionTimeout", 8011},
        {&SolenAdapterError::s2sRenderError, Kind::s2sRenderError, "S2sRenderError", 8012},
    };
    ASSERT_EQ(rows.size(), SolenAdapterError::kindCount);
    const acme::ExampleAdapter raiser;
    for (const Row& row : rows) {
        const SolenAdapterError error = row.make(SolenErrorData(raiser, "The network adapter timed out", "Please try again"));
        EXPECT_EQ(error.kind(), row.kind);
        EXPECT_EQ(error.rawValue(), row.rawValue);
        EXPECT_EQ(error.errorCode(), row.code);

        const Json info = error.errorUserInfo();
        std::vector<std::string> keys;
        for (const auto& item : info.items()) {
            keys.push_back(item.key());
        }
        EXPECT_THAT(keys, ElementsAre("domain", "errorCode", "dropDescription", "recoverySuggestion", "dropReason"));
        EXPECT_EQ(info, (Json{{"domain", "ai.solen.ExampleAdapter"},
                              {"errorCode", row.code},
                              {"dropDescription", "The network adapter timed out"},
                              {"recoverySuggestion", "Please try again"},
                              {"dropReason", row.rawValue}}));

        const platform::Error bridged = error.toError();
        EXPECT_EQ(bridged.domain, "ai.solen.SolenAdapterError");
        EXPECT_EQ(bridged.code, row.code);
        EXPECT_EQ(bridged.userInfo, info);
        EXPECT_THAT(bridged.localizedDescription, ::testing::HasSubstr("ai.solen.SolenAdapterError error " + std::to_string(row.code)));
    }
}

TEST(AdapterErrorTest, RaiserIsNamedByTheUnqualifiedNameOfItsDynamicClass) {
    struct Local {};
    const acme::ExampleAdapter adapter;
    const std::shared_ptr<SolenBaseAdAdapter> held = std::make_shared<acme::ExampleNativeAdapter>();
    const std::vector<std::pair<SolenErrorData, std::string>> rows = {
        {SolenErrorData(adapter, "", ""), "ExampleAdapter"},
        {SolenErrorData(static_cast<const SolenBaseAdAdapter&>(adapter), "", ""), "ExampleAdapter"},
        {SolenErrorData(held, "", ""), "ExampleNativeAdapter"},
        {SolenErrorData(std::shared_ptr<acme::ExampleSplashAdapter>(), "", ""), "ExampleSplashAdapter"},
        {SolenErrorData(acme::Box<acme::ExampleAdapter>(), "", ""), "Box<acme::ExampleAdapter>"},
        {SolenErrorData(Local(), "", ""), "Local"},
        {SolenErrorData::ofClass("BannerAdapter", "", ""), "BannerAdapter"},
    };
    for (const auto& [data, expected] : rows) {
        EXPECT_EQ(data.className(), expected);
    }
}

TEST(AdapterErrorTest, PrintedUserInfoIsOneWellFormedLineWhateverTheTexts) {
    const acme::ExampleAdapter raiser;
    const auto printed = [&](std::string reason) {
        return SolenAdapterError::noFill(SolenErrorData(raiser, std::move(reason), "Retry")).errorUserInfoDescription();
    };
    EXPECT_EQ(printed("No \"fill\""),
              R"(["domain": "ai.solen.ExampleAdapter", "errorCode": 8005, "dropDescription": "No \"fill\"", )"
              R"("recoverySuggestion": "Retry", "dropReason": "NoFill"])");

    const std::vector<std::pair<std::string, std::string>> rows = {
        {"", R"("dropDescription": "",)"},
        {"back\\slash", R"("dropDescription": "back\\slash",)"},
        {"two\nlines\r\tend", R"("dropDescription": "two\nlines\r\tend",)"},
        {std::string("nul\0bell\x07" "del\x7f", 13), R"("dropDescription": "nul\0bell\u{7}del\u{7F}",)"},
        {"next\xC2\x85line", R"("dropDescription": "next\u{85}line",)"},
        {"caf\xC3\xA9 \xE5\xBA\x83\xE5\x91\x8A \xF0\x9F\x8E\x89", "\"dropDescription\": \"caf\xC3\xA9 \xE5\xBA\x83\xE5\x91\x8A \xF0\x9F\x8E\x89\","},
        {"cut\xC3", "\"dropDescription\": \"cut\xEF\xBF\xBD\","},
        {"bad\xFF\xFE", "\"dropDescription\": \"bad\xEF\xBF\xBD\xEF\xBF\xBD\","},
    };
    for (const auto& [reason, expected] : rows) {
        const std::string line = printed(reason);
        EXPECT_THAT(line, ::testing::HasSubstr(expected)) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos);
        // The user info itself stays printable as JSON.
        EXPECT_NO_THROW((void)SolenAdapterError::noFill(SolenErrorData(raiser, reason, "")).errorUserInfo().dump());
    }
}

TEST(AdapterRecordsTest, LoadConfigurationStartsWithoutACreativeAndKeepsTheOneSetLater) {
    AdapterAdConfiguration configuration(Json{{"placement", "p1"}}, AdapterSdkConfiguration(Json{{"appKey", "k"}}),
                                         platform::Size{320, 50});
    EXPECT_EQ(configuration.creativeModel, nullptr);
    configuration.creativeModel = std::make_shared<CreativeData>("<div>ad</div>");
    const AdapterAdConfiguration copy = configuration;
    const auto creative = std::dynamic_pointer_cast<const CreativeData>(copy.creativeModel);
    ASSERT_NE(creative, nullptr);
    EXPECT_EQ(creative->adMarkup, "<div>ad</div>");
    EXPECT_EQ(copy.adSize, (platform::Size{320, 50}));
    EXPECT_EQ(copy.adapterSdkConfig->networkConfig, (Json{{"appKey", "k"}}));
}

}  // namespace
}  // namespace solen
