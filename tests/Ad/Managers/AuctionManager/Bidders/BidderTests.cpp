#include "Ad/Adapter/InternalAdapter/InternalAdAdapter.h"
#include "Ad/Managers/AuctionManager/Bidders/Passive/PassiveBidder.h"
#include "Ad/RenderEngine/Native/CreativeRenderingEngineData.h"
#include "Commons/Utilities/Base64.h"
#include "support/AdResponseBuilder.h"
#include "support/LogCapture.h"
#include "support/RecordingAdBidderDelegate.h"
#include "support/ScopedAdapterSettings.h"
#include "support/ScriptedNetwork.h"
#include "support/TrackerCapture.h"

#include <solen/adapters/CreativeData.h>
#include <solen/adapters/SolenBaseBannerAdapter.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace solen {
namespace {

using test::AdResponseBuilder;
using test::ScopedAdapterSettings;
using Json = nlohmann::ordered_json;

std::shared_ptr<PassiveBidder> makeBidder(AdFormat format, const std::shared_ptr<AdBidderDelegate>& delegate = nullptr) {
    AdSetting setting;
    setting.adType = format;
    setting.adSize = AdSetting::Size{320, 50};
    return PassiveBidder::create(delegate, setting);
}

TEST(BidderTest, AdapterClassNamesAndWindowSizesFollowTheFormat) {
    const std::vector<std::tuple<AdFormat, std::string, std::int64_t>> rows = {
        {AdFormat::banner, "SolenAcmeAdapter.AcmeBannerAdapter", 1},
        {AdFormat::interstitial, "SolenAcmeAdapter.AcmeInterstitialAdapter", 2},
        {AdFormat::rewarded, "SolenAcmeAdapter.AcmeRewardedAdapter", 2},  // the interstitial window
        {AdFormat::native, "SolenAcmeAdapter.AcmeNativeAdapter", 1},
        {AdFormat::splash, "SolenAcmeAdapter.AcmeSplashAdapter", 1},
    };
    for (const auto& [format, className, windowSize] : rows) {
        EXPECT_EQ(Bidder::adAdapterClassName("Acme", format), className);
        EXPECT_EQ(makeBidder(format)->windowBatchSize(), windowSize);
    }
    EXPECT_EQ(Bidder::adAdapterClassName("Ac.me", AdFormat::banner), std::nullopt);
}

TEST(BidderTest, LoadTimeOutComesFromTheLineItemElseItsNetwork) {
    ScopedAdapterSettings settings({ScopedAdapterSettings::network("reg", "Acme", 2500)});
    struct Row {
        std::optional<std::int64_t> timeout;
        std::string networkId;
        std::optional<double> expected;
    };
    const std::vector<Row> rows = {
        {0, "reg", 2500}, {std::nullopt, "reg", 2500}, {700, "reg", 700}, {700, "unknown", 700},
        {std::nullopt, "unknown", std::nullopt}, {0, "unknown", std::nullopt},
    };
    for (const Row& row : rows) {
        test::LogCapture log;
        EXPECT_EQ(Bidder::getLineItemLoadTimeInterval(AdResponseBuilder::lineItem("A", row.networkId, row.timeout)), row.expected);
        EXPECT_EQ(log.contains("Netowrk config not found for network id unknown"), !row.expected);
    }
}

// A class that is only a banner adapter, registered under the interstitial name.
class BannerOnly final : public SolenBaseBannerAdapter {
public:
    void load(const AdapterAdConfiguration&) override {}
    std::optional<std::string> getCreativeId() override { return std::nullopt; }
    std::shared_ptr<platform::View> getAdView() override { return nullptr; }
};

TEST(BidderTest, AdaptersAreMadeOnlyFromExactlyNamedClassesOfTheFormat) {
    ScopedAdapterSettings settings({ScopedAdapterSettings::network("acme", "Acme"), ScopedAdapterSettings::network("wrong", "Wrong")});
    test::ScriptedNetwork acme("Acme", {AdFormat::banner, AdFormat::rewarded});
    const auto wrong = platform::ClassRegistry::ScopedRegistration::of<BannerOnly, SolenBaseAdAdapter, SolenBaseBannerAdapter>(
        "SolenWrongAdapter.WrongInterstitialAdapter");
    const auto caseDiffers = platform::ClassRegistry::ScopedRegistration::of<BannerOnly, SolenBaseAdAdapter, SolenBaseBannerAdapter>(
        "SolenWrongAdapter.WrongBanneradapter");
    const auto bidder = makeBidder(AdFormat::banner);
    test::LogCapture log;

    const auto banner = bidder->createAdapter("acme", AdFormat::banner);
    ASSERT_NE(banner, nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<InternalBannerAdapter>(banner), nullptr);
    EXPECT_EQ(banner->internaldelegate(), std::static_pointer_cast<InternalAdapterDelegate>(bidder));
    EXPECT_EQ(banner->state(), AdapterAdState::initialised);
    EXPECT_NE(std::dynamic_pointer_cast<InternalRewardedAdapter>(bidder->createAdapter("acme", AdFormat::rewarded)), nullptr);
    EXPECT_TRUE(log.lines().empty());

    EXPECT_EQ(bidder->createAdapter("acme", AdFormat::native), nullptr);         // not registered for it
    EXPECT_EQ(bidder->createAdapter("wrong", AdFormat::interstitial), nullptr);  // registered, wrong protocol
    EXPECT_EQ(bidder->createAdapter("wrong", AdFormat::banner), nullptr);        // only a near name exists
    EXPECT_EQ(bidder->createAdapter("nobody", AdFormat::banner), nullptr);
    EXPECT_EQ(log.count("Acme adapter not found"), 1u);
    EXPECT_EQ(log.count("Wrong adapter not found"), 2u);
    EXPECT_TRUE(log.contains("SolenWrongAdapter.WrongBannerAdapter Class Not found"));
    EXPECT_TRUE(log.contains("SDKAdapterSetting not present for networkId nobody"));
}

TEST(BidderTest, CreativeModelByMarkupTypeAndNetwork) {
    const auto header = std::optional<AdapterConfig>(ScopedAdapterSettings::network("hb", "Hb", 1000, true));
    const auto plain = std::optional<AdapterConfig>(ScopedAdapterSettings::network("p", "Plain"));
    const auto creative = [](MarkupType type, std::string markup) { return Creative{PubContentModel(std::move(markup)), type, "cr"}; };
    const Creative nativeModel = Creative::decode(
        R"({"markupType":1,"pubContent":{"title":{"required":true,"value":"T"},"description":{"required":false,"value":"D"},)"
        R"("sponsored":{"required":true,"value":"S"},"media":{"type":1,"content":{"required":true,"url":"https://i.test/a.png"}}}})");
    ASSERT_NE(nativeModel.pubContent.nativeModel(), nullptr);
    enum Expect { none, decoded, undecodable, whole };
    struct Row {
        std::optional<Creative> creative;
        std::optional<AdapterConfig> network;
        Expect expect;
    };
    const std::vector<Row> rows = {
        {std::nullopt, header, none},
        {creative(MarkupType::default_, "PGRpdj4="), header, none},
        {creative(MarkupType::encodedS2s, "PGRpdj4="), header, decoded},
        {creative(MarkupType::encodedS2s, "PGRpdj4="), plain, whole},
        {creative(MarkupType::encodedS2s, "PGRpdj4="), std::nullopt, whole},
        {creative(MarkupType::encodedS2s, "PGRpdj4"), header, undecodable},       // no padding
        {creative(MarkupType::encodedS2s, "PGRp dj4="), header, undecodable},     // white space
        {creative(MarkupType::encodedS2s, "PGRpdj4-"), header, undecodable},      // URL alphabet
        {creative(MarkupType::encodedS2s, base64Encode("\xff\xfe<")), header, undecodable},  // not UTF-8
        {nativeModel, header, none},
        {nativeModel, plain, none},
        {creative(MarkupType::native, "PGRpdj4="), header, whole},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        Ads lineItem = AdResponseBuilder::lineItem("A", "hb");
        lineItem.creative = rows[i].creative;
        const auto model = Bidder::creativeModel(lineItem, rows[i].network);
        const auto data = std::dynamic_pointer_cast<const CreativeData>(model);
        const auto engine = std::dynamic_pointer_cast<const CreativeRenderingEngineData>(model);
        switch (rows[i].expect) {
        case none: EXPECT_EQ(model, nullptr); break;
        case decoded: ASSERT_NE(data, nullptr); EXPECT_EQ(data->adMarkup, "<div>"); break;
        case undecodable: ASSERT_NE(data, nullptr); EXPECT_EQ(data->adMarkup, std::nullopt); break;
        case whole: ASSERT_NE(engine, nullptr); EXPECT_EQ(engine->adMarkup, rows[i].creative); break;
        }
    }

    // The whole record: settings only when they are objects, the placement's size.
    Ads lineItem = AdResponseBuilder::lineItem("A", "hb");
    lineItem.lineItemMeta = Json::array({1});
    lineItem.creative = creative(MarkupType::encodedS2s, "PGRpdj4=");
    AdapterConfig network = *header;
    network.adapterMeta = Json{{"appKey", "k"}};
    AdSetting setting;
    setting.adSize = AdSetting::Size{300, 250};
    const AdapterAdConfiguration configuration = Bidder::adapterConfiguration(lineItem, network, setting);
    EXPECT_EQ(configuration.lineItemConfig, std::nullopt);
    ASSERT_TRUE(configuration.adapterSdkConfig);
    EXPECT_EQ(configuration.adapterSdkConfig->networkConfig, (Json{{"appKey", "k"}}));
    EXPECT_EQ(configuration.adSize, (platform::Size{300, 250}));
    EXPECT_NE(std::dynamic_pointer_cast<const CreativeData>(configuration.creativeModel), nullptr);
    EXPECT_FALSE(Bidder::adapterConfiguration(lineItem, std::nullopt, AdSetting()).adapterSdkConfig);
}

TEST(BidderTest, NetworkNoFillTrackersOfALineItemWithoutAdapter) {
    test::TrackerCapture capture;
    const auto bidder = makeBidder(AdFormat::banner);
    const Ads lineItem = AdResponseBuilder::lineItem("A", "gone");
    const SolenAdapterError error = bidder->adapterNotFoundError(lineItem);
    EXPECT_EQ(error.data().failureReason(), "The gone adapter requested is either not included or the configuration is invalid");
    EXPECT_EQ(error.data().recoverySuggestion(), "Please link  the configured network adapter to the app");
    EXPECT_EQ(error.data().className(), "PassiveBidder");

    Bidder::fireNetworkNoFillTrackers(lineItem, error);
    Ads silent = lineItem;
    silent.trackers.networkNoFill = std::vector<std::string>{};
    Bidder::fireNetworkNoFillTrackers(silent, error);
    ASSERT_THAT(capture.settledEvents(), ::testing::ElementsAre("networkNoFill:A"));
    const auto hit = capture.hits().front();
    EXPECT_EQ(hit.macros, (std::map<std::string, std::string>{{"IMP", ""}, {"CR_ID", ""}, {"NETWORK_LATENCY", "0"},
                                                               {"DROP_REASON", "AdapterNotFound"},
                                                               {"DROP_DESCRIPTOR", error.errorUserInfoDescription()},
                                                               {"LOAD_LATENCY", ""}, {"RENDER_LATENCY", ""},
                                                               {"AUCTION_LATENCY", ""}}));
}

}  // namespace
}  // namespace solen
