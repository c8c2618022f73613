#include "Ad/RenderEngine/Vast/Parser/VastXMLParser.h"

#include "support/VastDocuments.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace solen {
namespace {

using platform::URL;
using test::VastDocuments;

// Parses with a sender that records what would be fired, one entry per call.
struct Parsed {
    VastParseResult result;
    std::vector<std::vector<std::string>> fired;

    const VastModel& model() const { return *result.model; }
    const VastAd& ad(std::size_t i = 0) const { return result.model->ads.at(i); }
};

std::vector<std::string> texts(const std::vector<URL>& urls) {
    std::vector<std::string> out;
    for (const auto& url : urls) {
        out.push_back(url.absoluteString());
    }
    return out;
}

Parsed parse(const std::string& xml) {
    Parsed parsed;
    auto parser = VastXMLParser::create([&parsed](const std::vector<URL>& urls, const std::optional<std::string>& event) {
        EXPECT_EQ(event, "ERROR NO ADS");
        parsed.fired.push_back(texts(urls));
    });
    parsed.result = parser->parse(xml);
    return parsed;
}

std::string text(const std::optional<URL>& url) { return url ? url->absoluteString() : "<none>"; }

// One small document and what it must produce.
struct TableCase {
    std::string name;
    std::string body;  // placed inside <VAST version="4.0">...</VAST>
    std::function<void(const VastModel&)> check;
};

std::string inAd(const std::string& inner) { return "<Ad id=\"a\"><InLine>" + inner + "</InLine></Ad>"; }
std::string inCreatives(const std::string& inner) { return inAd("<Creatives><Creative>" + inner + "</Creative></Creatives>"); }
std::string inLinear(const std::string& inner) { return inCreatives("<Linear>" + inner + "</Linear>"); }
const VastCreative& creativeOf(const VastModel& m) { return m.ads.at(0).creatives.at(0); }
const VastLinearCreative& linearOf(const VastModel& m) { return *creativeOf(m).linear; }

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
         EXPECT_EQ(m.ads[1].type, AdType::wrapper);
         EXPECT_EQ(text(m.ads[1].wrapper->adTagUri), "https://next.example/v");
         EXPECT_EQ(m.ads[2].type, AdType::unknown);
     }},
    {"adTextsImpressionsAndCategories",
     inAd("<AdSystem version=\"9\">Sys</AdSystem><AdTitle> T </AdTitle><Impression id=\"1\">https://i.example/1</Impression>"
          "<Impression id=\"2\"></Impression><Category authority=\"iab\">IAB1</Category><Category authority=\"x\"> </Category>"),
     [](const VastModel& m) {
         EXPECT_EQ(m.ads[0].adSystem->version, "9");
         EXPECT_EQ(m.ads[0].adTitle, "T");
         ASSERT_EQ(m.ads[0].impressions.size(), 2u);
         EXPECT_EQ(text(m.ads[0].impressions[0].url), "https://i.example/1");
         EXPECT_FALSE(m.ads[0].impressions[1].url);
         ASSERT_EQ(m.ads[0].adCategories.size(), 2u);
         EXPECT_EQ(m.ads[0].adCategories[0].category, "IAB1");
         EXPECT_FALSE(m.ads[0].adCategories[1].category);
     }},
    {"pricingReadsADecimalAndRejectsMissingAttributes",
     "<Ad id=\"p1\"><InLine><Pricing model=\"CPM\" currency=\"USD\">1.25</Pricing></InLine></Ad>"
     "<Ad id=\"p2\"><InLine><Pricing model=\"CPM\">1.25</Pricing></InLine></Ad>"
     "<Ad id=\"p3\"><InLine><Pricing model=\"CPM\" currency=\"USD\">cheap</Pricing></InLine></Ad>"
     "<Ad id=\"p4\"><InLine><Pricing model=\"CPM\" currency=\"USD\">nan</Pricing></InLine></Ad>",
     [](const VastModel& m) {
         EXPECT_EQ(m.ads[0].pricing->pricing, 1.25);
         EXPECT_FALSE(m.ads[1].pricing);
         ASSERT_TRUE(m.ads[2].pricing);
         EXPECT_FALSE(m.ads[2].pricing->pricing);
         EXPECT_FALSE(m.ads[3].pricing->pricing);
     }},
    {"verificationsKeepTheirOwnViewableImpressionAndParameters",
     inAd("<AdVerifications><Verification vendor=\"ven\">"
          "<JavaScriptResource apiFramework=\"omid\">https://j.example/a.js</JavaScriptResource>"
          "<ViewableImpression id=\"vv\">https://j.example/vi</ViewableImpression>"
          "<VerificationParameters>  </VerificationParameters></Verification></AdVerifications>"),
     [](const VastModel& m) {
         const auto& v = m.ads[0].adVerifications.at(0);
         EXPECT_EQ(text(v.javaScriptResource.at(0).url), "https://j.example/a.js");
         EXPECT_EQ(text(v.viewableImpression->url), "https://j.example/vi");
         EXPECT_EQ(v.verificationParameters->data, "");
         EXPECT_FALSE(m.ads[0].viewableImpression);
     }},
    {"extensionsTakeTheirCreativeParameters",
     inAd("<Extensions><Extension type=\"t\"><CreativeParameters>"
          "<CreativeParameter creativeId=\"c\" name=\"n\">v1</CreativeParameter><CreativeParameter name=\"m\">v2</CreativeParameter>"
          "</CreativeParameters></Extension><Extension type=\"empty\"/></Extensions>"),
     [](const VastModel& m) {
         ASSERT_EQ(m.ads[0].extensions.size(), 2u);
         ASSERT_EQ(m.ads[0].extensions[0].creativeParameters.size(), 2u);
         EXPECT_EQ(m.ads[0].extensions[0].creativeParameters[1].content, "v2");
         EXPECT_TRUE(m.ads[0].extensions[1].creativeParameters.empty());
     }},
    {"durationIsAClockTimeOrMinusOne",
     inAd("<Creatives><Creative><Linear><Duration>00:00:30</Duration></Linear></Creative>"
          "<Creative><Linear><Duration>thirty</Duration></Linear></Creative><Creative><Linear/></Creative></Creatives>"),
     [](const VastModel& m) {
         EXPECT_EQ(m.ads[0].creatives.at(0).linear->duration, 30.0);
         EXPECT_EQ(m.ads[0].creatives.at(1).linear->duration, -1.0);
         EXPECT_FALSE(m.ads[0].creatives.at(2).linear->duration);
     }},
    {"adParametersInBothSpellingsGoToTheLinearOrTheOpenCompanion",
     inLinear("<AdParameters xmlEncoded=\"true\">a=1</AdParameters>") + inLinear("<adParameters>b=2</adParameters>") +
         inLinear("<ADPARAMETERS>c=3</ADPARAMETERS>") +
         inCreatives("<Linear/><CompanionAds><Companion><AdParameters>x</AdParameters></Companion></CompanionAds>"),
     [](const VastModel& m) {
         EXPECT_EQ(m.ads.at(0).creatives[0].linear->adParameters->content, "a=1");
         EXPECT_EQ(m.ads.at(0).creatives[0].linear->adParameters->xmlEncoded, true);
         EXPECT_EQ(m.ads.at(1).creatives[0].linear->adParameters->content, "b=2");
         EXPECT_FALSE(m.ads.at(2).creatives[0].linear->adParameters);
         EXPECT_FALSE(m.ads.at(3).creatives[0].linear->adParameters);
         EXPECT_EQ(m.ads.at(3).creatives[0].companionAds->companions.at(0).adParameters->content, "x");
     }},
    {"mediaFilesClicksAndInteractiveFiles",
     inLinear("<MediaFiles><MediaFile type=\"video/mp4\" width=\"640\">https://m.example/a.mp4</MediaFile>"
              "<MediaFile type=\"video/mp4\">  </MediaFile>"
              "<InteractiveCreativeFile apiFramework=\"SIMID\">https://m.example/i.html</InteractiveCreativeFile></MediaFiles>"
              "<VideoClicks><ClickTracking id=\"t\">https://c.example/t</ClickTracking>"
              "<ClickThrough>https://c.example/l</ClickThrough><CustomClick>https://c.example/c</CustomClick></VideoClicks>"),
     [](const VastModel& m) {
         const auto& files = linearOf(m).files;
         ASSERT_EQ(files.mediaFiles.size(), 2u);
         EXPECT_EQ(text(files.mediaFiles[0].url), "https://m.example/a.mp4");
         EXPECT_FALSE(files.mediaFiles[1].url);
         EXPECT_EQ(text(files.interactiveCreativeFiles.at(0).url), "https://m.example/i.html");
         const auto& clicks = linearOf(m).videoClicks;
         ASSERT_EQ(clicks.size(), 3u);
         EXPECT_EQ(clicks[0].type, ClickType::clickTracking);
         EXPECT_EQ(clicks[1].type, ClickType::clickThrough);
         EXPECT_EQ(text(clicks[2].url), "https://c.example/c");
     }},
    {"trackingGoesToTheInnermostOpenOwner",
     inAd("<Creatives><Creative>"
          "<Linear><TrackingEvents><Tracking event=\"start\" offset=\"10%\">https://t.example/linear</Tracking></TrackingEvents></Linear>"
          "<NonLinearAds><TrackingEvents><Tracking event=\"expand\">https://t.example/nl</Tracking></TrackingEvents></NonLinearAds>"
          "<CompanionAds><Companion><TrackingEvents><Tracking event=\"creativeView\">https://t.example/co</Tracking>"
          "</TrackingEvents></Companion></CompanionAds></Creative></Creatives>"
          "<TrackingEvents><Tracking event=\"start\">https://t.example/dropped</Tracking></TrackingEvents>"),
     [](const VastModel& m) {
         const auto& c = creativeOf(m);
         ASSERT_EQ(c.linear->trackingEvents.size(), 1u);
         EXPECT_EQ(text(c.linear->trackingEvents[0].url), "https://t.example/linear");
         EXPECT_EQ(c.linear->trackingEvents[0].offset, 0.1);
         EXPECT_EQ(text(c.nonLinearAds->trackingEvents.at(0).url), "https://t.example/nl");
         EXPECT_EQ(text(c.companionAds->companions.at(0).trackingEvents.at(0).url), "https://t.example/co");
     }},
    {"iconsWithClicksAndResources",
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
         EXPECT_EQ(icons[0].iconClicks->iconClickTracking.size(), 2u);
         EXPECT_EQ(texts(icons[0].iconViewTracking), std::vector<std::string>{"https://i.example/view"});
         EXPECT_FALSE(icons[1].iconClicks) << "a click tracking outside IconClicks is dropped";
     }},
    {"nonLinearTakesTheLastResourceAndClickTracking",
     inCreatives("<NonLinearAds><NonLinear id=\"n\"><StaticResource creativeType=\"a\">https://n.example/a</StaticResource>"
                 "<StaticResource creativeType=\"b\">https://n.example/b</StaticResource>"
                 "<NonLinearClickTracking>https://n.example/c1</NonLinearClickTracking>"
                 "<NonLinearClickTracking>https://n.example/c2</NonLinearClickTracking>"
                 "<NonLinearClickTracking>bad url</NonLinearClickTracking></NonLinear></NonLinearAds>"),
     [](const VastModel& m) {
         const auto& nl = creativeOf(m).nonLinearAds->nonLinear.at(0);
         EXPECT_EQ(nl.staticResource->creativeType, "b");
         EXPECT_EQ(text(nl.nonLinearClickTracking), "https://n.example/c2");
     }},
    {"companionsTheirResourcesAndOrphans",
     inAd("<Creatives><Creative><CompanionAds required=\"all\"><Companion id=\"1\" width=\"300\">"
          "<StaticResource creativeType=\"image/png\">https://co.example/a.png</StaticResource>"
          "<IFrameResource>https://co.example/f.html</IFrameResource><HTMLResource>https://co.example/h.html</HTMLResource>"
          "<CompanionClickThrough>https://co.example/go</CompanionClickThrough>"
          "<CompanionClickTracking>https://co.example/t</CompanionClickTracking>"
          "<CompanionClickTracking>bad url</CompanionClickTracking></Companion><Companion id=\"2\"/></CompanionAds>"
          "</Creative><Creative><Companion id=\"orphan\"/></Creative></Creatives>"),
     [](const VastModel& m) {
         const auto& ads = *creativeOf(m).companionAds;
         EXPECT_EQ(ads.required, CompanionsRequirement::all);
         ASSERT_EQ(ads.companions.size(), 2u);
         const auto& c = ads.companions[0];
         EXPECT_EQ(c.staticResource.size() + c.iFrameResource.size() + c.htmlResource.size(), 3u);
         EXPECT_EQ(text(c.companionClickThrough), "https://co.example/go");
         EXPECT_EQ(texts(c.companionClickTracking), std::vector<std::string>{"https://co.example/t"});
         EXPECT_FALSE(m.ads[0].creatives.at(1).companionAds);
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

// Whole documents as ad servers send them.

TEST(VastXMLParserTests, readsRepresentativeDocuments) {
    const auto v2 = parse(VastDocuments::vast2Inline());
    const auto pod = parse(VastDocuments::vast3Pod());
    const auto v4 = parse(VastDocuments::vast4Inline());
    const auto wrapper = parse(VastDocuments::vast4Wrapper());
    ASSERT_TRUE(v2.result.ok() && pod.result.ok() && v4.result.ok() && wrapper.result.ok());
    EXPECT_EQ(text(v2.ad().creatives.at(0).linear->selectMediaFileURL(true, 1000)),
              "https://cdn.example.com/video/summer-1280.mp4");
    EXPECT_EQ(pod.model().ads.size(), 2u);
    EXPECT_DOUBLE_EQ(*pod.ad(0).creatives.at(0).linear->duration, 15.25);
    EXPECT_EQ(v4.ad().pricing->pricing, 4.75) << "CDATA text is trimmed like any other";
    EXPECT_EQ(v4.ad().creatives.at(0).linear->files.mediaFiles.size(), 2u) << "Mezzanine is not a media file";
    EXPECT_EQ(v4.ad().creatives.at(0).linear->trackingEvents.size(), 2u) << "the verification's tracking is dropped";
    EXPECT_EQ(text(wrapper.ad().wrapper->adTagUri), "https://ads.example.com/vast?slot=preroll&w=%5BWIDTH%5D");
    EXPECT_TRUE(v2.fired.empty() && pod.fired.empty() && v4.fired.empty() && wrapper.fired.empty());
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

TEST(VastXMLParserTests, elementTextIsTrimmedAndJoinedAcrossRunsAndCdata) {
    const auto parsed = parse("<VAST><Ad><InLine><AdTitle>\n\t  Big &amp; <![CDATA[Bold]]> Sale\r\n  </AdTitle>"
                              "<Description><![CDATA[ one ]]><![CDATA[two ]]></Description></InLine></Ad></VAST>");
    ASSERT_TRUE(parsed.result.ok());
    EXPECT_EQ(parsed.ad().adTitle, "Big & Bold Sale");
    EXPECT_EQ(parsed.ad().description, "one two");
}

// Blanks around a text are trimmed whether ASCII or not; text that is not UTF-8 is refused wherever
// it stands, long runs of ASCII before it included.
TEST(VastXMLParserTests, textIsTrimmedOfAnyBlankAndAnyInvalidByteIsRefused) {
    const std::string nbsp = "\xC2\xA0";
    const std::string ideographicSpace = "\xE3\x80\x80";
    const auto trimmed = parse("<VAST><Ad><InLine><AdTitle> \n" + nbsp + " A" + nbsp + "B" + ideographicSpace + "\t</AdTitle>"
                               "<Description>" + ideographicSpace + "</Description>"
                               "<Advertiser>\xC3\xA9t\xC3\xA9</Advertiser></InLine></Ad></VAST>");
    ASSERT_TRUE(trimmed.result.ok());
    EXPECT_EQ(trimmed.ad().adTitle, "A" + nbsp + "B");
    EXPECT_EQ(trimmed.ad().description, "");
    EXPECT_EQ(trimmed.ad().advertiser, "\xC3\xA9t\xC3\xA9");

    const std::vector<std::string> invalid = {"\xFF", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80"};
    for (std::size_t pad = 0; pad <= 17; ++pad) {
        const std::string head = "<VAST><Ad><InLine><AdTitle>" + std::string(pad, 'x');
        const std::string tail = "</AdTitle></InLine></Ad></VAST>";
        for (const auto& bytes : invalid) {
            EXPECT_EQ(parse(head + bytes + tail).result.error, VastError::invalidXMLDocument) << pad;
        }
        const auto valid = parse(head + "\xF0\x9F\x8E\xAC" + tail);
        ASSERT_TRUE(valid.result.ok()) << pad;
        EXPECT_EQ(valid.ad().adTitle, std::string(pad, 'x') + "\xF0\x9F\x8E\xAC");
    }
    const std::string truncated = "<VAST><Ad><InLine><AdTitle>x</AdTitle></InLine></Ad></VAST>\xE2\x82";
    EXPECT_EQ(parse(truncated).result.error, VastError::invalidXMLDocument);
}

TEST(VastXMLParserTests, documentValidityAndErrors) {
    EXPECT_EQ(parse("").result.error, VastError::unableToParseDocument);
    EXPECT_EQ(parse("<VAST version=\"3.0\"><Ad>").result.error, VastError::unableToParseDocument);
    EXPECT_EQ(parse("<VAST><Ad></VAST>").result.error, VastError::unableToParseDocument);
    EXPECT_EQ(parse("<vmap:VMAP xmlns:vmap=\"x\"><VAST/></vmap:VMAP>").result.error, VastError::invalidVASTDocument);
    EXPECT_EQ(parse("<vast version=\"3.0\"/>").result.error, VastError::invalidVASTDocument);
    EXPECT_EQ(parse(std::string("<VAST><Ad id=\"\xff\"/></VAST>")).result.error, VastError::invalidXMLDocument);
    EXPECT_EQ(parse(std::string("<VAST>\xc3</VAST>")).result.error, VastError::invalidXMLDocument);
    EXPECT_EQ(VastXMLParser::create()->parseDocument().error, VastError::unableToCreateXMLParser);

    // An empty VAST element is a valid empty model; a nested VAST element changes nothing.
    const auto empty = parse("<VAST version=\"4.1\"/>");
    ASSERT_TRUE(empty.result.ok());
    EXPECT_TRUE(empty.model().ads.empty());
    EXPECT_TRUE(empty.fired.empty());
    const auto nested = parse("<VAST version=\"2.0\"><VAST version=\"9\"><Ad id=\"x\"/></VAST></VAST>");
    EXPECT_EQ(nested.model().version, "2.0");
    EXPECT_EQ(nested.model().ads.size(), 1u);
}

TEST(VastXMLParserTests, onlyADocumentWithoutAdsFiresItsErrorsWithCode303InTheRawAddress) {
    const auto parsed = parse("<VAST><Error><![CDATA[https://e.example/noad?c=[ERRORCODE]&s=1]]></Error>"
                              "<Error>https://e.example/x?c=%5bERRORCODE%5d&amp;q=a%20b%2F</Error>"
                              "<Error>https://e.example/plain?q=%41</Error></VAST>");
    ASSERT_TRUE(parsed.result.ok());
    EXPECT_EQ(parsed.fired, (std::vector<std::vector<std::string>>{
                                {"https://e.example/noad?c=303&s=1", "https://e.example/x?c=303&q=a%20b%2F",
                                 "https://e.example/plain?q=%41"}}));
    // The model keeps the addresses with their macro.
    EXPECT_EQ(text(parsed.model().errors.at(0)), "https://e.example/noad?c=%5BERRORCODE%5D&s=1");

    const auto withAds = parse("<VAST><Error>https://e.example/[ERRORCODE]</Error><Ad id=\"a\"><InLine/></Ad></VAST>");
    EXPECT_TRUE(withAds.fired.empty());
}

// Hostile documents fail, or succeed, within bounded time and memory. The bound is generous for
// sanitizer builds on small machines; quadratic or exponential work takes minutes.
constexpr double boundSeconds = 10.0;

double secondsToParse(const std::string& doc, VastParseResult& out) {
    const auto started = std::chrono::steady_clock::now();
    out = parse(doc).result;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

TEST(VastXMLParserHostileTests, documentsOverABoundFailQuickly) {
    std::string bomb = "<!DOCTYPE VAST [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">";
    std::string previous = "a";
    for (int level = 0; level < 8; ++level) {
        bomb += "<!ENTITY e" + std::to_string(level) + " \"";
        for (int i = 0; i < 16; ++i) {
            bomb += "&" + previous + ";";
        }
        bomb += "\">";
        previous = "e" + std::to_string(level);
    }
    bomb += "]><VAST><Ad><InLine><AdTitle>&" + previous + ";</AdTitle></InLine></Ad></VAST>";
    std::string deep = "<VAST>";
    for (int i = 0; i < 50000; ++i) {
        deep += "<Ad>";
    }
    const std::string external =
        "<!DOCTYPE VAST [<!ENTITY x SYSTEM \"file:///etc/hostname\">]><VAST><Ad><InLine><AdTitle>&x;</AdTitle></InLine></Ad></VAST>";
    const std::string oversized = "<VAST><Ad><InLine><AdTitle>" + std::string(3 * 1024 * 1024, 'x') + "</AdTitle></InLine></Ad></VAST>";
    for (const std::string* doc : std::initializer_list<const std::string*>{&bomb, &deep, &external, &oversized}) {
        VastParseResult result;
        EXPECT_LT(secondsToParse(*doc, result), boundSeconds) << doc->substr(0, 40);
        EXPECT_EQ(result.error, VastError::unableToParseDocument) << doc->substr(0, 40);
    }
}

TEST(VastXMLParserHostileTests, largeDocumentsWithinTheBoundsParseInLinearTime) {
    const std::string title(1024 * 1024, 't');
    const std::string id(512 * 1024, 'i');
    VastParseResult result;
    EXPECT_LT(secondsToParse("<VAST><Ad id=\"" + id + "\"><InLine><AdTitle>" + title + "</AdTitle></InLine></Ad></VAST>", result),
              boundSeconds);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.model->ads.at(0).adTitle->size(), title.size());
    EXPECT_EQ(result.model->ads.at(0).id.size(), id.size());

    std::string manyElements = "<VMAP>";
    while (manyElements.size() < 1900 * 1024) {
        manyElements += "<x>  some text  </x>\n";
    }
    EXPECT_LT(secondsToParse(manyElements + "</VMAP>", result), boundSeconds);
    EXPECT_EQ(result.error, VastError::invalidVASTDocument);
}

}  // namespace
}  // namespace solen
