#include "Ad/RenderEngine/Vast/Model/VMAPModel.h"
#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Ad/RenderEngine/Vast/Model/VastError.h"
#include "Ad/RenderEngine/Vast/Model/VastErrorCodes.h"
#include "Ad/RenderEngine/Vast/Model/VastErrorMacro.h"
#include "Ad/RenderEngine/Vast/Model/VastModel.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace solen {
namespace {

using platform::URL;

URL url(const std::string& text) {
    auto parsed = VastAttributes::address(text);
    EXPECT_TRUE(parsed) << text;
    return parsed.value_or(*URL::parse("x"));
}

TEST(VastAttributesTests, booleansIntegersAndDecimalsReadTheWholeTextOrNothing) {
    for (const char* yes : {"true", "TRUE", "yes", "YES", "1"}) {
        EXPECT_EQ(VastAttributes::boolean(yes), true) << yes;
    }
    for (const char* no : {"false", "False", "no", "0"}) {
        EXPECT_EQ(VastAttributes::boolean(no), false) << no;
    }
    for (const char* neither : {"", " true", "true ", "2", "on", "01"}) {
        EXPECT_FALSE(VastAttributes::boolean(neither)) << neither;
    }
    EXPECT_EQ(VastAttributes::integer("-7"), -7);
    EXPECT_EQ(VastAttributes::integer("9223372036854775807"), INT64_MAX);
    for (const char* bad : {"", " 1", "1 ", "1.0", "1e3", "0x10", "9223372036854775808", "+-1", "+"}) {
        EXPECT_FALSE(VastAttributes::integer(bad)) << bad;
    }
    EXPECT_DOUBLE_EQ(*VastAttributes::decimal("+.5"), 0.5);
    EXPECT_DOUBLE_EQ(*VastAttributes::decimal("-1e2"), -100);
    for (const char* bad : {"", " 1", "1 ", "1,5", "1.5.1"}) {
        EXPECT_FALSE(VastAttributes::decimal(bad)) << bad;
    }
    EXPECT_FALSE(VastAttributes::decimal(std::string_view("1\0", 2)));
}

TEST(VastAttributesTests, addressesKeepRawMacrosByEncodingWhatAUrlCannotHold) {
    EXPECT_EQ(VastAttributes::address("https://t.example/p?a=1&b=%20")->absoluteString(), "https://t.example/p?a=1&b=%20");
    EXPECT_EQ(VastAttributes::address("https://t.example/[CACHEBUSTING]/p?x={a|b}&c=[ERRORCODE]")->absoluteString(),
              "https://t.example/%5BCACHEBUSTING%5D/p?x=%7Ba%7Cb%7D&c=%5BERRORCODE%5D");
    EXPECT_EQ(VastAttributes::address("https://[::1]:8080/e?c=[ERRORCODE]")->absoluteString(),
              "https://[::1]:8080/e?c=%5BERRORCODE%5D");
    EXPECT_EQ(VastAttributes::address("https://t.example/caf\xC3\xA9 x")->absoluteString(), "https://t.example/caf%C3%A9%20x");
    EXPECT_TRUE(VastAttributes::address("/relative?x=%5BY%5D"));
    for (const char* bad : {"", "not a url", "/relative?x=[Y]", "https://bad host/x", "https://t.example/%zz",
                            "https://t.example/\x01", "https://t[1]/"}) {
        EXPECT_FALSE(VastAttributes::address(bad)) << bad;
    }
}

TEST(VastAttributesTests, trimmingRemovesAsciiAndUnicodeWhiteSpaceOnly) {
    EXPECT_EQ(VastAttributes::trimmed(" \t\r\n x y \n"), "x y");
    EXPECT_EQ(VastAttributes::trimmed("\xC2\xA0\xE3\x80\x80x\xE2\x80\xA8"), "x");  // NBSP, ideographic space, LS
    EXPECT_EQ(VastAttributes::trimmed("\xC3\xA9"), "\xC3\xA9");
    EXPECT_EQ(VastAttributes::trimmed("  "), "");
    EXPECT_EQ(VastAttributes::trimmed("\xff x \xff"), "\xff x \xff");
}

TEST(VastModelBuilderTests, pricingNeedsANonEmptyModelAndCurrency) {
    EXPECT_TRUE(VastPricing::fromAttributes({{"model", "CPM"}, {"currency", "USD"}}));
    for (const platform::XmlAttributes& bad : std::initializer_list<platform::XmlAttributes>{
             {{"model", "CPM"}}, {{"currency", "USD"}}, {{"model", ""}, {"currency", "USD"}}, {{"model", "CPM"}, {"currency", ""}}}) {
        EXPECT_FALSE(VastPricing::fromAttributes(bad));
    }
}

TEST(VastModelBuilderTests, enumerationsMatchTheirExactTextElseUnknown) {
    EXPECT_EQ(VastTrackingEvent::fromAttributes({{"event", "FirstQuartile"}}).type, TrackingEventType::unknown);
    EXPECT_EQ(VastTrackingEvent::fromAttributes({}).type, TrackingEventType::unknown);
    EXPECT_EQ(VastCompanionAds::fromAttributes({{"required", "all"}}).required, CompanionsRequirement::all);
    EXPECT_EQ(VastCompanionAds::fromAttributes({{"required", "ANY"}}).required, CompanionsRequirement::none);
    EXPECT_FALSE(clickTypeFromRawValue("clickthrough"));
    EXPECT_EQ(VMAPAdBreak::fromAttributes({{"breakType", "Linear"}}).breakType, VMAPAdBreakType::unknown);

    // The same 24 names, in the same order, as the adapter layer's video events.
    const char* names[] = {"start", "firstQuartile", "midpoint", "thirdQuartile", "complete", "creativeView",
                           "mute", "unmute", "pause", "rewind", "resume", "fullscreen", "exitFullscreen",
                           "playerExpand", "playerCollapse", "acceptInvitationLinear", "closeLinear", "skip",
                           "progress", "collapse", "expand", "acceptInvitation", "close", "unknown"};
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(rawValue(static_cast<TrackingEventType>(i)), names[i]);
        EXPECT_EQ(trackingEventTypeFromRawValue(names[i]), static_cast<TrackingEventType>(i));
    }
}

TEST(VastModelBuilderTests, trackingOffsetsAreClockTimesPercentagesOrSeconds) {
    auto offset = [](const char* text) { return VastTrackingEvent::fromAttributes({{"offset", text}}).offset; };
    EXPECT_EQ(offset("00:00:05.500"), 5.5);
    EXPECT_EQ(offset("25%"), 0.25);
    EXPECT_EQ(offset("12.5"), 12.5);
    EXPECT_EQ(offset("0"), 0.0);
    for (const char* absent : {"", "%", "abc", "-5", "-10%", "5 %", "nan", "inf%", "00:xx"}) {
        EXPECT_FALSE(offset(absent)) << absent;
    }
}

TEST(VastModelBuilderTests, numericAttributesKeptAsTextOrReadWithTheirRule) {
    EXPECT_EQ(VastCompanionCreative::fromAttributes({{"width", "300"}}).width, 300);
    EXPECT_EQ(VastCompanionCreative::fromAttributes({{"width", "300px"}}).width, 0);
    EXPECT_EQ(VastCompanionCreative::fromAttributes({}).width, 0);
    EXPECT_EQ(VastMediaFile::fromAttributes({{"width", "wide"}}).width, "wide");
    EXPECT_EQ(VastIcon::fromAttributes({{"duration", "00:00:10"}}).duration, 10.0);
    EXPECT_FALSE(VastIcon::fromAttributes({{"duration", "soon"}}).duration);
}

// Media-file choice.

VastMediaFile mediaFile(std::optional<std::string> width, std::optional<std::string> address) {
    VastMediaFile file = VastMediaFile::fromAttributes({});
    file.width = std::move(width);
    if (address) {
        file.url = url(*address);
    }
    return file;
}

std::string chosen(std::initializer_list<VastMediaFile> files, bool onWiFi, double screenWidth) {
    VastLinearCreative linear;
    linear.files.mediaFiles = files;
    const auto result = linear.selectMediaFileURL(onWiFi, screenWidth);
    return result ? result->absoluteString() : "none";
}

TEST(VastMediaFileChoiceTests, wifiTakesTheNarrowestCoveringFileOtherNetworksTheWidestWithin) {
    const auto files = {mediaFile("1920", "https://v/1920.mp4"), mediaFile("640", "https://v/640.mp4"),
                        mediaFile("1280", "https://v/1280.mp4"), mediaFile("480", "https://v/480.mp4")};
    struct Case {
        bool wifi;
        double screen;
        const char* expected;
    };
    for (const Case c : {Case{true, 600, "https://v/640.mp4"}, Case{true, 640, "https://v/640.mp4"},
                         Case{true, 1000, "https://v/1280.mp4"}, Case{true, 4000, "https://v/1920.mp4"},
                         Case{false, 1000, "https://v/640.mp4"}, Case{false, 1280, "https://v/1280.mp4"},
                         Case{false, 300, "https://v/480.mp4"}}) {
        EXPECT_EQ(chosen(files, c.wifi, c.screen), c.expected) << c.wifi << " " << c.screen;
    }
}

TEST(VastMediaFileChoiceTests, filesWithoutAnAddressAreNoCandidatesAndUnreadableWidthsCountZero) {
    const auto files = {mediaFile("640", std::nullopt), mediaFile("wide", "https://v/unknown.mp4"),
                        mediaFile(std::nullopt, "https://v/nowidth.mp4"), mediaFile("320", "https://v/320.mp4")};
    EXPECT_EQ(chosen(files, true, 400), "https://v/320.mp4");
    EXPECT_EQ(chosen(files, false, 400), "https://v/320.mp4");
    EXPECT_EQ(chosen(files, false, 100), "https://v/unknown.mp4") << "ties go to the earlier file";
    EXPECT_EQ(chosen({mediaFile("640", std::nullopt)}, true, 400), "none");
    EXPECT_EQ(chosen({}, false, 400), "none");
    EXPECT_EQ(chosen({mediaFile("640.5", "https://v/f.mp4")}, false, 641), "https://v/f.mp4");
}

// Errors.

TEST(VastErrorTests, codesRoundTripAndTexts) {
    std::set<std::int64_t> seen;
    for (VastErrorCodes code : allVastErrorCodes) {
        EXPECT_TRUE(seen.insert(vastErrorCodeValue(code)).second);
        EXPECT_EQ(vastErrorCodesFromRawValue(vastErrorCodeValue(code)), code);
    }
    EXPECT_EQ(seen.size(), 32u);
    EXPECT_FALSE(vastErrorCodesFromRawValue(404));
    EXPECT_EQ(vastErrorCodesDescription(VastErrorCodes::timeoutOfMediaFile), "VastErrorCodes error 402");
    EXPECT_EQ(vastErrorDescription(VastError::unableToParseDocument), "VastError error 2");
}

TEST(VastErrorMacroTests, replacesPlainAndEncodedMacrosAndKeepsTheRestByteForByte) {
    EXPECT_EQ(VastErrorMacro::applying(url("https://e.example/err?c=[ERRORCODE]&x=%20a%2Fb"), 303).absoluteString(),
              "https://e.example/err?c=303&x=%20a%2Fb");
    EXPECT_EQ(VastErrorMacro::applying(url("https://e.example/e?c=%5BERRORCODE%5D&d=%5bERRORCODE%5d"), 402)
                  .absoluteString(),
              "https://e.example/e?c=402&d=402");
    EXPECT_EQ(VastErrorMacro::applying(url("https://e.example/[ERRORCODE]/[ERRORCODE]"), 100).absoluteString(),
              "https://e.example/100/100");
    // Not the macro: other case, partial encodings, nothing to replace.
    for (const std::string untouched :
         {"https://e.example/e?c=%5Berrorcode%5D", "https://e.example/e?c=%5BERRORCODE", "https://e.example/e?%5B%5D"}) {
        EXPECT_EQ(VastErrorMacro::applying(url(untouched), 303).absoluteString(), untouched);
    }
    EXPECT_EQ(VastErrorMacro::replacing("[ERRORCODE%5D%5B[ERRORCODE]", "1"), "[ERRORCODE%5D%5B1");
}

}  // namespace
}  // namespace solen
