#include "Ad/Network/Models/GeoInfo.h"

#include "Commons/Json/JsonTextWriter.h"

namespace solen {

template <class Writer>
void GeoInfo::encodeMembers(Writer& writer) const {
    writer.set("lat", lat)
        .set("lon", lon)
        .set("type", type)
        .set("accuracy", accuracy);
}
template void GeoInfo::encodeMembers(JsonTextWriter&) const;

Json GeoInfo::encode() const { return encodeRecord(*this, "device.geo"); }

GeoInfo GeoInfo::decode(const JsonReader& reader) {
    return GeoInfo{reader.optional<double>("lat"), reader.optional<double>("lon"), reader.optional<int>("type"),
                   reader.optional<double>("accuracy")};
}

}  // namespace solen
