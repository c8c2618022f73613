#include "Ad/Network/Models/UserInfo.h"

#include "Commons/Json/JsonWriter.h"
#include "Commons/Utilities/AnyDictionary.h"

namespace solen {

Json UserInfo::encode() const {
    JsonWriter writer("user");
    writer.set("gender", gender);
    if (ext) {
        writer.set("ext", encodeAnyDictionary(*ext, "user.ext"));
    }
    return writer.take();
}

UserInfo UserInfo::decode(const JsonReader& reader) {
    return UserInfo{reader.optional<int>("gender"), reader.optional<Json>("ext")};
}

}  // namespace solen
