#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Media/AssetImageGenerator.h"
#include "Platform/Media/AudioSession.h"
#include "Platform/Media/MediaError.h"
#include "Platform/Media/MediaPlayer.h"
#include "Platform/Media/PlayerLayer.h"
#include "support/MainLoopPump.h"
#include "support/ScriptedMediaFactsSource.h"

#include <gtest/gtest.h>

#include <any>
#include <string>
#include <vector>

namespace solen::platform {
namespace {

using test::ScriptedMediaFactsSource;
using Status = MediaPlayer::TimeControlStatus;

const std::string kVideo = "https://media.test/video.mp4";
const std::string kAudio = "https://media.test/audio.m4a";

std::string statusName(Status status) {
    switch (status) {
        case Status::paused: return "paused";
        case Status::waitingToPlayAtSpecifiedRate: return "waiting";
        case Status::playing: return "playing";
    }
    return "?";
}

class MediaStandInTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop().runUntilIdle();
        source->script(kVideo, ScriptedMediaFactsSource::video(2.0, {640, 360}), 0.5);
        source->script(kAudio, ScriptedMediaFactsSource::audio(1.0));
    }
    void TearDown() override { loop().runUntilIdle(); }

    static MainLoop& loop() { return MainLoop::shared(); }
    void pump() { loop().runUntilIdle(); }
    void steps(int count, double step = 0.01) { test::pumpSteps(clock, count, step); }

    std::shared_ptr<Asset> loadedAsset(const std::string& url) {
        auto asset = Asset::create(*URL::parse(url), source);
        bool done = false;
        asset->loadValuesAsynchronously({"tracks", "playable", "duration"}, [&] { done = true; });
        test::advanceAndPump(clock, 0.5, 0.5);
        EXPECT_TRUE(done);
        return asset;
    }
    // A player with a ready item of `url`, playing at rate 1 with a journal of what it reports.
    std::shared_ptr<MediaPlayer> playing(const std::string& url) {
        auto player = MediaPlayer::create();
        tokens.push_back(player->timeControlStatus().observe(
            [this](Status, Status now) { journal.push_back("status " + statusName(now)); }));
        player->replaceCurrentItem(PlayerItem::create(loadedAsset(url)));
        player->play();
        pump();
        return player;
    }
    void observeEnd(const std::shared_ptr<PlayerItem>& item) {
        NotificationCenter::defaultCenter().addObserver(
            endObserver, PlayerItem::didPlayToEndTimeNotification,
            [this](const Notification&) { journal.push_back("end"); }, item);
    }

    test::ScopedManualClock clock;
    std::shared_ptr<ScriptedMediaFactsSource> source = ScriptedMediaFactsSource::create();
    std::vector<std::string> journal;
    std::vector<std::shared_ptr<Observation>> tokens;
    std::shared_ptr<int> endObserver = std::make_shared<int>(0);
};

TEST_F(MediaStandInTest, AssetKeysLoadOnceFailOrCancel) {
    auto asset = Asset::create(*URL::parse(kVideo), source);
    EXPECT_EQ(asset->statusOfValue("duration"), Asset::KeyStatus::unknown);
    int answers = 0;
    asset->loadValuesAsynchronously({"tracks"}, [&] { ++answers; });
    asset->loadValuesAsynchronously({"duration", "playable"}, [&] { ++answers; });
    EXPECT_EQ(asset->statusOfValue("tracks"), Asset::KeyStatus::loading);
    test::advanceAndPump(clock, 0.49, 0.49);
    EXPECT_EQ(answers, 0);
    test::advanceAndPump(clock, 0.01, 0.01);
    EXPECT_EQ(answers, 2);
    EXPECT_EQ(source->loadCount(), 1u);
    for (const char* key : {"tracks", "playable", "duration"}) {
        EXPECT_EQ(asset->statusOfValue(key), Asset::KeyStatus::loaded) << key;
    }
    EXPECT_TRUE(asset->isPlayable());
    EXPECT_DOUBLE_EQ(asset->duration().seconds(), 2.0);
    EXPECT_EQ(asset->tracks(MediaTrack::MediaType::video).at(0).naturalSize, (Size{640, 360}));
    std::optional<Error> error;
    EXPECT_EQ(asset->statusOfValue("bitrate", &error), Asset::KeyStatus::failed);
    EXPECT_EQ(error->code, static_cast<std::int64_t>(MediaError::Code::unknownKey));

    // An address nobody serves: every key failed with the error; the asset is not playable.
    auto missing = Asset::create(*URL::parse("https://media.test/404.mp4"), source);
    missing->loadValuesAsynchronously({"tracks"}, [&] { ++answers; });
    pump();
    EXPECT_EQ(missing->statusOfValue("tracks", &error), Asset::KeyStatus::failed);
    EXPECT_EQ(error->code, static_cast<std::int64_t>(MediaError::Code::badServerResponse));
    EXPECT_FALSE(missing->isPlayable());

    // Cancelled: the waiting request is answered, the keys read cancelled, a late answer is dropped.
    auto cancelled = Asset::create(*URL::parse(kVideo), source);
    cancelled->loadValuesAsynchronously({"tracks"}, [&] { ++answers; });
    cancelled->cancelLoading();
    EXPECT_EQ(source->cancelCount(), 1u);
    pump();
    EXPECT_EQ(answers, 4);
    test::advanceAndPump(clock, 1, 0.5);
    EXPECT_EQ(cancelled->statusOfValue("duration"), Asset::KeyStatus::cancelled);

    // Released while loading: nothing is reported.
    auto released = Asset::create(*URL::parse(kVideo), source);
    released->loadValuesAsynchronously({"tracks"}, [&] { ++answers; });
    released.reset();
    test::advanceAndPump(clock, 1, 0.5);
    EXPECT_EQ(answers, 4);
}

TEST_F(MediaStandInTest, InstalledItemTurnsReadyOnTheNextTurnAndTheLayerFollowsTheVideoTrack) {
    auto player = MediaPlayer::create();
    auto layer = PlayerLayer::create();
    layer->setPlayer(player);
    tokens.push_back(layer->isReadyForDisplay().observe(
        [this](bool, bool now) { journal.push_back(now ? "display" : "no display"); }));
    auto item = PlayerItem::create(loadedAsset(kVideo));
    tokens.push_back(item->status().observe([this](PlayerItem::Status, PlayerItem::Status now) {
        journal.push_back(now == PlayerItem::Status::readyToPlay ? "ready" : "other");
    }));
    tokens.push_back(item->isPlaybackLikelyToKeepUp().observe(
        [this](bool, bool now) { journal.push_back(now ? "keeps up" : "falls behind"); }));
    player->replaceCurrentItem(item);
    EXPECT_EQ(item->status().value(), PlayerItem::Status::unknown);
    EXPECT_TRUE(item->isPlaybackBufferEmpty().value());
    EXPECT_TRUE(journal.empty());
    pump();
    EXPECT_EQ(journal, (std::vector<std::string>{"ready", "keeps up", "display"}));
    EXPECT_EQ(item->loadedTimeRanges().value(),
              (std::vector<PlayerItem::TimeRange>{{MediaTime::zero(), MediaTime::withSeconds(2, 600)}}));
    EXPECT_EQ(player->timeControlStatus().value(), Status::paused);

    player->replaceCurrentItem(nullptr);
    EXPECT_EQ(journal.back(), "no display");
    EXPECT_FALSE(layer->isReadyForDisplay().value());

    // Audio only: ready, never ready for display. A released token hears nothing more.
    journal.clear();
    tokens.clear();
    auto audio = PlayerItem::create(loadedAsset(kAudio));
    player->replaceCurrentItem(audio);
    pump();
    EXPECT_EQ(audio->status().value(), PlayerItem::Status::readyToPlay);
    EXPECT_FALSE(layer->isReadyForDisplay().value());
    EXPECT_TRUE(journal.empty());

    // An item taken by another player is refused.
    auto other = MediaPlayer::create();
    other->replaceCurrentItem(audio);
    EXPECT_EQ(other->currentItem(), nullptr);
}

TEST_F(MediaStandInTest, TimeControlStatusFollowsRateReadinessBufferAndEnd) {
    auto facts = ScriptedMediaFactsSource::video(1.0);
    facts.stalls.push_back({0.3, 0.2});
    source->script(kVideo, facts, 0.5);
    auto player = MediaPlayer::create();
    tokens.push_back(player->timeControlStatus().observe(
        [this](Status, Status now) { journal.push_back("status " + statusName(now)); }));
    auto item = PlayerItem::create(loadedAsset(kVideo));
    observeEnd(item);
    player->play();
    player->replaceCurrentItem(item);
    player->play();  // no change, no report
    pump();
    steps(30);
    EXPECT_EQ(player->currentTime().seconds(), 0.3);
    EXPECT_TRUE(item->isPlaybackBufferEmpty().value());
    EXPECT_EQ(item->loadedTimeRanges().value().at(0).duration.seconds(), 0.3);
    steps(19);
    EXPECT_EQ(player->timeControlStatus().value(), Status::waitingToPlayAtSpecifiedRate);
    steps(1);
    EXPECT_EQ(player->timeControlStatus().value(), Status::playing);
    steps(80);
    EXPECT_DOUBLE_EQ(player->currentTime().seconds(), 1.0);
    EXPECT_EQ(journal, (std::vector<std::string>{"status waiting", "status playing", "status waiting", "status playing",
                                                 "end", "status paused"}));
    EXPECT_EQ(player->rate(), 0.0f);

    // A scripted failure mid-play: the item fails, says so, and the player waits.
    facts = ScriptedMediaFactsSource::video(1.0);
    facts.failsAtSeconds = 0.25;
    source->script(kAudio, facts);
    auto failing = PlayerItem::create(loadedAsset(kAudio));
    std::optional<Error> reported;
    NotificationCenter::defaultCenter().addObserver(
        endObserver, PlayerItem::failedToPlayToEndTimeNotification,
        [&](const Notification& note) {
            reported = std::any_cast<Error>(note.userInfo.at(PlayerItem::failedToPlayToEndTimeErrorKey));
        },
        failing);
    player->replaceCurrentItem(failing);
    player->play();
    pump();
    steps(40);
    EXPECT_DOUBLE_EQ(player->currentTime().seconds(), 0.25);
    EXPECT_EQ(failing->status().value(), PlayerItem::Status::failed);
    EXPECT_EQ(reported, failing->error());
    EXPECT_EQ(player->timeControlStatus().value(), Status::waitingToPlayAtSpecifiedRate);
}

TEST_F(MediaStandInTest, TimeObserversRunInTimeOrderForSmallStepsAndForOneLargeStep) {
    struct Case {
        const char* name;
        int stepCount;
        double step;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {"0.01 s steps", 200, 0.01,
         {"start", "half", "quarter", "half", "half", "quarter", "half", "end", "status paused"}},
        {"one step", 1, 5.0, {"start", "quarter", "quarter", "half", "end", "status paused"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        journal.clear();
        auto player = playing(kVideo);
        auto item = player->currentItem();
        observeEnd(item);
        int ticks = 0;
        auto each = player->addPeriodicTimeObserver(MediaTime::make(1, 100), [&](MediaTime) { ++ticks; });
        auto half = player->addPeriodicTimeObserver(MediaTime::withSeconds(0.5, 600),
                                                    [&](MediaTime) { journal.push_back("half"); });
        auto quarters = player->addBoundaryTimeObserver(
            {MediaTime::withSeconds(1.5, 600), MediaTime::withSeconds(0.5, 600)},
            [&] { journal.push_back("quarter"); });
        auto start = player->addBoundaryTimeObserver({MediaTime::withSeconds(0.01, 600)},
                                                     [&] { journal.push_back("start"); });
        journal.clear();
        steps(test.stepCount, test.step);
        EXPECT_EQ(journal, test.expected);
        EXPECT_EQ(ticks, test.stepCount == 1 ? 1 : 200);
        // At the end a rate moves nothing and posts nothing until a seek.
        journal.clear();
        player->setActionAtItemEnd(MediaPlayer::ActionAtItemEnd::none);
        player->play();
        steps(10);
        EXPECT_EQ(journal, (std::vector<std::string>{"status playing"}));
        EXPECT_DOUBLE_EQ(player->currentTime().seconds(), 2.0);
        player->seek(MediaTime::withSeconds(1.9, 600));
        steps(10);
        EXPECT_EQ(journal, (std::vector<std::string>{"status playing", "half", "end"}));
        EXPECT_EQ(player->timeControlStatus().value(), Status::playing);
        NotificationCenter::defaultCenter().removeObserver(endObserver.get());
    }
}

TEST_F(MediaStandInTest, SeeksMoveAtOnceCompleteLaterAndCallNoObserver) {
    auto player = playing(kVideo);
    int observed = 0;
    auto periodic = player->addPeriodicTimeObserver(MediaTime::make(1, 100), [&](MediaTime) { ++observed; });
    auto boundary = player->addBoundaryTimeObserver({MediaTime::withSeconds(1, 600)}, [&] { ++observed; });
    player->pause();
    std::vector<std::string> completions;
    player->seek(MediaTime::withSeconds(1.5, 600), [&](bool done) { completions.push_back(done ? "first" : "-first"); });
    EXPECT_DOUBLE_EQ(player->currentTime().seconds(), 1.5);
    player->seek(MediaTime::withSeconds(9, 600), [&](bool done) { completions.push_back(done ? "second" : "-second"); });
    EXPECT_DOUBLE_EQ(player->currentTime().seconds(), 2.0);  // kept inside the item
    player->seek(MediaTime::indefinite(), [&](bool done) { completions.push_back(done ? "third" : "-third"); });
    player->seek(MediaTime::withSeconds(-1, 600), [&](bool done) { completions.push_back(done ? "fourth" : "-fourth"); });
    EXPECT_TRUE(completions.empty());
    pump();
    EXPECT_EQ(completions, (std::vector<std::string>{"-first", "-second", "-third", "fourth"}));
    EXPECT_EQ(player->currentTime(), MediaTime::zero());
    EXPECT_EQ(observed, 0);

    auto empty = MediaPlayer::create();
    empty->seek(MediaTime::zero(), [&](bool done) { completions.push_back(done ? "empty" : "-empty"); });
    pump();
    EXPECT_EQ(completions.back(), "-empty");
}

TEST_F(MediaStandInTest, ImageGeneratorAnswersEachTimeInsideTheItemWithAnImageOfTheNaturalSize) {
    auto generator = AssetImageGenerator::create(Asset::create(*URL::parse(kVideo), source));
    generator->setAppliesPreferredTrackTransform(true);
    std::vector<std::string> results;
    auto record = [&](MediaTime requested, std::optional<Image> image, MediaTime, AssetImageGenerator::Result result,
                      std::optional<Error> error) {
        std::string line = std::to_string(requested.seconds()).substr(0, 4) + " ";
        if (result == AssetImageGenerator::Result::succeeded && image) {
            line += std::to_string(image->pixelWidth()) + "x" + std::to_string(image->pixelHeight());
        } else if (result == AssetImageGenerator::Result::cancelled) {
            line += "cancelled";
        } else {
            line += "error " + std::to_string(error ? error->code : 0);
        }
        results.push_back(line);
    };
    generator->generateImagesAsynchronously(
        {MediaTime::withSeconds(0.01, 600), MediaTime::make(2, 1), MediaTime::make(120, 1)}, record);
    test::advanceAndPump(clock, 0.5, 0.5);
    pump();
    EXPECT_EQ(results, (std::vector<std::string>{"0.01 640x360", "2.00 640x360", "120. error 8"}));

    results.clear();
    generator->generateImagesAsynchronously({MediaTime::zero(), MediaTime::make(1, 1)}, record);
    generator->cancelAllImageGeneration();
    pump();
    EXPECT_EQ(results, (std::vector<std::string>{"0.00 cancelled", "1.00 cancelled"}));

    results.clear();
    auto audio = AssetImageGenerator::create(loadedAsset(kAudio));
    audio->generateImagesAsynchronously({MediaTime::zero()}, record);
    pump();
    EXPECT_EQ(results, (std::vector<std::string>{"0.00 error 7"}));

    // A released generator reports nothing.
    results.clear();
    audio->generateImagesAsynchronously({MediaTime::zero()}, record);
    audio.reset();
    pump();
    EXPECT_TRUE(results.empty());
}

TEST_F(MediaStandInTest, InterruptionDriverPostsTheTypeFromTheSharedSession) {
    std::vector<std::uint64_t> types;
    auto owner = std::make_shared<int>(0);
    NotificationCenter::defaultCenter().addObserver(
        owner, AudioSession::interruptionNotification,
        [&](const Notification& note) {
            types.push_back(std::any_cast<std::uint64_t>(note.userInfo.at(AudioSession::interruptionTypeKey)));
        },
        AudioSession::sharedInstance());
    AudioSession::sharedInstance()->simulateInterruption(AudioSession::InterruptionType::began);
    AudioSession::sharedInstance()->simulateInterruption(AudioSession::InterruptionType::ended);
    EXPECT_EQ(types, (std::vector<std::uint64_t>{1, 0}));
}

TEST_F(MediaStandInTest, ReleasedPlayersItemsAndTokensReportNothing) {
    auto player = playing(kVideo);
    int calls = 0;
    auto kept = player->addPeriodicTimeObserver(MediaTime::make(1, 100), [&](MediaTime) { ++calls; });
    auto removed = player->addPeriodicTimeObserver(MediaTime::make(1, 100), [&](MediaTime) { calls += 100; });
    auto released = player->addBoundaryTimeObserver({MediaTime::withSeconds(0.05, 600)}, [&] { calls += 100; });
    player->removeTimeObserver(removed);
    released.reset();
    steps(10);
    EXPECT_EQ(calls, 10);

    auto item = player->currentItem();
    item->seek(MediaTime::zero(), [&](bool) { calls += 100; });
    player.reset();
    item.reset();
    steps(10);
    EXPECT_EQ(calls, 10);
}

}  // namespace
}  // namespace solen::platform
