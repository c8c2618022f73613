#include "Ad/RenderEngine/Native/MediaPlayer/Player.h"

#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Media/AudioSession.h"
#include "Platform/Media/MediaError.h"
#include "Platform/UI/TapDriver.h"
#include "support/MainLoopPump.h"
#include "support/PlayerRecorder.h"
#include "support/ScopedApplication.h"
#include "support/ScriptedMediaFactsSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace solen {
namespace {

using platform::Application;
using platform::AudioSession;
using platform::MediaFacts;
using platform::Rect;
using platform::URL;
using test::PlayerRecorder;
using test::ScriptedMediaFactsSource;
using State = Player::PlaybackState;

const std::string kVideo = "https://media.test/video.mp4";
const std::string kOther = "https://media.test/other.mp4";
const Rect kFull{0, 0, 320, 180};

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop().runUntilIdle();
        source->script(kVideo, ScriptedMediaFactsSource::video(4.0), 0.1);
        window = app.showKeyWindow(Rect{0, 0, 320, 480});
    }
    void TearDown() override {
        retire();
        window.reset();
        loop().runUntilIdle();
    }

    static platform::MainLoop& loop() { return platform::MainLoop::shared(); }
    void run(double seconds) { test::advanceAndPump(clock, seconds, 0.01); }

    // A player reporting to `recorder`, in the window at `frame` unless that is null.
    std::shared_ptr<Player> make(bool autoplay, std::optional<Rect> frame = kFull) {
        auto player = Player::create(frame.value_or(kFull), source);
        player->setPlayerDelegate(recorder);
        player->setPlaybackDelegate(recorder);
        player->setAutoplay(autoplay);
        if (frame) window->addSubview(player);
        players.push_back(player);
        return player;
    }
    // Assigns the URL and runs until its keys have loaded and its item is ready.
    void load(Player& player, const std::string& url = kVideo) {
        player.setUrl(*URL::parse(url));
        run(0.2);
    }
    // An autoplaying player in the window that has started playing.
    std::shared_ptr<Player> playing() {
        auto player = make(true);
        load(*player);
        run(0.5);
        EXPECT_EQ(player->playbackState(), State::playing);
        return player;
    }
    // Takes every player off screen and lets it go.
    void retire() {
        for (const auto& player : players) player->removeFromSuperview();
        players.clear();
    }
    double playhead(const Player& player) const { return player.avplayer()->currentTime().seconds(); }

    test::ScopedManualClock clock;
    test::ScopedApplication app;
    std::shared_ptr<ScriptedMediaFactsSource> source = ScriptedMediaFactsSource::create();
    std::shared_ptr<PlayerRecorder> recorder = std::make_shared<PlayerRecorder>();
    std::shared_ptr<platform::Window> window;
    std::vector<std::shared_ptr<Player>> players;
};

TEST_F(PlayerTest, StatesAreReportedOnChangeOrOnEveryAssignment) {
    EXPECT_EQ(Player::playbackStateFromRawValue(2), State::paused);
    EXPECT_EQ(Player::playbackStateFromRawValue(4), std::nullopt);
    EXPECT_EQ(Player::bufferingStateFromRawValue(-1), std::nullopt);
    EXPECT_EQ(Player::description(State::paused), "Paused");
    EXPECT_EQ(Player::description(Player::BufferingState::delayed), "Delayed");

    struct Case {
        bool edgeTriggered;
        std::vector<std::string> journal;
    };
    const std::vector<Case> cases{
        {true, {"buffering Ready", "ready"}},
        // A new URL assigns stopped and the attach step unknown: both unchanged, both heard.
        {false, {"state Stopped", "buffering Unknown", "buffering Ready", "ready"}},
    };
    for (const Case& test : cases) {
        recorder->journal.clear();
        auto player = make(false, std::nullopt);
        player->setPlaybackEdgeTriggered(test.edgeTriggered);
        player->setRate(0);
        load(*player);
        player->pause();
        player->stop();
        EXPECT_EQ(recorder->journal, test.journal) << test.edgeTriggered;
        EXPECT_DOUBLE_EQ(recorder->bufferedTimes.back(), 4.0);
    }
}

TEST_F(PlayerTest, LoadFailuresReportTheKeyErrorOrNotPlayable) {
    const platform::Error keyError = platform::MediaError::make(platform::MediaError::Code::unreadableContainer, "cut");
    MediaFacts failedKey = ScriptedMediaFactsSource::video(4.0);
    failedKey.failedKeys["playable"] = keyError;
    MediaFacts silentKey = ScriptedMediaFactsSource::video(4.0);
    silentKey.failedKeys["duration"] = std::nullopt;
    MediaFacts notPlayable = ScriptedMediaFactsSource::video(4.0);
    notPlayable.playable = false;
    source->script("https://media.test/failed.mp4", failedKey);
    source->script("https://media.test/silent.mp4", silentKey);
    source->script("https://media.test/unplayable.mp4", notPlayable);

    struct Case {
        std::string url;
        std::optional<platform::Error> error;
    };
    const std::vector<Case> cases{
        {"https://media.test/failed.mp4", keyError},
        {"https://media.test/silent.mp4", std::nullopt},
        {"https://media.test/unplayable.mp4", toError(PlayerError::failed)},
        {"https://media.test/missing.mp4",
         platform::MediaError::make(platform::MediaError::Code::badServerResponse, "")},
    };
    for (const Case& test : cases) {
        recorder->errors.clear();
        auto player = make(false);
        load(*player, test.url);
        run(1.0);
        EXPECT_EQ(player->playbackState(), State::failed) << test.url;
        ASSERT_EQ(recorder->errors.size(), 1u) << test.url;
        const auto& error = recorder->errors.front();
        ASSERT_EQ(error.has_value(), test.error.has_value()) << test.url;
        if (error) {
            EXPECT_EQ(error->domain, test.error->domain) << test.url;
            EXPECT_EQ(error->code, test.error->code) << test.url;
        }
        EXPECT_EQ(player->playerItem(), nullptr) << test.url;
        EXPECT_NE(player->asset(), nullptr) << test.url;
    }
    const platform::Error failed = toError(PlayerError::failed);
    EXPECT_EQ(failed.domain, "Solen.PlayerError");
    EXPECT_EQ(failed.code, 0);
    EXPECT_EQ(failed.localizedDescription, "failed");
    EXPECT_EQ(playerErrorDomain, "PlayerErrorDomain");
}

TEST_F(PlayerTest, AutoplayActivationAndUserPauseDecideWhoMayStart) {
    // Without autoplay only the user's play starts, and it allows resumptions until a new URL.
    auto manual = make(false);
    manual->setRate(0);
    load(*manual);
    manual->play();
    EXPECT_EQ(manual->playbackState(), State::stopped);
    manual->activatePlayback();
    EXPECT_EQ(manual->playbackState(), State::playing);
    manual->pause();
    manual->play();
    EXPECT_EQ(manual->playbackState(), State::playing);
    load(*manual);
    manual->play();
    EXPECT_EQ(manual->playbackState(), State::stopped);
    EXPECT_EQ(manual->avplayer()->rate(), 0.0f);

    // Without autoplay at rate 1 the item starts as it is installed, on screen or not.
    auto eager = make(false, std::nullopt);
    load(*eager);
    EXPECT_EQ(eager->playbackState(), State::playing);

    // Autoplay: playing at once, paused by the attach step, started by the first viewable verdict.
    recorder->journal.clear();
    auto automatic = make(true);
    automatic->setUrl(*URL::parse(kVideo));
    EXPECT_EQ(recorder->states(), (std::vector<std::string>{"state Playing"}));
    run(0.2);
    EXPECT_EQ(automatic->playbackState(), State::paused);
    EXPECT_EQ(playhead(*automatic), 0.0);
    run(0.3);
    EXPECT_EQ(automatic->playbackState(), State::playing);
    run(0.5);
    EXPECT_NEAR(playhead(*automatic), 0.5, 0.02);

    // The user's pause blocks every start, automatic or not.
    auto blocked = make(true);
    blocked->setVideoPausedByUser(true);
    load(*blocked);
    run(1.0);
    blocked->play();
    blocked->activatePlayback();
    EXPECT_EQ(blocked->playbackState(), State::paused);
    EXPECT_EQ(playhead(*blocked), 0.0);
}

TEST_F(PlayerTest, MilestonesAndTheEndOfAnItem) {
    enum class End { freeze, rewind, loop };
    struct Case {
        End end;
        std::vector<std::string> milestones;
        State state;
        double playhead;
    };
    const std::vector<Case> cases{
        {End::freeze, {"started", "q1", "q2", "q3", "completed"}, State::stopped, 4.0},
        {End::rewind, {"started", "q1", "q2", "q3", "completed"}, State::stopped, 0.0},
        {End::loop, {"started", "q1", "q2", "q3", "willLoop", "didLoop", "started"}, State::playing, 0.3},
    };
    for (const Case& test : cases) {
        retire();
        recorder->clear();
        auto player = make(true);
        player->setPlaybackFreezesAtEnd(test.end != End::rewind);
        if (test.end == End::loop) player->avplayer()->setActionAtItemEnd(platform::MediaPlayer::ActionAtItemEnd::none);
        load(*player);
        run(0.5 + 4.1);
        EXPECT_EQ(recorder->milestones(), test.milestones);
        EXPECT_EQ(player->playbackState(), test.state);
        EXPECT_NEAR(playhead(*player), test.playhead, 0.02);
        EXPECT_NEAR(recorder->ticks, test.end == End::loop ? 430 : 400, 2);
    }

    // A jump across every boundary raises only the highest milestone, once per boundary.
    retire();
    auto jumping = playing();
    recorder->clear();
    clock.advanceSeconds(3.3);
    loop().runUntilIdle();
    EXPECT_NEAR(playhead(*jumping), 3.5, 0.02);
    EXPECT_EQ(recorder->milestones(), (std::vector<std::string>(3, "q3")));

    // An open-ended duration has a start but no quartiles and no end.
    MediaFacts live = ScriptedMediaFactsSource::video(4.0);
    live.duration = platform::MediaTime::indefinite();
    source->script(kOther, live);
    retire();
    recorder->clear();
    auto endless = make(true);
    load(*endless, kOther);
    run(6.0);
    EXPECT_EQ(recorder->milestones(), (std::vector<std::string>{"started"}));
    EXPECT_EQ(endless->playbackState(), State::playing);
}

TEST_F(PlayerTest, BufferingFollowsStallsAndPlaybackFailure) {
    MediaFacts stalling = ScriptedMediaFactsSource::video(4.0);
    stalling.stalls.push_back({1.0, 0.5});
    MediaFacts breaking = ScriptedMediaFactsSource::video(4.0);
    breaking.failsAtSeconds = 2.0;
    MediaFacts givingUp = ScriptedMediaFactsSource::video(4.0);
    givingUp.stalls.push_back({1.0, 2.0, true});
    source->script("https://media.test/stall.mp4", stalling);
    source->script("https://media.test/break.mp4", breaking);
    source->script("https://media.test/giveup.mp4", givingUp);

    // A failure after the item was ready is reported once, with the item's error, after the
    // failed state.
    struct Case {
        std::string url;
        std::vector<std::string> buffering;
        std::vector<double> bufferedTimes;
        State state;
        bool fails;
    };
    const std::vector<Case> cases{
        {"https://media.test/stall.mp4", {"buffering Ready", "buffering Delayed", "buffering Ready"}, {4.0, 1.0, 4.0},
         State::stopped, false},
        {"https://media.test/break.mp4", {"buffering Ready"}, {4.0}, State::failed, true},
        {"https://media.test/giveup.mp4", {"buffering Ready", "buffering Delayed"}, {4.0, 1.0}, State::failed, true},
    };
    for (const Case& test : cases) {
        retire();
        recorder->clear();
        auto player = make(true);
        load(*player, test.url);
        run(0.5 + 4.6);
        EXPECT_EQ(recorder->buffering(), test.buffering) << test.url;
        EXPECT_EQ(recorder->bufferedTimes, test.bufferedTimes) << test.url;
        EXPECT_EQ(player->playbackState(), test.state) << test.url;
        if (!test.fails) {
            EXPECT_TRUE(recorder->errors.empty()) << test.url;
            continue;
        }
        ASSERT_EQ(recorder->errors.size(), 1u) << test.url;
        EXPECT_EQ(recorder->errors.front(), player->playerItem()->error()) << test.url;
        EXPECT_EQ(recorder->errors.front()->code, static_cast<std::int64_t>(platform::MediaError::Code::playbackFailed));
        const auto failed = std::find(recorder->journal.begin(), recorder->journal.end(), "failed");
        EXPECT_EQ(*std::prev(failed), "state Failed") << test.url;
        EXPECT_EQ(std::find(failed, recorder->journal.end(), "ready"), recorder->journal.end()) << test.url;
        // Told again of the same failure, the player reports nothing more.
        platform::NotificationCenter::defaultCenter().post(platform::PlayerItem::failedToPlayToEndTimeNotification,
                                                           player->playerItem());
        EXPECT_EQ(recorder->errors.size(), 1u) << test.url;
    }
}

TEST_F(PlayerTest, PlaysWhileHalfOfItIsInsideTheWindow) {
    struct Case {
        const char* name;
        Rect frame;
        bool viewable;
    };
    const std::vector<Case> cases{
        {"fully", kFull, true},
        {"half", Rect{0, 390, 320, 180}, true},
        {"40 %", Rect{0, 408, 320, 180}, false},
    };
    for (const Case& test : cases) {
        auto player = make(true, test.frame);
        load(*player);
        run(0.5);
        EXPECT_EQ(player->isViewable(), test.viewable) << test.name;
        EXPECT_EQ(player->playbackState(), test.viewable ? State::playing : State::paused) << test.name;
    }

    // Detached: paused at once; returning: playing again with the next verdict.
    auto player = playing();
    player->removeFromSuperview();
    EXPECT_EQ(player->playbackState(), State::paused);
    EXPECT_FALSE(player->isViewable());
    run(1.0);
    EXPECT_EQ(player->playbackState(), State::paused);
    window->addSubview(player);
    EXPECT_EQ(player->playbackState(), State::paused);
    run(0.5);
    EXPECT_EQ(player->playbackState(), State::playing);
}

TEST_F(PlayerTest, LifecycleAndInterruptionsPauseAndResumeOnlyOnScreen) {
    const auto interruption = [](std::optional<std::any> type) {
        platform::Notification notification{AudioSession::interruptionNotification, AudioSession::sharedInstance(), {}};
        if (type) notification.userInfo.emplace(AudioSession::interruptionTypeKey, *type);
        platform::NotificationCenter::defaultCenter().post(notification);
    };
    const auto interrupt = [](AudioSession::InterruptionType type) {
        AudioSession::sharedInstance()->simulateInterruption(type);
    };
    const auto backFrom = [&](Application::State state) {
        app.moveTo(state);
        app.moveTo(Application::State::active);
    };
    using Type = AudioSession::InterruptionType;
    struct Case {
        const char* name;
        bool hideFirst;  // taken off screen (hidden) before the events
        std::function<void()> events;
        State state;
    };
    const std::vector<Case> cases{
        {"resign active", false, [&] { app.moveTo(Application::State::inactive); }, State::paused},
        {"background", false, [&] { app.moveTo(Application::State::background); }, State::paused},
        {"become active, on screen", false, [&] { backFrom(Application::State::inactive); }, State::playing},
        {"become active, hidden", true, [&] { backFrom(Application::State::inactive); }, State::paused},
        {"foreground, on screen", false, [&] { backFrom(Application::State::background); }, State::playing},
        {"foreground, hidden", true, [&] { backFrom(Application::State::background); }, State::paused},
        {"interruption began", false, [&] { interrupt(Type::began); }, State::paused},
        {"interruption ended, on screen", false,
         [&] {
             interrupt(Type::began);
             interrupt(Type::ended);
         },
         State::playing},
        {"interruption ended, hidden", true,
         [&] {
             interrupt(Type::began);
             interrupt(Type::ended);
         },
         State::paused},
        {"interruption posted off the main thread", false,
         [&] {
             std::thread([&] { interrupt(Type::began); }).join();
             loop().runUntilIdle();
         },
         State::paused},
        {"interruption without a type", false, [&] { interruption(std::nullopt); }, State::playing},
        {"interruption type of another kind", false, [&] { interruption(std::any(1)); }, State::playing},
        {"interruption type unknown", false, [&] { interruption(std::any(std::uint64_t{7})); }, State::playing},
    };
    for (const Case& test : cases) {
        auto player = playing();
        if (test.hideFirst) player->setHidden(true);
        test.events();
        EXPECT_EQ(player->playbackState(), test.state) << test.name;
        run(1.0);
        EXPECT_EQ(player->playbackState(), test.state) << test.name << ", a second later";
        app.moveTo(Application::State::active);
        retire();
    }
}

TEST_F(PlayerTest, ThumbnailsAtTheStartAndPastTheEnd) {
    MediaFacts live = ScriptedMediaFactsSource::video(4.0);
    live.duration = platform::MediaTime::indefinite();
    source->script(kOther, live);
    struct Result {
        bool image;
        std::optional<std::int64_t> errorCode;
        bool operator==(const Result&) const = default;
    };
    const auto thumbnails = [&](Player& player) {
        std::vector<Result> results;
        player.generateThumbnail([&](std::optional<platform::Image> image, std::optional<platform::Error> error) {
            results.push_back({image.has_value(), error ? std::optional(error->code) : std::nullopt});
        });
        EXPECT_TRUE(results.empty());
        run(0.1);
        return results;
    };
    const auto timeOutside = static_cast<std::int64_t>(platform::MediaError::Code::timeOutsideItem);

    auto empty = make(false);
    EXPECT_EQ(thumbnails(*empty), (std::vector<Result>{{false, std::nullopt}}));
    auto player = playing();
    EXPECT_EQ(thumbnails(*player), (std::vector<Result>{{true, std::nullopt}, {false, timeOutside}}));
    // Sixty times an open-ended duration is no time: only the first image is asked for.
    auto endless = make(true);
    load(*endless, kOther);
    EXPECT_EQ(thumbnails(*endless), (std::vector<Result>{{true, std::nullopt}}));
}

TEST_F(PlayerTest, UrlChangesTapsAndReleaseLeaveNothingBehind) {
    using platform::NotificationCenter;
    const std::vector<std::string> names{Application::willResignActiveNotification,
                                         Application::didBecomeActiveNotification,
                                         Application::didEnterBackgroundNotification,
                                         Application::willEnterForegroundNotification,
                                         platform::PlayerItem::didPlayToEndTimeNotification,
                                         platform::PlayerItem::failedToPlayToEndTimeNotification,
                                         AudioSession::interruptionNotification};
    const auto registrations = [&] {
        std::size_t count = 0;
        for (const auto& name : names) count += NotificationCenter::defaultCenter().observerCount(name);
        return count;
    };
    const std::size_t before = registrations();

    // No URL keeps the item playing; a second URL replaces it even when the first answers later.
    source->script(kOther, ScriptedMediaFactsSource::video(8.0), 0.05);
    auto player = playing();
    player->setUrl(std::nullopt);
    run(0.5);
    EXPECT_EQ(player->playbackState(), State::playing);
    source->script(kVideo, ScriptedMediaFactsSource::video(4.0), 0.3);
    player->setUrl(*URL::parse(kVideo));
    loop().runUntilIdle();
    player->setUrl(*URL::parse(kOther));
    run(0.5);
    ASSERT_NE(player->playerItem(), nullptr);
    EXPECT_EQ(player->playerItem()->asset()->url().absoluteString(), kOther);
    EXPECT_DOUBLE_EQ(player->playerItem()->duration().seconds(), 8.0);

    EXPECT_TRUE(platform::TapDriver::tap(player));
    EXPECT_EQ(std::count(recorder->journal.begin(), recorder->journal.end(), "tap"), 1);

    // Released while playing on screen: every registration, timer and observer ends, no delegate hears of it.
    const auto timer = player->viewablity()->timer();
    const std::weak_ptr<platform::MediaPlayer> avplayer = player->avplayer();
    recorder->clear();
    retire();
    player.reset();
    EXPECT_EQ(registrations(), before);
    EXPECT_FALSE(timer->isValid());
    EXPECT_TRUE(avplayer.expired());
    run(1.0);
    EXPECT_TRUE(recorder->journal.empty());

    // A delegate that releases the player from inside a callback.
    auto releasing = playing();
    recorder->onState = [&](Player&) {
        retire();
        releasing.reset();
    };
    app.moveTo(Application::State::inactive);
    run(1.0);
    EXPECT_EQ(releasing, nullptr);
    recorder->onState = nullptr;
    app.moveTo(Application::State::active);

    // A hundred players at once.
    for (int i = 0; i < 100; ++i) {
        make(true, Rect{double(i % 10) * 32, double(i / 10) * 48, 32, 48})->setUrl(*URL::parse(kVideo));
    }
    run(0.7);
    EXPECT_TRUE(std::all_of(players.begin(), players.end(),
                            [](const auto& each) { return each->playbackState() == State::playing; }));
    retire();
    EXPECT_EQ(registrations(), before);
}

}  // namespace
}  // namespace solen
