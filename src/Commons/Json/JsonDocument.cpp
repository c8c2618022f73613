#include "Commons/Json/JsonDocument.h"

#include "Commons/Json/JsonDecodingError.h"
#include "Platform/Foundation/SimdjsonKernels.h"

#include <simdjson.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

namespace solen {

// The parser's working buffers and the parsed document. A thread keeps the storage of its last
// small document for the next parse, so that decoding answers of ordinary size does not allocate
// and release the parser's buffers each time; a large document's storage is released with it.
struct JsonDocument::Storage {
    simdjson::dom::parser parser;
    simdjson::dom::document document;
    bool reusable = true;
};

namespace {

// Largest input capacity whose buffers a thread keeps (they hold about 15 times this).
constexpr std::size_t kReusableCapacity = std::size_t{128} << 10;

thread_local std::unique_ptr<JsonDocument::Storage> spareStorage;

std::unique_ptr<JsonDocument::Storage> takeStorage() {
    if (spareStorage) {
        return std::move(spareStorage);
    }
    return std::make_unique<JsonDocument::Storage>();
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNumberCharacter(char c) { return isDigit(c) || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E'; }

// True when `token` is a well-formed JSON integer whose value lies outside both 64-bit ranges.
bool isIntegerBeyond64Bits(std::string_view token) {
    const bool negative = !token.empty() && token.front() == '-';
    const std::string_view digits = negative ? token.substr(1) : token;
    if (digits.empty() || (digits.size() > 1 && digits.front() == '0')) {
        return false;
    }
    for (const char c : digits) {
        if (!isDigit(c)) {
            return false;
        }
    }
    const std::string_view limit = negative ? "9223372036854775808" : "18446744073709551615";
    return digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit);
}

// The parser refuses integers beyond the 64-bit range; they are read as doubles instead. Gives the
// text with ".0" after each such integer outside strings, or nothing when there is none (the
// number fault is then a real one).
std::optional<std::string> widenLargeIntegers(std::string_view text) {
    std::string widened;
    std::size_t copied = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
            continue;
        }
        if (!isNumberCharacter(c)) {
            continue;
        }
        std::size_t tokenEnd = i;
        while (tokenEnd < text.size() && isNumberCharacter(text[tokenEnd])) {
            ++tokenEnd;
        }
        if (isIntegerBeyond64Bits(text.substr(i, tokenEnd - i))) {
            widened.append(text.substr(copied, tokenEnd - copied));
            widened.append(".0");
            copied = tokenEnd;
        }
        i = tokenEnd - 1;
    }
    if (copied == 0) {
        return std::nullopt;
    }
    widened.append(text.substr(copied));
    return widened;
}

// Parses a large text into buffers sized from what it holds rather than from its length: the
// parser's own document would take about 15 bytes per byte of text (a tape slot and five thirds of a
// string byte for each). The structural positions found by the first stage bound what the second
// writes: at most one tape slot for a bracket, brace, string or literal, two for a number, none for
// a comma or colon; a string takes its length, a 4-byte length and a NUL, and its escapes only
// shrink it. The padded copy and the structural positions are released once the parse is done.
simdjson::error_code parseSized(JsonDocument::Storage& storage, std::string_view text, std::size_t maxDepth) {
    storage.reusable = false;
    simdjson::dom::parser& parser = storage.parser;
    if (const auto error = parser.allocate(text.size(), maxDepth)) {
        return error;
    }
    const std::unique_ptr<std::uint8_t[]> padded(new std::uint8_t[text.size() + simdjson::SIMDJSON_PADDING]());
    std::memcpy(padded.get(), text.data(), text.size());
    auto& stages = *parser.implementation;
    if (const auto error = stages.stage1(padded.get(), text.size(), simdjson::stage1_mode::regular)) {
        return error;
    }
    std::size_t tapeSlots = 4;
    std::size_t strings = 0;
    for (std::uint32_t i = 0; i < stages.n_structural_indexes; ++i) {
        switch (padded[stages.structural_indexes[i]]) {
            case ',':
            case ':': break;
            case '"': ++strings; [[fallthrough]];
            case '{':
            case '[':
            case '}':
            case ']':
            case 't':
            case 'f':
            case 'n': tapeSlots += 1; break;
            default: tapeSlots += 2; break;
        }
    }
    simdjson::dom::document& document = storage.document;
    document.tape.reset(new (std::nothrow) std::uint64_t[tapeSlots]);
    document.string_buf.reset(new (std::nothrow) std::uint8_t[text.size() + 5 * strings + simdjson::SIMDJSON_PADDING]);
    if (!document.tape || !document.string_buf) {
        return simdjson::MEMALLOC;
    }
    const auto error = stages.stage2(document);
    parser = simdjson::dom::parser();
    return error;
}

// Parses a text of ordinary size with the parser's own buffers, kept by the thread between parses.
simdjson::error_code parseReused(JsonDocument::Storage& storage, std::string_view text, std::size_t maxDepth) {
    simdjson::dom::parser& parser = storage.parser;
    if (parser.max_depth() != maxDepth || parser.capacity() < text.size()) {
        if (const auto error = parser.allocate(std::max<std::size_t>(text.size(), 64), maxDepth)) {
            return error;
        }
    }
    return parser.parse_into_document(storage.document, text.data(), text.size()).error();
}

[[noreturn]] void refuse(simdjson::error_code code) {
    switch (code) {
        case simdjson::DEPTH_ERROR: throw JsonDecodingError({}, "nesting is too deep");
        case simdjson::NUMBER_ERROR:
            throw JsonDecodingError({}, "malformed JSON: a number is malformed or not finite");
        default: throw JsonDecodingError({}, std::string("malformed JSON: ") + simdjson::error_message(code));
    }
}

}  // namespace

JsonDocument::JsonDocument(std::unique_ptr<Storage> storage)
    : storage_(std::move(storage)),
      tape_(storage_->document.tape.get()),
      strings_(storage_->document.string_buf.get()) {}

JsonDocument::JsonDocument(JsonDocument&&) noexcept = default;
JsonDocument& JsonDocument::operator=(JsonDocument&&) noexcept = default;
JsonDocument::~JsonDocument() {
    if (storage_ && storage_->reusable && !spareStorage && storage_->parser.capacity() <= kReusableCapacity) {
        spareStorage = std::move(storage_);
    }
}

JsonDocument JsonDocument::parse(std::string_view text, std::size_t maxDepth) {
    // A NUL byte ends the text (a string cannot hold one unescaped, so a cut inside a string is
    // refused as unterminated): a body terminated like a C string still reads.
    text = text.substr(0, text.find('\0'));
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, byteOrderMark.size()) == byteOrderMark) {
        text.remove_prefix(byteOrderMark.size());
    }
    if (text.empty()) {
        refuse(simdjson::EMPTY);
    }
    // The parser's buffers come from kernels that outlive the process's static objects.
    platform::simdjsonKernels();
    const bool large = text.size() > kReusableCapacity;
    auto storage = large ? std::make_unique<Storage>() : takeStorage();
    const auto parseText = [&](std::string_view input) {
        return large ? parseSized(*storage, input, maxDepth) : parseReused(*storage, input, maxDepth);
    };
    auto error = parseText(text);
    if (error == simdjson::NUMBER_ERROR) {
        if (const auto widened = widenLargeIntegers(text)) {
            error = parseText(*widened);
        }
    }
    if (error) {
        refuse(error);
    }
    return JsonDocument(std::move(storage));
}

}  // namespace solen
