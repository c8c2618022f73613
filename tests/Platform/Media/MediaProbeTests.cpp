#include "Platform/Foundation/HttpSession.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/Media/DownloadingMediaFactsSource.h"
#include "Platform/Media/MediaError.h"
#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <link.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <future>
#include <iterator>
#include <map>
#include <string>

namespace solen::platform {
namespace {

using Code = MediaError::Code;
using Kind = MediaTrack::MediaType;

std::string mediaFile(const std::string& name) {
    std::ifstream in(std::string(SOLEN_TEST_MEDIA_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool mediaLibraryLoaded() {
    bool found = false;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            if (info->dlpi_name && std::strstr(info->dlpi_name, "libavformat")) *static_cast<bool*>(data) = true;
            return 0;
        },
        &found);
    return found;
}

// Set once a test of this program has loaded the media module.
bool moduleUsed = false;

MediaFacts load(MediaFactsSource& source, const std::string& url) {
    moduleUsed = true;
    std::promise<MediaFacts> promise;
    auto answer = promise.get_future();
    auto request = source.load(*URL::parse(url), [&](MediaFacts facts) { promise.set_value(std::move(facts)); });
    EXPECT_EQ(answer.wait_for(std::chrono::seconds(20)), std::future_status::ready) << url;
    return answer.get();
}

// The first key's error code, or 0 when it loaded.
std::int64_t firstKeyError(const MediaFacts& facts) {
    const auto failed = facts.failedKeys.find(MediaFacts::tracksKey);
    return failed == facts.failedKeys.end() ? 0 : (failed->second ? failed->second->code : -1);
}

class MediaProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.setHandler([this](const test::RecordedRequest& request) -> std::optional<test::ScriptedAnswer> {
            const auto found = bodies.find(request.path);
            if (found == bodies.end()) return test::ScriptedAnswer::text(404, "<html>not here</html>", "text/html");
            return test::ScriptedAnswer::text(200, found->second, "application/octet-stream");
        });
    }

    MediaModule module{std::string(SOLEN_MEDIA_MODULE_PATH)};
    test::LocalHttpServer server;
    std::map<std::string, std::string> bodies;
};

// Needs a process in which nothing has loaded the media module yet (ctest runs each test alone).
TEST_F(MediaProbeTest, MediaLibrariesLoadOnlyWithTheFirstProbe) {
    if (moduleUsed) GTEST_SKIP() << "an earlier test of this process loaded the media module";
    ASSERT_FALSE(mediaLibraryLoaded()) << "libsolen.so or a test support library needs the media libraries";
    auto source = DownloadingMediaFactsSource::create(HttpSession::create(), &module);
    bodies["/clip.mp4"] = mediaFile("clip.mp4");
    EXPECT_TRUE(load(*source, server.url("/clip.mp4")).playable);
    EXPECT_TRUE(mediaLibraryLoaded());
}

TEST_F(MediaProbeTest, ReadsFactsFromTheFileAndRefusesWhatIsNotMedia) {
    const std::string clip = mediaFile("clip.mp4");
    ASSERT_GT(clip.size(), 1000u);
    std::string corrupt = clip;
    std::memset(corrupt.data() + 24, 0xff, 400);
    std::string noise(4096, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    struct Case {
        std::string path;
        std::string body;
        std::int64_t error;  // of the first key; 0: loaded
        bool playable;
        double duration;
        std::vector<MediaTrack> tracks;
    };
    const std::vector<Case> cases{
        {"/clip.mp4", clip, 0, true, 2.0, {{Kind::video, {96, 64}}, {Kind::audio, {}}}},
        {"/clip.webm", mediaFile("clip.webm"), 0, true, 1.0, {{Kind::video, {64, 48}}}},
        {"/tone.m4a", mediaFile("tone.m4a"), 0, true, 1.5, {{Kind::audio, {}}}},
        {"/missing.mp4", "", static_cast<std::int64_t>(Code::badServerResponse), false, 0, {}},
        {"/page.html", "<!DOCTYPE html><html><body>video</body></html>", static_cast<std::int64_t>(Code::unsupportedContainer), false, 0, {}},
        {"/list.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:9.0,\nclip.ts\n", static_cast<std::int64_t>(Code::unsupportedContainer), false, 0, {}},
        {"/script.js", "function play() { return 1; }", static_cast<std::int64_t>(Code::unsupportedContainer), false, 0, {}},
        {"/empty.mp4", "", static_cast<std::int64_t>(Code::unsupportedContainer), false, 0, {}},
        {"/noise.mp4", noise, static_cast<std::int64_t>(Code::unsupportedContainer), false, 0, {}},
        {"/many.mkv", mediaFile("many-tracks.mkv"), static_cast<std::int64_t>(Code::unreadableContainer), false, 0, {}},
        {"/cut.mp4", clip.substr(0, 200), -2, false, 0, {}},
        {"/corrupt.mp4", corrupt, -2, false, 0, {}},
    };
    for (const Case& test : cases) {
        if (test.path != "/missing.mp4") bodies[test.path] = test.body;
    }
    auto source = DownloadingMediaFactsSource::create(HttpSession::create(), &module);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.path);
        const MediaFacts facts = load(*source, server.url(test.path));
        if (test.error == -2) {  // damaged headers: refused, or at least never playable
            EXPECT_TRUE(firstKeyError(facts) != 0 || !facts.playable);
            continue;
        }
        EXPECT_EQ(firstKeyError(facts), test.error);
        EXPECT_EQ(facts.playable, test.playable);
        EXPECT_EQ(facts.tracks, test.tracks);
        if (test.duration > 0) {
            EXPECT_NEAR(facts.duration.seconds(), test.duration, 0.05);
        }
    }
}

TEST_F(MediaProbeTest, TransportFailuresAndAMissingModuleFailTheKeysWithTheirError) {
    bodies["/clip.mp4"] = mediaFile("clip.mp4");
    HttpSession::Configuration small;
    small.maximumResponseBytes = 4096;
    auto limited = DownloadingMediaFactsSource::create(HttpSession::create(small), &module);
    EXPECT_EQ(firstKeyError(load(*limited, server.url("/clip.mp4"))),
              static_cast<std::int64_t>(URLErrorCode::dataLengthExceedsMaximum));
    EXPECT_EQ(firstKeyError(load(*limited, "file:///tmp/clip.mp4")),
              static_cast<std::int64_t>(URLErrorCode::unsupportedURL));

    MediaModule absent(std::string("/nonexistent/libsolen-media.so"));
    auto withoutModule = DownloadingMediaFactsSource::create(HttpSession::create(), &absent);
    const std::size_t before = server.requestCount();
    const MediaFacts facts = load(*withoutModule, server.url("/clip.mp4"));
    EXPECT_EQ(firstKeyError(facts), static_cast<std::int64_t>(Code::moduleUnavailable));
    EXPECT_NE(facts.failedKeys.at("tracks")->localizedDescription.find("/nonexistent/libsolen-media.so"),
              std::string::npos);
    EXPECT_EQ(server.requestCount(), before);  // nothing downloaded without the module
}

TEST(MediaFactsPlausibility, AbsurdDurationsAndPictureSizesAreNotPlayable) {
    struct Case {
        const char* name;
        int hasDuration;
        double duration;
        std::uint32_t width, height;
        int decodable;
        bool durationFails;
        bool playable;
    };
    const std::vector<Case> cases{
        {"plain", 1, 10, 640, 360, 1, false, true},
        {"unknown duration", 0, 0, 640, 360, 1, false, true},
        {"zero duration", 1, 0, 640, 360, 1, true, false},
        {"negative duration", 1, -3, 640, 360, 1, true, false},
        {"two days", 1, 172800, 640, 360, 1, true, false},
        {"no decoder", 1, 10, 640, 360, 0, false, false},
        {"zero width", 1, 10, 0, 360, 1, false, false},
        {"huge picture", 1, 10, 100000, 360, 1, false, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        solen_media_facts probed{};
        probed.has_duration = test.hasDuration;
        probed.duration_seconds = test.duration;
        probed.track_count = 1;
        probed.tracks[0] = {SOLEN_MEDIA_TRACK_VIDEO, test.decodable, test.width, test.height};
        const MediaFacts facts = MediaFacts::fromProbe(probed);
        EXPECT_EQ(facts.failedKeys.count("duration"), test.durationFails ? 1u : 0u);
        EXPECT_EQ(facts.playable, test.playable);
        EXPECT_EQ(facts.duration.isIndefinite(), test.hasDuration == 0);
    }
}

}  // namespace
}  // namespace solen::platform
