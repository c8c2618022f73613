#include "Commons/Network/Encodable.h"

#include <cmath>
#include <exception>

namespace solen {

Encodable Encodable::fromEncoder(std::function<Json()> encoder) { return Encodable(FromEncoder{}, std::move(encoder)); }

Encodable Encodable::fromText(const std::string& jsonText) {
    return Encodable(std::make_shared<const Data>(jsonText.begin(), jsonText.end()));
}

namespace {

bool allFinite(const Json& value) {
    if (value.is_number_float()) return std::isfinite(value.get_ref<const Json::number_float_t&>());
    if (value.is_structured()) {
        for (const Json& element : value) {
            if (!allFinite(element)) return false;
        }
    }
    return true;
}

}  // namespace

std::optional<Encodable::Data> Encodable::encode(const Json& value, std::string* failure) {
    try {
        // Names the offending key path when there is one.
        if (!allFinite(value)) JsonWriter::checkFinite(value);
        const std::string text = value.dump();
        return Data(text.begin(), text.end());
    } catch (const std::exception& error) {
        if (failure) *failure = error.what();
    } catch (...) {
        if (failure) *failure = "unknown encoding failure";
    }
    return std::nullopt;
}

std::optional<Encodable::Data> Encodable::jsonData(std::string* failure) const {
    if (text_) return *text_;
    if (constant_) {
        Constant& constant = *constant_;
        std::call_once(constant.once, [&constant] { constant.encoded = encode(constant.value, &constant.failure); });
        if (!constant.encoded && failure) *failure = constant.failure;
        return constant.encoded;
    }
    Json produced;
    try {
        if (!encoder_) throw std::invalid_argument("no value to encode");
        produced = encoder_();
    } catch (const std::exception& error) {
        if (failure) *failure = error.what();
        return std::nullopt;
    } catch (...) {
        if (failure) *failure = "unknown encoding failure";
        return std::nullopt;
    }
    return encode(produced, failure);
}

}  // namespace solen
