#pragma once

#include "Commons/Json/JsonKeys.h"
#include "Commons/Json/JsonReader.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace solen {

// The members of one object that a record reads, found in a single pass over the object: each
// member's key is matched against the record's key table (`Keys`, a JsonKeys constant) and the
// position of its value kept, the last one where a key repeats. Fields are then read by the same
// rules and with the same errors as JsonReader's `require`, `optional`, `at` and `hasValue`,
// without a search per field. Keys the table does not hold are skipped.
//
//     constexpr JsonKeys kKeys{"id", "size"};
//     const JsonFields<kKeys> fields(reader);
//     record.id = fields.require<std::string>("id");   // a key outside the table does not compile
//
// Refers to the reader it was made from, which must outlive it; used by one thread at a time.
template <const auto& Keys>
class JsonFields {
public:
    // A key of the table: named by a literal, checked when the record is compiled, or by index.
    struct Key {
        template <std::size_t L>
        consteval Key(const char (&name)[L]) : index(Keys.indexOf(std::string_view(name, L - 1))) {}
        constexpr explicit Key(std::size_t tableIndex) : index(tableIndex) {}
        std::size_t index;
    };

    // Fails as JsonReader::requireObject when `object` is not an object.
    explicit JsonFields(const JsonReader& object) : object_(object) {
        object.requireObject();
        const JsonDocument& document = *object.document_;
        for (std::size_t at = object.position_ + 1, end = document.end(object.position_); at < end;
             at = document.after(at + 1)) {
            if (const std::size_t index = Keys.match(document, at); index < Keys.size) {
                positions_[index] = at + 1;
            }
        }
    }

    // True when the key is present (null counts as present).
    bool contains(Key key) const { return positions_[key.index] != 0; }
    // True when the key is present and not null.
    bool hasValue(Key key) const {
        const std::size_t position = positions_[key.index];
        return position != 0 && object_.document_->kind(position) != JsonDocument::Kind::null;
    }

    // The value under the key (null allowed); fails when the key is absent.
    JsonReader at(Key key) const {
        const std::size_t position = positions_[key.index];
        if (position == 0) {
            JsonReader::fail(object_.childPath(Keys.name(key.index)), "required key is missing",
                             JsonDecodingError::Kind::keyNotFound);
        }
        return JsonReader(object_, position, Keys.name(key.index));
    }

    template <class T>
    T require(Key key) const {
        const std::size_t position = positions_[key.index];
        if (position == 0) {
            JsonReader::fail(object_.childPath(Keys.name(key.index)), "required key is missing",
                             JsonDecodingError::Kind::keyNotFound, std::string(json_detail::expectedTypeName<T>()));
        }
        return JsonReader(object_, position, Keys.name(key.index)).template as<T>();
    }

    template <class T>
    std::optional<T> optional(Key key) const {
        const std::size_t position = positions_[key.index];
        if (position == 0 || object_.document_->kind(position) == JsonDocument::Kind::null) {
            return std::nullopt;
        }
        return JsonReader(object_, position, Keys.name(key.index)).template as<T>();
    }

    // Decodes the value under the key with `decode(const JsonReader&)` when it is present and not
    // null; nothing otherwise.
    template <class Decode>
    auto optionalWith(Key key, Decode&& decode) const -> std::optional<decltype(decode(std::declval<const JsonReader&>()))> {
        if (!hasValue(key)) {
            return std::nullopt;
        }
        return decode(at(key));
    }

    // The same for a result with an empty state of its own: a default-made one when the key is
    // absent or null.
    template <class Decode>
    auto emptyOrWith(Key key, Decode&& decode) const -> decltype(decode(std::declval<const JsonReader&>())) {
        if (!hasValue(key)) {
            return {};
        }
        return decode(at(key));
    }

private:
    const JsonReader& object_;
    std::array<std::size_t, Keys.size> positions_{};  // 0: absent (no value sits at position 0)
};

}  // namespace solen
