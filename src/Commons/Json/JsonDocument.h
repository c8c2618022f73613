#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace solen {

// One received or persisted JSON text, parsed and validated in one linear pass: malformed text,
// invalid UTF-8, unescaped control characters, numbers that are not finite and nesting deeper than
// the limit are refused. Integers beyond the 64-bit range are kept as doubles; a leading byte-order
// mark is skipped and a NUL byte ends the text.
//
// The parse is a flat sequence of slots ("tape"): each value is one slot (two for a number), an
// array or object opens with a slot that holds the position after its end and closes with one.
// `JsonReader` walks it; nothing is copied until a record takes its strings.
//
// Immutable once parsed: any number of threads may read one document.
class JsonDocument {
public:
    enum class Kind : char {
        array = '[',
        object = '{',
        string = '"',
        int64 = 'l',
        uint64 = 'u',
        real = 'd',
        trueValue = 't',
        falseValue = 'f',
        null = 'n',
    };

    static constexpr std::size_t defaultMaxDepth = 256;
    // Position of the top-level value.
    static constexpr std::size_t root = 1;

    // Throws JsonDecodingError (empty key path) when the text is refused.
    static JsonDocument parse(std::string_view text, std::size_t maxDepth = defaultMaxDepth);

    JsonDocument(JsonDocument&&) noexcept;
    JsonDocument& operator=(JsonDocument&&) noexcept;
    ~JsonDocument();

    Kind kind(std::size_t at) const { return static_cast<Kind>(tape_[at] >> 56); }
    bool isContainer(std::size_t at) const { return kind(at) == Kind::array || kind(at) == Kind::object; }
    // Position of the value that follows the one at `at` (past the end of a container).
    std::size_t after(std::size_t at) const {
        switch (kind(at)) {
            case Kind::array:
            case Kind::object: return static_cast<std::uint32_t>(tape_[at]);
            case Kind::int64:
            case Kind::uint64:
            case Kind::real: return at + 2;
            default: return at + 1;
        }
    }
    // Position of the closing slot of the container at `at`; its members run from `at + 1`.
    std::size_t end(std::size_t at) const { return after(at) - 1; }
    // Member or element count of the container at `at`; exact below `countSaturated`.
    static constexpr std::size_t countSaturated = 0xFFFFFF;
    std::size_t countHint(std::size_t at) const { return static_cast<std::size_t>((tape_[at] >> 32) & 0xFFFFFF); }

    std::string_view string(std::size_t at) const {
        const std::uint8_t* entry = strings_ + (tape_[at] & kPayloadMask);
        std::uint32_t length = 0;
        std::memcpy(&length, entry, sizeof(length));
        return {reinterpret_cast<const char*>(entry + sizeof(length)), length};
    }
    // Eight bytes of the stored form of the string at `at` (a 4-byte length, then the text), from
    // byte 8 * `word`: word 0 holds the length and the first four bytes of text, word 1 the next
    // eight (whatever follows a shorter text). Keys are told apart with a load or two this way; the
    // string store keeps slack after its last string, so the loads stay inside it.
    std::uint64_t stringWord(std::size_t at, std::size_t word) const {
        std::uint64_t value = 0;
        std::memcpy(&value, strings_ + (tape_[at] & kPayloadMask) + 8 * word, sizeof(value));
        return value;
    }
    std::int64_t int64(std::size_t at) const { return payload<std::int64_t>(at); }
    std::uint64_t uint64(std::size_t at) const { return payload<std::uint64_t>(at); }
    double real(std::size_t at) const { return payload<double>(at); }

    // Parser buffers and parsed slots; opaque outside the parse.
    struct Storage;

private:
    static constexpr std::uint64_t kPayloadMask = 0x00FFFFFFFFFFFFFF;

    explicit JsonDocument(std::unique_ptr<Storage> storage);

    template <class T>
    T payload(std::size_t at) const {
        T value;
        std::memcpy(&value, &tape_[at + 1], sizeof(value));
        return value;
    }

    std::unique_ptr<Storage> storage_;
    const std::uint64_t* tape_ = nullptr;
    const std::uint8_t* strings_ = nullptr;
};

}  // namespace solen
