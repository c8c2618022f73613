#include "Ad/RenderEngine/Bridge/MRAIDBridgeScript.h"
#include "Ad/RenderEngine/Bridge/MRAIDJS.h"
#include "Platform/Dispatch/MainLoop.h"
#include "ScriptedWebView.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace solen {
namespace {

using ::testing::ElementsAre;
using Json = nlohmann::ordered_json;
using MRAIDJS::Scheme;

void pump() { platform::MainLoop::shared().runUntilIdle(); }

struct Calls final : platform::ScriptMessageHandler, platform::WebNavigationDelegate {
    void didReceiveScriptMessage(platform::WebView&, const platform::ScriptMessage& message) override {
        posted.push_back(message.body);
    }
    platform::NavigationActionPolicy decidePolicy(platform::WebView&, const platform::NavigationAction& action) override {
        const std::string url = action.request.url.value_or("");
        if (url == "about:blank") {
            return platform::NavigationActionPolicy::allow;
        }
        navigated.push_back(url);
        return platform::NavigationActionPolicy::cancel;
    }
    void didCommitNavigation(platform::WebView&) override {}
    void didFinishNavigation(platform::WebView&) override {}
    void didFailNavigation(platform::WebView&, const platform::Error&) override {}

    std::vector<Json> posted;
    std::vector<std::string> navigated;
};

// A page with the bridge at document start and a creative that records the error events.
class MRAIDBridgeTest : public ::testing::Test {
protected:
    void open(bool withHandler) {
        calls = std::make_shared<Calls>();
        platform::WebViewConfiguration configuration;
        if (withHandler) {
            configuration.scriptMessageHandlers = {{"nativeMessageHandler", calls}};
        }
        configuration.documentStartScripts = {std::string(mraidBridgeScript())};
        page = scripted::ScriptedWebView::create({}, std::move(configuration));
        page->setNavigationDelegate(calls);
        page->loadHTMLString("<script>var errors = [], events = [];"
                             "mraid.addEventListener('error', function (message, action) { errors.push([message, action]); });"
                             "</script>",
                             std::nullopt);
        pump();
        ASSERT_TRUE(page->scriptErrors().empty()) << page->scriptErrors()[0];
    }
    void SetUp() override { open(true); }
    void TearDown() override { pump(); }

    Json run(const std::string& script) {
        Json value;
        page->evaluateJavaScript(script, [&value](auto result, auto error) {
            value = result ? *result : Json(error ? "error: " + error->userInfo.dump() : "no result");
        });
        pump();
        return value;
    }
    void send(const Scriptable& statement) { run(statement.javaScript()); }
    // The command of every call posted so far.
    std::vector<std::string> commands() const {
        std::vector<std::string> names;
        for (const Json& body : calls->posted) {
            names.push_back(body.value("command", "?"));
        }
        return names;
    }
    void completeAll() {
        for (std::size_t answered = 0; answered < calls->posted.size(); ++answered) {
            const Json& body = calls->posted[answered];
            send(MRAIDJS::Methods::callComplete(*MRAIDJS::schemeNamed(body.at("scheme").get<std::string>()),
                                                body.at("command").get<std::string>()));
        }
    }

    std::shared_ptr<Calls> calls = std::make_shared<Calls>();
    std::shared_ptr<scripted::ScriptedWebView> page;
};

TEST_F(MRAIDBridgeTest, StartsWithTheInitialValues) {
    EXPECT_EQ(run("[mraid.getVersion(), mraid.getState(), mraid.getPlacementType(), mraid.isViewable(),"
                  " mraid.getExpandProperties(), mraid.getOrientationProperties(), mraid.getResizeProperties(),"
                  " mraid.getScreenSize(), mraid.getMaxSize(), mraid.getCurrentPosition(), mraid.getDefaultPosition(),"
                  " mraid.supports('sms'), qoraid.getVendorName(), qoraid.getQuartoAIVersion(), qoaiview.platform,"
                  " qoaiview.version, qoai.version, window._qo_qoai === qoai, window._qo_qoaiview === qoaiview,"
                  " mraidview.broadcastMap, qoraidview.broadcastMap]"),
              Json::parse(R"([
        "2.0", "loading", "inline", false,
        {"width": 0, "height": 0, "useCustomClose": false, "isModal": true, "lockOrientation": false, "orientation": ""},
        {"allowOrientationChange": true, "forceOrientation": "none", "direction": "right"}, null,
        {"width": 0, "height": 0}, {"width": 0, "height": 0}, {"x": 0, "y": 0, "width": 0, "height": 0},
        {"x": 0, "y": 0, "width": 0, "height": 0},
        false, "quarto", "2.0", "ios", "1.0", "1.0", true, true,
        {"state": "stateChange", "viewable": "viewableChange"},
        {"orientation": "orientationChange", "micIntensity": "micIntensityChange", "headphones": "headphones",
         "deviceVolume": "deviceVolumeChange", "volumeChange": "volumeChange", "deviceMuted": "deviceMuted"}])"));
    EXPECT_TRUE(calls->posted.empty());
}

TEST_F(MRAIDBridgeTest, TheMraidInterfacePostsItsCallsAndAnswersBadArgumentsWithItsErrorTexts) {
    struct Case {
        const char* call;
        Json posted;  // the call's message, or null
        Json error;   // the error event, or null
    };
    const std::vector<Case> cases{
        {"mraid.close()", {{"command", "close"}, {"scheme", "mraidview"}, {"params", Json::object()}}, nullptr},
        {"mraid.expand('https://a.example/x')",
         {{"command", "expand"}, {"scheme", "mraidview"}, {"params", {{"url", "https://a.example/x"}}}}, nullptr},
        {"mraid.open('https://a.example/?q=1')",
         {{"command", "open"}, {"scheme", "mraidview"}, {"params", {{"url", "https://a.example/?q=1"}}}}, nullptr},
        {"mraid.playVideo('https://v.example/v.mp4')",
         {{"command", "playVideo"}, {"scheme", "mraidview"}, {"params", {{"url", "https://v.example/v.mp4"}}}}, nullptr},
        {"mraid.setOrientationProperties({allowOrientationChange: false, forceOrientation: 'landscape'})",
         {{"command", "orientprops"},
          {"scheme", "mraidview"},
          {"params", {{"allowOrientationChange", "false"}, {"forceOrientation", "landscape"}, {"direction", "right"}}}},
         nullptr},
        {"mraid.setResizeProperties({width: 300, height: 250, offsetX: 0, offsetY: -5})",
         {{"command", "resizeprops"},
          {"scheme", "mraidview"},
          {"params", {{"width", "300"}, {"height", "250"}, {"offsetX", "0"}, {"offsetY", "-5"}}}},
         nullptr},
        {"mraid.open(42)", nullptr, Json::array({"URL is required.", "open"})},
        {"mraid.storePicture(null)", nullptr, Json::array({"Request must specify a valid URL", "storePicture"})},
        {"mraid.createCalendarEvent({})", nullptr, Json::array({"Method not supported", "createCalendarEvent"})},
        {"mraid.useCustomClose('yes')", nullptr, Json::array({"Invalid custom close value", "useCustomClose"})},
        {"mraid.resize()", nullptr, Json::array({"Cannot resize ad without resizeProperties.", "resize"})},
    };
    for (const Case& call : cases) {
        open(true);
        run(call.call);
        EXPECT_EQ(calls->posted.empty() ? Json() : calls->posted.front(), call.posted) << call.call;
        const Json errors = run("errors");
        EXPECT_EQ(errors.empty() ? Json() : errors.front(), call.error) << call.call;
    }

    open(true);
    run("mraid.setResizeProperties({width: 'wide', height: 50}); mraid.setExpandProperties({width: 300, height: 250, useCustomClose: true})");
    completeAll();
    run("mraid.resize()");
    EXPECT_EQ(run("errors"), Json::parse(R"([["Ad size (wide x 50) in resizeProperties is not valid.", "resize"]])"));
    // Custom close set outside the expanded state is also sent on its own.
    EXPECT_THAT(commands(), ElementsAre("resizeprops", "expandprops", "useCustomClose"));
    EXPECT_EQ(calls->posted[1].at("params"), Json::parse(R"({"width": "300", "height": "250", "close": "true", "isModal": "true"})"));
    EXPECT_EQ(run("[mraid.getExpandProperties().width, mraid.getResizeProperties().width]"), Json::parse(R"([300, "wide"])"));
}

TEST_F(MRAIDBridgeTest, NativeStatementsChangeTheStateAndReachTheListeners) {
    run("['stateChange', 'viewableChange', 'sizeChange', 'ready'].forEach(function (name) {"
        "  mraid.addEventListener(name, function () { throw new Error('creative bug'); });"
        "  mraid.addEventListener(name, function (a, b) { events.push([name, a, b === undefined ? null : b]); });"
        "});"
        "qoraid.addEventListener('orientationChange', function (angle) { events.push(['orientation', angle, null]); });");
    send(MRAIDJS::Events::broadCastReadyState(Scheme::mraid));
    EXPECT_EQ(run("mraid.getState()"), "default");  // the ready event ends "loading"
    send(MRAIDJS::Events::braodCastStateChanged(Scheme::mraid, "expanded"));
    send(MRAIDJS::Methods::updateViewable(true));
    send(MRAIDJS::Events::broadCastSize(Scheme::mraid, {320, 50}));
    send(MRAIDJS::Events::broadCastCurrentPositionChanged(Scheme::mraid, {0, 10, 320, 50}));
    send(MRAIDJS::Methods::updateAdState("ready"));
    run("qoraidview.updateKV('orientation', 90)");
    EXPECT_EQ(run("events"), Json::parse(R"([["ready", null, null], ["stateChange", "expanded", null], ["viewableChange", true, null],
        ["sizeChange", 320, 50], ["stateChange", "default", null], ["orientation", 90, null]])"));
    EXPECT_EQ(run("[mraid.getState(), mraid.isViewable(), mraid.getCurrentPosition(), mraidview.shownToUser]"),
              Json::parse(R"(["default", true, {"x": 0, "y": 10, "width": 320, "height": 50}, true])"));

    // Any text arrives whole, as one statement.
    const std::string awkward = "it's \"quoted\" \\ </script>\n\r\u2028\u2029 \x01 caf\xC3\xA9";
    send(MRAIDJS::Events::braodCastStateChanged(Scheme::mraid, awkward));
    EXPECT_EQ(run("mraid.getState()"), awkward);
    send(MRAIDJS::Events::broadCastError(Scheme::mraid, "cmd');alert('x", awkward));
    EXPECT_EQ(run("errors"), Json::array({Json::array({awkward, "cmd');alert('x"})}));
}

TEST_F(MRAIDBridgeTest, OneCallIsInFlightUntilItsCompletion) {
    run("mraid.close(); mraid.open('https://a.example/'); qoaiview.fireAdReady()");
    EXPECT_THAT(commands(), ElementsAre("close"));
    send(MRAIDJS::Methods::callComplete(Scheme::mraidView, "close"));
    EXPECT_THAT(commands(), ElementsAre("close", "open"));
    // A failed call's error event does not release the queue; its completion, which follows, does.
    send(MRAIDJS::Events::broadCastError(Scheme::mraidView, "open", "Cannot open"));
    EXPECT_THAT(commands(), ElementsAre("close", "open"));
    send(MRAIDJS::Methods::callComplete(Scheme::mraidView, "open"));
    EXPECT_THAT(commands(), ElementsAre("close", "open", "fireAdReady"));
    EXPECT_EQ(calls->posted.back().at("scheme"), "qoaiview");
    // The completion through the "qoaiview" object releases the shared queue.
    run("mraid.close()");
    EXPECT_EQ(calls->posted.size(), 3u);
    send(MRAIDJS::Methods::callComplete(Scheme::qoaView, "fireAdReady"));
    send(MRAIDJS::Methods::callComplete(Scheme::mraid, "close"));
    run("mraid.expand()");
    EXPECT_THAT(commands(), ElementsAre("close", "open", "fireAdReady", "close", "expand"));
    EXPECT_EQ(run("errors"), Json::parse(R"([["Cannot open", "open"]])"));
}

TEST_F(MRAIDBridgeTest, WithoutTheHandlerACallNavigatesToItsURL) {
    open(false);
    run("mraid.open('https://a.example/p?x=1&y=a b'); mraid.close()");
    EXPECT_TRUE(calls->posted.empty());
    EXPECT_THAT(calls->navigated, ElementsAre("mraidview://open?url=https%3A%2F%2Fa.example%2Fp%3Fx%3D1%26y%3Da%20b"));
    run("qoaiview.openExternal('https://b.example/', undefined)");
    EXPECT_EQ(calls->navigated.size(), 1u);  // a navigated call gets no answer; the rest waits
}

TEST_F(MRAIDBridgeTest, TheFirstAndLastListenerOfADeviceEventSwitchNativeListening) {
    run("function f() {} function g() {}"
        "qoraid.addEventListener('deviceVolumeChange', f); qoraid.addEventListener('deviceVolumeChange', g);"
        "qoraid.removeEventListener('deviceVolumeChange', f); qoraid.removeEventListener('deviceVolumeChange', g);");
    completeAll();
    EXPECT_THAT(commands(), ElementsAre("listenDeviceVolumeChangeEvents", "listenDeviceVolumeChangeEvents"));
    EXPECT_EQ(calls->posted[0].at("params"), Json::parse(R"({"enable": "true"})"));
    EXPECT_EQ(calls->posted[1].at("params"), Json::parse(R"({"enable": "false"})"));
}

}  // namespace
}  // namespace solen
