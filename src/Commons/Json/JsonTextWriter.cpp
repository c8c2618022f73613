#include "Commons/Json/JsonTextWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace solen {

// The library's own serialiser, appending to the output: used for what the fast paths leave
// (free-form values, numbers with a fraction, text that needs escaping or is not ASCII), so those
// bytes are exactly what dumping a value gives.
class JsonTextWriter::Serializer {
public:
    explicit Serializer(std::string& out)
        : serializer_(nlohmann::detail::output_adapter<char, std::string>(out), ' ',
                      nlohmann::detail::error_handler_t::strict) {}

    void write(const Json& value) { serializer_.dump(value, false, false, 0); }

private:
    nlohmann::detail::serializer<Json> serializer_;
};

JsonTextWriter::JsonTextWriter(std::string& out) : out_(out) {}

JsonTextWriter::~JsonTextWriter() = default;

JsonTextWriter::Serializer& JsonTextWriter::serializer() {
    if (!serializer_) {
        serializer_ = std::make_unique<Serializer>(out_);
    }
    return *serializer_;
}

namespace {

// Whether text can be written between quotes as it is: no byte below 0x20, no '"' or '\\', and
// only ASCII. Several bytes at a time; a byte that may need care sends the text to the
// serialiser, which writes the same bytes in any case.
bool isPlainAscii(std::string_view text) {
    constexpr std::uint64_t ones = 0x0101010101010101;
    constexpr std::uint64_t high = ones * 0x80;
    const auto hasByteBelow = [](std::uint64_t word, std::uint64_t limit) { return (word - ones * limit) & ~word & high; };
    const auto hasByte = [&hasByteBelow](std::uint64_t word, unsigned char c) { return hasByteBelow(word ^ (ones * c), 1); };
    std::size_t at = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: a signed byte below 0x20 is a control character or not ASCII.
    const __m128i space = _mm_set1_epi8(0x20), quote = _mm_set1_epi8('"'), backslash = _mm_set1_epi8('\\');
    for (; at + 16 <= text.size(); at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
        const __m128i care = _mm_or_si128(_mm_cmplt_epi8(block, space),
                                          _mm_or_si128(_mm_cmpeq_epi8(block, quote), _mm_cmpeq_epi8(block, backslash)));
        if (_mm_movemask_epi8(care) != 0) {
            return false;
        }
    }
#endif
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, sizeof word);
        if ((word & high) | hasByteBelow(word, 0x20) | hasByte(word, '"') | hasByte(word, '\\')) {
            return false;
        }
    }
    for (; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x20 || byte >= 0x80 || byte == '"' || byte == '\\') {
            return false;
        }
    }
    return true;
}

}  // namespace

void JsonTextWriter::writeKey(std::string_view key) {
    const bool comma = !first_;
    first_ = false;
    // A short plain key, with its comma, quotes and colon, goes in with one append.
    char buffer[64];
    if (key.size() + 4 <= sizeof buffer && isPlainAscii(key)) {
        char* end = buffer;
        if (comma) {
            *end++ = ',';
        }
        *end++ = '"';
        end = std::copy(key.begin(), key.end(), end);
        *end++ = '"';
        *end++ = ':';
        out_.append(buffer, end);
        return;
    }
    if (comma) {
        out_ += ',';
    }
    writeString(key);
    out_ += ':';
}

void JsonTextWriter::writeString(std::string_view text) {
    if (!isPlainAscii(text)) {
        serializer().write(Json(text));
        return;
    }
    out_ += '"';
    out_ += text;
    out_ += '"';
}

void JsonTextWriter::writeDouble(double value) {
    if (!std::isfinite(value)) {
        throw JsonEncodingError(pathText(), "number is not finite");
    }
    serializer().write(Json(value));
}

void JsonTextWriter::writeJson(const Json& value) {
    try {
        JsonWriter::checkFinite(value);
    } catch (const JsonEncodingError& error) {
        // The path within the value, behind the path of the value itself.
        const std::string outer = pathText();
        const std::string& inner = error.path();
        const std::string path = inner.empty()   ? outer
                                 : outer.empty() ? inner
                                 : inner.front() == '[' ? outer + inner
                                                        : outer + "." + inner;
        throw JsonEncodingError(path, "number is not finite");
    }
    serializer().write(value);
}

std::string JsonTextWriter::pathText() const {
    std::vector<const Segment*> segments;
    for (const Segment* segment = path_; segment; segment = segment->outer) {
        segments.push_back(segment);
    }
    std::string path;
    for (auto it = segments.rbegin(); it != segments.rend(); ++it) {
        if ((*it)->index != member) {
            path += "[" + std::to_string((*it)->index) + "]";
        } else {
            if (!path.empty()) {
                path += '.';
            }
            path += (*it)->key;
        }
    }
    return path;
}

}  // namespace solen
