#include "Ad/RenderEngine/Video/MediaPlayer.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Media/MediaFactsSource.h"
#include "Platform/Media/PlayerLayer.h"
#include "Platform/UI/GraphicsContext.h"
#include "support/MainLoopPump.h"
#include "support/ScopedApplication.h"
#include "support/ScriptedMediaFactsSource.h"

#include <gtest/gtest.h>

namespace solen {
namespace {

using platform::Application;
using platform::GraphicsContext;
using platform::Rect;

constexpr const char* kVideo = "https://media.example/ad.mp4";

void pump() { platform::MainLoop::shared().runUntilIdle(); }

// The render view's part: counts closes and, like the render view, lets its manager go on the first.
struct ClosingOwner final : MediaPlayerDelegate {
    void mediaPlayerDidClose() override {
        ++closes;
        manager.reset();
    }
    int closes = 0;
    std::unique_ptr<MediaManager> manager = std::make_unique<MediaManager>();
};

class MRAIDVideoPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        source->script(kVideo, test::ScriptedMediaFactsSource::video(2.0));
        platform::MediaFactsSource::setShared(source);
    }
    void TearDown() override {
        pump();
        platform::MediaFactsSource::setShared(nullptr);
    }
    std::shared_ptr<MediaPlayer> play(const AnyDictionary& params) {
        EXPECT_TRUE(owner->manager->playVideo(params, renderView, owner));
        test::advanceAndPump(clock, 0.1, 0.05);
        return owner->manager->mediaPlayer();
    }

    test::ScopedApplication app;
    test::ScopedManualClock clock;
    std::shared_ptr<test::ScriptedMediaFactsSource> source = test::ScriptedMediaFactsSource::create();
    std::shared_ptr<platform::View> renderView = platform::View::create({0, 0, 320, 50});
    std::shared_ptr<ClosingOwner> owner = std::make_shared<ClosingOwner>();
};

TEST_F(MRAIDVideoPlayerTest, PlaysPausesInTheBackgroundAndClosesOnceAtTheEnd) {
    const std::weak_ptr<MediaPlayer> player = play({{"url", kVideo}});
    ASSERT_TRUE(player.lock());
    const auto media = player.lock()->player();
    const auto view = player.lock()->playerView();
    EXPECT_EQ(view->superview(), renderView);
    EXPECT_EQ(view->frame(), Rect(0, 20, 390, 824));  // below the status bar
    EXPECT_EQ(view->backgroundColor(), platform::Color::black());
    const auto layer = std::dynamic_pointer_cast<platform::PlayerLayer>(view->layer()->sublayers().at(0));
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->player(), media);
    EXPECT_EQ(media->rate(), 1.0f);
    EXPECT_EQ(media->volume(), 1.0f);

    media->pause();  // paused for another reason: coming back still plays
    app.moveTo(Application::State::background);
    EXPECT_EQ(media->rate(), 0.0f);
    app.moveTo(Application::State::active);
    EXPECT_EQ(media->rate(), 1.0f);

    test::advanceAndPump(clock, 2.5, 0.05);
    EXPECT_EQ(owner->closes, 1);
    EXPECT_FALSE(player.lock());  // released by its owner from inside its own close
    EXPECT_EQ(media->rate(), 0.0f);
    EXPECT_FALSE(view->superview());
    app.moveTo(Application::State::background);
    app.moveTo(Application::State::active);
    EXPECT_EQ(media->rate(), 0.0f);  // a closed player hears no notifications
}

TEST_F(MRAIDVideoPlayerTest, TheCloseButtonClosesAndASecondCloseDoesNothing) {
    const auto player = play({{"url", kVideo}});
    const auto button = player->adCloseButton();
    EXPECT_EQ(button->superview(), player->playerView());
    EXPECT_EQ(button->frame(), Rect(340, 0, 50, 50));
    EXPECT_EQ(button->autoresizingMask(), platform::View::flexibleLeftMargin);
    EXPECT_EQ(button->accessibilityLabel(), "close");
    EXPECT_TRUE(button->graphics());
    button->sendActions(platform::Button::ControlEvent::touchUpInside);
    EXPECT_TRUE(player->isClosed());
    EXPECT_FALSE(player->player());
    EXPECT_FALSE(player->playerView()->superview());
    player->close();
    player->mediaEndNotification();
    EXPECT_EQ(owner->closes, 1);
}

TEST_F(MRAIDVideoPlayerTest, ANewVideoReplacesTheOldOneQuietlyAndBadParametersChangeNothing) {
    const auto first = play({{"url", kVideo}});
    for (const AnyDictionary& bad : {AnyDictionary::object(), AnyDictionary{{"url", 5}}, AnyDictionary{{"url", "not a url"}},
                                     AnyDictionary::array()}) {
        EXPECT_FALSE(owner->manager->playVideo(bad, renderView, owner)) << bad;
    }
    EXPECT_EQ(owner->manager->mediaPlayer(), first);
    // An address the media source cannot play: a black view with its close button.
    const auto second = play({{"url", "https://media.example/missing.mp4"}});
    EXPECT_NE(second, first);
    EXPECT_TRUE(first->isClosed());
    EXPECT_FALSE(first->playerView()->superview());
    ASSERT_EQ(renderView->subviews().size(), 1u);
    EXPECT_EQ(renderView->subviews()[0], second->playerView());
    EXPECT_EQ(owner->closes, 0);
    test::advanceAndPump(clock, 3, 0.1);
    EXPECT_EQ(owner->closes, 0);  // nothing ends what never plays
    second->adCloseButton()->sendActions(platform::Button::ControlEvent::touchUpInside);
    EXPECT_EQ(owner->closes, 1);
    EXPECT_TRUE(renderView->subviews().empty());
}

TEST(AdCloseButtonTest, DrawsItsGlyphInTheMiddleHalf) {
    using Fill = GraphicsContext::FillEllipse;
    using Line = GraphicsContext::StrokeLine;
    const auto white = platform::Color::white();
    const auto black = platform::Color::black();
    AdCloseButton button({0, 0, 50, 50});
    EXPECT_TRUE(GraphicsContext::record([&] { button.draw({0, 0, 50, 50}); }).empty());  // graphics off
    button.setGraphics(true);
    button.draw({0, 0, 50, 50});  // outside a drawing pass: nothing, no crash
    struct Case {
        double size;
        std::vector<GraphicsContext::Operation> drawing;
    } cases[] = {
        {50, {Fill{{12.5, 12.5, 25, 25}, white}, Fill{{15, 15, 20, 20}, black}, Line{{20, 20}, {30, 30}, 2.4, white},
              Line{{30, 20}, {20, 30}, 2.4, white}}},
        {40, {Fill{{10, 10, 20, 20}, white}, Fill{{12, 12, 16, 16}, black}, Line{{16, 16}, {24, 24}, 1.92, white},
              Line{{24, 16}, {16, 24}, 1.92, white}}},
    };
    for (const Case& c : cases) {
        const auto drawing = GraphicsContext::record([&] { button.draw({7, 9, c.size, c.size}); });
        ASSERT_EQ(drawing.size(), c.drawing.size());
        for (std::size_t i = 0; i < drawing.size(); ++i) {
            if (const auto* line = std::get_if<Line>(&drawing[i])) {
                const auto& expected = std::get<Line>(c.drawing[i]);
                EXPECT_NEAR(line->width, expected.width, 1e-12);
                EXPECT_EQ(Line(*line).from, expected.from);
                EXPECT_EQ(line->to, expected.to);
                EXPECT_EQ(line->color, expected.color);
            } else {
                EXPECT_EQ(drawing[i], c.drawing[i]) << c.size << " #" << i;
            }
        }
    }
}

}  // namespace
}  // namespace solen
