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

// Records every event as one line: "start:a{k=v;}", "end:a", "text:...", "cdata:...", "error".
class Recorder : public XmlEventReaderDelegate {
public:
    std::vector<std::string> events;
    std::function<void(XmlEventReader&, const std::string&)> onStart;

    void didStartElement(XmlEventReader& reader, const std::string& name, const XmlAttributes& attributes) override {
        std::string line = "start:" + name;
        for (const auto& [key, value] : attributes) {
            line += (line.back() == ';' ? "" : "{") + key + "=" + value + ";";
        }
        events.push_back(attributes.empty() ? line : line + "}");
        if (onStart) {
            onStart(reader, name);
        }
    }
    void didEndElement(XmlEventReader&, const std::string& name) override { events.push_back("end:" + name); }
    void foundCharacters(XmlEventReader&, std::string_view text) override { events.push_back("text:" + std::string(text)); }
    void foundCDATA(XmlEventReader&, std::string_view block) override { events.push_back("cdata:" + std::string(block)); }
    void parseErrorOccurred(XmlEventReader&, const XmlParseError&) override { events.push_back("error"); }

    // The character events joined, the way a receiver collects text.
    std::string text() const {
        std::string joined;
        for (const auto& e : events) {
            joined += e.rfind("text:", 0) == 0 ? e.substr(5) : "";
        }
        return joined;
    }
    bool saw(const std::string& event) const { return std::find(events.begin(), events.end(), event) != events.end(); }
};

struct Run {
    bool ok;
    std::shared_ptr<Recorder> recorder;
    std::optional<XmlParseError> error;
};

Run parse(const std::string& xml, std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>()) {
    XmlEventReader reader(xml);
    reader.setDelegate(recorder);
    const bool ok = reader.parse();
    return Run{ok, recorder, reader.parserError()};
}

TEST(XmlEventReaderTests, reportsEventsInDocumentOrderWithNamesAsWrittenTextAndCdata) {
    const auto run = parse(R"(<vmap:VMAP xmlns:vmap="urn:x" version="1.0"><vmap:AdBreak breakId="b1"/></vmap:VMAP>)");
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.recorder->events,
              (std::vector<std::string>{"start:vmap:VMAP{version=1.0;xmlns:vmap=urn:x;}", "start:vmap:AdBreak{breakId=b1;}",
                                        "end:vmap:AdBreak", "end:vmap:VMAP"}));

    const auto text = parse("<!DOCTYPE a [<!ENTITY h \"ads.example.com\">]><a>x &amp; &h;&#x41;<![CDATA[<b>raw</b> ]]>z</a>");
    ASSERT_TRUE(text.ok);
    EXPECT_EQ(text.recorder->text(), "x & ads.example.comAz");
    EXPECT_TRUE(text.recorder->saw("cdata:<b>raw</b> "));
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
    EXPECT_FALSE(run.recorder->saw("start:d"));
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
    ASSERT_TRUE(parse("<outer><inner><x/><back/></inner><tail/></outer>", first).ok);
    EXPECT_EQ(first->events, (std::vector<std::string>{"start:outer", "start:inner", "end:back", "end:inner",
                                                       "start:tail", "end:tail", "end:outer"}));
    EXPECT_EQ(second->events, (std::vector<std::string>{"start:x", "end:x", "start:back"}));
}

// A receiver may hand over to another and let go of itself in one callback: it stays alive until
// that callback returns, and the rest of the document goes to the new receiver.
TEST(XmlEventReaderTests, aReceiverMayReleaseItselfWhileHandingOver) {
    XmlEventReader reader("<a><b/><c/></a>");
    auto first = std::make_shared<Recorder>();
    auto second = std::make_shared<Recorder>();
    std::weak_ptr<Recorder> gone = first;
    first->onStart = [&](XmlEventReader& r, const std::string& name) {
        if (name == "b") {
            r.setDelegate(second);
            first.reset();  // the last owner of the receiver that is running
        }
    };
    reader.setDelegate(first);
    EXPECT_TRUE(reader.parse());
    EXPECT_TRUE(gone.expired()) << "the reader lets go of a receiver once the parse ends";
    EXPECT_EQ(second->events, (std::vector<std::string>{"end:b", "start:c", "end:c", "end:a"}));
}

// A start tag's attributes read the same by name whether the list views the parser's array, a
// map or name/value pairs; a name that only starts or ends like another is a different name.
TEST(XmlAttributeListTests, readsTheSameValuesFromEverySource) {
    const char* const array[] = {"type", "video/mp4", "width", "", "xmlns:v", "urn:x", nullptr};
    const XmlAttributes map = {{"type", "video/mp4"}, {"width", ""}, {"xmlns:v", "urn:x"}};
    const XmlAttributeList lists[] = {XmlAttributeList(array), XmlAttributeList(map),
                                      XmlAttributeList{{"type", "video/mp4"}, {"width", ""}, {"xmlns:v", "urn:x"}}};
    for (const XmlAttributeList& list : lists) {
        EXPECT_EQ(list.value("type"), "video/mp4");
        EXPECT_EQ(list.value("width"), "");
        EXPECT_EQ(list.value("xmlns:v"), "urn:x");
        for (const char* other : {"typ", "types", "Type", "", "v", "height"}) {
            EXPECT_FALSE(list.value(other)) << other;
        }
        EXPECT_EQ(list.size(), 3u);
        EXPECT_EQ(list.toMap(), map);
    }
    EXPECT_EQ(XmlAttributeList(array)[2], XmlAttributeList::Pair("xmlns:v", "urn:x")) << "document order";
    EXPECT_TRUE(XmlAttributeList().empty());
    EXPECT_FALSE(XmlAttributeList().value("type"));
}

TEST(XmlEventReaderTests, aReceiverThatIsGoneThrowsOrAbortsEndsNothingBadly) {
    XmlEventReader reader("<a><b/></a>");
    reader.setDelegate(std::make_shared<Recorder>());  // released at once
    EXPECT_TRUE(reader.parse());
    EXPECT_FALSE(reader.parse()) << "a reader parses once";

    for (const bool throws : {true, false}) {
        auto recorder = std::make_shared<Recorder>();
        recorder->onStart = [throws](XmlEventReader& r, const std::string& name) {
            if (name == "b") {
                throws ? throw std::runtime_error("boom") : r.abortParsing();
            }
        };
        const auto run = parse("<a><b/><c/></a>", recorder);
        EXPECT_FALSE(run.ok);
        ASSERT_TRUE(run.error);
        EXPECT_EQ(run.error->code, XmlParseError::parseAborted);
        EXPECT_FALSE(recorder->saw("start:c"));
    }
}

// Malformed and hostile documents fail quickly, without reading outside the document or growing
// memory beyond the bounds.
TEST(XmlEventReaderTests, malformedAndHostileDocumentsFailQuickly) {
    std::string laughs = "<!DOCTYPE l [<!ENTITY l0 \"lollollollollollollollollollol\">";
    for (int level = 1; level <= 9; ++level) {
        laughs += "<!ENTITY l" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i) {
            laughs += "&l" + std::to_string(level - 1) + ";";
        }
        laughs += "\">";
    }
    laughs += "]><VAST>&l9;</VAST>";
    std::string deep;
    for (int i = 0; i < 100000; ++i) {
        deep += "<a>";
    }
    const std::vector<std::string> documents = {
        "", "<VAST><Ad>", "not xml at all", "<a x='1' x='2'/>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xff\xfe</a>",  // not UTF-8
        laughs, deep, "<a x=\"" + std::string(3u * 1024u * 1024u, 'v') + "\"/>",
        "<!DOCTYPE a [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><a>&x;</a>",
        "<!DOCTYPE a [<!ENTITY x PUBLIC \"-//x\" \"http://127.0.0.1/x\">]><a>&x;</a>",
        "<!DOCTYPE a [<!ENTITY % p SYSTEM \"http://127.0.0.1/p.dtd\"> %p;]><a/>",
        "<!DOCTYPE a [<!NOTATION n SYSTEM \"x\"><!ENTITY u SYSTEM \"y\" NDATA n>]><a/>",
    };
    for (const auto& document : documents) {
        const auto started = std::chrono::steady_clock::now();
        const auto run = parse(document);
        EXPECT_FALSE(run.ok) << document.substr(0, 80);
        EXPECT_TRUE(run.error);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
        EXPECT_LT(run.recorder->text().size(), 4u * 1024u * 1024u);
        EXPECT_EQ(run.recorder->text().find("root"), std::string::npos);
    }
    EXPECT_EQ(parse(deep).error->code, XmlParseError::nestingTooDeep);
    EXPECT_EQ(parse(documents[7]).error->code, XmlParseError::documentTooLarge);
    EXPECT_EQ(parse(documents[7]).recorder->events, std::vector<std::string>{"error"});  // refused before reading

    std::string fits;  // exactly at the depth bound
    for (int i = 0; i < 256; ++i) {
        fits = "<a>" + fits + "</a>";
    }
    EXPECT_TRUE(parse(fits).ok);
}

}  // namespace
}  // namespace solen::platform
