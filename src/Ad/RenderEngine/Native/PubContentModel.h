#pragma once

#include "Ad/RenderEngine/Native/NativePubContent.h"
#include "Commons/Json/JsonReader.h"

#include <string>
#include <variant>

namespace solen {

// What a creative carries: base64 ad markup (a JSON string) or a native object (a JSON object).
class PubContentModel {
public:
    explicit PubContentModel(std::string encodedAdMarkup) : value_(std::move(encodedAdMarkup)) {}
    explicit PubContentModel(NativePubContent native) : value_(std::move(native)) {}

    const std::string* encodedAdMarkupString() const { return std::get_if<std::string>(&value_); }
    const NativePubContent* nativeModel() const { return std::get_if<NativePubContent>(&value_); }

    // Any failure, however deep inside a native object, surfaces as the one error
    // "Wrong type for PubContentModel" at this value's path.
    static PubContentModel decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const PubContentModel&) const = default;

private:
    std::variant<std::string, NativePubContent> value_;
};

}  // namespace solen
