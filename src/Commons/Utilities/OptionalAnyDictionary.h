#pragma once

#include "Commons/Utilities/AnyDictionary.h"

#include <optional>
#include <string_view>

namespace solen {

// An optional free-form member of a decoded document (adapter settings, impression data,
// rewards), read like std::optional<AnyDictionary>. A decoded value is kept as its compact JSON
// text, one allocation whatever its size; its AnyDictionary is built when `*` or `->` first reads
// it and kept for the reads after. Converting to std::optional<AnyDictionary> gives a copy and
// keeps nothing. Copies share the value, which never changes once made: assigning replaces it.
//
// Const use (reads, copies, comparisons) is safe from any number of threads at once: the first
// read builds the value once. Assigning follows the rules of any value.
class OptionalAnyDictionary {
public:
    OptionalAnyDictionary() noexcept = default;
    OptionalAnyDictionary(std::nullopt_t) noexcept {}
    OptionalAnyDictionary(AnyDictionary value);
    OptionalAnyDictionary(std::optional<AnyDictionary> value);
    OptionalAnyDictionary(const OptionalAnyDictionary& other) noexcept;
    OptionalAnyDictionary(OptionalAnyDictionary&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
    OptionalAnyDictionary& operator=(const OptionalAnyDictionary& other) noexcept;
    OptionalAnyDictionary& operator=(OptionalAnyDictionary&& other) noexcept;
    ~OptionalAnyDictionary() { reset(); }

    // Decodes a received value that is present and not null, with the failures and log lines of
    // decodeAnyDictionary. Throws JsonDecodingError.
    static OptionalAnyDictionary decode(const JsonReader& reader);

    bool has_value() const noexcept { return block_ != nullptr; }
    explicit operator bool() const noexcept { return has_value(); }
    // The value; throws std::bad_optional_access when there is none.
    const AnyDictionary& value() const;
    const AnyDictionary& operator*() const { return value(); }
    const AnyDictionary* operator->() const { return &value(); }
    void reset() noexcept;

    operator std::optional<AnyDictionary>() const;

    // The compact JSON text a decoded value is kept as; empty for a value made from an
    // AnyDictionary, or when there is no value.
    std::string_view compactText() const noexcept;

    friend bool operator==(const OptionalAnyDictionary& lhs, const OptionalAnyDictionary& rhs);
    friend bool operator==(const OptionalAnyDictionary& lhs, const AnyDictionary& rhs) { return lhs && *lhs == rhs; }
    friend bool operator==(const OptionalAnyDictionary& lhs, std::nullopt_t) noexcept { return !lhs; }

private:
    struct Block;
    explicit OptionalAnyDictionary(Block* block) noexcept : block_(block) {}

    Block* block_ = nullptr;
};

}  // namespace solen
