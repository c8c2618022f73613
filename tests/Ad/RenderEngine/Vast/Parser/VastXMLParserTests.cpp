#include "Ad/RenderEngine/Vast/Parser/VastXMLParser.h"

#include "support/VastDocuments.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace solen {
namespace {

using platform::URL;
using test::VastDocuments;

struct Fired {
    std::vector<std::string> urls;
    std::optional<std::string> event;
};

// Parses with a sender that records what would be fired.
struct Parsed {
    VastParseResult result;
    std::vector<Fired> fired;

    const VastModel& model() const { return *result.model; }
    const VastAd& ad(std::size_t i = 0) const { return result.model->ads.at(i); }
};

Parsed parse(const std::string& xml) {
    Parsed parsed;
    auto parser = VastXMLParser::create([&parsed](const std::vector<URL>& urls, const std::optional<std::string>& event) {
        Fired fired;
        for (const auto& url : urls) {
            fired.urls.push_back(url.absoluteString());
        }
        fired.event = event;
        parsed.fired.push_back(fired);
    });
    parsed.result = parser->parse(xml);
    return parsed;
}

std::string text(const std::optional<URL>& url) { return url ? url->absoluteString() : "<none>"; }

std::vector<std::string> texts(const std::vector<URL>& urls) {
    std::vector<std::string> out;
    for (const auto& url : urls) {
        out.push_back(url.absoluteString());
    }
    return out;
}

// One small document inside an Ad/InLine (or as given) and what it must produce.
struct TableCase {
    std::string name;
    std::string body;  // placed inside <VAST version="4.0">...</VAST>
    std::function<void(const VastModel&)> check;
};

std::string inAd(const std::string& inner) { return "<Ad id=\"a\"><InLine>" + inner + "</InLine></Ad>"; }
std::string inLinear(const std::string& inner) {
    return inAd("<Creatives><Creative><Linear>" + inner + "</Linear></Creative></Creatives>");
}
std::string inCompanion(const std::string& inner) {
    return inAd("<Creatives><Creative><CompanionAds><Companion width=\"300\">" + inner +
                "</Companion></CompanionAds></Creative></Creatives>");
}
const VastLinearCreative& linearOf(const VastModel& m) { return *m.ads.at(0).creatives.at(0).linear; }
const VastCompanionCreative& companionOf(const VastModel& m) {
    return m.ads.at(0).creatives.at(0).companionAds->companions.at(0);
}

class VastElementTableTests : public ::testing::TestWithParam<TableCase> {};

TEST_P(VastElementTableTests, element) {
    const auto& c = GetParam();
    const auto parsed = parse("<VAST version=\"4.0\">" + c.body + "</VAST>");
    ASSERT_TRUE(parsed.result.ok()) << (parsed.result.error ? vastErrorName(*parsed.result.error) : "");
    c.check(parsed.model());
}

const TableCase tableCases[] = {
    {"errorsGoToTheOpenAdOrTheDocument",
     "<Error>https://d.example/e</Error>" + inAd("<Error>https://a.example/e</Error><Error>not a url</Error>"),
     [](const VastModel& m) {
         EXPECT_EQ(texts(m.errors), std::vector<std::string>{"https://d.example/e"});
         EXPECT_EQ(texts(m.ads[0].errors), std::vector<std::string>{"https://a.example/e"});
     }},
    {"adTypesFollowInLineAndWrapper",
     "<Ad id=\"i\"><InLine/></Ad><Ad id=\"w\"><Wrapper><VASTAdTagURI>https://next.example/v</VASTAdTagURI></Wrapper></Ad><Ad id=\"u\"/>",
     [](const VastModel& m) {
         ASSERT_EQ(m.ads.size(), 3u);
         EXPECT_EQ(m.ads[0].type, AdType::inLine);
         EXPECT_FALSE(m.ads[0].wrapper);
         EXPECT_EQ(m.ads[1].type, AdType::wrapper);
         EXPECT_EQ(text(m.ads[1].wrapper->adTagUri), "https://next.example/v");
         EXPECT_EQ(m.ads[2].type, AdType::unknown);
     }},
    {"adLevelTextsAndSystem",
     inAd("<AdSystem version=\"9\">Sys</AdSystem><AdTitle> T </AdTitle><Description>D</Description>"
          "<Advertiser>Adv</Advertiser>"),
     [](const VastModel& m) {
         EXPECT_EQ(m.ads[0].adSystem->system, "Sys");
         EXPECT_EQ(m.ads[0].adSystem->version, "9");
         EXPECT_EQ(m.ads[0].adTitle, "T");
         EXPECT_EQ(m.ads[0].description, "D");
         EXPECT_EQ(m.ads[0].advertiser, "Adv");
     }},
    {"impressionsKeepInvalidAddressesAsAbsent",
     inAd("<Impression id=\"1\">https://i.example/1</Impression><Impression id=\"2\"></Impression>"),
     [](const VastModel& m) {
         ASSERT_EQ(m.ads[0].impressions.size(), 2u);
         EXPECT_EQ(m.ads[0].impressions[0].id, "1");
         EXPECT_EQ(text(m.ads[0].impressions[0].url), "https://i.example/1");
         EXPECT_FALSE(m.ads[0].impressions[1].url);
     }},
    {"categoriesWithEmptyTextHaveNoCategory",
     inAd("<Category authority=\"iab\">IAB1</Category><Category authority=\"x\"> </Category>"),
     [](const VastModel& m) {
         ASSERT_EQ(m.ads[0].adCategories.size(), 2u);
         EXPECT_EQ(m.ads[0].adCategories[0].category, "IAB1");
         EXPECT_EQ(m.ads[0].adCategories[0].authority, "iab");
         EXPECT_FALSE(m.ads[0].adCategories[1].category);
     }},
    {"pricingReadsADecimalAndRejectsMissingAttributes",
     "<Ad id=\"p1\"><InLine><Pricing model=\"CPM\" currency=\"USD\">1.25</Pricing></InLine></Ad>"
     "<Ad id=\"p2\"><InLine><Pricing model=\"CPM\">1.25</Pricing></InLine></Ad>"
     "<Ad id=\"p3\"><InLine><Pricing model=\"CPM\" currency=\"USD\">cheap</Pricing></InLine></Ad>"
     "<Ad id=\"p4\"><InLine><Pricing model=\"CPM\" currency=\"USD\">nan</Pricing></InLine></Ad>",
     [](const VastModel& m) {
         EXPECT_EQ(m.ads[0].pricing->pricing, 1.25);
         EXPECT_EQ(m.ads[0].pricing->currency, "USD");
         EXPECT_FALSE(m.ads[1].pricing);
         ASSERT_TRUE(m.ads[2].pricing);
         EXPECT_FALSE(m.ads[2].pricing->pricing);
         EXPECT_FALSE(m.ads[3].pricing->pricing);
     }},
    {"surveys", inAd("<Survey type=\"text/html\">https://s.example/</Survey>"),
     [](const VastModel& m) {
         EXPECT_EQ(m.ads[0].surveys.at(0).type, "text/html");
         EXPECT_EQ(text(m.ads[0].surveys.at(0).survey), "https://s.example/");
     }},
    {"adViewableImpressionKeepsItsListsButNotItsText",
     inAd("<ViewableImpression id=\"v\">"
          "<Viewable>https://v.example/1</Viewable><NotViewable>https://v.example/2</NotViewable>"
          "<ViewUndetermined>https://v.example/3</ViewUndetermined><Viewable>bad url</Viewable>"
          "https://ignored.example/</ViewableImpression>"),
     [](const VastModel& m) {
         const auto& vi = *m.ads[0].viewableImpression;
         EXPECT_EQ(vi.id, "v");
         EXPECT_FALSE(vi.url);
         EXPECT_EQ(texts(vi.viewable), std::vector<std::string>{"https://v.example/1"});
         EXPECT_EQ(texts(vi.notViewable), std::vector<std::string>{"https://v.example/2"});
         EXPECT_EQ(texts(vi.viewUndetermined), std::vector<std::string>{"https://v.example/3"});
     }},
    {"verificationsCollectScriptsParametersAndTheirViewableImpression",
     inAd("<AdVerifications><Verification vendor=\"ven\">"
          "<JavaScriptResource apiFramework=\"omid\">https://j.example/a.js</JavaScriptResource>"
          "<FlashResource apiFramework=\"x\">https://j.example/a.swf</FlashResource>"
          "<ViewableImpression id=\"vv\">https://j.example/vi</ViewableImpression>"
          "<VerificationParameters>  </VerificationParameters>"
          "</Verification></AdVerifications>"),
     [](const VastModel& m) {
         const auto& v = m.ads[0].adVerifications.at(0);
         EXPECT_EQ(v.vendor, "ven");
         EXPECT_EQ(v.javaScriptResource.at(0).apiFramework, "omid");
         EXPECT_EQ(text(v.javaScriptResource.at(0).url), "https://j.example/a.js");
         EXPECT_EQ(text(v.flashResources.at(0).url), "https://j.example/a.swf");
         EXPECT_EQ(text(v.viewableImpression->url), "https://j.example/vi");
         EXPECT_EQ(v.verificationParameters->data, "");
         EXPECT_FALSE(m.ads[0].viewableImpression);
     }},
    {"extensionsTakeTheirCreativeParameters",
     inAd("<Extensions><Extension type=\"t\"><CreativeParameters>"
          "<CreativeParameter creativeId=\"c\" name=\"n\" type=\"s\">v1</CreativeParameter>"
          "<CreativeParameter name=\"m\">v2</CreativeParameter></CreativeParameters></Extension>"
          "<Extension type=\"empty\"/></Extensions>"),
     [](const VastModel& m) {
         ASSERT_EQ(m.ads[0].extensions.size(), 2u);
         const auto& params = m.ads[0].extensions[0].creativeParameters;
         ASSERT_EQ(params.size(), 2u);
         EXPECT_EQ(params[0].content, "v1");
         EXPECT_EQ(params[0].creativeId, "c");
         EXPECT_EQ(params[1].name, "m");
         EXPECT_TRUE(m.ads[0].extensions[1].creativeParameters.empty());
     }},
    {"creativeKeepsItsIdsExtensionsAndUniversalAdId",
     inAd("<Creatives><Creative id=\"c\" adId=\"ad\" sequence=\"3\" apiFramework=\"x\">"
          "<UniversalAdId idRegistry=\"r\" idValue=\"v\">U1</UniversalAdId>"
          "<CreativeExtensions><CreativeExtension type=\"m\">E1</CreativeExtension></CreativeExtensions>"
          "</Creative></Creatives>"),
     [](const VastModel& m) {
         const auto& c = m.ads[0].creatives.at(0);
         EXPECT_EQ(c.id, "c");
         EXPECT_EQ(c.adId, "ad");
         EXPECT_EQ(c.sequence, 3);
         EXPECT_EQ(c.universalAdId->uniqueCreativeId, "U1");
         EXPECT_EQ(c.universalAdId->idRegistry, "r");
         EXPECT_EQ(c.creativeExtensions.at(0).content, "E1");
         EXPECT_EQ(c.creativeExtensions.at(0).mimeType, "m");
         EXPECT_FALSE(c.linear);
     }},
    {"durationIsAClockTimeOrMinusOne",
     inAd("<Creatives><Creative><Linear><Duration>00:00:30</Duration></Linear></Creative>"
          "<Creative><Linear><Duration>thirty</Duration></Linear></Creative>"
          "<Creative><Linear/></Creative></Creatives>"),
     [](const VastModel& m) {
         EXPECT_EQ(m.ads[0].creatives.at(0).linear->duration, 30.0);
         EXPECT_EQ(m.ads[0].creatives.at(1).linear->duration, -1.0);
         EXPECT_FALSE(m.ads[0].creatives.at(2).linear->duration);
     }},
    {"adParametersInBothSpellingsGoToTheLinear",
     inLinear("<AdParameters xmlEncoded=\"true\">a=1</AdParameters>") + inLinear("<adParameters>b=2</adParameters>") +
         inLinear("<ADPARAMETERS>c=3</ADPARAMETERS>"),
     [](const VastModel& m) {
         EXPECT_EQ(m.ads.at(0).creatives[0].linear->adParameters->content, "a=1");
         EXPECT_EQ(m.ads.at(0).creatives[0].linear->adParameters->xmlEncoded, true);
         EXPECT_EQ(m.ads.at(1).creatives[0].linear->adParameters->content, "b=2");
         EXPECT_FALSE(m.ads.at(2).creatives[0].linear->adParameters);
     }},
    {"adParametersInsideACompanionGoToTheCompanion",
     inAd("<Creatives><Creative><Linear><Duration>00:00:01</Duration></Linear>"
          "<CompanionAds><Companion><AdParameters>x</AdParameters></Companion></CompanionAds></Creative></Creatives>"),
     [](const VastModel& m) {
         const auto& c = m.ads[0].creatives.at(0);
         EXPECT_EQ(c.companionAds->companions.at(0).adParameters->content, "x");
         EXPECT_FALSE(c.linear->adParameters);
     }},
    {"mediaAndInteractiveFiles",
     inLinear("<MediaFiles><MediaFile type=\"video/mp4\" width=\"640\">https://m.example/a.mp4</MediaFile>"
              "<MediaFile type=\"video/mp4\">  </MediaFile>"
              "<InteractiveCreativeFile type=\"text/html\" apiFramework=\"SIMID\">https://m.example/i.html</InteractiveCreativeFile>"
              "</MediaFiles>"),
     [](const VastModel& m) {
         const auto& files = linearOf(m).files;
         ASSERT_EQ(files.mediaFiles.size(), 2u);
         EXPECT_EQ(text(files.mediaFiles[0].url), "https://m.example/a.mp4");
         EXPECT_EQ(files.mediaFiles[0].width, "640");
         EXPECT_FALSE(files.mediaFiles[1].url);
         EXPECT_EQ(files.interactiveCreativeFiles.at(0).apiFramework, "SIMID");
         EXPECT_EQ(text(files.interactiveCreativeFiles.at(0).url), "https://m.example/i.html");
     }},
    {"videoClicksKeepTheirKindAndOrder",
     inLinear("<VideoClicks><ClickTracking id=\"t\">https://c.example/t</ClickTracking>"
              "<ClickThrough>https://c.example/l</ClickThrough><CustomClick>https://c.example/c</CustomClick></VideoClicks>"),
     [](const VastModel& m) {
         const auto& clicks = linearOf(m).videoClicks;
         ASSERT_EQ(clicks.size(), 3u);
         EXPECT_EQ(clicks[0].type, ClickType::clickTracking);
         EXPECT_EQ(clicks[0].id, "t");
         EXPECT_EQ(clicks[1].type, ClickType::clickThrough);
         EXPECT_EQ(text(clicks[2].url), "https://c.example/c");
     }},
    {"trackingGoesToTheInnermostOpenOwner",
     "<Ad id=\"a\"><InLine><Creatives><Creative>"
     "<Linear><TrackingEvents><Tracking event=\"start\" offset=\"10%\">https://t.example/linear</Tracking></TrackingEvents></Linear>"
     "<NonLinearAds><TrackingEvents><Tracking event=\"expand\">https://t.example/nl</Tracking></TrackingEvents></NonLinearAds>"
     "<CompanionAds><Companion><TrackingEvents><Tracking event=\"creativeView\">https://t.example/co</Tracking></TrackingEvents></Companion></CompanionAds>"
     "</Creative></Creatives><TrackingEvents><Tracking event=\"start\">https://t.example/dropped</Tracking></TrackingEvents>"
     "</InLine></Ad>",
     [](const VastModel& m) {
         const auto& c = m.ads[0].creatives.at(0);
         ASSERT_EQ(c.linear->trackingEvents.size(), 1u);
         EXPECT_EQ(text(c.linear->trackingEvents[0].url), "https://t.example/linear");
         EXPECT_EQ(c.linear->trackingEvents[0].offset, 0.1);
         EXPECT_EQ(c.linear->trackingEvents[0].type, TrackingEventType::start);
         EXPECT_EQ(text(c.nonLinearAds->trackingEvents.at(0).url), "https://t.example/nl");
         EXPECT_EQ(text(c.companionAds->companions.at(0).trackingEvents.at(0).url), "https://t.example/co");
     }},
    {"iconsWithClicksViewTrackingAndResources",
     inLinear("<Icons><Icon program=\"p\"><StaticResource creativeType=\"image/png\">https://i.example/a.png</StaticResource>"
              "<StaticResource creativeType=\"image/gif\">https://i.example/b.gif</StaticResource>"
              "<IconClicks><IconClickThrough>https://i.example/go</IconClickThrough>"
              "<IconClickTracking id=\"1\">https://i.example/t1</IconClickTracking>"
              "<IconClickTracking id=\"2\">https://i.example/t2</IconClickTracking></IconClicks>"
              "<IconViewTracking>https://i.example/view</IconViewTracking></Icon>"
              "<Icon><IconClickTracking>https://i.example/orphan</IconClickTracking></Icon></Icons>"),
     [](const VastModel& m) {
         const auto& icons = linearOf(m).icons;
         ASSERT_EQ(icons.size(), 2u);
         EXPECT_EQ(icons[0].staticResource.size(), 2u);
         EXPECT_EQ(icons[0].staticResource[1].creativeType, "image/gif");
         EXPECT_EQ(text(icons[0].iconClicks->iconClickThrough), "https://i.example/go");
         ASSERT_EQ(icons[0].iconClicks->iconClickTracking.size(), 2u);
         EXPECT_EQ(icons[0].iconClicks->iconClickTracking[1].id, "2");
         EXPECT_EQ(texts(icons[0].iconViewTracking), std::vector<std::string>{"https://i.example/view"});
         EXPECT_FALSE(icons[1].iconClicks) << "a click tracking outside IconClicks is dropped";
     }},
    {"nonLinearTakesTheLastResourceAndClickTracking",
     inAd("<Creatives><Creative><NonLinearAds><NonLinear id=\"n\" width=\"300\" height=\"50\">"
          "<StaticResource creativeType=\"a\">https://n.example/a</StaticResource>"
          "<StaticResource creativeType=\"b\">https://n.example/b</StaticResource>"
          "<NonLinearClickTracking>https://n.example/c1</NonLinearClickTracking>"
          "<NonLinearClickTracking>https://n.example/c2</NonLinearClickTracking>"
          "<NonLinearClickTracking>bad url</NonLinearClickTracking>"
          "</NonLinear></NonLinearAds></Creative></Creatives>"),
     [](const VastModel& m) {
         const auto& nl = m.ads[0].creatives.at(0).nonLinearAds->nonLinear.at(0);
         EXPECT_EQ(nl.id, "n");
         EXPECT_EQ(nl.width, "300");
         EXPECT_EQ(nl.staticResource->creativeType, "b");
         EXPECT_EQ(text(nl.nonLinearClickTracking), "https://n.example/c2");
     }},
    {"companionFields",
     inCompanion("<StaticResource creativeType=\"image/png\">https://co.example/a.png</StaticResource>"
                 "<IFrameResource>https://co.example/f.html</IFrameResource><HTMLResource>https://co.example/h.html</HTMLResource>"
                 "<AltText>Alt</AltText><CompanionClickThrough>https://co.example/go</CompanionClickThrough>"
                 "<CompanionClickTracking>https://co.example/t</CompanionClickTracking>"
                 "<CompanionClickTracking>bad url</CompanionClickTracking>"),
     [](const VastModel& m) {
         const auto& c = companionOf(m);
         EXPECT_EQ(c.width, 300);
         EXPECT_EQ(text(c.staticResource.at(0).url), "https://co.example/a.png");
         EXPECT_EQ(texts(c.iFrameResource), std::vector<std::string>{"https://co.example/f.html"});
         EXPECT_EQ(texts(c.htmlResource), std::vector<std::string>{"https://co.example/h.html"});
         EXPECT_EQ(c.altText, "Alt");
         EXPECT_EQ(text(c.companionClickThrough), "https://co.example/go");
         EXPECT_EQ(texts(c.companionClickTracking), std::vector<std::string>{"https://co.example/t"});
     }},
    {"companionRequirementAndOrphans",
     inAd("<Creatives><Creative><CompanionAds required=\"all\"><Companion id=\"1\"/><Companion id=\"2\"/></CompanionAds>"
          "</Creative><Creative><Companion id=\"orphan\"/></Creative></Creatives>"),
     [](const VastModel& m) {
         const auto& c = m.ads[0].creatives;
         EXPECT_EQ(c.at(0).companionAds->required, CompanionsRequirement::all);
         ASSERT_EQ(c.at(0).companionAds->companions.size(), 2u);
         EXPECT_EQ(c.at(0).companionAds->companions[1].id, "2");
         EXPECT_FALSE(c.at(1).companionAds);
     }},
    {"childrenOfClosedParentsAreDropped",
     "<Impression>https://x.example/i</Impression><Creative><Linear/></Creative>"
     "<Linear><MediaFile>https://x.example/m</MediaFile></Linear>" + inAd("<MediaFile>https://x.example/m</MediaFile>"),
     [](const VastModel& m) {
         ASSERT_EQ(m.ads.size(), 1u);
         EXPECT_TRUE(m.ads[0].creatives.empty());
         EXPECT_TRUE(m.ads[0].impressions.empty());
     }},
    {"unknownAndMiscasedElementsAreIgnored",
     inAd("<adtitle>no</adtitle><Unknown><AdTitle>yes</AdTitle></Unknown><vast:AdTitle>prefixed</vast:AdTitle>"),
     [](const VastModel& m) { EXPECT_EQ(m.ads[0].adTitle, "yes"); }},
};

INSTANTIATE_TEST_SUITE_P(Table, VastElementTableTests, ::testing::ValuesIn(tableCases),
                         [](const auto& info) { return info.param.name; });

// Whole documents.

TEST(VastXMLParserTests, readsAVast2InlineDocument) {
    const auto parsed = parse(VastDocuments::vast2Inline());
    ASSERT_TRUE(parsed.result.ok());
    EXPECT_EQ(parsed.model().version, "2.0");
    const auto& ad = parsed.ad();
    EXPECT_EQ(ad.id, "v2-1");
    EXPECT_EQ(ad.type, AdType::inLine);
    EXPECT_EQ(ad.adSystem->system, "Example Ad Server");
    EXPECT_EQ(ad.description, "Thirty seconds of summer");
    EXPECT_EQ(texts(ad.errors), std::vector<std::string>{"https://track.example.com/error?code=%5BERRORCODE%5D&ad=v2-1"});
    ASSERT_EQ(ad.impressions.size(), 2u);
    EXPECT_EQ(text(ad.impressions[0].url), "https://track.example.com/imp?ad=v2-1&cb=%5BCACHEBUSTING%5D");
    ASSERT_EQ(ad.creatives.size(), 2u);
    const auto& linear = *ad.creatives[0].linear;
    EXPECT_EQ(linear.duration, 30.0);
    EXPECT_EQ(linear.trackingEvents.size(), 10u);
    EXPECT_EQ(linear.trackingEvents[2].type, TrackingEventType::firstQuartile);
    EXPECT_EQ(linear.videoClicks.size(), 2u);
    ASSERT_EQ(linear.files.mediaFiles.size(), 2u);
    EXPECT_EQ(text(linear.files.mediaFiles[0].url), "https://cdn.example.com/video/summer-640.mp4");
    EXPECT_EQ(text(linear.files.mediaFiles[1].url), "https://cdn.example.com/video/summer-1280.mp4");
    EXPECT_EQ(linear.files.mediaFiles[0].scalable, "true");
    EXPECT_EQ(text(linear.selectMediaFileURL(true, 1000)), "https://cdn.example.com/video/summer-1280.mp4");
    const auto& companion = ad.creatives[1].companionAds->companions.at(0);
    EXPECT_EQ(companion.width, 300);
    EXPECT_EQ(companion.staticResource.at(0).creativeType, "image/png");
    EXPECT_EQ(companion.trackingEvents.size(), 1u);
    EXPECT_EQ(ad.extensions.at(0).type, "waterfall");
    EXPECT_TRUE(parsed.fired.empty());
}

TEST(VastXMLParserTests, readsAVast3PodWithIconsAndNonLinears) {
    const auto parsed = parse(VastDocuments::vast3Pod());
    ASSERT_TRUE(parsed.result.ok());
    ASSERT_EQ(parsed.model().ads.size(), 2u);
    const auto& first = parsed.ad(0);
    EXPECT_EQ(first.sequence, 1);
    EXPECT_EQ(first.pricing->pricing, 12.5);
    EXPECT_EQ(first.pricing->model, "CPM");
    EXPECT_EQ(texts(first.errors), std::vector<std::string>{"https://track.example.com/error?pod=1&c=%5BERRORCODE%5D"});
    const auto& linear = *first.creatives.at(0).linear;
    EXPECT_EQ(linear.skipOffset, "00:00:05");
    EXPECT_DOUBLE_EQ(*linear.duration, 15.25);
    EXPECT_EQ(linear.adParameters->content, "{\"mode\":\"interactive\"}");
    EXPECT_EQ(linear.trackingEvents.at(1).offset, 5.0);
    EXPECT_EQ(linear.trackingEvents.at(2).offset, 0.5);
    EXPECT_EQ(linear.trackingEvents.at(3).type, TrackingEventType::skip);
    EXPECT_EQ(linear.files.mediaFiles.at(0).minBitrate, "800");
    EXPECT_EQ(linear.files.mediaFiles.at(1).codec, "vp9");
    const auto& icon = linear.icons.at(0);
    EXPECT_EQ(icon.duration, 15.0);
    EXPECT_EQ(icon.offset, 1.0);
    EXPECT_EQ(icon.iconClicks->iconClickTracking.size(), 2u);
    const auto& second = parsed.ad(1);
    EXPECT_EQ(second.sequence, 2);
    EXPECT_EQ(second.creatives.size(), 2u);
    const auto& nonLinear = second.creatives[1].nonLinearAds->nonLinear.at(0);
    EXPECT_EQ(text(nonLinear.staticResource->url), "https://cdn.example.com/pod2/banner-b.jpg");
    EXPECT_EQ(second.creatives[1].nonLinearAds->trackingEvents.at(0).type, TrackingEventType::expand);
}

TEST(VastXMLParserTests, readsAVast4InlineDocument) {
    const auto parsed = parse(VastDocuments::vast4Inline());
    ASSERT_TRUE(parsed.result.ok());
    const auto& ad = parsed.ad();
    EXPECT_EQ(parsed.model().version, "4.2");
    EXPECT_EQ(ad.conditionalAd, false);
    EXPECT_EQ(ad.pricing->pricing, 4.75) << "CDATA text is trimmed like any other";
    EXPECT_EQ(ad.advertiser, "Example Outfitters");
    EXPECT_EQ(ad.adCategories.size(), 2u);
    EXPECT_EQ(ad.viewableImpression->viewable.size(), 1u);
    const auto& verification = ad.adVerifications.at(0);
    EXPECT_EQ(verification.vendor, "verifier.example.com-omid");
    EXPECT_EQ(text(verification.javaScriptResource.at(0).url), "https://verify.example.com/omid.js");
    EXPECT_EQ(verification.verificationParameters->data, "{\"campaign\":\"spring\",\"placement\":12}");
    EXPECT_EQ(ad.extensions.at(0).creativeParameters.size(), 2u);
    EXPECT_EQ(ad.extensions.at(0).creativeParameters[0].content, "blue");
    const auto& creative = ad.creatives.at(0);
    EXPECT_EQ(creative.apiFramework, "SIMID");
    EXPECT_EQ(creative.universalAdId->idValue, "ABCD1234000H");
    EXPECT_EQ(creative.creativeExtensions.at(0).mimeType, "application/json");
    const auto& linear = *creative.linear;
    EXPECT_EQ(linear.files.mediaFiles.size(), 2u) << "Mezzanine is not a media file";
    EXPECT_EQ(linear.files.mediaFiles[0].fileSize, "2048000");
    EXPECT_EQ(linear.files.mediaFiles[0].mediaType, "2D");
    EXPECT_EQ(linear.files.interactiveCreativeFiles.size(), 1u);
    EXPECT_TRUE(linear.trackingEvents.size() == 2u) << "the verification's tracking is dropped";
    const auto& companions = ad.creatives.at(1).companionAds;
    EXPECT_EQ(companions->required, CompanionsRequirement::any);
    ASSERT_EQ(companions->companions.size(), 2u);
    EXPECT_EQ(companions->companions[0].adParameters->xmlEncoded, false);
    EXPECT_EQ(companions->companions[0].pxratio, "2");
    EXPECT_EQ(companions->companions[1].iFrameResource.size(), 1u);
}

TEST(VastXMLParserTests, readsAWrapperDocument) {
    const auto parsed = parse(VastDocuments::vast4Wrapper());
    ASSERT_TRUE(parsed.result.ok());
    const auto& ad = parsed.ad();
    EXPECT_EQ(ad.type, AdType::wrapper);
    EXPECT_EQ(ad.wrapper->followAdditionalWrappers, true);
    EXPECT_EQ(ad.wrapper->allowMultipleAds, false);
    EXPECT_EQ(ad.wrapper->fallbackOnNoAd, true);
    EXPECT_EQ(text(ad.wrapper->adTagUri), "https://ads.example.com/vast?slot=preroll&w=%5BWIDTH%5D");
    EXPECT_EQ(ad.creatives.at(0).linear->trackingEvents.size(), 2u);
    EXPECT_FALSE(ad.creatives.at(0).linear->duration);
}

TEST(VastXMLParserTests, parsesTheSameDocumentToTheSameModelEveryTime) {
    for (const auto& doc : VastDocuments::all()) {
        EXPECT_EQ(parse(doc).result.model, parse(doc).result.model);
    }
}

TEST(VastXMLParserTests, separateParsersRunOnSeparateThreadsAtOnce) {
    const auto expected = parse(VastDocuments::vast4Inline()).result.model;
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i) {
                if (VastXMLParser::create()->parse(VastDocuments::vast4Inline()).model != expected) {
                    ++mismatches;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches.load(), 0);
}

// Text capture.

TEST(VastXMLParserTests, elementTextIsTrimmedAndJoinedAcrossRunsAndCdata) {
    const auto parsed = parse("<VAST><Ad><InLine><AdTitle>\n\t  Big &amp; <![CDATA[Bold]]> Sale\r\n  </AdTitle>"
                              "<Description><![CDATA[ one ]]><![CDATA[two ]]></Description></InLine></Ad></VAST>");
    ASSERT_TRUE(parsed.result.ok());
    EXPECT_EQ(parsed.ad().adTitle, "Big & Bold Sale");
    EXPECT_EQ(parsed.ad().description, "one two");
}

TEST(VastXMLParserTests, textBeforeAChildStartJoinsTheChildText) {
    const auto parsed = parse("<VAST><Ad><InLine>stray<AdTitle>Title</AdTitle></InLine></Ad></VAST>");
    ASSERT_TRUE(parsed.result.ok());
    EXPECT_EQ(parsed.ad().adTitle, "strayTitle");
}

// Validity and errors.

TEST(VastXMLParserTests, documentValidityAndErrors) {
    EXPECT_EQ(parse("").result.error, VastError::unableToParseDocument);
    EXPECT_EQ(parse("<VAST version=\"3.0\"><Ad>").result.error, VastError::unableToParseDocument);
    EXPECT_EQ(parse("<VAST><Ad></VAST>").result.error, VastError::unableToParseDocument);
    EXPECT_EQ(parse("<vmap:VMAP xmlns:vmap=\"x\"><VAST/></vmap:VMAP>").result.error, VastError::invalidVASTDocument);
    EXPECT_EQ(parse("<vast version=\"3.0\"/>").result.error, VastError::invalidVASTDocument);
    EXPECT_EQ(parse(std::string("<VAST><Ad id=\"\xff\"/></VAST>")).result.error, VastError::invalidXMLDocument);
    EXPECT_EQ(parse(std::string("<VAST>\xc3</VAST>")).result.error, VastError::invalidXMLDocument);

    auto parser = VastXMLParser::create();
    EXPECT_EQ(parser->parseDocument().error, VastError::unableToCreateXMLParser);
}

TEST(VastXMLParserTests, anEmptyVastElementGivesAnEmptyModelAndFiresNothing) {
    const auto parsed = parse("<VAST version=\"4.1\"/>");
    ASSERT_TRUE(parsed.result.ok());
    EXPECT_EQ(parsed.model().version, "4.1");
    EXPECT_TRUE(parsed.model().ads.empty());
    EXPECT_TRUE(parsed.model().errors.empty());
    EXPECT_TRUE(parsed.fired.empty());
}

TEST(VastXMLParserTests, aLaterVastElementChangesNothing) {
    const auto parsed = parse("<VAST version=\"2.0\"><VAST version=\"9\"><Ad id=\"x\"/></VAST></VAST>");
    ASSERT_TRUE(parsed.result.ok());
    EXPECT_EQ(parsed.model().version, "2.0");
    EXPECT_EQ(parsed.model().ads.size(), 1u);
}

TEST(VastXMLParserTests, parsesADocumentReaderOverRawBytesInItsDeclaredEncoding) {
    auto parser = VastXMLParser::create();
    parser->xmlParser = std::make_shared<platform::XmlEventReader>(
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><VAST><Ad><InLine><AdTitle>Caf\xe9</AdTitle></InLine></Ad></VAST>");
    const auto result = parser->parseDocument();
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.model->ads.at(0).adTitle, "Caf\xc3\xa9");
}

// Error addresses of a document without ads.

TEST(VastXMLParserTests, aDocumentWithoutAdsFiresItsErrorAddressesWithCode303) {
    const auto parsed = parse(VastDocuments::noAds());
    ASSERT_TRUE(parsed.result.ok());
    ASSERT_EQ(parsed.fired.size(), 1u);
    EXPECT_EQ(parsed.fired[0].event, "ERROR NO ADS");
    EXPECT_EQ(parsed.fired[0].urls,
              (std::vector<std::string>{"https://track.example.com/noad?c=303&s=1", "https://other.example.net/e/303"}));
    // The model keeps the addresses with their macro.
    EXPECT_EQ(texts(parsed.model().errors),
              (std::vector<std::string>{"https://track.example.com/noad?c=%5BERRORCODE%5D&s=1",
                                        "https://other.example.net/e/%5BERRORCODE%5D"}));
}

TEST(VastXMLParserTests, noAdsFiringReplacesEncodedMacrosAndLeavesOtherAddressesAsWritten) {
    const auto parsed = parse("<VAST><Error>https://e.example/x?c=%5bERRORCODE%5d&amp;q=a%20b%2F</Error>"
                              "<Error>https://e.example/plain?q=%41</Error></VAST>");
    ASSERT_EQ(parsed.fired.size(), 1u);
    EXPECT_EQ(parsed.fired[0].urls,
              (std::vector<std::string>{"https://e.example/x?c=303&q=a%20b%2F", "https://e.example/plain?q=%41"}));
}

TEST(VastXMLParserTests, aDocumentWithAdsNeverFiresItsDocumentErrors) {
    const auto parsed = parse("<VAST><Error>https://e.example/[ERRORCODE]</Error><Ad id=\"a\"><InLine/></Ad></VAST>");
    ASSERT_TRUE(parsed.result.ok());
    EXPECT_TRUE(parsed.fired.empty());
    EXPECT_EQ(parsed.model().errors.size(), 1u);
}

// Handing the events of an embedded document to a VAST parser and getting the model back.

class EmbeddingReceiver : public platform::XmlEventReaderDelegate,
                          public std::enable_shared_from_this<EmbeddingReceiver> {
public:
    std::shared_ptr<VastXMLParser> vast;
    std::optional<VastModel> model;
    std::vector<std::string> ownElements;

    void didStartElement(platform::XmlEventReader& reader, const std::string& name, const platform::XmlAttributes&) override {
        ownElements.push_back(name);
        if (name == "vmap:VASTAdData") {
            vast = VastXMLParser::create();
            std::weak_ptr<EmbeddingReceiver> weakSelf = weak_from_this();
            platform::XmlEventReader* source = &reader;
            vast->completeClosure = [weakSelf, source](std::optional<VastError> error, const VastModel& result) {
                if (auto self = weakSelf.lock()) {
                    EXPECT_FALSE(error);
                    self->model = result;
                    source->setDelegate(self);
                }
            };
            reader.setDelegate(vast);
        }
    }
};

TEST(VastXMLParserTests, anEmbeddedDocumentIsHandedBackThroughTheCompleteClosure) {
    auto receiver = std::make_shared<EmbeddingReceiver>();
    platform::XmlEventReader reader(
        "<vmap:VMAP xmlns:vmap=\"v\"><vmap:AdSource><vmap:VASTAdData><VAST version=\"3.0\"><Ad id=\"e\"><InLine>"
        "<AdTitle>Embedded</AdTitle></InLine></Ad></VAST></vmap:VASTAdData></vmap:AdSource><vmap:After/></vmap:VMAP>");
    reader.setDelegate(receiver);
    ASSERT_TRUE(reader.parse());
    ASSERT_TRUE(receiver->model);
    EXPECT_EQ(receiver->model->ads.at(0).adTitle, "Embedded");
    EXPECT_EQ(receiver->ownElements,
              (std::vector<std::string>{"vmap:VMAP", "vmap:AdSource", "vmap:VASTAdData", "vmap:After"}));
}

// Hostile documents fail, or succeed, within bounded time and memory.

double secondsToParse(const std::string& doc, VastParseResult* out = nullptr) {
    const auto started = std::chrono::steady_clock::now();
    auto result = parse(doc).result;
    if (out != nullptr) {
        *out = std::move(result);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

TEST(VastXMLParserHostileTests, entityBombFailsQuickly) {
    std::string doc = "<!DOCTYPE VAST [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">";
    std::string previous = "a";
    for (int level = 0; level < 8; ++level) {
        const std::string name = "e" + std::to_string(level);
        doc += "<!ENTITY " + name + " \"";
        for (int i = 0; i < 16; ++i) {
            doc += "&" + previous + ";";
        }
        doc += "\">";
        previous = name;
    }
    doc += "]><VAST><Ad><InLine><AdTitle>&" + previous + ";</AdTitle></InLine></Ad></VAST>";
    VastParseResult result;
    EXPECT_LT(secondsToParse(doc, &result), 2.0);
    EXPECT_EQ(result.error, VastError::unableToParseDocument);
}

TEST(VastXMLParserHostileTests, externalEntitiesAreRefused) {
    VastParseResult result;
    secondsToParse("<!DOCTYPE VAST [<!ENTITY x SYSTEM \"file:///etc/hostname\">]><VAST><Ad><InLine><AdTitle>&x;</AdTitle>"
                   "</InLine></Ad></VAST>",
                   &result);
    EXPECT_EQ(result.error, VastError::unableToParseDocument);
}

TEST(VastXMLParserHostileTests, deepNestingAndOversizedDocumentsFail) {
    std::string deep = "<VAST>";
    for (int i = 0; i < 50000; ++i) {
        deep += "<Ad>";
    }
    VastParseResult result;
    EXPECT_LT(secondsToParse(deep, &result), 2.0);
    EXPECT_EQ(result.error, VastError::unableToParseDocument);

    const std::string oversized = "<VAST><Ad><InLine><AdTitle>" + std::string(3 * 1024 * 1024, 'x') +
                                  "</AdTitle></InLine></Ad></VAST>";
    secondsToParse(oversized, &result);
    EXPECT_EQ(result.error, VastError::unableToParseDocument);
}

TEST(VastXMLParserHostileTests, hugeTextAndAttributesWithinTheSizeBoundAreRead) {
    const std::string title(1024 * 1024, 't');
    const std::string id(512 * 1024, 'i');
    VastParseResult result;
    EXPECT_LT(secondsToParse("<VAST><Ad id=\"" + id + "\"><InLine><AdTitle>" + title + "</AdTitle></InLine></Ad></VAST>",
                             &result),
              2.0);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.model->ads.at(0).adTitle->size(), title.size());
    EXPECT_EQ(result.model->ads.at(0).id.size(), id.size());
}

TEST(VastXMLParserHostileTests, manyElementsWithTextInAnInvalidDocumentStayLinear) {
    std::string doc = "<VMAP>";
    while (doc.size() < 1900 * 1024) {
        doc += "<x>  some text  </x>\n";
    }
    doc += "</VMAP>";
    VastParseResult result;
    EXPECT_LT(secondsToParse(doc, &result), 2.0);
    EXPECT_EQ(result.error, VastError::invalidVASTDocument);
}

TEST(VastXMLParserHostileTests, manyAdsAndTrackingEventsParse) {
    std::string doc = "<VAST version=\"4.0\">";
    for (int ad = 0; ad < 200; ++ad) {
        doc += "<Ad id=\"" + std::to_string(ad) + "\"><InLine><Creatives><Creative><Linear><TrackingEvents>";
        for (int t = 0; t < 40; ++t) {
            doc += "<Tracking event=\"progress\" offset=\"" + std::to_string(t) + "\">https://t.example/" +
                   std::to_string(t) + "</Tracking>";
        }
        doc += "</TrackingEvents></Linear></Creative></Creatives></InLine></Ad>";
    }
    doc += "</VAST>";
    VastParseResult result;
    EXPECT_LT(secondsToParse(doc, &result), 5.0);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.model->ads.size(), 200u);
    EXPECT_EQ(result.model->ads[199].creatives.at(0).linear->trackingEvents.size(), 40u);
}

}  // namespace
}  // namespace solen
