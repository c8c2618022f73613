#include "Ad/Network/Models/AdRequestParam.h"

#include "Commons/Json/JsonWriter.h"

#include <exception>

namespace solen {

Json AdRequestParam::encode() const {
    return JsonWriter()
        .set("device", device)
        .set("app", app)
        .set("ext", ext)
        .set("imp", imp)
        .set("user", user)
        .set("regs", regs)
        .take();
}

AdRequestParam AdRequestParam::decode(const JsonReader& reader) {
    return AdRequestParam{reader.require<DeviceInfo>("device"), reader.require<AppInfo>("app"),
                          reader.require<ExtrasInfo>("ext"),    reader.require<ImpressionInfo>("imp"),
                          reader.optional<UserInfo>("user"),    reader.optional<RegsInfo>("regs")};
}

AdRequestParam::EncodeResult AdRequestParam::tryEncode() const noexcept {
    EncodeResult result;
    try {
        result.body = encode();
    } catch (const JsonEncodingError& error) {
        result.error = std::string("bid request cannot be encoded: ") + error.what();
    } catch (const std::exception& error) {
        result.error = std::string("bid request cannot be encoded: ") + error.what();
    }
    return result;
}

}  // namespace solen
