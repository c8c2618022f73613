#pragma once

#include "Commons/Json/JsonWriter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace solen {

// A value that can be encoded as a JSON body: a Json value, a record with `encode()`, or anything
// else JsonWriter::encode accepts. A Json value cannot change once wrapped: it is encoded on the
// first `jsonData()` and the text is reused by every copy (retries, repeated sends). Anything else
// is encoded afresh on every `jsonData()`.
class Encodable {
public:
    using Data = std::vector<std::uint8_t>;

    template <class T>
        requires(!std::is_same_v<std::decay_t<T>, Encodable>)
    Encodable(T value) {  // NOLINT(google-explicit-constructor): any encodable value converts
        if constexpr (std::is_same_v<std::decay_t<T>, Json>) {
            constant_ = std::make_shared<Constant>(std::move(value));
        } else {
            encoder_ = [shared = std::make_shared<const std::decay_t<T>>(std::move(value))] {
                return JsonWriter::encode(*shared);
            };
        }
    }

    // An encoder that builds the JSON value when asked; it may throw to report a failure.
    static Encodable fromEncoder(std::function<Json()> encoder);
    // Text already encoded as compact JSON, sent as it is by every copy.
    static Encodable fromText(const std::string& jsonText);

    // The compact JSON text of the value. Nothing, with the reason in `failure`, when the value
    // cannot be encoded (a non-finite number, text that is not UTF-8, an encoder that threw).
    std::optional<Data> jsonData(std::string* failure = nullptr) const;

private:
    struct FromEncoder {};
    Encodable(FromEncoder, std::function<Json()> encoder) : encoder_(std::move(encoder)) {}
    explicit Encodable(std::shared_ptr<const Data> text) : text_(std::move(text)) {}

    // A JSON value with its encoding, made once when first asked for.
    struct Constant {
        explicit Constant(Json json) : value(std::move(json)) {}
        const Json value;
        std::once_flag once;
        std::optional<Data> encoded;
        std::string failure;
    };

    static std::optional<Data> encode(const Json& value, std::string* failure);

    std::shared_ptr<Constant> constant_;
    std::function<Json()> encoder_;
    std::shared_ptr<const Data> text_;
};

}  // namespace solen
