#pragma once

#include "Commons/Json/JsonWriter.h"

#include <charconv>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

namespace solen {

template <class Record, class Writer>
concept JsonMemberRecord = requires(const Record& record, Writer& writer) { record.encodeMembers(writer); };

// Writes a sent document's compact JSON text straight into one buffer: the same bytes as building
// the value with JsonWriter and dumping it (member order, number forms, escapes), without the JSON
// values in between. A record takes part through `encodeMembers(writer)`, the member list it also
// gives JsonWriter; a record that only has `encode()` is encoded that way and written. Fails as
// JsonWriter does (JsonEncodingError with the key path, for a non-finite number) and, for text
// that is not UTF-8, with the error the library's dump gives (Json::type_error); a writer that has
// thrown is not used again. Only the library's public interface is used: texts are escaped here,
// numbers with a fraction and free-form values are written by the library's dump.
// One writer belongs to one thread.
class JsonTextWriter {
public:
    explicit JsonTextWriter(std::string& out);
    JsonTextWriter(const JsonTextWriter&) = delete;
    JsonTextWriter& operator=(const JsonTextWriter&) = delete;

    // One member of the object being written; an empty optional writes nothing.
    template <class T>
    JsonTextWriter& set(std::string_view key, const T& value) {
        if constexpr (json_detail::IsOptional<T>::value) {
            if (value) {
                set(key, *value);
            }
        } else {
            writeKey(key);
            writeNested(Segment{key, member, path_}, value);
        }
        return *this;
    }

    // A record as a whole object: "{", its members, "}".
    template <class Record>
    void writeRecord(const Record& record) {
        out_ += '{';
        const bool outerFirst = first_;
        first_ = true;
        record.encodeMembers(*this);
        first_ = outerFirst;
        out_ += '}';
    }

private:
    // One step of the key path of the value being written: a member key, or an element index.
    // The steps live on the stack of the calls that write them, each naming the one outside it.
    static constexpr std::size_t member = static_cast<std::size_t>(-1);
    struct Segment {
        std::string_view key;
        std::size_t index;  // `member` for a key
        const Segment* outer;
    };

    template <class T>
    void writeNested(const Segment& segment, const T& value) {
        path_ = &segment;
        writeValue(value);
        path_ = segment.outer;
    }

    template <class T>
    void writeValue(const T& value) {
        if constexpr (std::is_same_v<T, Json>) {
            writeJson(value);
        } else if constexpr (std::is_floating_point_v<T>) {
            writeDouble(static_cast<double>(value));
        } else if constexpr (std::is_same_v<T, bool>) {
            out_ += value ? "true" : "false";
        } else if constexpr (std::is_integral_v<T>) {
            char digits[24];
            const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
            out_.append(digits, end);
        } else if constexpr (std::is_convertible_v<const T&, std::string_view>) {
            writeString(value);
        } else if constexpr (json_detail::IsOptional<T>::value) {
            if (value) {
                writeValue(*value);
            } else {
                out_ += "null";
            }
        } else if constexpr (json_detail::IsVector<T>::value) {
            out_ += '[';
            for (std::size_t index = 0; index < value.size(); ++index) {
                if (index > 0) {
                    out_ += ',';
                }
                writeNested(Segment{{}, index, path_}, value[index]);
            }
            out_ += ']';
        } else if constexpr (json_detail::IsStringMap<T>::value) {
            out_ += '{';
            const bool outerFirst = first_;
            first_ = true;
            for (const auto& [key, element] : value) {
                set(std::string_view(key), element);
            }
            first_ = outerFirst;
            out_ += '}';
        } else if constexpr (JsonMemberRecord<T, JsonTextWriter>) {
            writeRecord(value);
        } else if constexpr (JsonEncodableRecord<T>) {
            writeJson(value.encode());
        } else {
            writeJson(Json(value));
        }
    }

    void writeKey(std::string_view key);
    void writeString(std::string_view text);
    void writeDouble(double value);
    void writeJson(const Json& value);
    std::string pathText() const;

    std::string& out_;
    bool first_ = true;  // no member written yet in the innermost open object
    const Segment* path_ = nullptr;  // the innermost step, while a value is being written
};

// A record's members built as a JSON value with JsonWriter; `path` is the record's own key path.
template <class Record>
Json encodeRecord(const Record& record, std::string path) {
    JsonWriter writer(std::move(path));
    record.encodeMembers(writer);
    return writer.take();
}

}  // namespace solen
