#include "Ad/RenderEngine/Native/Assets/ImageViewAsset.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/HttpSession.h"
#include "Platform/UI/TapDriver.h"
#include "support/AssetDelegateRecorder.h"
#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>

namespace solen {
namespace {

using platform::MainLoop;
using platform::Rect;
using test::AssetDelegateRecorder;
using test::LocalHttpServer;
using test::ScriptedAnswer;
using namespace std::chrono_literals;
using namespace std::string_literals;

const std::string kPng = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x02\0\0\0\x03\x08\x06\0\0\0"s;
const std::string kHugePng = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\xff\xff\0\0\xff\xff\x08\x06\0\0\0"s;
const std::string kZeroPng = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\0\0\0\0\x03\x08\x06\0\0\0"s;
const std::string kJpeg = "\xff\xd8\xff\xc0\0\x11\x08\0\x05\0\x04\x03\x01\x22\0"s;
const std::string kGif = "GIF89a\x07\0\x09\0\0\0"s;

// Downloads go through a shared session whose body limit is 64 KiB, restored afterwards.
struct ImageDownloadTest : ::testing::Test {
    ImageDownloadTest() {
        platform::HttpSession::Configuration configuration;
        configuration.maximumResponseBytes = 64 * 1024;
        platform::HttpSession::setShared(platform::HttpSession::create(configuration));
    }
    ~ImageDownloadTest() override { platform::HttpSession::setShared(nullptr); }

    std::shared_ptr<ImageViewAsset> asset(const std::string& url, bool required = true) {
        ImageAssetModel model{required, url, AssetOnClick{"https://example.com/landing", std::nullopt, std::nullopt}};
        return ImageViewAsset::create(Rect(0, 0, 50, 50), "icon", std::move(model), recorder);
    }
    bool waitForEvents(std::size_t count) {
        return MainLoop::shared().runUntil([&] { return recorder->events.size() >= count; }, 5s);
    }

    LocalHttpServer server;
    std::shared_ptr<AssetDelegateRecorder> recorder = std::make_shared<AssetDelegateRecorder>();
};

TEST_F(ImageDownloadTest, EachAnswerEndsInOneReportOnTheMainThreadOnALaterTurn) {
    server.setHandler([](const test::RecordedRequest& request) -> std::optional<ScriptedAnswer> {
        const std::string& path = request.path;
        if (path == "/ok.png") return ScriptedAnswer::text(200, kPng, "image/png");
        if (path == "/ok.jpg") return ScriptedAnswer::text(200, kJpeg, "image/jpeg");
        if (path == "/ok.gif") return ScriptedAnswer::text(200, kGif, "image/gif");
        if (path == "/huge-header.png") return ScriptedAnswer::text(200, kHugePng, "image/png");
        if (path == "/missing.png") return ScriptedAnswer::text(404, kPng, "image/png");
        if (path == "/page") return ScriptedAnswer::text(200, "<html>not an image</html>", "text/html");
        if (path == "/empty") return ScriptedAnswer::text(200, "", "image/png");
        if (path == "/zero.png") return ScriptedAnswer::text(200, kZeroPng, "image/png");
        if (path == "/cut.png") return ScriptedAnswer::text(200, kPng.substr(0, 19), "image/png");
        if (path == "/over-limit.png") return ScriptedAnswer::text(200, kPng + std::string(128 * 1024, '\0'), "image/png");
        if (path == "/drop") return ScriptedAnswer::drop();
        return std::nullopt;
    });
    struct Case {
        std::string url;
        std::uint32_t width = 0, height = 0;  // 0: the load fails
    };
    const Case cases[] = {
        {server.url("/ok.png"), 2, 3},
        {server.url("/ok.jpg"), 4, 5},
        {server.url("/ok.gif"), 7, 9},
        {server.url("/huge-header.png"), 65535, 65535},
        {server.url("/missing.png")},
        {server.url("/page")},
        {server.url("/empty")},
        {server.url("/zero.png")},
        {server.url("/cut.png")},
        {server.url("/over-limit.png")},
        {server.url("/drop")},
        // Parsable but refused by the transport.
        {"/ok.png"},
        {"file:///etc/hostname"},
        {"data:image/png;base64,iVBORw0KGgo="},
        {"javascript:alert(1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        recorder->events.clear();
        auto image = asset(c.url);
        image->loadAsset();
        EXPECT_EQ(image->assetState(), NativeAssetState::loading);
        EXPECT_TRUE(recorder->events.empty());
        ASSERT_TRUE(waitForEvents(1));
        MainLoop::shared().runUntilIdle();
        ASSERT_EQ(recorder->events.size(), 1u);
        const auto& event = recorder->events[0];
        EXPECT_TRUE(event.onMainThread);
        EXPECT_EQ(event.asset, image);
        if (c.width) {
            EXPECT_EQ(event.kind, "loaded");
            EXPECT_EQ(event.stateAtReport, NativeAssetState::loaded);
            ASSERT_TRUE(image->image());
            EXPECT_EQ(image->image()->pixelWidth(), c.width);
            EXPECT_EQ(image->image()->pixelHeight(), c.height);
            EXPECT_TRUE(image->clickGestureRecognizer().isEnabled());
        } else {
            EXPECT_EQ(event.kind, "failed");
            EXPECT_EQ(event.stateAtReport, NativeAssetState::failed);
            EXPECT_EQ(event.error->localizedDescription, "SOL-103 failToDownloadImage-icon");
            EXPECT_FALSE(image->image());
            EXPECT_FALSE(platform::TapDriver::tap(image));
        }
    }
}

TEST_F(ImageDownloadTest, UnusableAddressesFailBeforeLoadAssetReturnsWithoutARequest) {
    for (const char* url : {"", "http://exa mple.com/i.png", "http://[::1/i.png"}) {
        SCOPED_TRACE(url);
        recorder->events.clear();
        auto image = asset(url, false);
        image->loadAsset();
        ASSERT_EQ(recorder->events.size(), 1u);
        EXPECT_EQ(recorder->events[0].error->localizedDescription, "SOL-101 invalidAssetUrl-icon");
        EXPECT_EQ(image->assetState(), NativeAssetState::failed);
        EXPECT_TRUE(image->isAssetReady());  // not required
    }
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(ImageDownloadTest, AReleasedViewReportsNothingAndASupersededDownloadIsDropped) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> answered{false};
    server.setHandler([&](const test::RecordedRequest& request) -> std::optional<ScriptedAnswer> {
        if (request.path == "/held.png") {
            released.wait_for(5s);
            answered = true;
        }
        return ScriptedAnswer::text(200, kPng, "image/png");
    });

    auto doomed = asset(server.url("/held.png"));
    std::weak_ptr<ImageViewAsset> watch = doomed;
    doomed->loadAsset();
    ASSERT_TRUE(server.waitForRequests(1, 5s));
    doomed.reset();
    EXPECT_TRUE(watch.expired());
    release.set_value();
    ASSERT_TRUE(MainLoop::shared().runUntil([&] { return answered.load(); }, 5s));
    MainLoop::shared().runUntil([] { return false; }, 200ms);
    EXPECT_TRUE(recorder->events.empty());

    // Two loads in a row: only the newer one reports. A resource image shown while a download
    // is on its way stays, and the download's outcome is dropped.
    auto twice = asset(server.url("/twice.png"));
    twice->loadAsset();
    twice->loadAsset();
    auto control = asset(server.url("/late.png"));
    control->loadAsset();
    control->loadImage("sol_Pause");
    ASSERT_TRUE(server.waitForRequests(4, 5s));
    ASSERT_TRUE(waitForEvents(2));
    MainLoop::shared().runUntil([] { return false; }, 200ms);
    ASSERT_EQ(recorder->events.size(), 2u);
    EXPECT_EQ(recorder->events[0].asset, control);
    EXPECT_EQ(recorder->events[1].asset, twice);
    EXPECT_EQ(control->image()->pixelWidth(), 32u);
}

}  // namespace
}  // namespace solen
