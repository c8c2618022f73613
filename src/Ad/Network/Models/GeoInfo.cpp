#include "Ad/Network/Models/GeoInfo.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

Json GeoInfo::encode() const {
    return JsonWriter("device.geo").set("lat", lat).set("lon", lon).set("type", type).set("accuracy", accuracy).take();
}

GeoInfo GeoInfo::decode(const JsonReader& reader) {
    return GeoInfo{reader.optional<double>("lat"), reader.optional<double>("lon"), reader.optional<int>("type"),
                   reader.optional<double>("accuracy")};
}

}  // namespace solen
