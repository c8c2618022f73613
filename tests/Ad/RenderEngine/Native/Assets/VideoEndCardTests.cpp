// The video asset's control bar, its taps, the companion choice and the end card.

#include "Platform/Foundation/ResourceBundle.h"
#include "Platform/UI/LayoutConstraint.h"
#include "Platform/UI/Screen.h"
#include "Platform/UI/TapDriver.h"
#include "support/LocalHttpServer.h"
#include "support/VideoAssetFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <optional>
#include <string>
#include <vector>

namespace solen {
namespace {

using namespace test;
using namespace std::string_literals;
using platform::LayoutAttribute;
using platform::LayoutConstraint;
using platform::LayoutRelation;
using Views = std::vector<std::shared_ptr<platform::View>>;

const std::string kPng = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x02\0\0\0\x03\x08\x06\0\0\0"s;

VastCompanionCreative companion(std::int64_t width, const std::string& id, const std::string& type = "image/png") {
    VastCompanionCreative made;
    made.width = width;
    made.id = id;
    made.staticResource.push_back(VastStaticResource{type, platform::URL::parse("https://c.test/" + id)});
    return made;
}

std::string chosenId(const std::optional<VastCompanionCreative>& chosen) {
    return chosen ? chosen->id.value_or("?") : "none";
}

// Whether the image view shows the SDK's resource image `name`.
bool shows(const ImageViewAsset& view, const std::string& name) {
    return view.image() && view.image()->data() == platform::ResourceBundle::image(name)->data();
}

// The active constraints of `view` as "attribute relation other.attribute *multiplier +constant".
std::vector<std::string> constraintsOf(const platform::View& view, const platform::View& other) {
    static const char* names[] = {"left", "right", "top", "bottom", "centerX", "centerY", "width", "height"};
    static const char* relations[] = {"==", "<=", ">="};
    std::vector<std::string> found;
    for (const auto& constraint : LayoutConstraint::constraints(view)) {
        const auto second = constraint->secondAnchor().view.lock();
        std::ostringstream text;
        text << names[static_cast<int>(constraint->firstAnchor().attribute)] << ' '
             << relations[static_cast<int>(constraint->relation())] << ' '
             << (second.get() == &other ? "other." : second.get() == &view ? "self." : "?.")
             << names[static_cast<int>(constraint->secondAnchor().attribute)] << " *" << constraint->multiplier() << " +"
             << constraint->constant();
        found.push_back(text.str());
    }
    return found;
}

const std::vector<std::string> kFills{
    "top == other.top *1 +0",         "left == other.left *1 +0",       "right == other.right *1 +0",
    "bottom == other.bottom *1 +0",   "centerX == other.centerX *1 +0", "centerY == other.centerY *1 +0",
};

TEST(VideoCompanionChoice, NarrowestCoveringOnWiFiWidestFittingElsewhereAmongPngCompanions) {
    ScopedApplication app;
    struct Case {
        std::string name;
        double screen;
        std::vector<VastCompanionCreative> companions;
        std::string onWiFi;
        std::string onOther;
    };
    std::vector<VastCompanionCreative> many;
    for (int i = 0; i < 2000; ++i) many.push_back(companion(i % 1000, std::to_string(i)));
    const std::vector<Case> cases{
        {"three widths", 375, {companion(728, "728"), companion(400, "400"), companion(300, "300")}, "400", "300"},
        {"none reaches the screen", 375, {companion(320, "320"), companion(300, "300")}, "320", "320"},
        {"all wider", 375, {companion(400, "400"), companion(728, "728")}, "400", "400"},
        {"default screen", 390, {companion(380, "380"), companion(400, "400")}, "400", "380"},
        {"same at 375", 375, {companion(380, "380"), companion(400, "400")}, "380", "380"},
        {"a JPEG-only companion is skipped", 375,
         {companion(728, "728"), companion(400, "400"), companion(375, "jpeg", "image/jpeg"), companion(300, "300")},
         "400", "300"},
        {"letter case and longer types", 375,
         {companion(400, "long", "image/png; q=1"), companion(380, "caps", "IMAGE/PNG")}, "long", "long"},
        {"equal widths keep document order", 375, {companion(300, "first"), companion(300, "second")}, "first",
         "second"},
        {"zero and negative widths", 375, {companion(0, "zero"), companion(-5, "neg"), companion(320, "w")}, "w", "w"},
        {"no static resource", 375, {VastCompanionCreative{}}, "none", "none"},
        {"empty", 375, {}, "none", "none"},
        {"two thousand", 375, many, "1375", "1375"},
    };
    for (const Case& test : cases) {
        platform::Screen::main().setBounds(platform::Rect{0, 0, test.screen, 800});
        EXPECT_EQ(chosenId(VideoViewAsset::companionForWiFi(test.companions)), test.onWiFi) << test.name;
        EXPECT_EQ(chosenId(VideoViewAsset::companionForOtherNetworks(test.companions)), test.onOther) << test.name;
    }
}

// Companion pictures come from a loopback server: "/ok.png" a PNG, "/missing.png" a 404,
// "/slow.png" a PNG after one second.
class VideoEndCardTest : public VideoAssetTest {
protected:
    VideoEndCardTest() {
        server.setHandler([](const RecordedRequest& request) -> std::optional<ScriptedAnswer> {
            if (request.path == "/ok.png") return ScriptedAnswer::text(200, kPng, "image/png");
            if (request.path == "/slow.png") {
                auto answer = ScriptedAnswer::text(200, kPng, "image/png");
                answer.delay = std::chrono::seconds(1);
                return answer;
            }
            return ScriptedAnswer::text(404, kPng, "image/png");
        });
    }
    std::string url(const std::string& path) { return server.url(path); }
    // A creative with one companion of width 400 and the given inside.
    static std::string companions(const std::string& inside) {
        return "<Creative><CompanionAds>" + inside + "</CompanionAds></Creative>";
    }
    std::string pngCompanion(const std::string& path, const std::string& clickTrackers = "") {
        return "<Companion width=\"400\" height=\"250\"><StaticResource creativeType=\"image/png\">" + url(path) +
               "</StaticResource><CompanionClickThrough>https://land.test/companion</CompanionClickThrough>" +
               clickTrackers + "</Companion>";
    }
    // Loads the ad and waits until its companion (if any) has its picture or has failed.
    std::shared_ptr<VideoViewAsset> loaded(const std::string& xml, bool waitForCompanion = true) {
        auto asset = make(xml);
        load(*asset);
        const auto& companion = asset->companionImageView();
        EXPECT_TRUE(!waitForCompanion ||
                    waitUntil([&] { return !companion || companion->assetState() != NativeAssetState::loading; }));
        return asset;
    }

    LocalHttpServer server;
};

TEST_F(VideoEndCardTest, CompanionComesFromThePlayedAdAnd600OnlyWhereCompanionsExistButNoneCanBeUsed) {
    const std::string fired600 = "ERROR https://t.test/error?c=600";
    const std::string noClickThrough =
        "<Companion width=\"400\"><StaticResource creativeType=\"image/png\">" + url("/ok.png") +
        "</StaticResource></Companion>";
    struct Case {
        std::string name;
        std::string xml;
        std::optional<ImageAssetModel> model;
        bool error600;
    };
    const auto model = [&](const std::string& path, std::optional<std::vector<std::string>> trackers) {
        return ImageAssetModel{false, url(path),
                               AssetOnClick{"https://land.test/companion", OpenModeType::inAppBrowser, trackers}};
    };
    const std::vector<Case> cases{
        {"no companions", playable(), std::nullopt, false},
        {"empty companion list", vast(inlineAd(linear(), companions(""))), std::nullopt, false},
        {"another ad's companions", vast(inlineAd(linear()) + inlineAd(std::nullopt, companions(pngCompanion("/ok.png")), "b")),
         std::nullopt, false},
        {"the played ad's", vast(inlineAd(linear(), companions(pngCompanion("/ok.png")))),
         model("/ok.png", std::nullopt), false},
        {"trackers in order",
         vast(inlineAd(linear(), companions(pngCompanion("/ok.png", "<CompanionClickTracking>https://t.test/c1"
                                                                    "</CompanionClickTracking><CompanionClickTracking>"
                                                                    "https://t.test/c2</CompanionClickTracking>")))),
         model("/ok.png", std::vector<std::string>{"https://t.test/c1", "https://t.test/c2"}), false},
        {"a JPEG one is skipped",
         vast(inlineAd(linear(), companions("<Companion width=\"375\"><StaticResource creativeType=\"image/jpeg\">" +
                                            url("/x.jpg") + "</StaticResource></Companion>" +
                                            pngCompanion("/ok.png")))),
         model("/ok.png", std::nullopt), false},
        {"the JPEG address of a PNG companion",
         vast(inlineAd(linear(), companions("<Companion width=\"400\"><StaticResource creativeType=\"image/png\">"
                                            "</StaticResource><StaticResource creativeType=\"image/jpeg\">" +
                                            url("/ok.png") +
                                            "</StaticResource><CompanionClickThrough>https://land.test/companion"
                                            "</CompanionClickThrough></Companion>"))),
         model("/ok.png", std::nullopt), false},
        {"JPEG only",
         vast(inlineAd(linear(), companions("<Companion width=\"400\"><StaticResource creativeType=\"image/jpeg\">" +
                                            url("/x.jpg") + "</StaticResource></Companion>"))),
         std::nullopt, true},
        {"no image address",
         vast(inlineAd(linear(), companions("<Companion width=\"400\"><StaticResource creativeType=\"image/png\">"
                                            "</StaticResource><CompanionClickThrough>https://land.test/c"
                                            "</CompanionClickThrough></Companion>"))),
         std::nullopt, true},
        {"no click-through", vast(inlineAd(linear(), companions(noClickThrough))), std::nullopt, true},
    };
    for (const Case& test : cases) {
        witness->journal.clear();
        auto asset = loaded(test.xml);
        const auto& companion = asset->companionImageView();
        ASSERT_EQ(companion != nullptr, test.model.has_value()) << test.name;
        if (companion) {
            EXPECT_EQ(companion->model(), test.model) << test.name;
            EXPECT_EQ(companion->assetName(), "companion");
            EXPECT_FALSE(companion->superview()) << test.name;
            EXPECT_EQ(companion->assetState(), NativeAssetState::loaded) << test.name;
        }
        EXPECT_EQ(witness->with("ERROR"), test.error600 ? Journal{fired600} : Journal{}) << test.name;
        EXPECT_TRUE(witness->with("failed").empty()) << test.name;
    }
}

TEST_F(VideoEndCardTest, EndCardIsTheCompanionUnlessItFailedThenTheThumbnailElseTheVideoStays) {
    struct Case {
        std::string name;
        std::optional<std::string> companionPath;
        bool thumbnail;
        std::string shown;  // "companion", "thumbnail" or "video"
    };
    const std::vector<Case> cases{
        {"companion loaded", "/ok.png", true, "companion"},
        {"companion loading", "/slow.png", false, "companion"},
        {"companion failed, thumbnail", "/missing.png", true, "thumbnail"},
        {"companion failed, no thumbnail", "/missing.png", false, "video"},
        {"thumbnail only", std::nullopt, true, "thumbnail"},
        {"neither", std::nullopt, false, "video"},
    };
    for (const Case& test : cases) {
        auto asset = loaded(vast(inlineAd(
            linear("<VideoClicks><ClickThrough>https://land.test/video</ClickThrough></VideoClicks>"),
            test.companionPath ? companions(pngCompanion(*test.companionPath)) : "")),
                            test.companionPath != "/slow.png");
        if (test.thumbnail) asset->thumbnailReceived(platform::ResourceBundle::image("sol_Play"));
        const std::shared_ptr<Player> player = asset->videoPlayer();
        const Views playback{player, asset->videoControlStackView()};
        asset->playerPlayBackDidCompleted(*player);

        std::shared_ptr<ImageViewAsset> shown;
        if (test.shown == "companion") shown = asset->companionImageView();
        if (test.shown == "thumbnail") shown = asset->videoThumbnailImageView();
        if (!shown) {
            EXPECT_EQ(asset->subviews(), playback) << test.name;
            EXPECT_TRUE(asset->videoMuteControlImageView()->superview()) << test.name;
            continue;
        }
        EXPECT_EQ(asset->subviews(), Views{shown}) << test.name;
        EXPECT_EQ(shown->assetState() == NativeAssetState::loading, test.name == "companion loading") << test.name;
        EXPECT_EQ(constraintsOf(*shown, *asset), kFills) << test.name;
        EXPECT_FALSE(LayoutConstraint::translatesAutoresizingMaskIntoConstraints(*shown));
        for (const Views::value_type& view : Views{player, asset->videoControlStackView(), asset->videoProgressBar(),
                                                   asset->videoPlayControlImageView(),
                                                   asset->videoMuteControlImageView()}) {
            EXPECT_FALSE(view->superview()) << test.name;
        }
        EXPECT_EQ(player->playbackState(), Player::PlaybackState::stopped) << test.name;
        asset->layoutIfNeeded();
        EXPECT_EQ(shown->frame(), asset->bounds()) << test.name;
    }

    // The companion that was still loading fills in when its picture arrives.
    const auto slow = assets[1]->companionImageView();
    ASSERT_TRUE(waitUntil([&] { return slow->assetState() == NativeAssetState::loaded; }));
    EXPECT_TRUE(slow->image());
    EXPECT_EQ(slow->superview(), assets[1]);
}

TEST_F(VideoEndCardTest, TapsToggleSoundAndPlaybackAndPassEndCardClicksUp) {
    auto asset = loaded(vast(inlineAd(
        linear("<VideoClicks><ClickThrough>https://land.test/video</ClickThrough></VideoClicks>"),
        companions(pngCompanion("/ok.png")))));
    run(1.0);
    const std::shared_ptr<Player> player = asset->videoPlayer();
    const auto play = asset->videoPlayControlImageView();
    const auto mute = asset->videoMuteControlImageView();
    ASSERT_EQ(player->playbackState(), Player::PlaybackState::playing);
    EXPECT_TRUE(shows(*play, "sol_Pause"));
    EXPECT_TRUE(shows(*mute, "sol_Unmute"));

    // Mute and unmute: one tracking send and one event each.
    witness->journal.clear();
    ASSERT_TRUE(platform::TapDriver::tap(mute));
    EXPECT_TRUE(player->avplayer()->isMuted());
    EXPECT_TRUE(shows(*mute, "sol_Mute"));
    ASSERT_TRUE(platform::TapDriver::tap(mute));
    EXPECT_FALSE(player->avplayer()->isMuted());
    EXPECT_TRUE(shows(*mute, "sol_Unmute"));
    EXPECT_EQ(witness->journal, (Journal{"MUTE https://t.test/mute", event(VideoEvent::mute),
                                         "UNMUTE https://t.test/unmute", event(VideoEvent::unmute)}));

    // Play/pause: a user's pause holds against the player's own play requests, a paused video
    // resumes, a stopped one starts again from zero.
    const auto tapPlay = [&](Player::PlaybackState after, bool pausedByUser, const std::string& image) {
        ASSERT_TRUE(platform::TapDriver::tap(play));
        EXPECT_EQ(player->playbackState(), after);
        EXPECT_EQ(player->isVideoPausedByUser(), pausedByUser);
        EXPECT_TRUE(shows(*play, image));
    };
    tapPlay(Player::PlaybackState::paused, true, "sol_Play");
    player->activatePlayback();
    EXPECT_EQ(player->playbackState(), Player::PlaybackState::paused);
    tapPlay(Player::PlaybackState::playing, false, "sol_Pause");
    run(2.0);
    player->stop();
    EXPECT_GT(player->avplayer()->currentTime().seconds(), 1.0);
    tapPlay(Player::PlaybackState::playing, false, "sol_Pause");
    EXPECT_EQ(player->avplayer()->currentTime().seconds(), 0.0);

    // Any other view: nothing.
    witness->journal.clear();
    auto stranger = ImageViewAsset::create("other", "sol_Play", {}, nullptr);
    asset->assetTapped(stranger, AssetOnClick{"https://land.test/x", std::nullopt, std::nullopt});
    asset->assetTapped(nullptr, std::nullopt);
    EXPECT_FALSE(platform::TapDriver::tap(asset->videoProgressBar()));
    EXPECT_EQ(player->playbackState(), Player::PlaybackState::playing);
    EXPECT_TRUE(witness->journal.empty()) << ::testing::PrintToString(witness->journal);

    // The end card's taps go up with their click targets: the companion's, then the thumbnail's.
    asset->playerPlayBackDidCompleted(*player);
    witness->journal.clear();
    ASSERT_TRUE(platform::TapDriver::tap(asset->companionImageView()));
    EXPECT_EQ(witness->journal, Journal{"tapped https://land.test/companion"});
    EXPECT_EQ(witness->lastTapped, asset->companionImageView());

    auto second = loaded(vast(inlineAd(
        linear("<VideoClicks><ClickThrough>https://land.test/video</ClickThrough></VideoClicks>"))));
    second->thumbnailReceived(platform::ResourceBundle::image("sol_Play"));
    second->playerPlayBackDidCompleted(*second->videoPlayer());
    witness->journal.clear();
    ASSERT_TRUE(platform::TapDriver::tap(second->videoThumbnailImageView()));
    EXPECT_EQ(witness->journal, Journal{"tapped https://land.test/video"});
}

TEST_F(VideoEndCardTest, ControlBarLookPlacementAndOneGradientThroughManyLayouts) {
    auto muted = make(playable(), true, false);
    load(*muted);
    EXPECT_TRUE(shows(*muted->videoMuteControlImageView(), "sol_Mute"));
    EXPECT_TRUE(shows(*muted->videoPlayControlImageView(), "sol_Play"));

    auto asset = loaded(playable());
    const auto& bar = asset->videoControlStackView();
    const auto& player = asset->videoPlayer();
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->superview(), asset);
    EXPECT_EQ(bar->axis(), platform::StackView::Axis::horizontal);
    EXPECT_DOUBLE_EQ(bar->alpha(), 0.6);
    EXPECT_EQ(bar->spacing(), 20.0);
    EXPECT_EQ(bar->alignment(), platform::StackView::Alignment::center);
    EXPECT_EQ(bar->distribution(), platform::StackView::Distribution::fill);
    EXPECT_EQ(bar->backgroundColor(), (platform::Color{1, 0, 0, 1}));
    EXPECT_EQ(bar->layoutMargins(), (platform::EdgeInsets{0, 14, 0, 14}));
    EXPECT_TRUE(bar->isLayoutMarginsRelativeArrangement());
    const auto& layer = *bar->layer();
    EXPECT_EQ(layer.cornerRadius(), 10.0);
    EXPECT_TRUE(layer.masksToBounds());
    EXPECT_EQ(layer.shadowColor(), platform::Color::black());
    EXPECT_EQ(layer.shadowOffset(), (platform::Size{0, 1}));
    EXPECT_DOUBLE_EQ(layer.shadowOpacity(), 0.2);
    EXPECT_EQ(layer.shadowRadius(), 4.0);
    EXPECT_EQ(bar->arrangedSubviews(), (Views{asset->videoPlayControlImageView(), asset->videoProgressBar(),
                                               asset->videoMuteControlImageView()}));
    EXPECT_FALSE(LayoutConstraint::translatesAutoresizingMaskIntoConstraints(*bar));
    EXPECT_EQ(constraintsOf(*bar, *player),
              (std::vector<std::string>{"left == other.left *1 +8", "right == other.right *1 +-8",
                                        "bottom == other.bottom *1 +-4", "height <= other.width *0.08 +0"}));
    for (const auto& button : {asset->videoPlayControlImageView(), asset->videoMuteControlImageView()}) {
        EXPECT_EQ(constraintsOf(*button, *bar),
                  (std::vector<std::string>{"top == other.top *1 +8", "bottom == other.bottom *1 +-8",
                                            "width == self.height *1 +0"}));
        EXPECT_TRUE(button->clickGestureRecognizer().isEnabled());
    }
    const auto& progress = *asset->videoProgressBar();
    EXPECT_EQ(progress.trackTintColor(), (platform::Color{2.0 / 3, 2.0 / 3, 2.0 / 3, 1}));
    EXPECT_EQ(progress.progressTintColor(), platform::Color::white());
    EXPECT_EQ(LayoutConstraint::contentHuggingPriority(progress, platform::LayoutAxis::horizontal), 250);
    EXPECT_EQ(LayoutConstraint::contentCompressionResistancePriority(progress, platform::LayoutAxis::horizontal), 750);

    for (int i = 1; i <= 50; ++i) {
        bar->setFrame(platform::Rect{8, 150, 300.0 + i, 20});
        asset->setFrame(platform::Rect{0, 0, 320.0 + i, 180});
        asset->layoutIfNeeded();
    }
    ASSERT_EQ(layer.sublayers().size(), 1u);
    const auto gradient = std::dynamic_pointer_cast<platform::GradientLayer>(layer.sublayers().front());
    ASSERT_TRUE(gradient);
    EXPECT_EQ(gradient->frame(), (platform::Rect{0, 0, 350, 20}));
    const double third = 1.0 / 3;
    EXPECT_EQ(gradient->colors(), (std::vector<platform::Color>{platform::Color::black(), {third, third, third, 1},
                                                                 {0.5, 0.5, 0.5, 1}}));
    EXPECT_EQ(gradient->locations(), (std::vector<double>{0, 1}));
    EXPECT_EQ(gradient->startPoint(), (platform::Point{0, 1}));
    EXPECT_EQ(gradient->endPoint(), (platform::Point{0, 0}));
}

}  // namespace
}  // namespace solen
