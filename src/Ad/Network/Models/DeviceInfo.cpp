#include "Ad/Network/Models/DeviceInfo.h"

#include "Commons/Json/JsonTextWriter.h"

namespace solen {

template <class Writer>
void DeviceInfo::encodeMembers(Writer& writer) const {
    writer.set("lmt", lmt)
        .set("att", att)
        .set("screendensity", screendensity)
        .set("localization", localization)
        .set("orientation", orientation)
        .set("connectiontype", connectiontype)
        .set("ua", ua)
        .set("make", make)
        .set("model", model)
        .set("osv", osv)
        .set("hwv", hwv)
        .set("devicetype", devicetype)
        .set("carrier", carrier)
        .set("mccmnc", mccmnc)
        .set("geo", geo);
}
template void DeviceInfo::encodeMembers(JsonTextWriter&) const;

Json DeviceInfo::encode() const { return encodeRecord(*this, "device"); }

DeviceInfo DeviceInfo::decode(const JsonReader& reader) {
    DeviceInfo info;
    info.lmt = reader.require<int>("lmt");
    info.att = reader.optional<std::string>("att");
    info.screendensity = reader.require<double>("screendensity");
    info.localization = reader.optional<std::string>("localization");
    info.orientation = reader.require<int>("orientation");
    info.connectiontype = reader.require<int>("connectiontype");
    info.ua = reader.optional<std::string>("ua");
    info.make = reader.require<std::string>("make");
    info.model = reader.require<std::string>("model");
    info.osv = reader.require<std::string>("osv");
    info.hwv = reader.require<std::string>("hwv");
    info.devicetype = reader.require<int>("devicetype");
    info.carrier = reader.optional<std::string>("carrier");
    info.mccmnc = reader.optional<std::string>("mccmnc");
    info.geo = reader.optional<GeoInfo>("geo");
    return info;
}

}  // namespace solen
