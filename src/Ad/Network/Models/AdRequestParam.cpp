#include "Ad/Network/Models/AdRequestParam.h"

#include "Commons/Json/JsonTextWriter.h"

#include <exception>

namespace solen {

template <class Writer>
void AdRequestParam::encodeMembers(Writer& writer) const {
    writer.set("device", device).set("app", app).set("ext", ext).set("imp", imp).set("user", user).set("regs", regs);
}

Json AdRequestParam::encode() const { return encodeRecord(*this, {}); }

std::string AdRequestParam::encodeText() const {
    std::string text;
    text.reserve(4096);  // a full request with a few header bidders fits without growing
    JsonTextWriter(text).writeRecord(*this);
    return text;
}

AdRequestParam AdRequestParam::decode(const JsonReader& reader) {
    return AdRequestParam{reader.require<DeviceInfo>("device"), reader.require<AppInfo>("app"),
                          reader.require<ExtrasInfo>("ext"),    reader.require<ImpressionInfo>("imp"),
                          reader.optional<UserInfo>("user"),    reader.optional<RegsInfo>("regs")};
}

namespace {

template <class Body, class Encode>
AdRequestParam::Encoded<Body> tryEncoding(Encode encode) noexcept {
    AdRequestParam::Encoded<Body> result;
    try {
        result.body = encode();
    } catch (const std::exception& error) {
        result.error = std::string("bid request cannot be encoded: ") + error.what();
    }
    return result;
}

}  // namespace

AdRequestParam::EncodeResult AdRequestParam::tryEncode() const noexcept {
    return tryEncoding<Json>([this] { return encode(); });
}

AdRequestParam::TextResult AdRequestParam::tryEncodeText() const noexcept {
    return tryEncoding<std::string>([this] { return encodeText(); });
}

}  // namespace solen
