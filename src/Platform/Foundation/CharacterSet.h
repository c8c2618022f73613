#pragma once

#include <bitset>
#include <optional>
#include <string>
#include <string_view>

namespace solen::platform {

// A set of ASCII characters, used to decide which characters percent-encoding leaves alone.
// Bytes outside ASCII are never members: they are always encoded.
class CharacterSet {
public:
    CharacterSet() = default;
    explicit CharacterSet(std::string_view characters);

    bool contains(unsigned char c) const { return c < 128 && bits_.test(c); }
    CharacterSet adding(std::string_view characters) const;
    CharacterSet removing(std::string_view characters) const;

    // The named sets of the URL grammar (the characters allowed unencoded in each component).
    static const CharacterSet& urlQueryAllowed();
    static const CharacterSet& urlFragmentAllowed();
    static const CharacterSet& urlHostAllowed();
    static const CharacterSet& urlPathAllowed();
    static const CharacterSet& urlUserAllowed();
    static const CharacterSet& urlPasswordAllowed();
    // The query set without the characters that separate or alter query items: "&", "=", "+"
    // (read as a space by many servers) and "#". Used for the names and values of query items so
    // that any text survives one encoding and one decoding unchanged.
    static const CharacterSet& urlQueryItemAllowed();

    friend bool operator==(const CharacterSet&, const CharacterSet&) = default;

private:
    std::bitset<128> bits_;
};

// Percent-encodes every byte of `text` that is not in `allowed` as "%XX" (upper-case hex).
std::string addingPercentEncoding(std::string_view text, const CharacterSet& allowed);

// Decodes every "%XX". Returns nothing when a "%" is not followed by two hex digits or when the
// decoded bytes are not valid UTF-8.
std::optional<std::string> removingPercentEncoding(std::string_view text);

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool isValidUtf8(std::string_view text);
// Reads the UTF-8 scalar that starts at `position` (which must be inside `text`) and moves past
// it. A byte that does not start a well-formed sequence gives nothing and is skipped alone.
std::optional<char32_t> nextUtf8Scalar(std::string_view text, std::size_t& position);
// `text` with every byte that does not belong to a well-formed sequence replaced by U+FFFD.
std::string repairingUtf8(std::string text);

}  // namespace solen::platform
