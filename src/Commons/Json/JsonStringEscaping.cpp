#include "Commons/Json/JsonStringEscaping.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace solen {
namespace {

bool needsEscape(unsigned char byte) { return byte < 0x20 || byte == '"' || byte == '\\'; }

// Whether a word of bytes holds one that needs an escape or, with `AsciiOnly`, one from 0x80 up.
// Exact whatever the bytes from 0x80 up: they are never below 0x20 nor equal to a quote.
template <bool AsciiOnly, class Word>
[[gnu::always_inline]] inline bool holdsCare(Word word) {
    constexpr Word ones = static_cast<Word>(0x0101010101010101);
    constexpr Word high = ones * 0x80;
    const auto hasByteBelow = [](Word value, Word limit) { return (value - ones * limit) & ~value & high; };
    const auto hasByte = [&hasByteBelow](Word value, Word c) { return hasByteBelow(value ^ (ones * c), 1); };
    return (AsciiOnly && (word & high)) || hasByteBelow(word, 0x20) || hasByte(word, '"') || hasByte(word, '\\');
}

template <class Word>
[[gnu::always_inline]] inline Word load(const char* at) {
    Word word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// The leading part of `text` with no byte that needs an escape and, with `AsciiOnly`, no byte
// from 0x80 up: sixteen bytes at a time, then words; the last bytes of a text of four or more are
// checked as one word that overlaps bytes already checked.
template <bool AsciiOnly>
std::size_t prefixWritableAsItIs(std::string_view text) {
    const std::size_t size = text.size();
    const char* const data = text.data();
    std::size_t at = 0;
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"'), backslash = _mm_set1_epi8('\\');
    const __m128i belowSpace = _mm_set1_epi8(0x1F);
    for (; at + 16 <= size; at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        // A signed byte below 0x20 is a control character or not ASCII; an unsigned one whose
        // maximum with 0x1F is 0x1F is a control character.
        const __m128i low = AsciiOnly ? _mm_cmplt_epi8(block, _mm_set1_epi8(0x20))
                                      : _mm_cmpeq_epi8(_mm_max_epu8(block, belowSpace), belowSpace);
        const __m128i care = _mm_or_si128(low, _mm_or_si128(_mm_cmpeq_epi8(block, quote), _mm_cmpeq_epi8(block, backslash)));
        if (_mm_movemask_epi8(care) != 0) {
            break;
        }
    }
#endif
    for (; at + 8 <= size; at += 8) {
        if (holdsCare<AsciiOnly>(load<std::uint64_t>(data + at))) {
            break;
        }
    }
    if (at + 8 > size && at < size) {
        if (size >= 8 ? !holdsCare<AsciiOnly>(load<std::uint64_t>(data + size - 8))
                      : size >= 4 && !holdsCare<AsciiOnly>(load<std::uint32_t>(data)) &&
                            !holdsCare<AsciiOnly>(load<std::uint32_t>(data + size - 4))) {
            return size;
        }
    }
    for (; at < size; ++at) {
        const auto byte = static_cast<unsigned char>(data[at]);
        if (needsEscape(byte) || (AsciiOnly && byte >= 0x80)) {
            break;
        }
    }
    return at;
}

}  // namespace

std::size_t plainAsciiPrefix(std::string_view text) { return prefixWritableAsItIs<true>(text); }

std::size_t unescapedPrefix(std::string_view text) { return prefixWritableAsItIs<false>(text); }

std::size_t writeJsonEscape(unsigned char byte, char* out) {
    char second = 0;
    switch (byte) {
        case '"': second = '"'; break;
        case '\\': second = '\\'; break;
        case '\b': second = 'b'; break;
        case '\t': second = 't'; break;
        case '\n': second = 'n'; break;
        case '\f': second = 'f'; break;
        case '\r': second = 'r'; break;
        default: {
            constexpr char hex[] = "0123456789abcdef";
            const char escape[] = {'\\', 'u', '0', '0', hex[byte >> 4], hex[byte & 0xF]};
            std::memcpy(out, escape, sizeof escape);
            return sizeof escape;
        }
    }
    out[0] = '\\';
    out[1] = second;
    return 2;
}

void appendQuotedJsonString(std::string& out, std::string_view text) {
    out += '"';
    std::size_t copied = 0;
    for (std::size_t at = unescapedPrefix(text); at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (!needsEscape(byte)) {
            continue;
        }
        out.append(text.data() + copied, at - copied);
        copied = at + 1;
        char escape[6];
        out.append(escape, writeJsonEscape(byte, escape));
    }
    out.append(text.data() + copied, text.size() - copied);
    out += '"';
}

}  // namespace solen
