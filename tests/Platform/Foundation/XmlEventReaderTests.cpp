#include "Platform/Foundation/XmlEventReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace solen::platform {
namespace {

// Records every event as one line: "start:a{k=v}", "end:a", "text:...", "cdata:...", "error:...".
class Recorder : public XmlEventReaderDelegate {
public:
    std::vector<std::string> events;
    std::optional<XmlParseError> error;
    std::function<void(XmlEventReader&, const std::string&)> onStart;

    void didStartElement(XmlEventReader& reader, const std::string& name, const XmlAttributes& attributes) override {
        std::string line = "start:" + name;
        if (!attributes.empty()) {
            line += "{";
            for (const auto& [key, value] : attributes) {
                line += key + "=" + value + ";";
            }
            line += "}";
        }
        events.push_back(line);
        if (onStart) {
            onStart(reader, name);
        }
    }
    void didEndElement(XmlEventReader&, const std::string& name) override { events.push_back("end:" + name); }
    void foundCharacters(XmlEventReader&, std::string_view text) override {
        events.push_back("text:" + std::string(text));
    }
    void foundCDATA(XmlEventReader&, std::string_view block) override {
        events.push_back("cdata:" + std::string(block));
    }
    void parseErrorOccurred(XmlEventReader&, const XmlParseError& e) override {
        events.push_back("error");
        error = e;
    }

    // The character events joined, the way a receiver collects text.
    std::string text() const {
        std::string joined;
        for (const auto& e : events) {
            if (e.rfind("text:", 0) == 0) {
                joined += e.substr(5);
            }
        }
        return joined;
    }
};

struct Run {
    bool ok;
    std::shared_ptr<Recorder> recorder;
    std::optional<XmlParseError> error;
};

Run parse(const std::string& xml, XmlReaderLimits limits = {}) {
    auto recorder = std::make_shared<Recorder>();
    XmlEventReader reader(xml, std::nullopt, limits);
    reader.setDelegate(recorder);
    const bool ok = reader.parse();
    return Run{ok, recorder, reader.parserError()};
}

TEST(XmlEventReaderTests, reportsEventsInDocumentOrderWithNamesAsWrittenAndAttributes) {
    const auto run = parse(R"(<vmap:VMAP xmlns:vmap="urn:x" version="1.0"><vmap:AdBreak breakId="b1" timeOffset="start"/></vmap:VMAP>)");
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.recorder->events,
              (std::vector<std::string>{"start:vmap:VMAP{version=1.0;xmlns:vmap=urn:x;}",
                                        "start:vmap:AdBreak{breakId=b1;timeOffset=start;}", "end:vmap:AdBreak",
                                        "end:vmap:VMAP"}));
    EXPECT_FALSE(run.error);
}

TEST(XmlEventReaderTests, deliversTextWithEntitiesResolvedAndCdataAsOneSeparateBlock) {
    const auto run = parse("<a>x &amp; y&#x41;<![CDATA[<b>raw</b> ]]>z</a>");
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.recorder->text(), "x & yAz");
    EXPECT_NE(std::find(run.recorder->events.begin(), run.recorder->events.end(), "cdata:<b>raw</b> "),
              run.recorder->events.end());
}

TEST(XmlEventReaderTests, stopsAtTheFirstFatalErrorWithItsPosition) {
    const auto run = parse("<a>\n  <b></c>\n  <d/>\n</a>");
    EXPECT_FALSE(run.ok);
    ASSERT_TRUE(run.error);
    EXPECT_EQ(run.error->line, 2u);
    EXPECT_GT(run.error->column, 0u);
    EXPECT_FALSE(run.error->message.empty());
    EXPECT_EQ(run.recorder->events.back(), "error");
    EXPECT_EQ(std::count(run.recorder->events.begin(), run.recorder->events.end(), "error"), 1);
    EXPECT_EQ(std::count(run.recorder->events.begin(), run.recorder->events.end(), "start:d"), 0);
}

TEST(XmlEventReaderTests, failsOnMalformedDocuments) {
    EXPECT_FALSE(parse("").ok);
    EXPECT_FALSE(parse("<VAST><Ad>").ok);
    EXPECT_FALSE(parse("not xml at all").ok);
    EXPECT_FALSE(parse("<a x='1' x='2'/>").ok);
    // Bytes that are not UTF-8 in a document that says it is UTF-8.
    EXPECT_FALSE(parse(std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xff\xfe</a>")).ok);
}

TEST(XmlEventReaderTests, honoursTheDeclaredEncodingUnlessOverridden) {
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xe9</a>";
    auto recorder = std::make_shared<Recorder>();
    XmlEventReader reader(latin1);
    reader.setDelegate(recorder);
    ASSERT_TRUE(reader.parse());
    EXPECT_EQ(recorder->text(), "caf\xc3\xa9");

    XmlEventReader forced("<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>caf\xc3\xa9</a>", std::string("UTF-8"));
    auto second = std::make_shared<Recorder>();
    forced.setDelegate(second);
    ASSERT_TRUE(forced.parse());
    EXPECT_EQ(second->text(), "caf\xc3\xa9");
}

TEST(XmlEventReaderTests, aCallbackCanHandTheRestOfTheDocumentToAnotherReceiver) {
    auto first = std::make_shared<Recorder>();
    auto second = std::make_shared<Recorder>();
    first->onStart = [&](XmlEventReader& reader, const std::string& name) {
        if (name == "inner") {
            reader.setDelegate(second);
        }
    };
    second->onStart = [&](XmlEventReader& reader, const std::string& name) {
        if (name == "back") {
            reader.setDelegate(first);
        }
    };
    XmlEventReader reader("<outer><inner><x/><back/></inner><tail/></outer>");
    reader.setDelegate(first);
    ASSERT_TRUE(reader.parse());
    EXPECT_EQ(first->events, (std::vector<std::string>{"start:outer", "start:inner", "end:back", "end:inner",
                                                       "start:tail", "end:tail", "end:outer"}));
    EXPECT_EQ(second->events, (std::vector<std::string>{"start:x", "end:x", "start:back"}));
}

TEST(XmlEventReaderTests, aReceiverThatIsGoneOrThrowsEndsNothingBadly) {
    XmlEventReader reader("<a><b/></a>");
    {
        auto gone = std::make_shared<Recorder>();
        reader.setDelegate(gone);
    }
    EXPECT_TRUE(reader.parse());
    EXPECT_FALSE(reader.parse()) << "a reader parses once";

    auto thrower = std::make_shared<Recorder>();
    thrower->onStart = [](XmlEventReader&, const std::string& name) {
        if (name == "b") {
            throw std::runtime_error("boom");
        }
    };
    XmlEventReader second("<a><b/><c/></a>");
    second.setDelegate(thrower);
    EXPECT_FALSE(second.parse());
    ASSERT_TRUE(second.parserError());
    EXPECT_EQ(second.parserError()->code, XmlParseError::parseAborted);
    EXPECT_EQ(std::count(thrower->events.begin(), thrower->events.end(), "start:c"), 0);
}

TEST(XmlEventReaderTests, abortParsingStopsFromInsideACallback) {
    auto recorder = std::make_shared<Recorder>();
    recorder->onStart = [](XmlEventReader& reader, const std::string& name) {
        if (name == "stop") {
            reader.abortParsing();
        }
    };
    XmlEventReader reader("<a><stop/><after/></a>");
    reader.setDelegate(recorder);
    EXPECT_FALSE(reader.parse());
    EXPECT_EQ(reader.parserError()->code, XmlParseError::parseAborted);
    EXPECT_EQ(std::count(recorder->events.begin(), recorder->events.end(), "start:after"), 0);
}

// Hostile documents fail quickly and without growing memory beyond the bounds.

std::string billionLaughs() {
    std::string doc = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lollollollollollollollollollol\">";
    std::string previous = "lol";
    for (int level = 1; level <= 9; ++level) {
        const std::string name = "lol" + std::to_string(level);
        doc += "<!ENTITY " + name + " \"";
        for (int i = 0; i < 10; ++i) {
            doc += "&" + previous + ";";
        }
        doc += "\">";
        previous = name;
    }
    doc += "]><VAST>&" + previous + ";</VAST>";
    return doc;
}

TEST(XmlEventReaderTests, entityAmplificationIsRefusedQuickly) {
    const auto started = std::chrono::steady_clock::now();
    const auto run = parse(billionLaughs());
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_FALSE(run.ok);
    ASSERT_TRUE(run.error);
    EXPECT_NE(run.error->message.find("amplification"), std::string::npos) << run.error->message;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 2000);
    EXPECT_LT(run.recorder->text().size(), 4u * 1024u * 1024u);
}

TEST(XmlEventReaderTests, aFewInternalEntitiesAreStillRead) {
    const auto run = parse("<!DOCTYPE a [<!ENTITY host \"ads.example.com\">]><a>https://&host;/x</a>");
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.recorder->text(), "https://ads.example.com/x");
}

TEST(XmlEventReaderTests, externalEntitiesAreRefused) {
    for (const std::string doc : {
             "<!DOCTYPE a [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><a>&x;</a>",
             "<!DOCTYPE a [<!ENTITY x PUBLIC \"-//x\" \"http://127.0.0.1/x\">]><a>&x;</a>",
             "<!DOCTYPE a [<!ENTITY % p SYSTEM \"http://127.0.0.1/p.dtd\"> %p;]><a/>",
             "<!DOCTYPE a [<!NOTATION n SYSTEM \"x\"><!ENTITY u SYSTEM \"y\" NDATA n>]><a/>",
         }) {
        const auto run = parse(doc);
        EXPECT_FALSE(run.ok) << doc;
        EXPECT_EQ(run.recorder->text().find("root"), std::string::npos);
    }
}

TEST(XmlEventReaderTests, deepNestingIsCutAtTheDepthBound) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) {
        deep += "<a>";
    }
    const auto run = parse(deep);
    EXPECT_FALSE(run.ok);
    ASSERT_TRUE(run.error);
    EXPECT_EQ(run.error->code, XmlParseError::nestingTooDeep);

    std::string fits;
    for (int i = 0; i < 256; ++i) {
        fits += "<a>";
    }
    for (int i = 0; i < 256; ++i) {
        fits += "</a>";
    }
    EXPECT_TRUE(parse(fits).ok);
}

TEST(XmlEventReaderTests, oversizedDocumentsAreRefusedBeforeReading) {
    XmlReaderLimits limits;
    limits.maxDocumentBytes = 1024;
    const std::string big = "<a x=\"" + std::string(2000, 'v') + "\"/>";
    const auto run = parse(big, limits);
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.error->code, XmlParseError::documentTooLarge);
    EXPECT_EQ(run.recorder->events, std::vector<std::string>{"error"});

    // A huge attribute within the default bound is read whole.
    const std::string attribute(1024 * 1024, 'q');
    const auto within = parse("<a x=\"" + attribute + "\"/>");
    ASSERT_TRUE(within.ok);
    EXPECT_EQ(within.recorder->events.front().size(), std::string("start:a{x=;}").size() + attribute.size());
}

}  // namespace
}  // namespace solen::platform
