#include "Ad/Network/Models/AppInfo.h"

#include "Commons/Json/JsonTextWriter.h"

namespace solen {

template <class Writer>
void AppInfo::encodeMembers(Writer& writer) const {
    writer.set("bundle", bundle).set("name", name).set("ver", ver);
}
template void AppInfo::encodeMembers(JsonTextWriter&) const;

Json AppInfo::encode() const { return encodeRecord(*this, "app"); }

AppInfo AppInfo::decode(const JsonReader& reader) {
    return AppInfo{reader.optional<std::string>("bundle"), reader.require<std::string>("name"),
                   reader.optional<std::string>("ver")};
}

}  // namespace solen
