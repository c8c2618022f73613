#pragma once

#include "Commons/Json/JsonDecodingError.h"
#include "Commons/Json/JsonDocument.h"
#include "Commons/Json/JsonTypeTraits.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace solen {

using Json = nlohmann::ordered_json;

class JsonReader;
template <const auto& Keys>
class JsonFields;

template <class T>
concept JsonDecodableRecord = requires(const JsonReader& reader) {
    { T::decode(reader) } -> std::same_as<T>;
};

namespace json_detail {

// The type named by a decoding error when a value of type T was expected.
template <class T>
constexpr std::string_view expectedTypeName() {
    if constexpr (std::is_same_v<T, std::string>) {
        return "string";
    } else if constexpr (std::is_same_v<T, bool>) {
        return "boolean";
    } else if constexpr (std::is_floating_point_v<T>) {
        return "number";
    } else if constexpr (std::is_integral_v<T>) {
        return "integer";
    } else if constexpr (IsOptional<T>::value) {
        return expectedTypeName<typename T::value_type>();
    } else if constexpr (IsVector<T>::value) {
        return "array";
    } else if constexpr (std::is_same_v<T, nlohmann::ordered_json>) {
        return "value";
    } else {
        return "object";
    }
}

}  // namespace json_detail

// Strict, typed reading of a received or persisted JSON document. Every `require` fails when the
// key is absent, null or of another type; `optional` accepts absent or null as "no value" and
// fails on another type. Integers accept only whole numbers within range (10000.5 and "5" are
// refused); booleans accept only true/false; text accepts only strings; nothing is converted
// silently. A key given more than once counts once, at its first place, with its last value.
//
// A reader is a position in a parsed JsonDocument; records decode straight from it, so decoding
// takes time linear in the document's size. Failures throw JsonDecodingError naming the key path.
// A reader obtained from `at`, `element` or a member visit refers to the reader it came from for
// that path: use it while that reader lives. Readers are cheap to make and never copy the text;
// one reader is used by one thread at a time (it keeps the keys it has looked at).
class JsonReader {
public:
    using DecodingKind = JsonDecodingError::Kind;
    using Kind = JsonDocument::Kind;

    // The top-level value of a parsed document, which must outlive the reader.
    explicit JsonReader(const JsonDocument& document);
    // Reads an already built value (an encoded record read back) by the same rules; `path` is
    // the key path of the value itself.
    explicit JsonReader(const Json& value, std::string path = {});

    // Parses text into a free-form value under the same rules as JsonDocument::parse.
    // Throws JsonDecodingError.
    static Json parse(std::string_view text, std::size_t maxDepth = JsonDocument::defaultMaxDepth);

    // Parses and decodes a whole text as T. Throws JsonDecodingError.
    template <class T>
    static T decode(std::string_view text) {
        const JsonDocument document = JsonDocument::parse(text);
        return JsonReader(document).as<T>();
    }

    // The key path of this value; built on demand, so only failures pay for it.
    std::string path() const;
    std::string childPath(std::string_view key) const;

    Kind kind() const { return document_->kind(position_); }
    bool isObject() const { return kind() == JsonDocument::Kind::object; }
    bool isArray() const { return kind() == JsonDocument::Kind::array; }
    bool isNull() const { return kind() == JsonDocument::Kind::null; }
    bool isString() const { return kind() == JsonDocument::Kind::string; }

    // True when the key is present (null counts as present).
    bool contains(std::string_view key) const;
    // True when the key is present and not null.
    bool hasValue(std::string_view key) const;

    JsonReader at(std::string_view key) const;  // requires the key (null allowed)
    std::size_t size() const;                   // array length; fails on a non-array
    JsonReader element(std::size_t index) const;
    std::vector<std::string> keys() const;      // object keys in document order

    template <class T>
    T require(std::string_view key) const {
        const std::size_t position = find(key);
        if (position == npos) {
            fail(childPath(key), "required key is missing", DecodingKind::keyNotFound,
                 std::string(json_detail::expectedTypeName<T>()));
        }
        return JsonReader(*this, position, key).as<T>();
    }

    template <class T>
    std::optional<T> optional(std::string_view key) const {
        const std::size_t position = find(key);
        if (position == npos || document_->kind(position) == JsonDocument::Kind::null) {
            return std::nullopt;
        }
        return JsonReader(*this, position, key).as<T>();
    }

    // Decodes this value as T: std::string, bool, double, float, integral types, Json (any value),
    // std::vector<U>, std::map<std::string, U>, std::optional<U> (null -> empty), or a record type
    // with `static T decode(const JsonReader&)`.
    template <class T>
    T as() const {
        if constexpr (std::is_same_v<T, std::string>) {
            return asString();
        } else if constexpr (std::is_same_v<T, bool>) {
            return asBool();
        } else if constexpr (std::is_floating_point_v<T>) {
            return static_cast<T>(asDouble());
        } else if constexpr (std::is_integral_v<T>) {
            return asInteger<T>();
        } else if constexpr (std::is_same_v<T, Json>) {
            return freeFormValue();
        } else if constexpr (json_detail::IsOptional<T>::value) {
            if (isNull()) {
                return T{};
            }
            return T{as<typename T::value_type>()};
        } else if constexpr (json_detail::IsVector<T>::value) {
            requireArray(json_detail::expectedTypeName<T>());
            T result;
            if (const std::size_t count = document_->countHint(position_); count < JsonDocument::countSaturated) {
                result.reserve(count);
            }
            if constexpr (std::is_same_v<typename T::value_type, std::string>) {
                forEachString([&](std::string_view text) { result.emplace_back(text); });
            } else if constexpr (JsonDecodableRecord<typename T::value_type>) {
                // Records are decoded straight into their place in the vector.
                forEachElement([&](const JsonReader& element) {
                    result.emplace_back(DecodedInPlace<typename T::value_type>{element});
                });
            } else {
                forEachElement([&](const JsonReader& element) {
                    result.push_back(element.template as<typename T::value_type>());
                });
            }
            return result;
        } else if constexpr (json_detail::IsStringMap<T>::value) {
            T result;
            forEachMember([&](std::string_view key, const JsonReader& member) {
                result.emplace(std::string(key), member.template as<typename T::mapped_type>());
            });
            return result;
        } else {
            static_assert(JsonDecodableRecord<T>, "type has no JSON decoding");
            requireObject();
            return T::decode(*this);
        }
    }

    std::string asString() const;
    std::string_view asStringView() const;  // valid while the document lives
    bool asBool() const;
    double asDouble() const;
    std::int64_t asInt64() const;
    std::uint64_t asUInt64() const;

    template <class T>
    T asInteger() const {
        if constexpr (std::is_signed_v<T>) {
            const std::int64_t value = asInt64();
            if (value < static_cast<std::int64_t>(std::numeric_limits<T>::min()) ||
                value > static_cast<std::int64_t>(std::numeric_limits<T>::max())) {
                reject("integer out of range");
            }
            return static_cast<T>(value);
        } else {
            const std::uint64_t value = asUInt64();
            if (value > static_cast<std::uint64_t>(std::numeric_limits<T>::max())) {
                reject("integer out of range");
            }
            return static_cast<T>(value);
        }
    }

    // This value as a free-form JSON value (any type, nulls kept), built in one pass; `holdsNull`,
    // when given, is set when a null was met on the way.
    Json freeFormValue(bool* holdsNull = nullptr) const;
    // Appends this value's compact JSON text to `out`: text that parses back to what
    // `freeFormValue` builds (every number of the same kind and value; members as they come, so
    // that a repeated key is resolved when the text is read). Gives false when a null is met on
    // the way; `out` then holds part of the text.
    bool appendCompactText(std::string& out) const;

    void requireObject(std::string_view expectedType = "object") const;
    void requireArray(std::string_view expectedType = "array") const;

    // Visits an object's members in document order, a repeated key once with its last value.
    template <class F>
    void forEachMember(F&& visit) const {
        requireObject();
        forEachUniqueMember(*document_, position_, [&](std::size_t keyAt, std::size_t valueAt) {
            const std::string_view key = document_->string(keyAt);
            visit(key, JsonReader(*this, valueAt, key));
        });
    }

    // Visits the texts of an array of strings in order, as views into the document (valid while it
    // lives); fails as `as<std::vector<std::string>>()` does on any other value. Texts are taken
    // straight from the document; a reader is made only to fail.
    template <class F>
    void forEachString(F&& visit) const {
        requireArray();
        std::size_t index = 0;
        for (std::size_t at = position_ + 1, end = document_->end(position_); at < end; at = document_->after(at)) {
            if (document_->kind(at) != JsonDocument::Kind::string) {
                JsonReader(*this, at, index).rejectType("string", "a string");
            }
            visit(document_->string(at));
            ++index;
        }
    }

    // Visits an array's elements in order.
    template <class F>
    void forEachElement(F&& visit) const {
        requireArray();
        std::size_t index = 0;
        for (std::size_t at = position_ + 1, end = document_->end(position_); at < end; at = document_->after(at)) {
            visit(JsonReader(*this, at, index++));
        }
    }

    // Fails at this value's path.
    [[noreturn]] void reject(const std::string& reason, DecodingKind kind = DecodingKind::dataCorrupted,
                             std::string_view expectedType = {}) const;
    [[noreturn]] static void fail(const std::string& path, const std::string& reason,
                                  DecodingKind kind = DecodingKind::dataCorrupted, std::string expectedType = {});

private:
    template <const auto& Keys>
    friend class JsonFields;
    struct Source;
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    // Objects up to this many members are checked for repeated keys without an index.
    static constexpr std::size_t kSmallObject = 8;

    // Converts to the record the reader holds, so that a container constructs it in place.
    template <class T>
    struct DecodedInPlace {
        const JsonReader& reader;
        operator T() const { return reader.template as<T>(); }
    };

    JsonReader(const JsonReader& parent, std::size_t position, std::string_view key)
        : document_(parent.document_), position_(position), parent_(&parent), key_(key) {}
    JsonReader(const JsonReader& parent, std::size_t position, std::size_t index)
        : document_(parent.document_), position_(position), parent_(&parent), index_(index) {}

    // Position of the last value under `key`, or npos; fails on a non-object.
    std::size_t find(std::string_view key) const;
    [[noreturn]] void rejectType(std::string_view expectedType, std::string_view expected) const;

    // Visits (key position, value position) of each distinct key of the object at `object`, at
    // its first place with its last value.
    template <class F>
    static void forEachUniqueMember(const JsonDocument& document, std::size_t object, F&& visit) {
        const std::size_t end = document.end(object);
        if (document.countHint(object) > kSmallObject) {
            for (const auto& [keyAt, valueAt] : uniqueMembersOfLargeObject(document, object)) {
                visit(keyAt, valueAt);
            }
            return;
        }
        for (std::size_t keyAt = object + 1; keyAt < end; keyAt = document.after(keyAt + 1)) {
            const std::string_view key = document.string(keyAt);
            bool seenBefore = false;
            for (std::size_t other = object + 1; other < keyAt && !seenBefore; other = document.after(other + 1)) {
                seenBefore = document.string(other) == key;
            }
            if (seenBefore) {
                continue;
            }
            std::size_t valueAt = keyAt + 1;
            for (std::size_t other = document.after(keyAt + 1); other < end; other = document.after(other + 1)) {
                if (document.string(other) == key) {
                    valueAt = other + 1;
                }
            }
            visit(keyAt, valueAt);
        }
    }
    static std::vector<std::pair<std::size_t, std::size_t>> uniqueMembersOfLargeObject(const JsonDocument& document,
                                                                                       std::size_t object);
    static Json build(const JsonDocument& document, std::size_t at, bool* holdsNull);
    class CompactSink;
    static bool writeCompact(const JsonDocument& document, std::size_t at, CompactSink& sink);

    // The keys of a small object, met on its first lookup and kept for the next ones: a record
    // looks up each of its fields, and the heads sit together here instead of across the text.
    struct MemberHead {
        std::uint64_t head;  // word 0 of the key (JsonDocument::stringWord)
        std::size_t keyAt;
    };
    static constexpr std::uint8_t kMembersUnknown = 0xFF;
    static constexpr std::uint8_t kMembersUncached = 0xFE;  // too many to keep
    static constexpr std::size_t kCachedMembers = 16;

    const JsonDocument* document_;
    std::size_t position_ = JsonDocument::root;
    mutable std::uint8_t memberCount_ = kMembersUnknown;
    mutable MemberHead members_[kCachedMembers];
    const JsonReader* parent_ = nullptr;
    std::string_view key_;
    std::size_t index_ = npos;  // element index when this value is an array element
    std::shared_ptr<const Source> source_;  // set for readers over a built value
};

}  // namespace solen
