#include "Ad/RenderEngine/Vast/Model/VMAPModel.h"
#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Ad/RenderEngine/Vast/Model/VastError.h"
#include "Ad/RenderEngine/Vast/Model/VastErrorCodes.h"
#include "Ad/RenderEngine/Vast/Model/VastErrorMacro.h"
#include "Ad/RenderEngine/Vast/Model/VastModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace solen {
namespace {

using platform::URL;
using platform::XmlAttributes;

URL url(const std::string& text) {
    auto parsed = VastAttributes::address(text);
    EXPECT_TRUE(parsed) << text;
    return parsed.value_or(*URL::parse("x"));
}

TEST(VastAttributesTests, booleansFollowTheTextRule) {
    for (const char* yes : {"true", "TRUE", "True", "yes", "YES", "1"}) {
        EXPECT_EQ(VastAttributes::boolean(yes), true) << yes;
    }
    for (const char* no : {"false", "False", "no", "NO", "0"}) {
        EXPECT_EQ(VastAttributes::boolean(no), false) << no;
    }
    for (const char* neither : {"", " true", "true ", "2", "y", "on", "01"}) {
        EXPECT_FALSE(VastAttributes::boolean(neither)) << neither;
    }
    EXPECT_FALSE(VastAttributes::boolean(XmlAttributes{}, "conditionalAd"));
}

TEST(VastAttributesTests, integersAreWholeTextOnly) {
    EXPECT_EQ(VastAttributes::integer("42"), 42);
    EXPECT_EQ(VastAttributes::integer("-7"), -7);
    EXPECT_EQ(VastAttributes::integer("+7"), 7);
    EXPECT_EQ(VastAttributes::integer("9223372036854775807"), INT64_MAX);
    for (const char* bad : {"", " 1", "1 ", "1.0", "1e3", "0x10", "9223372036854775808", "+-1", "+", "abc"}) {
        EXPECT_FALSE(VastAttributes::integer(bad)) << bad;
    }
}

TEST(VastAttributesTests, decimalsReadAsTheCLibraryDoesOnTheWholeText) {
    EXPECT_DOUBLE_EQ(*VastAttributes::decimal("2.50"), 2.5);
    EXPECT_DOUBLE_EQ(*VastAttributes::decimal("-1e2"), -100);
    EXPECT_DOUBLE_EQ(*VastAttributes::decimal("+.5"), 0.5);
    EXPECT_DOUBLE_EQ(*VastAttributes::decimal("0x10"), 16);
    EXPECT_TRUE(std::isinf(*VastAttributes::decimal("inf")));
    EXPECT_TRUE(std::isnan(*VastAttributes::decimal("nan")));
    for (const char* bad : {"", " 1", "1 ", "1,5", "1.5.1", "abc"}) {
        EXPECT_FALSE(VastAttributes::decimal(bad)) << bad;
    }
    EXPECT_FALSE(VastAttributes::decimal(std::string_view("1\0", 2)));
}

TEST(VastAttributesTests, addressesKeepRawMacrosByEncodingWhatAUrlCannotHold) {
    EXPECT_EQ(VastAttributes::address("https://t.example/p?a=1&b=%20")->absoluteString(), "https://t.example/p?a=1&b=%20");
    EXPECT_EQ(VastAttributes::address("https://t.example/e?c=[ERRORCODE]&ts=[TIMESTAMP]")->absoluteString(),
              "https://t.example/e?c=%5BERRORCODE%5D&ts=%5BTIMESTAMP%5D");
    EXPECT_EQ(VastAttributes::address("https://t.example/[CACHEBUSTING]/p?x={a|b}")->absoluteString(),
              "https://t.example/%5BCACHEBUSTING%5D/p?x=%7Ba%7Cb%7D");
    EXPECT_EQ(VastAttributes::address("https://[::1]:8080/e?c=[ERRORCODE]")->absoluteString(),
              "https://[::1]:8080/e?c=%5BERRORCODE%5D");
    EXPECT_EQ(VastAttributes::address("https://t.example/caf\xC3\xA9 x")->absoluteString(), "https://t.example/caf%C3%A9%20x");
    EXPECT_FALSE(VastAttributes::address("/relative?x=[Y]"));
    EXPECT_FALSE(VastAttributes::address("not a url"));
    EXPECT_TRUE(VastAttributes::address("/relative?x=%5BY%5D"));
    for (const char* bad : {"", "https://bad host/x", "https://t.example/%zz", "https://t.example/\x01", "https://t[1]/"}) {
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

TEST(VastModelBuilderTests, recordsReadTheirAttributes) {
    const auto ad = VastAd::fromAttributes({{"id", "a1"}, {"sequence", "2"}, {"conditionalAd", "Yes"}});
    EXPECT_EQ(ad.type, AdType::unknown);
    EXPECT_EQ(ad.id, "a1");
    EXPECT_EQ(ad.sequence, 2);
    EXPECT_EQ(ad.conditionalAd, true);
    const auto bare = VastAd::fromAttributes({{"sequence", "two"}, {"conditionalAd", "maybe"}});
    EXPECT_EQ(bare.id, "");
    EXPECT_FALSE(bare.sequence);
    EXPECT_FALSE(bare.conditionalAd);

    const auto wrapper = VastWrapper::fromAttributes({{"followAdditionalWrappers", "0"}, {"fallbackOnNoAd", "true"}});
    EXPECT_EQ(wrapper.followAdditionalWrappers, false);
    EXPECT_FALSE(wrapper.allowMultipleAds);
    EXPECT_EQ(wrapper.fallbackOnNoAd, true);

    EXPECT_EQ(VastModel::fromAttributes({{"version", "4.2"}}).version, "4.2");
    EXPECT_EQ(VastCreativeExtension::fromAttributes({{"type", "text/json"}}).mimeType, "text/json");
    EXPECT_EQ(VastLinearCreative::fromAttributes({{"skipoffset", "00:00:05"}}).skipOffset, "00:00:05");
    EXPECT_EQ(VastCreative::fromAttributes({{"sequence", "1"}, {"adId", "x"}}).sequence, 1);
    EXPECT_EQ(VastAdParameters::fromAttributes({{"xmlEncoded", "false"}}).xmlEncoded, false);
    EXPECT_EQ(VastStaticResource::fromAttributes({}).creativeType, "");
}

TEST(VastModelBuilderTests, pricingNeedsAModelAndACurrency) {
    EXPECT_TRUE(VastPricing::fromAttributes({{"model", "CPM"}, {"currency", "USD"}}));
    EXPECT_FALSE(VastPricing::fromAttributes({{"model", "CPM"}}));
    EXPECT_FALSE(VastPricing::fromAttributes({{"currency", "USD"}}));
    EXPECT_FALSE(VastPricing::fromAttributes({{"model", ""}, {"currency", "USD"}}));
    EXPECT_FALSE(VastPricing::fromAttributes({{"model", "CPM"}, {"currency", ""}}));
}

TEST(VastModelBuilderTests, enumerationsMatchTheirExactText) {
    EXPECT_EQ(VastTrackingEvent::fromAttributes({{"event", "firstQuartile"}}).type, TrackingEventType::firstQuartile);
    EXPECT_EQ(VastTrackingEvent::fromAttributes({{"event", "FirstQuartile"}}).type, TrackingEventType::unknown);
    EXPECT_EQ(VastTrackingEvent::fromAttributes({{"event", "loaded"}}).type, TrackingEventType::unknown);
    EXPECT_EQ(VastTrackingEvent::fromAttributes({}).type, TrackingEventType::unknown);
    EXPECT_EQ(VastCompanionAds::fromAttributes({{"required", "all"}}).required, CompanionsRequirement::all);
    EXPECT_EQ(VastCompanionAds::fromAttributes({{"required", "ANY"}}).required, CompanionsRequirement::none);
    EXPECT_EQ(clickTypeFromRawValue("CustomClick"), ClickType::customClick);
    EXPECT_FALSE(clickTypeFromRawValue("clickthrough"));
    EXPECT_EQ(rawValue(AdType::inLine), "inline");
    EXPECT_EQ(adTypeFromRawValue("wrapper"), AdType::wrapper);
}

TEST(VastModelBuilderTests, trackingEventTypesAreTheTwentyFourVideoEventNamesInOrder) {
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
    EXPECT_FALSE(VastTrackingEvent::fromAttributes({}).offset);
    EXPECT_FALSE(VastTrackingEvent::fromAttributes({}).tracked);
}

TEST(VastModelBuilderTests, iconsAndCompanionsKeepTheirStandardAttributes) {
    const auto icon = VastIcon::fromAttributes({{"program", "AdChoices"}, {"width", "20"}, {"height", "20"},
                                                {"xPosition", "right"}, {"yPosition", "top"},
                                                {"duration", "00:00:10"}, {"offset", "00:00:02"},
                                                {"apiFramework", "none"}, {"pxratio", "2"}});
    EXPECT_EQ(icon.program, "AdChoices");
    EXPECT_EQ(icon.xPosition, "right");
    EXPECT_EQ(icon.duration, 10.0);
    EXPECT_EQ(icon.offset, 2.0);
    EXPECT_FALSE(icon.iconClicks);
    EXPECT_FALSE(VastIcon::fromAttributes({{"duration", "soon"}}).duration);

    const auto companion = VastCompanionCreative::fromAttributes(
        {{"id", "c1"}, {"width", "300"}, {"height", "250"}, {"adSlotId", "slot"}, {"renderingMode", "end-card"}});
    EXPECT_EQ(companion.width, 300);
    EXPECT_EQ(companion.height, "250");
    EXPECT_EQ(companion.adSlotId, "slot");
    EXPECT_EQ(companion.renderingMode, "end-card");
    EXPECT_EQ(VastCompanionCreative::fromAttributes({{"width", "300px"}}).width, 0);
    EXPECT_EQ(VastCompanionCreative::fromAttributes({}).width, 0);

    const auto file = VastMediaFile::fromAttributes({{"delivery", "progressive"}, {"type", "video/mp4"},
                                                     {"width", "1280"}, {"bitrate", "2000"},
                                                     {"maintainAspectRatio", "true"}});
    EXPECT_EQ(file.delivery, "progressive");
    EXPECT_EQ(file.width, "1280");
    EXPECT_EQ(file.maintainAspectRatio, "true");
    EXPECT_FALSE(file.codec);
    EXPECT_FALSE(file.url);
}

TEST(VastModelBuilderTests, vmapRecordsReadTheirAttributes) {
    const auto source = VMAPAdSource::fromAttributes({{"allowMultipleAds", "TRUE"}, {"followRedirects", "yes"}, {"id", "s"}});
    EXPECT_TRUE(source.allowMultipleAds);
    EXPECT_FALSE(source.followRedirects);
    EXPECT_EQ(source.id, "s");
    const auto adBreak = VMAPAdBreak::fromAttributes({{"breakId", "pre"}, {"breakType", "linear"}, {"timeOffset", "start"}});
    EXPECT_EQ(adBreak.breakType, VMAPAdBreakType::linear);
    EXPECT_EQ(adBreak.timeOffset, "start");
    EXPECT_EQ(VMAPAdBreak::fromAttributes({{"breakType", "Linear"}}).breakType, VMAPAdBreakType::unknown);
    EXPECT_EQ(VMAPTrackingEvent::fromAttributes({{"event", "breakEnd"}}).event, VMAPTrackingEventType::breakEnd);
    EXPECT_EQ(VMAPModel::fromAttributes({{"version", "1.0"}}).version, "1.0");
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

VastLinearCreative linearWith(std::initializer_list<VastMediaFile> files) {
    VastLinearCreative linear;
    linear.files.mediaFiles = files;
    return linear;
}

std::string chosen(const VastLinearCreative& linear, bool onWiFi, double screenWidth) {
    const auto result = linear.selectMediaFileURL(onWiFi, screenWidth);
    return result ? result->absoluteString() : "none";
}

TEST(VastMediaFileChoiceTests, wifiTakesTheNarrowestFileCoveringTheScreenElseTheWidest) {
    const auto linear = linearWith({mediaFile("1920", "https://v/1920.mp4"), mediaFile("640", "https://v/640.mp4"),
                                    mediaFile("1280", "https://v/1280.mp4"), mediaFile("480", "https://v/480.mp4")});
    EXPECT_EQ(chosen(linear, true, 600), "https://v/640.mp4");
    EXPECT_EQ(chosen(linear, true, 640), "https://v/640.mp4");
    EXPECT_EQ(chosen(linear, true, 1000), "https://v/1280.mp4");
    EXPECT_EQ(chosen(linear, true, 4000), "https://v/1920.mp4");
}

TEST(VastMediaFileChoiceTests, otherNetworksTakeTheWidestFileWithinTheScreenElseTheNarrowest) {
    const auto linear = linearWith({mediaFile("1920", "https://v/1920.mp4"), mediaFile("640", "https://v/640.mp4"),
                                    mediaFile("1280", "https://v/1280.mp4"), mediaFile("480", "https://v/480.mp4")});
    EXPECT_EQ(chosen(linear, false, 1000), "https://v/640.mp4");
    EXPECT_EQ(chosen(linear, false, 1280), "https://v/1280.mp4");
    EXPECT_EQ(chosen(linear, false, 300), "https://v/480.mp4");
}

TEST(VastMediaFileChoiceTests, filesWithoutAnAddressAreNoCandidatesAndUnreadableWidthsCountZero) {
    const auto linear = linearWith({mediaFile("640", std::nullopt), mediaFile("wide", "https://v/unknown.mp4"),
                                    mediaFile(std::nullopt, "https://v/nowidth.mp4"),
                                    mediaFile("320", "https://v/320.mp4")});
    EXPECT_EQ(chosen(linear, true, 400), "https://v/320.mp4");
    EXPECT_EQ(chosen(linear, false, 400), "https://v/320.mp4");
    EXPECT_EQ(chosen(linear, false, 100), "https://v/unknown.mp4") << "ties go to the earlier file";

    EXPECT_EQ(chosen(linearWith({mediaFile("640", std::nullopt)}), true, 400), "none");
    EXPECT_EQ(chosen(linearWith({}), false, 400), "none");
    EXPECT_EQ(chosen(linearWith({mediaFile("640.5", "https://v/f.mp4")}), false, 641), "https://v/f.mp4");
}

// Errors.

TEST(VastErrorTests, codesAndTexts) {
    EXPECT_EQ(vastErrorCode(VastError::invalidXMLDocument), 0);
    EXPECT_EQ(vastErrorCode(VastError::internalError), 7);
    EXPECT_EQ(vastErrorName(VastError::wrapperTimeLimitReached), "wrapperTimeLimitReached");
    EXPECT_EQ(vastErrorDescription(VastError::unableToParseDocument), "VastError error 2");

    EXPECT_EQ(std::size(allVastErrorCodes), 32u);
    std::set<std::int64_t> seen;
    for (VastErrorCodes code : allVastErrorCodes) {
        EXPECT_TRUE(seen.insert(vastErrorCodeValue(code)).second);
        EXPECT_EQ(vastErrorCodesFromRawValue(vastErrorCodeValue(code)), code);
    }
    EXPECT_EQ(vastErrorCodeValue(VastErrorCodes::problemDisplayingMediaFile), 405);
    EXPECT_EQ(vastErrorCodeValue(VastErrorCodes::generalVPAIDError), 901);
    EXPECT_FALSE(vastErrorCodesFromRawValue(404));
    EXPECT_EQ(vastErrorCodesDescription(VastErrorCodes::timeoutOfMediaFile), "VastErrorCodes error 402");
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
