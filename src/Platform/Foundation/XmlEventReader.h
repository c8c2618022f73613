#pragma once

#include "Platform/Foundation/XmlAttributeList.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace solen::platform {

class XmlEventReader;

// The first fatal error of a parse. `code` is expat's error number, or one of the reader's own
// codes below when a safety bound stopped the parse.
struct XmlParseError {
    static constexpr std::int64_t documentTooLarge = 10001;
    static constexpr std::int64_t nestingTooDeep = 10002;
    static constexpr std::int64_t externalEntityRefused = 10003;
    static constexpr std::int64_t parserUnavailable = 10004;
    static constexpr std::int64_t parseAborted = 10005;

    std::int64_t code = 0;
    std::string message;
    std::uint64_t line = 0;
    std::uint64_t column = 0;
};

// Receives the events of a parse, in document order, on the thread that runs `parse()`.
// Every method has an empty default so a receiver overrides only what it reads.
class XmlEventReaderDelegate {
public:
    virtual ~XmlEventReaderDelegate() = default;

    virtual void didStartElement(XmlEventReader& reader, const std::string& name, const XmlAttributes& attributes);
    virtual void didEndElement(XmlEventReader& reader, const std::string& name);
    // The same two events with the name and attributes as views into the parser's buffer, valid
    // for the length of the call. The reader calls these; by default they copy the name and the
    // attributes and call the two above. A receiver that reads many elements overrides these
    // instead and copies only what it keeps.
    virtual void didStartTag(XmlEventReader& reader, std::string_view name, const XmlAttributeList& attributes);
    virtual void didEndTag(XmlEventReader& reader, std::string_view name);
    // A run of character data outside CDATA sections; one text may arrive in any number of runs.
    virtual void foundCharacters(XmlEventReader& reader, std::string_view characters);
    // One whole CDATA section, as UTF-8 bytes.
    virtual void foundCDATA(XmlEventReader& reader, std::string_view block);
    // The first fatal error; nothing follows it.
    virtual void parseErrorOccurred(XmlEventReader& reader, const XmlParseError& error);
};

// The safety bounds of one parse.
struct XmlReaderLimits {
    std::size_t maxDocumentBytes = 2u * 1024u * 1024u;
    std::size_t maxDepth = 256;
    // Entity expansion: output may exceed the input by at most this factor once more than
    // `amplificationThreshold` bytes have been produced.
    float maxAmplification = 8.0f;
    std::uint64_t amplificationThreshold = 64u * 1024u;
};

// An event-driven XML reader over an in-memory document (expat underneath). It does no I/O of its
// own, loads no DTD, refuses documents that declare external entities, bounds the expansion of
// internal entities, the document size and the element depth. Namespace processing is off: names
// are reported as written, "vmap:VMAP" stays "vmap:VMAP".
//
// The delegate is held weakly. A parse takes hold of it when it starts and of each receiver set
// by `setDelegate` during the parse, so a callback may hand the rest of the document to another
// receiver; the receiver of the moment stays alive until the parse ends or hands it over.
//
// One reader parses once; it is used on one thread at a time.
class XmlEventReader {
public:
    using Limits = XmlReaderLimits;

    // `encoding` overrides the document's own declaration (for example "UTF-8" when the bytes
    // are known to be UTF-8 text); absent, the declaration or byte-order mark decides.
    explicit XmlEventReader(std::string data, std::optional<std::string> encoding = std::nullopt,
                            Limits limits = {});
    // Text read in place rather than copied: it must stay alive and unchanged until `parse()` returns.
    struct BorrowedText {
        std::string_view text;
    };
    explicit XmlEventReader(BorrowedText data, std::optional<std::string> encoding = std::nullopt,
                            Limits limits = {});
    ~XmlEventReader();
    XmlEventReader(const XmlEventReader&) = delete;
    XmlEventReader& operator=(const XmlEventReader&) = delete;

    void setDelegate(std::weak_ptr<XmlEventReaderDelegate> delegate);
    std::weak_ptr<XmlEventReaderDelegate> delegate() const;

    // Parses the whole document. True when it was well formed and within the bounds; false after
    // the first fatal error, which `parserError()` then holds. A second call returns false.
    bool parse();
    const std::optional<XmlParseError>& parserError() const;

    // Stops a parse in progress from inside a callback; `parse()` then fails with `parseAborted`.
    void abortParsing();

    // Position of the event being reported (1-based line, 0-based column); 0 outside a parse.
    std::uint64_t lineNumber() const;
    std::uint64_t columnNumber() const;

    const Limits& limits() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace solen::platform
