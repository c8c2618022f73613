#include "Ad/RenderEngine/Bridge/JavaScriptText.h"
#include "Ad/RenderEngine/Bridge/MRAIDJS.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace solen {
namespace {

using MRAIDJS::Scheme;

struct StatementCase {
    const char* name;
    std::string rendered;
    std::string expected;
};

TEST(MRAIDJSTest, EveryStatementRendersItsExactTextAndSchemesMatchTheirRawValues) {
    const platform::Rect banner(0, 50, 320, 50.5);
    const std::vector<StatementCase> cases{
        {"ready", MRAIDJS::Events::broadCastReadyState(Scheme::mraid).javaScript(), "window.mraid.broadcastEvent('ready');"},
        {"error", MRAIDJS::Events::broadCastError(Scheme::mraidView, "close", "Not allowed").javaScript(),
         "window.mraidview.broadcastEvent('error','Not allowed','close');"},
        {"size", MRAIDJS::Events::broadCastSize(Scheme::mraid, {320, 50}).javaScript(),
         "window.mraid.broadcastEvent('sizeChange',320.0,50.0);"},
        {"default position", MRAIDJS::Events::broadCastDefaultPositionChanged(Scheme::qoraidView, banner).javaScript(),
         "window.qoraidview.updateKV('defaultPosition',{'x':0.0,'y':50.0,'width':320.0,'height':50.5});"},
        {"current position", MRAIDJS::Events::broadCastCurrentPositionChanged(Scheme::mraid, {}).javaScript(),
         "window.mraid.updateKV('currentPosition',{'x':0.0,'y':0.0,'width':0.0,'height':0.0});"},
        {"state", MRAIDJS::Events::braodCastStateChanged(Scheme::mraid, "expanded").javaScript(),
         "window.mraid.updateKV('state','expanded');"},
        {"completion", MRAIDJS::Methods::callComplete(Scheme::qoaView, "fireAdReady").javaScript(),
         "window.qoaiview.nativeCallComplete('fireAdReady');"},
        {"ad state", MRAIDJS::Methods::updateAdState("hidden").javaScript(), "window.mraidview.updateKV('state','hidden');"},
        {"viewable", MRAIDJS::Methods::updateViewable(true).javaScript(), "window.mraidview.updateKV('viewable',true);"},
        {"not viewable", MRAIDJS::Methods::updateViewable(false).javaScript(), "window.mraidview.updateKV('viewable',false);"},
        {"status", MRAIDJS::Properties::setStatus("default").javaScript(), "window.qoraidview.status='default';"},
        {"placement", MRAIDJS::Properties::setPlacement("inline").javaScript(), "window.mraidview.placement='inline';"},
        {"orientation", MRAIDJS::Properties::setOrientation(-90).javaScript(), "window.qoraidview.orientation=-90;"},
        {"screen", MRAIDJS::Properties::setScreenSize({390, 844}).javaScript(),
         "window.mraidview.screenSize={'width':390.0,'height':844.0};"},
        {"default", MRAIDJS::Properties::setDefaultPosition(banner).javaScript(),
         "window.mraidview.defaultPosition={'x':0.0,'y':50.0,'width':320.0,'height':50.5};"},
        {"current", MRAIDJS::Properties::setCurrentPosition({1.5, 2, 3, 4}).javaScript(),
         "window.mraidview.currentPosition={'x':1.5,'y':2.0,'width':3.0,'height':4.0};"},
        {"max", MRAIDJS::Properties::setMaxSize({0, 0}).javaScript(), "window.mraidview.maxSize={'width':0.0,'height':0.0};"},
        {"viewable flag", MRAIDJS::Properties::setViewabale(false).javaScript(), "window.mraidview.viewable=false;"},
        // Texts are literals: a quote, a line break or a separator cannot end the statement.
        {"quote", MRAIDJS::Events::broadCastError(Scheme::mraid, "open", "can't open 'x'").javaScript(),
         R"(window.mraid.broadcastEvent('error','can\'t open \'x\'','open');)"},
        {"line breaks", MRAIDJS::Methods::callComplete(Scheme::mraid, "a\nb\r\u2028\u2029").javaScript(),
         R"(window.mraid.nativeCallComplete('a\nb\r\u2028\u2029');)"},
        {"non-finite", MRAIDJS::Events::broadCastSize(Scheme::mraid, {std::nan(""), -std::numeric_limits<double>::infinity()})
                           .javaScript(),
         "window.mraid.broadcastEvent('sizeChange',0.0,0.0);"},
    };
    for (const StatementCase& statement : cases) {
        EXPECT_EQ(statement.rendered, statement.expected) << statement.name;
    }

    // Schemes match their raw values exactly.
    for (const Scheme scheme : {Scheme::mraidView, Scheme::qoraidView, Scheme::qoaView, Scheme::mraid}) {
        EXPECT_EQ(MRAIDJS::schemeNamed(MRAIDJS::rawValue(scheme)), scheme);
    }
    EXPECT_EQ(MRAIDJS::caseName(Scheme::qoaView), "qoaView");
    EXPECT_EQ(MRAIDJS::rawValue(Scheme::qoaView), "qoaiview");
    EXPECT_FALSE(MRAIDJS::schemeNamed("MRAID"));
    EXPECT_FALSE(MRAIDJS::schemeNamed("loadSourceSuccess"));
}

TEST(JavaScriptTextTest, LiteralsEscapeEverythingThatCouldEndThem) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"plain text", "'plain text'"},
        {"", "''"},
        {R"(back\slash "double")", R"('back\\slash \"double\"')"},
        {std::string("nul\0tab\tdel\x7f", 12), R"('nul\u0000tab\tdel\u007f')"},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", "'caf\xC3\xA9 \xF0\x9F\x98\x80'"},  // valid UTF-8 passes
        {"\xC2\x85", R"('\u0085')"},                                         // C1 control
        {"a\xFF" "b", "'a\xEF\xBF\xBD" "b'"},                               // stray byte
        {"\xC0\xAF", "'\xEF\xBF\xBD\xEF\xBF\xBD'"},                         // overlong form
        {"\xED\xA0\x80", "'\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD'"},        // surrogate
        {"cut \xE2\x80", "'cut \xEF\xBF\xBD\xEF\xBF\xBD'"},                 // cut short at the end
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(JavaScriptText::singleQuoted(text), expected) << text;
    }
}

TEST(JavaScriptTextTest, NumbersAreTheShortestTextThatReadsBack) {
    const std::vector<std::pair<double, std::string>> cases{
        {320, "320.0"},
        {0, "0.0"},
        {-0.0, "-0.0"},
        {0.1, "0.1"},
        {-12.75, "-12.75"},
        {1.0 / 3, "0.3333333333333333"},
        {0.000001, "0.000001"},
        {9007199254740993.0, "9007199254740992.0"},
        {9999999999999998.0, "9999999999999998.0"},
        {1e16, "1e+16"},
        {-2.5e20, "-2.5e+20"},
        {std::numeric_limits<double>::quiet_NaN(), "0.0"},
        {std::numeric_limits<double>::infinity(), "0.0"},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(JavaScriptText::number(value), expected) << expected;
    }
    for (const double value : {std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(), 123456.789e-10}) {
        const std::string text = JavaScriptText::number(value);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    }
}

}  // namespace
}  // namespace solen
