#include "Ad/Network/Models/UserInfo.h"

#include "Commons/Json/JsonTextWriter.h"
#include "Commons/Utilities/AnyDictionary.h"

namespace solen {

template <class Writer>
void UserInfo::encodeMembers(Writer& writer) const {
    writer.set("gender", gender);
    if (ext) {
        writer.set("ext", encodeAnyDictionary(*ext, "user.ext"));
    }
}
template void UserInfo::encodeMembers(JsonTextWriter&) const;

Json UserInfo::encode() const { return encodeRecord(*this, "user"); }

UserInfo UserInfo::decode(const JsonReader& reader) {
    return UserInfo{reader.optional<int>("gender"), reader.optional<Json>("ext")};
}

}  // namespace solen
