// Finding network SDK adapters by name, starting them, and collecting header-bidding tokens, with
// scripted networks registered by class name.
#include "Ad/Adapter/AdapterFactory.h"
#include "Ad/Adapter/AdapterUtils.h"
#include "Ad/Network/BidRequestAssembler.h"
#include "Commons/Configs/SettingsManager.h"
#include "Commons/Utilities/Base64.h"
#include "Platform/Foundation/ClassRegistry.h"
#include "support/DispatchWait.h"
#include "support/LogCapture.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedNetwork.h"

#include <solen/adapters/AdapterRegistration.h>
#include <solen/adapters/SolenSDKAdapter.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace solen {
namespace {

using Json = nlohmann::ordered_json;
using platform::ClassRegistry;
using test::ScriptedNetwork;

// Settings entries are never removed, so every test uses network and ad-unit ids of its own.
AdapterConfig network(std::string id, std::string adapterName, bool headerBidder = true,
                      std::optional<Json> meta = Json{{"appKey", "k"}}) {
    return {std::move(id), std::move(adapterName), std::move(meta), headerBidder, 1000};
}

void registerNetworks(const std::vector<AdapterConfig>& networks) { SettingsManager::shared()->fillAdapterSettings(networks); }

ScriptedNetwork::Script tokenScript(std::optional<std::string> token, std::string version = "1.0.0") {
    ScriptedNetwork::Script script;
    script.bidToken = std::move(token);
    script.networkSDKVersion = std::move(version);
    return script;
}

// An SDK adapter whose every call into it throws.
class ThrowingSDKAdapter : public SolenSDKAdapter<ThrowingSDKAdapter> {
public:
    static SdkInitializedResult initialSdkInitializedResult() { return SdkInitializedResult::success(false); }
    std::string networkSDKVersion() const override { throw std::runtime_error("no version"); }
    std::string adapterVersion() const override { return "1"; }
    void initOnSDKInit(const AdapterSdkConfiguration&, SdkInitializedResultHandler) override {
        throw std::runtime_error("start-up failed");
    }
    std::optional<SdkInitializedResult> initOnAdLoad(const AdapterSdkConfiguration&) override {
        throw std::runtime_error("start-up failed");
    }
    std::optional<std::string> getBidToken(const AdapterSdkConfiguration&) override { throw std::logic_error("no token"); }
};

struct NotAnAdapter {};

TEST(AdapterNamesTest, OnlyPlainShortNamesComposeAClassName) {
    const std::string longest(64, 'a');
    const std::vector<std::pair<std::string, std::optional<std::string>>> rows = {
        {"Acme", "SolenAcmeAdapter.AcmeSDKAdapter"},
        {"a_1", "Solena_1Adapter.a_1SDKAdapter"},
        {longest, "Solen" + longest + "Adapter." + longest + "SDKAdapter"},
        {"", std::nullopt},
        {longest + "a", std::nullopt},
        {"Acme.Other", std::nullopt},
        {"Ac me", std::nullopt},
        {"Acme\n", std::nullopt},
        {"caf\xC3\xA9", std::nullopt},
    };
    for (const auto& [name, expected] : rows) {
        test::LogCapture log;
        auto composed = AdapterFactory::sdkAdapterClassName(name);
        if (expected) {
            EXPECT_EQ(composed, expected);
            EXPECT_TRUE(log.lines().empty());
        } else {
            EXPECT_FALSE(composed) << name;
            EXPECT_EQ(log.count("Invalid adapter name "), 1u) << name;
        }
    }
    test::LogCapture log;
    EXPECT_EQ(AdapterFactory::adapterClassName("Acme", "BannerAdapter"), "SolenAcmeAdapter.AcmeBannerAdapter");
    EXPECT_FALSE(AdapterFactory::sdkAdapter(network("n", "bad\x01\xFFname")));
    EXPECT_TRUE(log.contains("Invalid adapter name bad\\x01\\xFFname"));
    EXPECT_FALSE(log.contains("Class Not found"));  // an invalid name never reaches the lookup
}

TEST(Base64Test, StandardAlphabetWithPadding) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"", ""}, {"a", "YQ=="}, {"ab", "YWI="}, {"abc", "YWJj"}, {"abcd", "YWJjZA=="},
        {std::string("\xFB\xFF\x00", 3), "+/8A"}, {"example-demo", "ZXhhbXBsZS1kZW1v"},
    };
    for (const auto& [bytes, text] : rows) {
        EXPECT_EQ(base64Encode(bytes), text);
    }
    const std::string encoded = base64Encode(std::string(200, 'x'));
    EXPECT_EQ(encoded.size(), 268u);
    EXPECT_EQ(encoded.find('\n'), std::string::npos);
    // Every length up to a few blocks, every byte value somewhere: the decoder gives the bytes back.
    std::string bytes;
    for (int n = 0; n < 300; ++n) {
        EXPECT_EQ(base64Decode(base64Encode(bytes)), bytes) << n;
        bytes += static_cast<char>(n * 167 + 13);
    }
}

TEST(AdapterLookupTest, FoundClassesAreMadeAnewAndLogTheirVersions) {
    ScriptedNetwork acme("LookA", {}, tokenScript(std::nullopt, "7.1"));
    test::LogCapture log;
    const auto first = AdapterFactory::sdkAdapter(network("look-a", "LookA"));
    const auto second = AdapterFactory::makeSDKAdapter(network("look-a", "LookA"));
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->adapter(), second->adapter());
    EXPECT_EQ(log.count("NetworkSDK:LookA, Version:7.1, AdapterVersion:1.0.0.0"), 2u);

    // Missing, not conforming, failing factory, throwing adapter.
    auto notConforming = ClassRegistry::ScopedRegistration::of<NotAnAdapter>("SolenLookBAdapter.LookBSDKAdapter");
    ClassRegistry::ScopedRegistration failing(ClassRegistry::Class::make<ThrowingSDKAdapter, SolenBaseSDKAdapter>(
        "SolenLookCAdapter.LookCSDKAdapter", [] () -> std::shared_ptr<ThrowingSDKAdapter> { throw std::runtime_error("no memory"); }));
    auto throwing = ClassRegistry::ScopedRegistration::of<ThrowingSDKAdapter, SolenBaseSDKAdapter>(
        "SolenLookDAdapter.LookDSDKAdapter");
    log.clear();
    EXPECT_FALSE(AdapterFactory::sdkAdapter(network("x", "LookMissing")));
    EXPECT_EQ(log.count("SolenLookMissingAdapter.LookMissingSDKAdapter Class Not found"), 1u);
    EXPECT_FALSE(AdapterFactory::sdkAdapter(network("x", "LookB")));
    EXPECT_FALSE(AdapterFactory::sdkAdapter(network("x", "LookC")));
    const auto wrapped = AdapterFactory::sdkAdapter(network("x", "LookD"));
    ASSERT_TRUE(wrapped);  // a throwing version reads as empty
    EXPECT_TRUE(log.contains("NetworkSDK:LookD, Version:, AdapterVersion:1"));
    EXPECT_FALSE(wrapped->getBidToken(AdapterSdkConfiguration()));
}

TEST(AdapterLookupTest, VersionsAreReadOnlyForTheirLineOrWhenAsked) {
    ScriptedNetwork lazy("LookLazy", {}, tokenScript(std::nullopt, "3.2"));
    {
        test::LogCapture quiet(1);  // the version line (level 2) is not printed
        const auto found = AdapterFactory::sdkAdapter(network("look-lazy", "LookLazy"));
        ASSERT_TRUE(found);
        EXPECT_EQ(lazy.count("networkSDKVersion"), 0u);
        EXPECT_EQ(lazy.count("adapterVersion"), 0u);
        EXPECT_EQ(found->networkSDKVersion(), "3.2");
        EXPECT_EQ(found->networkSDKVersion(), "3.2");
        EXPECT_EQ(lazy.count("networkSDKVersion"), 1u);
        EXPECT_TRUE(quiet.lines().empty());
    }
    test::LogCapture log(2);
    lazy.clearCalls();
    const auto logged = AdapterFactory::sdkAdapter(network("look-lazy", "LookLazy"));
    ASSERT_TRUE(logged);
    EXPECT_EQ(log.count("NetworkSDK:LookLazy, Version:3.2, AdapterVersion:1.0.0.0"), 1u);
    EXPECT_EQ(logged->networkSDKVersion(), "3.2");
    EXPECT_EQ(lazy.count("networkSDKVersion"), 1u);
}

TEST(AdapterStartUpTest, StartsEveryFoundNetworkOnceUntilItSucceeds) {
    ScriptedNetwork alpha("StartA", {}), beta("StartB", {});
    ScriptedNetwork::Script never;
    never.startUpResult = std::nullopt;  // the handler is dropped unanswered
    ScriptedNetwork gamma("StartG", {}, never);
    auto throwing = ClassRegistry::ScopedRegistration::of<ThrowingSDKAdapter, SolenBaseSDKAdapter>(
        "SolenStartTAdapter.StartTSDKAdapter");
    registerNetworks({network("start-a", "StartA", false, Json{{"appKey", "a"}}), network("start-b", "StartB", true, Json::array()),
                      network("start-missing", "StartMissing"), network("start-g", "StartG"), network("start-t", "StartT")});

    test::LogCapture log;
    AdapterUtils::initializeAdapters();
    EXPECT_EQ(log.count("SolenStartMissingAdapter.StartMissingSDKAdapter Class Not found"), 1u);
    EXPECT_EQ(alpha.count("initOnSDKInit"), 1u);
    EXPECT_EQ(beta.count("initOnSDKInit"), 1u);
    EXPECT_EQ(gamma.count("initOnSDKInit"), 1u);
    EXPECT_TRUE(log.contains("threw from initOnSDKInit: start-up failed"));
    EXPECT_EQ(alpha.calls("initOnSDKInit").at(0).arguments, (Json{{"networkConfig", {{"appKey", "a"}}}}));
    EXPECT_EQ(beta.calls("initOnSDKInit").at(0).arguments, (Json{{"networkConfig", nullptr}}));  // not an object: none
    EXPECT_TRUE(alpha.sdkInitializedResult().isReady());
    EXPECT_EQ(gamma.sdkInitializedResult(), SdkInitializedResult::success(false));

    // Started networks are never started again, neither at start-up nor before a load.
    AdapterUtils::initializeAdapters();
    AdapterFactory::initilizeNetworkSDKOnAdLoad(network("start-a", "StartA"));
    EXPECT_EQ(alpha.count("initOnSDKInit") + beta.count("initOnSDKInit"), 2u);
    EXPECT_EQ(alpha.count("initOnAdLoad"), 0u);
    EXPECT_EQ(gamma.count("initOnSDKInit"), 2u);

    log.clear();
    AdapterFactory::initilizeNetworkSDKOnAdLoad(network("start-missing", "StartMissing"));
    AdapterFactory::initilizeNetworkSDKOnAdLoad(network("start-t", "StartT"));
    EXPECT_TRUE(log.contains("StartMissingAdapter Not found"));
    EXPECT_TRUE(log.contains("threw from initOnAdLoad"));
}

TEST(AdapterStartUpTest, StartBeforeALoadStoresOnlyWhatTheAdapterReturns) {
    ScriptedNetwork::Script script;
    script.adLoadResult = std::nullopt;
    ScriptedNetwork delta("LoadD", {}, script);
    const AdapterConfig config = network("load-d", "LoadD");

    AdapterFactory::initilizeNetworkSDKOnAdLoad(config);
    AdapterFactory::initilizeNetworkSDKOnAdLoad(config);
    EXPECT_EQ(delta.count("initOnAdLoad"), 2u);  // none: success(false) stays and is asked again
    EXPECT_EQ(delta.sdkInitializedResult(), SdkInitializedResult::success(false));

    const auto failure = SdkInitializedResult::failure(SolenAdapterError::adapterInitializationFailed(
        SolenErrorData::ofClass("LoadD", "down", "retry")));
    script.adLoadResult = failure;
    delta.setScript(script);
    AdapterFactory::initilizeNetworkSDKOnAdLoad(config);
    EXPECT_EQ(delta.sdkInitializedResult(), failure);
    script.adLoadResult = SdkInitializedResult::success(true);
    delta.setScript(script);
    AdapterFactory::initilizeNetworkSDKOnAdLoad(config);
    AdapterFactory::initilizeNetworkSDKOnAdLoad(config);
    EXPECT_EQ(delta.count("initOnAdLoad"), 4u);
    EXPECT_TRUE(delta.sdkInitializedResult().isReady());
}

TEST(HeaderBiddingDataTest, TokensOfTheUnitsHeaderBiddersOnly) {
    ScriptedNetwork one("TokOne", {}, tokenScript("abc", "3.2.1"));
    ScriptedNetwork two("TokTwo", {}, tokenScript(std::string(200, 't')));
    ScriptedNetwork none("TokNone", {}, tokenScript(std::nullopt));
    ScriptedNetwork binary("TokBin", {}, tokenScript(std::string("\xC3\x28", 2)));
    ScriptedNetwork waterfall("TokWf", {}, tokenScript("wf"));
    auto throwing = ClassRegistry::ScopedRegistration::of<ThrowingSDKAdapter, SolenBaseSDKAdapter>(
        "SolenTokThrowAdapter.TokThrowSDKAdapter");
    registerNetworks({network("tok-1", "TokOne"), network("tok-2", "TokTwo"), network("tok-none", "TokNone"),
                      network("tok-bin", "TokBin"), network("tok-wf", "TokWf", false), network("tok-throw", "TokThrow"),
                      network("tok-missing", "TokMissing")});
    SettingsManager::shared()->setAdUnits(std::vector<AdUnitsConfig>{
        {"tok-unit", 0, std::vector<std::string>{"tok-1", "unknown", "tok-wf", "tok-none", "tok-bin", "tok-throw",
                                                  "tok-missing", "tok-2", "tok-1"}},
        {"tok-empty", 0, std::vector<std::string>{}},
        {"tok-absent", 0, std::nullopt},
        {"tok-nothing", 0, std::vector<std::string>{"tok-none", "tok-wf"}}});

    test::LogCapture log;
    const auto data = AdapterUtils::fetchTPSdksData("tok-unit");
    ASSERT_TRUE(data);
    EXPECT_EQ(*data, (std::map<std::string, NetworkSDKData>{{"tok-1", {"3.2.1", "YWJj"}},
                                                            {"tok-2", {"1.0.0", base64Encode(std::string(200, 't'))}}}));
    EXPECT_EQ(one.count("getBidToken"), 2u);  // the duplicate is asked again and kept
    EXPECT_EQ(waterfall.count("getBidToken"), 0u);
    // Not yet started: started on the spot, asynchronously and then synchronously.
    EXPECT_EQ(two.count("initOnSDKInit"), 1u);
    EXPECT_EQ(two.count("initOnAdLoad"), 0u);  // the inline start-up answer made it ready first
    EXPECT_EQ(none.count("initOnAdLoad"), 0u);

    for (const char* unit : {"tok-empty", "tok-absent", "no-such-unit"}) {
        log.clear();
        EXPECT_FALSE(AdapterUtils::fetchTPSdksData(unit)) << unit;
        EXPECT_EQ(log.count("Cannot fetch the bidToker because adUnitsConfig is not present"), 1u) << unit;
    }
    log.clear();
    EXPECT_FALSE(AdapterUtils::fetchTPSdksData("tok-nothing"));
    EXPECT_FALSE(log.contains("Cannot fetch"));

    // The bid request asks for it by default; an empty replacement restores that default.
    test::ScopedUserDefaults defaults;
    BidRequestAssembler::setNetworkSdkDataProvider([](const std::string&) { return std::nullopt; });
    EXPECT_FALSE(BidRequestAssembler::assemble("tok-unit", {}).ext.tpnsdks);
    BidRequestAssembler::setNetworkSdkDataProvider({});
    EXPECT_EQ(BidRequestAssembler::assemble("tok-unit", {}).ext.tpnsdks, data);
    EXPECT_FALSE(BidRequestAssembler::assemble("tok-empty", {}).ext.tpnsdks);
}

TEST(AdapterStartUpTest, ApplyingAdaptersStartsThemByDefault) {
    ScriptedNetwork echo("HookE", {});
    SettingsManager::setAdapterStartHook([] {});
    SettingsManager::setAdapterStartHook({});
    SettingsManager::shared()->setAdapters(std::vector<AdapterConfig>{network("hook-e", "HookE")});
    EXPECT_TRUE(test::waitUntil([&] { return echo.sdkInitializedResult().isReady(); }));
    EXPECT_TRUE(test::drainGlobalQueue());
}

// An adapter that keeps its start-up handlers, so that the test answers them from many threads.
class HeldHandlerAdapter : public SolenSDKAdapter<HeldHandlerAdapter> {
public:
    static SdkInitializedResult initialSdkInitializedResult() { return SdkInitializedResult::success(false); }
    static std::mutex mutex;
    static std::vector<SdkInitializedResultHandler> handlers;

    std::string networkSDKVersion() const override { return "9"; }
    std::string adapterVersion() const override { return "9.0"; }
    void initOnSDKInit(const AdapterSdkConfiguration&, SdkInitializedResultHandler handler) override {
        std::lock_guard lock(mutex);
        handlers.push_back(std::move(handler));
    }
    std::optional<SdkInitializedResult> initOnAdLoad(const AdapterSdkConfiguration&) override { return std::nullopt; }
    std::optional<std::string> getBidToken(const AdapterSdkConfiguration&) override { return "held"; }
};
std::mutex HeldHandlerAdapter::mutex;
std::vector<SdkInitializedResultHandler> HeldHandlerAdapter::handlers;

TEST(AdapterStartUpTest, AnswersRacingFromManyThreadsLeaveOneOfThem) {
    auto held = ClassRegistry::ScopedRegistration::of<HeldHandlerAdapter, SolenBaseSDKAdapter>(
        "SolenRaceAdapter.RaceSDKAdapter");
    registerNetworks({network("race", "Race")});
    SettingsManager::shared()->setAdUnits(std::vector<AdUnitsConfig>{{"race-unit", 0, std::vector<std::string>{"race"}}});
    for (int i = 0; i < 8; ++i) {
        AdapterUtils::initializeAdapters();
    }
    std::vector<SdkInitializedResultHandler> handlers;
    {
        std::lock_guard lock(HeldHandlerAdapter::mutex);
        handlers.swap(HeldHandlerAdapter::handlers);
    }
    ASSERT_EQ(handlers.size(), 8u);

    const auto failure = SdkInitializedResult::failure(SolenAdapterError::adapterInitializationFailed(SolenErrorData::ofClass("Race", "x", "y")));
    std::atomic<int> tokens{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&, i] {
            // Each answers twice, while lookups and token collection run beside it.
            handlers[i](i % 2 ? failure : SdkInitializedResult::success(i % 4 == 0));
            tokens += AdapterUtils::fetchTPSdksData("race-unit") ? 1 : 0;
            AdapterFactory::initilizeNetworkSDKOnAdLoad(network("race", "Race"));
            handlers[i](SdkInitializedResult::success(i == 3));
            handlers[i] = nullptr;  // releases the wrapper it kept alive
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(tokens.load(), 8);
    const auto last = HeldHandlerAdapter::classSdkInitializedResult();
    EXPECT_TRUE(last == SdkInitializedResult::success(true) || last == SdkInitializedResult::success(false) || last == failure);
    std::lock_guard lock(HeldHandlerAdapter::mutex);
    HeldHandlerAdapter::handlers.clear();  // the handlers asked for by token collection
}

TEST(AdapterRegistrationTest, RegisteredClassesAreFoundAsTheirProtocols) {
    EXPECT_FALSE(registerAdapterClass(AdapterClass{}));
    AdapterClass unusable;
    unusable.name = "SolenRegAdapter.RegNothing";
    EXPECT_FALSE(registerAdapterClass(unusable));

    EXPECT_TRUE(registerAdapterClass(AdapterClass::of<HeldHandlerAdapter>("SolenRegAdapter.RegSDKAdapter")));
    EXPECT_FALSE(registerAdapterClass(AdapterClass::of<ThrowingSDKAdapter>("SolenRegAdapter.RegSDKAdapter")));
    const auto cls = ClassRegistry::shared().lookup("SolenRegAdapter.RegSDKAdapter");
    ASSERT_TRUE(cls);
    EXPECT_TRUE(cls->conformsTo<SolenBaseSDKAdapter>());
    EXPECT_FALSE(cls->conformsTo<SolenBaseBannerAdapter>());
    const auto found = AdapterFactory::sdkAdapter(network("reg", "Reg"));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->networkSDKVersion(), "9");  // the first registration stayed
    ClassRegistry::shared().remove("SolenRegAdapter.RegSDKAdapter");

    std::string error;
    EXPECT_FALSE(loadAdapterModule("/nonexistent/libsolen-none.so", &error));
    EXPECT_THAT(error, ::testing::HasSubstr("libsolen-none.so"));
}

}  // namespace
}  // namespace solen
