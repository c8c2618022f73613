#include "Ad/Network/Models/AppInfo.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

Json AppInfo::encode() const {
    return JsonWriter("app").set("bundle", bundle).set("name", name).set("ver", ver).take();
}

AppInfo AppInfo::decode(const JsonReader& reader) {
    return AppInfo{reader.optional<std::string>("bundle"), reader.require<std::string>("name"),
                   reader.optional<std::string>("ver")};
}

}  // namespace solen
