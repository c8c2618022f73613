// The player end to end: the committed clip served over loopback, its headers read by the media
// module, played on the system clock.

#include "Ad/RenderEngine/Native/MediaPlayer/Player.h"

#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/HttpSession.h"
#include "Platform/Media/DownloadingMediaFactsSource.h"
#include "support/LocalHttpServer.h"
#include "support/PlayerRecorder.h"
#include "support/ScopedApplication.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>

namespace solen {
namespace {

TEST(PlayerPlayback, PlaysTheServedClipToCompletion) {
    std::ifstream in(std::string(SOLEN_TEST_MEDIA_DIR) + "/clip.mp4", std::ios::binary);
    const std::string clip{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    test::LocalHttpServer server;
    server.setDefaultAnswer(test::ScriptedAnswer::text(200, clip, "video/mp4"));
    platform::MediaModule module{std::string(SOLEN_MEDIA_MODULE_PATH)};
    auto source = platform::DownloadingMediaFactsSource::create(platform::HttpSession::create(), &module);

    test::ScopedApplication app;
    auto window = app.showKeyWindow();
    auto recorder = std::make_shared<test::PlayerRecorder>();
    auto player = Player::create(platform::Rect{0, 0, 96, 64}, source);
    player->setPlayerDelegate(recorder);
    player->setPlaybackDelegate(recorder);
    player->setAutoplay(true);
    window->addSubview(player);
    player->setUrl(*platform::URL::parse(server.url("/clip.mp4")));

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
