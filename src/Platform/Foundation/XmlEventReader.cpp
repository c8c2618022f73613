#include "Platform/Foundation/XmlEventReader.h"

// The system library is built with DTD support; its entity-amplification controls are declared
// only under this switch.
#ifndef XML_DTD
#define XML_DTD 1
#endif
#include <expat.h>

#include <climits>
#include <exception>
#include <utility>

namespace solen::platform {

void XmlEventReaderDelegate::didStartElement(XmlEventReader&, const std::string&, const XmlAttributes&) {}
void XmlEventReaderDelegate::didEndElement(XmlEventReader&, const std::string&) {}
void XmlEventReaderDelegate::didStartTag(XmlEventReader& reader, std::string_view name,
                                         const XmlAttributeList& attributes) {
    didStartElement(reader, std::string(name), attributes.toMap());
}
void XmlEventReaderDelegate::didEndTag(XmlEventReader& reader, std::string_view name) {
    didEndElement(reader, std::string(name));
}
void XmlEventReaderDelegate::foundCharacters(XmlEventReader&, std::string_view) {}
void XmlEventReaderDelegate::foundCDATA(XmlEventReader&, std::string_view) {}
void XmlEventReaderDelegate::parseErrorOccurred(XmlEventReader&, const XmlParseError&) {}

struct XmlEventReader::State {
    XmlEventReader* owner = nullptr;
    // The document: `text` views `data`, or text the reader was lent.
    std::string data;
    std::string_view text;
    std::optional<std::string> encoding;
    Limits limits;
    std::weak_ptr<XmlEventReaderDelegate> delegate;
    // The receiver events go to while a parse runs, taken from `delegate` when the parse starts and
    // on every hand-over; one lookup instead of one per event.
    std::shared_ptr<XmlEventReaderDelegate> active;
    // A receiver handed over from inside its own callback, kept until that callback returns.
    std::shared_ptr<XmlEventReaderDelegate> retired;
    XML_Parser parser = nullptr;
    bool started = false;
    bool parsing = false;
    // Set once a callback stopped the parse; expat may still deliver an event or two after
    // XML_StopParser, and none of them may reach the delegate.
    bool stopped = false;
    std::optional<XmlParseError> stopError;
    std::optional<XmlParseError> error;
    std::size_t depth = 0;
    bool inCdata = false;
    std::string cdata;

    std::shared_ptr<XmlEventReaderDelegate> receiver() const { return parsing ? active : delegate.lock(); }

    XmlParseError makeError(std::int64_t code, std::string message) const {
        XmlParseError e;
        e.code = code;
        e.message = std::move(message);
        if (parser != nullptr) {
            e.line = XML_GetCurrentLineNumber(parser);
            e.column = XML_GetCurrentColumnNumber(parser);
        }
        return e;
    }

    // Ends the parse from inside a callback with the given error.
    void stop(std::int64_t code, std::string message) {
        if (stopped) {
            return;
        }
        stopped = true;
        stopError = makeError(code, std::move(message));
        XML_StopParser(parser, XML_FALSE);
    }

    // Runs one delegate call; an exception escaping it must not unwind through expat's C frames.
    template <class F>
    void deliver(F&& call) {
        if (stopped) {
            return;
        }
        if (!active) {
            return;
        }
        try {
            call(*active);
        } catch (const std::exception& e) {
            stop(XmlParseError::parseAborted, std::string("receiver failed: ") + e.what());
        } catch (...) {
            stop(XmlParseError::parseAborted, "receiver failed");
        }
        if (retired) {
            retired.reset();
        }
    }

    static State& of(void* userData) { return *static_cast<State*>(userData); }

    static void onStart(void* userData, const XML_Char* name, const XML_Char** attributes) {
        State& s = of(userData);
        if (s.stopped) {
            return;
        }
        if (++s.depth > s.limits.maxDepth) {
            s.stop(XmlParseError::nestingTooDeep, "elements nested too deeply");
            return;
        }
        static const XML_Char* const noAttributes[] = {nullptr};
        const XmlAttributeList list(attributes != nullptr ? attributes : noAttributes);
        const std::string_view elementName(name);
        s.deliver([&](XmlEventReaderDelegate& d) { d.didStartTag(*s.owner, elementName, list); });
    }

    static void onEnd(void* userData, const XML_Char* name) {
        State& s = of(userData);
        if (s.depth > 0) {
            --s.depth;
        }
        const std::string_view elementName(name);
        s.deliver([&](XmlEventReaderDelegate& d) { d.didEndTag(*s.owner, elementName); });
    }

    static void onCharacters(void* userData, const XML_Char* text, int length) {
        State& s = of(userData);
        if (s.stopped || length <= 0) {
            return;
        }
        if (s.inCdata) {
            s.cdata.append(text, static_cast<std::size_t>(length));
            return;
        }
        const std::string_view run(text, static_cast<std::size_t>(length));
        s.deliver([&](XmlEventReaderDelegate& d) { d.foundCharacters(*s.owner, run); });
    }

    static void onCdataStart(void* userData) {
        State& s = of(userData);
        s.inCdata = true;
        s.cdata.clear();
    }

    static void onCdataEnd(void* userData) {
        State& s = of(userData);
        s.inCdata = false;
        std::string block;
        block.swap(s.cdata);
        s.deliver([&](XmlEventReaderDelegate& d) { d.foundCDATA(*s.owner, block); });
    }

    // Documents may declare internal entities (bounded by the amplification limits), never
    // external ones: nothing outside the given bytes is read or referenced.
    static void onEntityDecl(void* userData, const XML_Char* entityName, int, const XML_Char*, int,
                             const XML_Char*, const XML_Char* systemId, const XML_Char*,
                             const XML_Char* notationName) {
        State& s = of(userData);
        if (systemId != nullptr || notationName != nullptr) {
            s.stop(XmlParseError::externalEntityRefused,
                   std::string("external entity refused: ") + (entityName != nullptr ? entityName : ""));
        }
    }

    static int onExternalEntityRef(XML_Parser, const XML_Char*, const XML_Char*, const XML_Char*,
                                   const XML_Char*) {
        return XML_STATUS_ERROR;
    }
};

XmlEventReader::XmlEventReader(std::string data, std::optional<std::string> encoding, Limits limits)
    : state_(std::make_unique<State>()) {
    state_->owner = this;
    state_->data = std::move(data);
    state_->text = state_->data;
    state_->encoding = std::move(encoding);
    state_->limits = limits;
}

XmlEventReader::XmlEventReader(BorrowedText data, std::optional<std::string> encoding, Limits limits)
    : state_(std::make_unique<State>()) {
    state_->owner = this;
    state_->text = data.text;
    state_->encoding = std::move(encoding);
    state_->limits = limits;
}

XmlEventReader::~XmlEventReader() {
    if (state_->parser != nullptr) {
        XML_ParserFree(state_->parser);
    }
}

void XmlEventReader::setDelegate(std::weak_ptr<XmlEventReaderDelegate> delegate) {
    State& s = *state_;
    s.delegate = std::move(delegate);
    if (s.parsing) {
        // The receiver that calls this may be running; it is released once its callback returns.
        if (!s.retired) {
            s.retired = std::move(s.active);
        }
        s.active = s.delegate.lock();
    }
}

std::weak_ptr<XmlEventReaderDelegate> XmlEventReader::delegate() const { return state_->delegate; }

const std::optional<XmlParseError>& XmlEventReader::parserError() const { return state_->error; }

const XmlEventReader::Limits& XmlEventReader::limits() const { return state_->limits; }

void XmlEventReader::abortParsing() {
    if (state_->parser != nullptr && state_->started) {
        state_->stop(XmlParseError::parseAborted, "parse aborted");
    }
}

std::uint64_t XmlEventReader::lineNumber() const {
    return state_->parser != nullptr ? XML_GetCurrentLineNumber(state_->parser) : 0;
}

std::uint64_t XmlEventReader::columnNumber() const {
    return state_->parser != nullptr ? XML_GetCurrentColumnNumber(state_->parser) : 0;
}

bool XmlEventReader::parse() {
    State& s = *state_;
    if (s.started) {
        return false;
    }
    s.started = true;

    auto fail = [&](XmlParseError error) {
        s.error = std::move(error);
        s.stopped = true;
        if (auto target = s.receiver()) {
            try {
                target->parseErrorOccurred(*this, *s.error);
            } catch (...) {
                // The parse has already failed; a receiver that throws changes nothing.
            }
        }
        return false;
    };

    if (s.text.size() > s.limits.maxDocumentBytes || s.text.size() > static_cast<std::size_t>(INT_MAX)) {
        return fail(XmlParseError{XmlParseError::documentTooLarge, "document too large", 0, 0});
    }

    s.parser = XML_ParserCreate(s.encoding ? s.encoding->c_str() : nullptr);
    if (s.parser == nullptr) {
        return fail(XmlParseError{XmlParseError::parserUnavailable, "unable to create the XML parser", 0, 0});
    }
    XML_SetUserData(s.parser, &s);
    XML_SetElementHandler(s.parser, &State::onStart, &State::onEnd);
    XML_SetCharacterDataHandler(s.parser, &State::onCharacters);
    XML_SetCdataSectionHandler(s.parser, &State::onCdataStart, &State::onCdataEnd);
    XML_SetEntityDeclHandler(s.parser, &State::onEntityDecl);
    XML_SetExternalEntityRefHandler(s.parser, &State::onExternalEntityRef);
    XML_SetParamEntityParsing(s.parser, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(s.parser, s.limits.maxAmplification);
    XML_SetBillionLaughsAttackProtectionActivationThreshold(s.parser, s.limits.amplificationThreshold);

    s.active = s.delegate.lock();
    s.parsing = true;
    const XML_Status status =
        XML_Parse(s.parser, s.text.data(), static_cast<int>(s.text.size()), XML_TRUE);
    // Lent text may go once the parse returns; it is not read again.
    s.text = std::string_view();
    s.parsing = false;
    s.retired.reset();
    // The receiver that saw the last event hears of a failure too, then the reader lets go of it.
    const std::shared_ptr<XmlEventReaderDelegate> last = std::move(s.active);

    if (s.stopError) {
        return fail(*s.stopError);
    }
    if (status != XML_STATUS_OK) {
        const XML_Error code = XML_GetErrorCode(s.parser);
        const XML_LChar* text = XML_ErrorString(code);
        return fail(s.makeError(static_cast<std::int64_t>(code), text != nullptr ? text : "XML error"));
    }
    // The document is in memory; it need not be kept once read.
    std::string().swap(s.data);
    return true;
}

}  // namespace solen::platform
