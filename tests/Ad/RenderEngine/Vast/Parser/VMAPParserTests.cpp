#include "Ad/RenderEngine/Vast/Parser/VMAPParser.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace solen {
namespace {

const std::string embeddedVast =
    "<VAST version=\"3.0\"><Ad id=\"pre\"><InLine><AdTitle><![CDATA[Pre-roll]]></AdTitle>"
    "<Creatives><Creative><Linear><Duration>00:00:15</Duration></Linear></Creative></Creatives></InLine></Ad></VAST>";

std::string vmap(const std::string& body) {
    return "<vmap:VMAP xmlns:vmap=\"http://www.iab.net/videosuite/vmap\" version=\"1.0\">" + body + "</vmap:VMAP>";
}

std::shared_ptr<VMAPParser> parsed(const std::string& xml, bool expectOk = true) {
    auto parser = VMAPParser::create();
    EXPECT_EQ(parser->parse(xml), expectOk) << xml;
    return parser;
}

TEST(VMAPParserTests, ReadsBreaksWithEmbeddedVastAndTracking) {
    auto parser = parsed(vmap(
        "<vmap:AdBreak timeOffset=\"start\" breakType=\"linear\" breakId=\"preroll\">"
        "<vmap:AdSource id=\"pre-src\" allowMultipleAds=\"false\" followRedirects=\"TRUE\">"
        "<vmap:VASTAdData>" + embeddedVast + "</vmap:VASTAdData></vmap:AdSource>"
        "<vmap:TrackingEvents><vmap:Tracking event=\"breakStart\">\n   https://t.test/break/start  \n</vmap:Tracking>"
        "<vmap:Tracking event=\"error\">not a url</vmap:Tracking></vmap:TrackingEvents></vmap:AdBreak>"
        "<vmap:AdBreak timeOffset=\"00:10:00.000\" breakType=\"linear\" repeatAfter=\"00:10:00\">"
        "<vmap:AdSource id=\"mid\"><vmap:AdTagURI templateType=\"vast3\">https://ads.test/mid</vmap:AdTagURI>"
        "</vmap:AdSource></vmap:AdBreak>"));
    ASSERT_TRUE(parser->vmapModel());
    const VMAPModel& model = *parser->vmapModel();
    ASSERT_EQ(model.adBreaks.size(), 2u);

    const VMAPAdBreak& pre = model.adBreaks[0];
    EXPECT_EQ(pre.breakType, VMAPAdBreakType::linear);
    ASSERT_TRUE(pre.adSource);
    EXPECT_TRUE(pre.adSource->followRedirects);
    ASSERT_TRUE(pre.adSource->vastAdData);
    const VastAd& ad = pre.adSource->vastAdData->ads.at(0);
    EXPECT_EQ(ad.adTitle, "Pre-roll");  // CDATA inside the embedded document is read
    EXPECT_EQ(ad.creatives.at(0).linear->duration, 15.0);
    ASSERT_EQ(pre.trackingEvents.size(), 2u);
    EXPECT_EQ(pre.trackingEvents[0].event, VMAPTrackingEventType::breakStart);
    EXPECT_EQ(pre.trackingEvents[0].url->absoluteString(), "https://t.test/break/start");
    EXPECT_FALSE(pre.trackingEvents[1].url);

    // The break after the embedded document is read by the VMAP parser again.
    const VMAPAdBreak& mid = model.adBreaks[1];
    EXPECT_EQ(mid.repeatAfter, "00:10:00");
    ASSERT_TRUE(mid.adSource);
    EXPECT_FALSE(mid.adSource->vastAdData);
    EXPECT_FALSE(mid.adSource->adTagURI);  // ad tags are not read
}

TEST(VMAPParserTests, NotVmapOrNotXmlGivesNoModel) {
    auto notVmap = parsed("<VMAP version=\"1.0\"><vmap:VMAP/></VMAP>", false);
    EXPECT_FALSE(notVmap->validVMAPDocument());
    EXPECT_FALSE(notVmap->vmapModel());
    EXPECT_FALSE(notVmap->fatalError());

    auto broken = parsed(vmap("<vmap:AdBreak timeOffset=\"start\">").substr(0, 90), false);
    ASSERT_TRUE(broken->fatalError());
    EXPECT_TRUE(std::holds_alternative<platform::XmlParseError>(*broken->fatalError()));
    EXPECT_FALSE(broken->parse(vmap(""))) << "a parser reads one document";
}

TEST(VMAPParserTests, StrayElementsFollowTheirOwnRules) {
    auto parser = parsed(vmap(
        // Tracking outside TrackingEvents waits for the next break's TrackingEvents.
        "<vmap:Tracking event=\"breakEnd\">https://t.test/stray</vmap:Tracking>"
        // An ad source and VAST data outside their parents are dropped.
        "<vmap:AdSource id=\"orphan\"/><vmap:VASTAdData>" + embeddedVast + "</vmap:VASTAdData>"
        "<vmap:AdBreak timeOffset=\"end\"><vmap:TrackingEvents/></vmap:AdBreak>"
        // A nested VMAP element closes with the breaks filed so far.
        "<vmap:VMAP version=\"9\"></vmap:VMAP><vmap:AdBreak timeOffset=\"late\"/>"));
    const VMAPModel& model = *parser->vmapModel();
    EXPECT_EQ(model.version, "1.0");
    ASSERT_EQ(model.adBreaks.size(), 2u);  // the outer end files the late break too
    ASSERT_EQ(model.adBreaks[0].trackingEvents.size(), 1u);
    EXPECT_EQ(model.adBreaks[0].trackingEvents[0].url->absoluteString(), "https://t.test/stray");
    EXPECT_FALSE(model.adBreaks[0].adSource);
}

TEST(VMAPParserTests, EmbeddedDocumentThatIsNotVastDoesNotSwallowTheRest) {
    auto parser = parsed(vmap(
        "<vmap:AdBreak timeOffset=\"start\"><vmap:AdSource id=\"a\"><vmap:VASTAdData><Other><VAST/></Other>"
        "</vmap:VASTAdData></vmap:AdSource></vmap:AdBreak>"
        "<vmap:AdBreak timeOffset=\"end\"><vmap:AdSource id=\"b\"><vmap:VASTAdData>" + embeddedVast +
        "</vmap:VASTAdData></vmap:AdSource></vmap:AdBreak>"));
    const VMAPModel& model = *parser->vmapModel();
    ASSERT_EQ(model.adBreaks.size(), 2u);
    EXPECT_TRUE(model.adBreaks[0].adSource && !model.adBreaks[0].adSource->vastAdData);
    ASSERT_TRUE(model.adBreaks[1].adSource->vastAdData);
    EXPECT_EQ(model.adBreaks[1].adSource->vastAdData->ads.at(0).id, "pre");
}

}  // namespace
}  // namespace solen
