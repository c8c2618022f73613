// The player end to end: the committed clip served over loopback, its headers read by the media
// module, played on the system clock.

#include "Ad/RenderEngine/Native/MediaPlayer/Player.h"

#include "Platform/Dispatch/MainLoop.h"
#include "support/PlayerRecorder.h"
#include "support/ScopedApplication.h"
#include "support/ServedMediaClip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace solen {
namespace {

TEST(PlayerPlayback, PlaysTheServedClipToCompletion) {
    test::ServedMediaClip clip("clip.mp4");

    test::ScopedApplication app;
    auto window = app.showKeyWindow();
    auto recorder = std::make_shared<test::PlayerRecorder>();
    auto player = Player::create(platform::Rect{0, 0, 96, 64}, clip.source);
    player->setPlayerDelegate(recorder);
    player->setPlaybackDelegate(recorder);
    player->setAutoplay(true);
    window->addSubview(player);
    player->setUrl(*platform::URL::parse(clip.server.url("/clip.mp4")));

    const auto& journal = recorder->journal;
    const bool completed = platform::MainLoop::shared().runUntil(
        [&] { return std::find(journal.begin(), journal.end(), "completed") != journal.end(); }, std::chrono::seconds(20));
    ASSERT_TRUE(completed) << ::testing::PrintToString(journal);
    platform::MainLoop::shared().runUntilIdle();

    // Playing for the new URL, paused until the first viewable verdict, playing, then the end.
    EXPECT_EQ(recorder->states(), (std::vector<std::string>{"state Playing", "state Paused", "state Playing",
                                                            "state Paused", "state Stopped"}));
    EXPECT_EQ(recorder->milestones(), (std::vector<std::string>{"started", "q1", "q2", "q3", "completed"}));
    EXPECT_EQ(recorder->buffering(), (std::vector<std::string>{"buffering Ready"}));
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "ready"), 1);
    EXPECT_EQ(recorder->bufferedTimes, (std::vector<double>{2.0}));
    EXPECT_TRUE(recorder->errors.empty());
    // The clip lasts 2 s: at most one tick per 10 ms, fewer when the loop falls behind.
    EXPECT_GT(recorder->ticks, 20);
    EXPECT_LE(recorder->ticks, 200);
    EXPECT_DOUBLE_EQ(player->avplayer()->currentTime().seconds(), 2.0);
}

}  // namespace
}  // namespace solen
