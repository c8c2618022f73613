#include "Ad/RenderEngine/Native/NativeAdLoader.h"

#include "Platform/UI/TapDriver.h"
#include "support/LocalHttpServer.h"
#include "support/LogCapture.h"
#include "support/ServedImages.h"
#include "support/VideoAssetFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace solen {
namespace {

using namespace test;
using namespace std::chrono_literals;
using namespace std::string_literals;

// The native ad above the loader and its adapter, both writing into one journal: "ready",
// "failed <description>" from the ad; "click", "video <n>", "willPresent", ... from the adapter,
// which answers the view-controller request with its delegate's controller.
struct Chain {
    struct Adapter final : S2sNativeAdDelegate {
        explicit Adapter(Journal& journal) : journal(journal) {}
        void nativeAdLoaded() override {}
        void nativeAdLoadFailed(const platform::Error&) override {}
        void nativeAdImpressionRecorded() override {}
        void nativeAdClicked() override { say("click"); }
        void nativeAdVideoEventOccurred(VideoEvent event) override { say(test::event(event)); }
        std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override {
            const auto presenter = delegate.lock();
            return presenter ? *presenter : nullptr;
        }
        void nativeAdWillPresentScreen() override { say("willPresent"); }
        void nativeAdDidPresentScreen() override { say("didPresent"); }
        void nativeAdWillDismissScreen() override { say("willDismiss"); }
        void nativeAdDidDismissScreen() override { say("didDismiss"); }
        void say(const std::string& entry) {
            if (!delegate.expired()) journal.push_back(entry);
        }
        Journal& journal;
        // Stands for the adapter's delegate: the controller it presents from.
        std::weak_ptr<std::shared_ptr<platform::ViewController>> delegate;
    };
    struct Ad final : NativeAdAssetLoadDelegate {
        explicit Ad(Journal& journal) : journal(journal) {}
        void nativeAdAssetLoadedSuccessfully(NativeAdLoader&) override { journal.push_back("ready"); }
        void nativeAdAssetLoadFailed(NativeAdLoader&, const platform::Error& error) override {
            journal.push_back("failed " + error.localizedDescription);
        }
        std::shared_ptr<S2sNativeAdDelegate> s2sNativeAdDelegate() const override { return adapter.lock(); }
        Journal& journal;
        std::weak_ptr<Adapter> adapter;
    };

    explicit Chain(std::shared_ptr<platform::ViewController> controller)
        : presenter(std::make_shared<std::shared_ptr<platform::ViewController>>(std::move(controller))) {
        adapter->delegate = presenter;
        ad->adapter = adapter;
    }
    Journal journal;
    std::shared_ptr<std::shared_ptr<platform::ViewController>> presenter;
    std::shared_ptr<Adapter> adapter = std::make_shared<Adapter>(journal);
    std::shared_ptr<Ad> ad = std::make_shared<Ad>(journal);
};

// Images from a loopback server: "/ok.png" a PNG, "/late.png" the same after 300 ms, others 404;
// "/click..." is a tracker.
class NativeAdLoaderTest : public VideoAssetTest {
protected:
    void SetUp() override {
        VideoAssetTest::SetUp();
        window->setRootViewController(platform::ViewController::create());
        chain = std::make_unique<Chain>(window->rootViewController());
        loader->setDelegate(chain->ad);
        server.setHandler(servedImages());
    }
    void TearDown() override {
        loader.reset();
        VideoAssetTest::TearDown();
    }
    std::shared_ptr<LabelViewAsset> label(const std::string& name, bool required, const std::string& value = "text",
                                          std::optional<AssetOnClick> onClick = std::nullopt) {
        return LabelViewAsset::create({}, name, LabelAssetModel{required, value, std::move(onClick)}, loader);
    }
    std::shared_ptr<ImageViewAsset> image(const std::string& name, bool required, const std::string& path) {
        return ImageViewAsset::create({}, name, ImageAssetModel{required, server.url(path), std::nullopt}, loader);
    }
    std::shared_ptr<MediaViewAsset> imageMedia(bool required, const std::string& path) {
        return MediaViewAsset::create(
            MediaAssetModel{MediaType::image, MediaAssetContentValue(ImageAssetModel{required, server.url(path), {}})},
            loader);
    }
    // Title, description and sponsored required; an image media.
    void fillRequired(const std::string& mediaPath = "/ok.png") {
        loader->title = label("title", true);
        loader->description = label("description", true);
        loader->sponsored = label("sponsored", true);
        loader->media = imageMedia(true, mediaPath);
    }
    std::vector<std::shared_ptr<NativeAsset>> slots() const {
        return {loader->title, loader->description, loader->media, loader->sponsored,
                loader->icon,  loader->rating,      loader->cta,   loader->adChoices};
    }
    // Waits until `count` entries are in the journal, and lets late ones come in.
    Journal settled(std::size_t count) {
        EXPECT_TRUE(waitUntil([&] { return chain->journal.size() >= count; }, 5s)) << ::testing::PrintToString(chain->journal);
        waitUntil([] { return false; }, 400ms);
        return chain->journal;
    }

    LocalHttpServer server;
    std::shared_ptr<NativeAdLoader> loader = NativeAdLoader::create();
    std::unique_ptr<Chain> chain;
};

TEST_F(NativeAdLoaderTest, ReadinessAndPlacementOverRequiredOptionalAndAbsentSlots) {
    // No slot built yet, then the four always-filled ones.
    EXPECT_FALSE(loader->allAssetsLoaded());
    EXPECT_FALSE(loader->assetViewsInPlace());
    fillRequired();
    loader->rating = label("rating", false);
    loader->icon = image("icon", true, "/ok.png");
    loader->adChoices = image("adChoices", false, "/ok.png");
    EXPECT_FALSE(loader->allAssetsLoaded());

    // Readiness: each required one in turn holds the set back; optional ones never do.
    const std::vector<std::shared_ptr<NativeAsset>> required{loader->title, loader->description, loader->media,
                                                             loader->sponsored, loader->icon};
    for (const auto& asset : required) asset->setAssetState(NativeAssetState::loaded);
    EXPECT_TRUE(loader->allAssetsLoaded());
    for (const auto& asset : required) {
        asset->setAssetState(NativeAssetState::loading);
        EXPECT_FALSE(loader->allAssetsLoaded()) << asset->assetName();
        asset->setAssetState(NativeAssetState::loaded);
    }
    loader->cta = label("cta", true);
    EXPECT_FALSE(loader->allAssetsLoaded());
    loader->cta->setAssetState(NativeAssetState::failed);
    EXPECT_FALSE(loader->allAssetsLoaded());
    loader->cta = label("cta", false);
    EXPECT_TRUE(loader->allAssetsLoaded());

    // Placement: every required view needs a superview; optional ones never block.
    const std::vector<std::shared_ptr<platform::View>> views{loader->title, loader->description,
                                                             loader->media->mediaView(), loader->sponsored,
                                                             loader->icon};
    for (const auto& view : views) window->addSubview(view);
    EXPECT_TRUE(loader->assetViewsInPlace());
    for (const auto& view : views) {
        view->removeFromSuperview();
        EXPECT_FALSE(loader->assetViewsInPlace());
        window->addSubview(view);
    }

    // Without the media slot, or a title, nothing is ready or in place.
    const auto media = loader->media;
    loader->media.reset();
    EXPECT_FALSE(loader->allAssetsLoaded());
    EXPECT_FALSE(loader->assetViewsInPlace());
    loader->media = media;
    loader->title.reset();
    EXPECT_FALSE(loader->allAssetsLoaded());
    for (const auto& view : views) view->removeFromSuperview();
}

TEST_F(NativeAdLoaderTest, OutcomesReachTheNativeAdOnlyForTheWholeSetOrARequiredFailure) {
    struct Case {
        std::string name;
        std::function<void()> fill;
        Journal expected;  // sorted
    };
    const std::vector<Case> cases{
        {"empty required title", [&] { loader->title = label("title", true, ""); },
         {"failed SOL-102 emptyAssetValue-title"}},
        {"optional icon answering 404", [&] { loader->icon = image("icon", false, "/missing.png"); }, {"ready"}},
        {"required icon answering 404", [&] { loader->icon = image("icon", true, "/missing.png"); },
         {"failed SOL-103 failToDownloadImage-icon"}},
        {"optional image after the set was ready", [&] { loader->adChoices = image("adChoices", false, "/late.png"); },
         {"ready", "ready"}},
        {"two required failures",
         [&] {
             loader->icon = image("icon", true, "/missing.png");
             loader->adChoices = image("adChoices", true, "/gone.png");
         },
         {"failed SOL-103 failToDownloadImage-adChoices", "failed SOL-103 failToDownloadImage-icon"}},
    };
    for (const Case& test : cases) {
        loader = NativeAdLoader::create();
        loader->setDelegate(chain->ad);
        chain->journal.clear();
        fillRequired();
        test.fill();
        loader->loadAssets();
        if (test.name == "empty required title") {
            EXPECT_EQ(chain->journal, test.expected) << "reported inside loadAssets()";
        }
        Journal journal = settled(test.expected.size());
        std::ranges::sort(journal);
        EXPECT_EQ(journal, test.expected) << test.name;
    }

    // Reports that name no asset are refused; a success after a failure counts again.
    LogCapture log{5};
    chain->journal.clear();
    loader->assetLoadedSuccessfully(nullptr);
    loader->assetLoadFailed(nullptr, platform::Error{});
    EXPECT_EQ(log.count("Invalid Asset Protocol"), 2u);
    EXPECT_TRUE(chain->journal.empty());
    loader->icon->setAssetState(NativeAssetState::loaded);
    loader->adChoices->setAssetState(NativeAssetState::loaded);
    loader->assetLoadedSuccessfully(loader->icon);
    EXPECT_EQ(chain->journal, Journal{"ready"});
}

TEST_F(NativeAdLoaderTest, MediaSlotStandsForItsImageOrVideoAndPassesEverythingUpUnchanged) {
    // Video-typed media whose content is an image shows an image.
    auto imageWitness = std::make_shared<VideoAssetWitness>();
    const auto image = MediaViewAsset::create(
        MediaAssetModel{MediaType::video, MediaAssetContentValue(ImageAssetModel{true, server.url("/ok.png"), {}})},
        imageWitness);
    const auto inner = std::dynamic_pointer_cast<ImageViewAsset>(image->mediaAsset());
    ASSERT_TRUE(inner);
    EXPECT_EQ(image->mediaView(), inner);
    EXPECT_EQ(image->assetName(), "Media-Image");
    EXPECT_FALSE(image->isAssetReady());
    EXPECT_FALSE(image->isAssetInPlace());
    image->loadAsset();
    ASSERT_TRUE(waitUntil([&] { return !imageWitness->journal.empty(); }, 5s));
    EXPECT_EQ(imageWitness->journal, Journal{"loaded"});
    EXPECT_EQ(imageWitness->lastReporter, inner);
    EXPECT_TRUE(image->isAssetReady());
    EXPECT_EQ(image->assetState(), NativeAssetState::loaded);
    window->addSubview(inner);
    EXPECT_TRUE(image->isAssetInPlace());
    ASSERT_TRUE(platform::TapDriver::tap(inner));
    EXPECT_EQ(imageWitness->lastTapped, inner);
    inner->removeFromSuperview();

    // A video inside: its name, its reports with itself as reporter, its events and taps.
    const auto video = MediaViewAsset::create(
        MediaAssetModel{MediaType::video, MediaAssetContentValue(MediaAssetVideoContentModel{
                                              true, playable("00:00:30", "<VideoClicks><ClickThrough>"
                                                                         "https://land.test/v</ClickThrough></VideoClicks>"),
                                              std::nullopt, {false, true}})},
        witness, {nullptr, witness->sender(), source});
    const auto player = std::dynamic_pointer_cast<VideoViewAsset>(video->mediaAsset());
    ASSERT_TRUE(player);
    EXPECT_EQ(video->assetName(), "Media-Video");
    player->setFrame(platform::Rect{0, 0, 320, 180});
    window->addSubview(player);
    assets.push_back(player);
    load(*player);
    run(1.0);
    EXPECT_EQ(witness->lastReporter, player);
    EXPECT_EQ(witness->with("loaded"), Journal{"loaded"});
    EXPECT_EQ(std::ranges::count(witness->journal, event(VideoEvent::start)), 1);
    player->playerDidReceiveTap(*player->videoPlayer());
    EXPECT_EQ(witness->with("tapped"), Journal{"tapped https://land.test/v"});
    EXPECT_EQ(witness->lastTapped, player);

    // Once its delegate is gone the slot ends every report.
    const std::weak_ptr<VideoAssetWitness> gone = imageWitness;
    imageWitness.reset();
    EXPECT_TRUE(gone.expired());
    image->assetLoadedSuccessfully(inner);
    image->assetLoadFailed(inner, platform::Error{});
    image->assetTapped(inner, std::nullopt);
    image->videoAssetEventOccurred(VideoEvent::start);
}

TEST_F(NativeAdLoaderTest, EachTapOpensOneLandingPageFiresItsTrackersAndReportsTheClick) {
    fillRequired();
    const AssetOnClick click{"https://land.test/title", OpenModeType::inAppBrowser,
                             std::vector{server.url("/click?n=1"), server.url("/click?n=2")}};
    loader->title = label("title", true, "Title", click);
    loader->onClick = AssetOnClick{"https://land.test/fallback", std::nullopt, std::nullopt};
    const auto presenter = window->rootViewController();
    const auto browserUrl = [&]() -> std::string {
        const auto browser = std::dynamic_pointer_cast<QOSafariVC>(presenter->presentedViewController());
        return browser ? browser->url().absoluteString() : "none";
    };

    loader->assetTapped(loader->title, click);
    const std::weak_ptr<LandingPageProcessor> first = loader->landingProcessor();
    ASSERT_TRUE(server.waitForRequests(2, 5s));
    waitUntil([] { return false; }, 100ms);
    EXPECT_EQ(browserUrl(), "https://land.test/title");
    // The browser starts to appear inside open(), before the click is reported.
    EXPECT_EQ(chain->journal, (Journal{"willPresent", "click", "didPresent"}));
    presenter->dismiss(false, nullptr);
    waitUntil([] { return false; }, 100ms);
    EXPECT_EQ(chain->journal, (Journal{"willPresent", "click", "didPresent", "willDismiss", "didDismiss"}));

    // A target that does not parse falls back to the ad's click; no target and no fallback opens
    // nothing and is still a click. Each tap replaces the processor.
    chain->journal.clear();
    loader->assetTapped(loader->title, AssetOnClick{"not a url", std::nullopt, std::vector{server.url("/click?n=3")}});
    EXPECT_TRUE(first.expired());
    waitUntil([] { return false; }, 100ms);
    EXPECT_EQ(browserUrl(), "https://land.test/fallback");
    presenter->dismiss(false, nullptr);
    waitUntil([] { return false; }, 100ms);
    loader->onClick.reset();
    chain->journal.clear();
    loader->assetTapped(loader->title, std::nullopt);
    waitUntil([] { return false; }, 100ms);
    EXPECT_EQ(browserUrl(), "none");
    EXPECT_EQ(chain->journal, Journal{"click"});
    EXPECT_EQ(server.requestCount(), 2u) << "the trackers of a target that does not parse stay silent";

    // Video events go up; the view-controller request and the events stop at any missing link.
    loader->videoAssetEventOccurred(VideoEvent::midpoint);
    EXPECT_EQ(chain->journal, (Journal{"click", event(VideoEvent::midpoint)}));
    EXPECT_EQ(loader->viewControllerForModalPresentation(), presenter);
    chain->presenter.reset();
    EXPECT_EQ(loader->viewControllerForPresentation(), nullptr);
    chain->adapter.reset();
    EXPECT_EQ(loader->viewControllerForModalPresentation(), nullptr);
    chain->ad.reset();
    EXPECT_EQ(loader->viewControllerForModalPresentation(), nullptr);
    chain->journal.clear();
    loader->assetTapped(loader->title, std::nullopt);
    loader->videoAssetEventOccurred(VideoEvent::complete);
    loader->browserDidPresent();
    EXPECT_TRUE(chain->journal.empty());
}

TEST_F(NativeAdLoaderTest, CreativesFromTheLoopbackServerLoadShowAndOpenTheirLandingPage) {
    const AssetOnClick cta{"https://land.test/cta", OpenModeType::inAppBrowser, std::nullopt};
    fillRequired();
    loader->title = label("title", true, "Big Sale", cta);
    loader->cta = label("cta", true, "Buy now", cta);
    loader->description = label("description", true, "Everything must go");
    loader->icon = image("icon", true, "/ok.png");
    loader->loadAssets();
    ASSERT_TRUE(waitUntil([&] { return !chain->journal.empty(); }, 5s));
    EXPECT_EQ(chain->journal, Journal{"ready"});
    EXPECT_TRUE(loader->allAssetsLoaded());

    auto videoLoader = NativeAdLoader::create();
    videoLoader->setDelegate(chain->ad);
    videoLoader->title = LabelViewAsset::create({}, "title", LabelAssetModel{true, "Watch", {}}, videoLoader);
    videoLoader->description = LabelViewAsset::create({}, "description", LabelAssetModel{false, "", {}}, videoLoader);
    videoLoader->sponsored = LabelViewAsset::create({}, "sponsored", LabelAssetModel{true, "Brand", {}}, videoLoader);
    videoLoader->media = MediaViewAsset::create(
        MediaAssetModel{MediaType::video,
                        MediaAssetContentValue(MediaAssetVideoContentModel{true, playable(), std::nullopt, {true, true}})},
        videoLoader, {nullptr, [](const std::vector<platform::URL>&, const std::optional<std::string>&) {}, source});
    chain->journal.clear();
    videoLoader->loadAssets();
    const auto template_ = platform::View::create(platform::Rect{0, 0, 320, 480});
    window->addSubview(template_);
    for (const auto& asset : {std::shared_ptr<platform::View>(videoLoader->title), videoLoader->media->mediaView(),
                              std::shared_ptr<platform::View>(videoLoader->sponsored)}) {
        template_->addSubview(asset);
    }
    const auto video = std::static_pointer_cast<VideoViewAsset>(videoLoader->media->mediaAsset());
    ASSERT_TRUE(waitUntil([&] { return video->videoPlayer() != nullptr; }));
    run(0.5);
    EXPECT_EQ(std::ranges::count(chain->journal, "ready"), 1) << ::testing::PrintToString(chain->journal);
    EXPECT_EQ(std::ranges::count(chain->journal, event(VideoEvent::mute)), 1) << "video events reach the adapter";
    EXPECT_TRUE(videoLoader->allAssetsLoaded());
    EXPECT_TRUE(videoLoader->assetViewsInPlace());

    EXPECT_FALSE(loader->assetViewsInPlace());
    for (const auto& asset : slots()) {
        if (const auto view = std::dynamic_pointer_cast<platform::View>(asset)) template_->addSubview(view);
    }
    template_->addSubview(loader->media->mediaView());
    EXPECT_TRUE(loader->assetViewsInPlace());
    chain->journal.clear();
    ASSERT_TRUE(platform::TapDriver::tap(loader->cta));
    waitUntil([] { return false; }, 100ms);
    const auto browser = std::dynamic_pointer_cast<QOSafariVC>(window->rootViewController()->presentedViewController());
    ASSERT_TRUE(browser);
    EXPECT_EQ(browser->url().absoluteString(), "https://land.test/cta");
    EXPECT_TRUE(browser->view()->window());
    EXPECT_EQ(chain->journal, (Journal{"willPresent", "click", "didPresent"}));
    window->rootViewController()->dismiss(false, nullptr);
    template_->removeFromSuperview();
    videoLoader->media->mediaView()->removeFromSuperview();
}

}  // namespace
}  // namespace solen
