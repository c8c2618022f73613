#include "Commons/Network/Encodable.h"

#include <exception>

namespace solen {

Encodable Encodable::fromEncoder(std::function<Json()> encoder) { return Encodable(FromEncoder{}, std::move(encoder)); }

std::optional<Encodable::Data> Encodable::jsonData(std::string* failure) const {
    try {
        if (!encoder_) throw std::invalid_argument("no value to encode");
        const Json value = encoder_();
        JsonWriter::checkFinite(value);
        const std::string text = value.dump();
        return Data(text.begin(), text.end());
    } catch (const std::exception& error) {
        if (failure) *failure = error.what();
    } catch (...) {
        if (failure) *failure = "unknown encoding failure";
    }
    return std::nullopt;
}

}  // namespace solen
