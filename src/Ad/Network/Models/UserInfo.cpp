#include "Ad/Network/Models/UserInfo.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

Json UserInfo::encode() const {
    return JsonWriter("user").set("gender", gender).set("ext", ext).take();
}

UserInfo UserInfo::decode(const JsonReader& reader) {
    return UserInfo{reader.optional<int>("gender"), reader.optional<Json>("ext")};
}

}  // namespace solen
