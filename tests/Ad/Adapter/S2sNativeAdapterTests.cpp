#include "Ad/Adapter/S2s/S2sNativeAdapter.h"
#include "Ad/Adapter/S2s/ViewBinding.h"
#include "Ad/Network/AdError.h"
#include "Ad/RenderEngine/Native/CreativeRenderingEngineData.h"
#include "Platform/Foundation/ClassRegistry.h"
#include "Platform/UI/LayoutConstraint.h"
#include "Public/SolenNativeAdViewDelegate.h"
#include "support/LocalHttpServer.h"
#include "support/LogCapture.h"
#include "support/ServedImages.h"
#include "support/VideoAssetFixture.h"
#include <solen/adapters/CreativeData.h>

#include <gtest/gtest.h>

#include <thread>

namespace solen {
namespace {

using namespace test;
using namespace std::chrono_literals;
using namespace std::string_literals;

// The adapter's delegate: each callback as a journal entry, and the thread of the last one.
struct Recorder final : NativeAdapterDelegate {
    void adAdapterDidLoad(SolenBaseAdAdapter&, std::shared_ptr<platform::View> view) override {
        say(view ? "load view" : "load");
    }
    void adAdapterDidFailToLoad(SolenBaseAdAdapter& adapter, SolenAdapterError e) override {
        EXPECT_EQ(e.data().className(), "S2sNativeAdapter");
        EXPECT_TRUE(dynamic_cast<S2sNativeAdapter*>(&adapter));
        say(std::string(e.rawValue()) + ": " + e.data().failureReason() + " / " + e.data().recoverySuggestion());
    }
    void adAdapterDidClick(SolenBaseAdAdapter&) override { say("click"); }
    void userWillLeaveApplicationFrom(SolenBaseAdAdapter&) override { say("leave"); }
    void adAdapterWillPresentScreen(SolenBaseAdAdapter&) override { say("willPresent"); }
    void adAdapterDidPresentScreen(SolenBaseAdAdapter&) override { say("didPresent"); }
    void adAdapterWillDismissScreen(SolenBaseAdAdapter&) override { say("willDismiss"); }
    void adAdapterDidDismissScreen(SolenBaseAdAdapter&) override { say("didDismiss"); }
    void adapterDidAdImpression(SolenBaseAdAdapter&) override { say("impression"); }
    void adAdapterDidVideoEventOccurred(VideoEvent e) override { say(event(e)); }
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override { return controller; }
    void say(const std::string& entry) {
        journal.push_back(entry);
        thread = std::this_thread::get_id();
    }
    Journal journal;
    std::thread::id thread;
    std::shared_ptr<platform::ViewController> controller;
};

// A template with every outlet; `offered` switches outlets off (a template without them).
struct Template : SolenNativeAdView, SolenNativeAdViewProtocol {
    Template() : SolenNativeAdView(platform::Rect{0, 0, 100, 100}) {}
    std::shared_ptr<platform::Label> nativeAdTitleTextLabel() const override { return pick("title", title); }
    std::shared_ptr<platform::Label> nativeAdDescriptionTextLabel() const override { return pick("description", description); }
    std::shared_ptr<platform::Label> nativeAdCallToActionTextLabel() const override { return pick("cta", cta); }
    std::shared_ptr<platform::Label> nativeAdSponsoredByCompanyTextLabel() const override { return pick("sponsored", sponsored); }
    std::shared_ptr<platform::Label> nativeAdRatingLabel() const override { return pick("rating", rating); }
    std::shared_ptr<platform::ImageView> nativeAdIconImageView() const override { return pick("icon", icon); }
    std::shared_ptr<platform::ImageView> nativeAdChoiceImageView() const override { return pick("adChoices", adChoices); }
    std::shared_ptr<platform::View> nativeAdMediaView() const override { return pick("media", media); }
    template <class T>
    std::shared_ptr<T> pick(const std::string& name, const std::shared_ptr<T>& outlet) const {
        return std::ranges::count(missing, name) ? nullptr : outlet;
    }
    inline static std::vector<std::string> missing;
    std::shared_ptr<platform::Label> title = platform::Label::create(), description = platform::Label::create(),
                                     cta = platform::Label::create(), sponsored = platform::Label::create(),
                                     rating = platform::Label::create();
    std::shared_ptr<platform::ImageView> icon = platform::ImageView::create(), adChoices = platform::ImageView::create();
    std::shared_ptr<platform::View> media = platform::View::create();
};

// Tells the adapter of its views' moves, as the native format wrapper does.
struct ViewLink final : SolenNativeAdViewDelegate {
    std::shared_ptr<SolenBaseNativeAdapter> solenAdAdapter() const override { return adapter; }
    std::shared_ptr<SolenBaseNativeAdapter> adapter;
};

class S2sNativeAdapterTest : public VideoAssetTest {
protected:
    void SetUp() override {
        VideoAssetTest::SetUp();
        Template::missing.clear();
        adapter->setDelegate(recorder);
        link->adapter = adapter;
        server.setHandler(servedImages());
    }
    void TearDown() override {
        if (adView) adView->removeFromSuperview();
        adView.reset();
        adapter.reset();
        VideoAssetTest::TearDown();
    }
    // Labels "Title" etc., required title, description, sponsored and image media; the icon
    // (required) and the optional ones only when given.
    NativePubContent creative(std::optional<std::string> iconPath = "/ok.png", bool optional = true,
                              std::optional<std::string> adChoicesPath = std::nullopt) {
        NativePubContent model{
            LabelAssetModel{true, "Title", {}},
            LabelAssetModel{true, "Description", {}},
            std::nullopt,
            MediaAssetModel{MediaType::image, MediaAssetContentValue(ImageAssetModel{true, server.url("/ok.png"), {}})},
            LabelAssetModel{true, "Sponsor", {}},
            std::nullopt, std::nullopt, std::nullopt, std::nullopt};
        if (iconPath) model.icon = ImageAssetModel{true, server.url(*iconPath), {}};
        if (optional) {
            model.rating = LabelAssetModel{false, "4.5", {}};
            model.cta = LabelAssetModel{false, "Install", {}};
        }
        if (adChoicesPath) model.adChoices = ImageAssetModel{false, server.url(*adChoicesPath), {}};
        return model;
    }
    static AdapterAdConfiguration configuration(std::optional<PubContentModel> content) {
        AdapterAdConfiguration config;
        config.creativeModel = std::make_shared<CreativeRenderingEngineData>(
            content ? std::optional<Creative>(Creative{*content, MarkupType::native, "c1"}) : std::nullopt);
        return config;
    }
    // Loads `model` and waits for its outcome.
    void loadAndSettle(const NativePubContent& model, std::size_t reports = 1) {
        adapter->load(configuration(PubContentModel(model)));
        EXPECT_TRUE(waitUntil([&] { return recorder->journal.size() >= reports; }, 5s)) << ::testing::PrintToString(recorder->journal);
    }
    std::shared_ptr<Template> makeView() {
        adView = std::dynamic_pointer_cast<Template>(adapter->getAdView(SolenAdViewConfiguration{SolenAdViewConfiguration::templateOf<Template>()}));
        if (adView) adView->setDelegate(link);
        return adView;
    }

    LocalHttpServer server;
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
    std::shared_ptr<S2sNativeAdapter> adapter = std::make_shared<S2sNativeAdapter>();
    std::shared_ptr<ViewLink> link = std::make_shared<ViewLink>();
    std::shared_ptr<Template> adView;
};

TEST_F(S2sNativeAdapterTest, MarkupFailuresOnTheCallersThreadAndOutcomesForwardedWithTheirCase) {
    const auto registered = platform::ClassRegistry::shared().lookup("S2sNativeAdapter");
    ASSERT_TRUE(registered);
    EXPECT_TRUE(std::dynamic_pointer_cast<S2sNativeAdapter>(registered->create<SolenBaseNativeAdapter>()));
    EXPECT_EQ(adapter->getCreativeId(), std::nullopt);

    const std::string contact = " / Please contact "s + SolenAdapterError::supportAddress;
    AdapterAdConfiguration plain;
    plain.creativeModel = std::make_shared<CreativeData>("<b>ad</b>");
    const std::vector<std::pair<AdapterAdConfiguration, std::string>> cases{
        {AdapterAdConfiguration(), "InvalidAdMarkup: The Ad markup is empty" + contact},
        {plain, "InvalidAdMarkup: The Ad markup is empty" + contact},
        {configuration(std::nullopt), "InvalidAdMarkup: The Ad markup is empty" + contact},
        {configuration(PubContentModel("PGI+YWQ8L2I+"s)), "InvalidAdMarkup: Invalid Native adCreative" + contact},
    };
    for (const auto& [config, expected] : cases) {
        recorder->journal.clear();
        std::thread caller([&] { adapter->load(config); });
        const std::thread::id callerId = caller.get_id();
        caller.join();
        EXPECT_EQ(recorder->journal, Journal{expected});
        EXPECT_EQ(recorder->thread, callerId);
    }
    loop().runUntilIdle();
    EXPECT_EQ(adapter->native(), nullptr);

    // A good creative continues on the main queue; its load and a required icon's failure reach
    // the delegate with their case; a video failure carries the VAST code.
    recorder->journal.clear();
    adapter->load(configuration(PubContentModel(creative())));
    EXPECT_EQ(adapter->native(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return !recorder->journal.empty(); }, 5s));
    EXPECT_EQ(recorder->journal, Journal{"load"});
    EXPECT_EQ(adapter->native()->stateMachine().currentState(), S2sNativeState::loadedState);

    recorder->journal.clear();
    loadAndSettle(creative("/missing.png"));
    EXPECT_EQ(recorder->journal, Journal{"S2sRenderError: SOL-103 failToDownloadImage-icon / "});
    recorder->journal.clear();
    adapter->nativeAdLoadFailed(VideoViewAsset::toError(VastErrorCodes::timeoutOfMediaFile));
    EXPECT_EQ(recorder->journal, Journal{"S2sRenderError: VastErrorCodes error 402 / "});

    // The user's doings, by their cases; the view-controller request asks the delegate.
    recorder->journal.clear();
    recorder->controller = platform::ViewController::create();
    adapter->nativeAdClicked();
    adapter->nativeAdVideoEventOccurred(VideoEvent::midpoint);
    adapter->nativeAdImpressionRecorded();
    adapter->nativeAdWillPresentScreen();
    adapter->nativeAdDidPresentScreen();
    adapter->nativeAdWillDismissScreen();
    adapter->nativeAdDidDismissScreen();
    EXPECT_EQ(recorder->journal, (Journal{"click", event(VideoEvent::midpoint), "impression", "willPresent",
                                          "didPresent", "willDismiss", "didDismiss"}));
    EXPECT_EQ(adapter->viewControllerForModalPresentation(), recorder->controller);

    // Without a delegate everything is dropped; an adapter released before the main queue runs
    // loads nothing, and one released while its images download hears nothing either.
    recorder->journal.clear();
    adapter->setDelegate({});
    adapter->nativeAdLoaded();
    adapter->nativeAdClicked();
    EXPECT_EQ(adapter->viewControllerForModalPresentation(), nullptr);
    for (const bool afterStart : {false, true}) {
        auto released = std::make_shared<S2sNativeAdapter>();
        released->setDelegate(recorder);
        released->load(configuration(PubContentModel(creative("/late.png"))));
        if (afterStart) loop().runUntilIdle();
        const std::weak_ptr<S2sNative> native = released->native();
        EXPECT_EQ(native.expired(), !afterStart);
        released.reset();
        EXPECT_TRUE(native.expired());
        waitUntil([] { return false; }, 500ms);
    }
    EXPECT_TRUE(recorder->journal.empty()) << ::testing::PrintToString(recorder->journal);
}

TEST_F(S2sNativeAdapterTest, TheNativeAdLoadsOnceAndReportsOneOutcome) {
    LogCapture log{5};
    struct Case {
        std::string name;
        NativePubContent model;
        std::size_t reports;
        Journal expected;
        std::string refusal;
    };
    const std::vector<Case> cases{
        {"late optional image after the set was ready", creative("/ok.png", true, "/late.png"), 1, {"load"},
         "Invalid StateMachine state loadedState"},
        {"two required failures", [&] {
             auto model = creative("/missing.png");
             model.title.value = "";
             return model;
         }(), 1, {"S2sRenderError: SOL-102 emptyAssetValue-title / "}, "Invalid StateMachine state failedState"},
    };
    for (const Case& test : cases) {
        log.clear();
        recorder->journal.clear();
        loadAndSettle(test.model, test.reports);
        EXPECT_TRUE(waitUntil([&] { return log.contains(test.refusal); }, 5s)) << test.name;
        waitUntil([] { return false; }, 100ms);
        EXPECT_EQ(recorder->journal, test.expected) << test.name;
    }

    // A second load of the same native ad is refused and reported as a failed load.
    recorder->journal.clear();
    const auto native = adapter->native();
    native->load(creative());
    EXPECT_TRUE(log.contains("Ad fail's due to Invalid StateMachine state failedState"));
    const auto fresh = S2sNative::create(std::static_pointer_cast<S2sNativeAdDelegate>(adapter));
    fresh->load(creative("/late.png"));
    fresh->load(creative());
    EXPECT_TRUE(log.contains("Ad fail's due to Invalid StateMachine state loadingState"));
    EXPECT_EQ(fresh->stateMachine().currentState(), S2sNativeState::loadingState);
    const std::string refused = "S2sRenderError: " + AdError::invalidLoadRequest().toError().localizedDescription + " / ";
    EXPECT_EQ(recorder->journal, (Journal{refused, refused}));
    EXPECT_TRUE(log.contains("StateMachine: Changing the state to loadingState"));
}

TEST_F(S2sNativeAdapterTest, TemplatesGetTheAssetsBoundIntoTheOutletsTheyOffer) {
    LogCapture log{5};
    // Without a load every outlet stays as the template made it; bad configurations give none.
    ASSERT_TRUE(makeView());
    for (const auto& outlet : std::vector<std::shared_ptr<platform::View>>{adView->title, adView->icon, adView->media}) {
        EXPECT_TRUE(outlet->subviews().empty());
    }
    EXPECT_EQ(adapter->getAdView(std::nullopt), nullptr);
    EXPECT_EQ(adapter->getAdView(SolenAdViewConfiguration{}), nullptr);
    EXPECT_EQ(log.count("Native AdTemplate class not found"), 2u);
    for (auto factory : {SolenAdViewConfiguration::templateOf<platform::View>(), SolenAdViewConfiguration::TemplateFactory([] { return nullptr; })}) {
        EXPECT_EQ(adapter->getAdView(SolenAdViewConfiguration{factory}), nullptr);
    }
    EXPECT_EQ(log.count("Fail to Initilize AdTemplate class as SolenNativeAdView"), 2u);

    loadAndSettle(creative("/ok.png", false, "/ok.png"));
    Template::missing = {"description"};
    ASSERT_TRUE(makeView());
    const auto loader = adapter->native()->nativeLoader();
    EXPECT_EQ(adapter->native()->publisherAdView(), adView);
    // Labels: the template shows the text; the clear asset over it, pinned to its edges, takes taps.
    for (const auto& [outlet, asset] : std::vector<std::pair<std::shared_ptr<platform::Label>, std::shared_ptr<LabelViewAsset>>>{
             {adView->title, loader->title}, {adView->sponsored, loader->sponsored}}) {
        EXPECT_EQ(outlet->text(), asset->text());
        EXPECT_TRUE(outlet->isUserInteractionEnabled());
        EXPECT_EQ(asset->superview(), outlet);
        EXPECT_EQ(asset->textColor(), platform::Color::clear());
        EXPECT_FALSE(platform::LayoutConstraint::translatesAutoresizingMaskIntoConstraints(*asset));
        EXPECT_EQ(platform::LayoutConstraint::constraints(*asset).size(), 4u);
    }
    // Images and media: inside the outlet, pinned, the outlet tappable.
    for (const auto& [outlet, asset] : std::vector<std::pair<std::shared_ptr<platform::View>, std::shared_ptr<platform::View>>>{
             {adView->icon, loader->icon}, {adView->adChoices, loader->adChoices}, {adView->media, adapter->native()->mediaContentView()}}) {
        EXPECT_EQ(asset->superview(), outlet);
        EXPECT_TRUE(outlet->isUserInteractionEnabled());
        EXPECT_EQ(platform::LayoutConstraint::constraints(*asset).size(), 4u);
    }
    // The missing outlet, and the outlets of absent assets, stay untouched.
    EXPECT_EQ(loader->description->superview(), nullptr);
    for (const auto& outlet : {adView->description, adView->cta, adView->rating}) {
        EXPECT_TRUE(outlet->subviews().empty());
        EXPECT_TRUE(outlet->text().empty());
    }

    // The order: outlets that share one label (or one view) receive the assets in table order.
    struct Shared : Template {
        Shared() {
            description = cta = sponsored = rating = title;
            adChoices = icon;
            media = icon;
        }
    };
    loadAndSettle(creative("/ok.png", true, "/ok.png"), 2);
    Template::missing.clear();
    const auto shared = std::dynamic_pointer_cast<Shared>(adapter->getAdView(SolenAdViewConfiguration{SolenAdViewConfiguration::templateOf<Shared>()}));
    ASSERT_TRUE(shared);
    const auto next = adapter->native()->nativeLoader();
    EXPECT_EQ(shared->title->text(), "4.5") << "the rating label is bound last";
    EXPECT_EQ(shared->title->subviews(), (std::vector<std::shared_ptr<platform::View>>{next->title, next->description, next->cta, next->sponsored, next->rating}));
    EXPECT_EQ(shared->icon->subviews(), (std::vector<std::shared_ptr<platform::View>>{next->icon, next->adChoices, adapter->native()->mediaContentView()}));

    // Pinning needs a superview.
    const auto loose = platform::View::create();
    bindFrameToSuperviewBounds(loose);
    EXPECT_TRUE(log.contains("Error! `superview` was nil \u2013 call `addSubview(view: UIView)` before calling `bindFrameToSuperviewBounds()` to fix this."));
    EXPECT_TRUE(platform::LayoutConstraint::constraints(*loose).empty());
    EXPECT_TRUE(platform::LayoutConstraint::translatesAutoresizingMaskIntoConstraints(*loose));
}

TEST_F(S2sNativeAdapterTest, ImpressionNeedsTheRequiredViewsAndHalfTheViewVisibleForOneSecondOnce) {
    LogCapture log{1};
    const std::string missingLine = "AdImpression failed due to mandatory assets are not added to the screen";
    loadAndSettle(creative());

    // A template without the title outlet never counts: every attach logs the line.
    Template::missing = {"title"};
    ASSERT_TRUE(makeView());
    for (int i = 0; i < 2; ++i) {
        window->addSubview(adView);
        adView->removeFromSuperview();
    }
    EXPECT_EQ(log.count(missingLine), 2u);
    run(2.0);
    EXPECT_TRUE(recorder->journal == Journal{"load"});

    // Attached before the title is placed, then again once it is: the timer starts.
    adView->title->addSubview(adapter->native()->nativeLoader()->title);
    window->addSubview(adView);
    EXPECT_EQ(log.count(missingLine), 2u);
    run(1.5);
    EXPECT_EQ(recorder->journal, (Journal{"load", "impression"}));
    // Once only: later attaches do nothing.
    adView->removeFromSuperview();
    window->addSubview(adView);
    run(2.0);
    EXPECT_EQ(recorder->journal, (Journal{"load", "impression"}));
    adView->removeFromSuperview();

    // 60 % of the view inside the window counts after one second; 40 % never does.
    Template::missing.clear();
    for (const auto& [x, counts] : std::vector<std::pair<double, bool>>{{260, true}, {280, false}}) {
        recorder->journal.clear();
        loadAndSettle(creative());
        ASSERT_TRUE(makeView());
        adView->setFrame(platform::Rect{x, 0, 100, 100});
        window->addSubview(adView);
        run(0.85);
        EXPECT_TRUE(recorder->journal == Journal{"load"});
        run(1.0);
        EXPECT_EQ(recorder->journal == (Journal{"load", "impression"}), counts) << x;
        adView->removeFromSuperview();
    }
    // Detaching reports false and starts nothing.
    EXPECT_EQ(log.count(missingLine), 2u);
}

}  // namespace
}  // namespace solen
