#include "Ad/Network/Models/SdkExtrasInfo.h"

#include "Commons/Json/JsonTextWriter.h"

namespace solen {

template <class Writer>
void SdkExtrasInfo::encodeMembers(Writer& writer) const {
    writer.set("ver", ver)
        .set("ats", ats)
        .set("idmap", idmap)
        .set("sid", sid)
        .set("rid", rid)
        .set("ts", ts)
        .set("mediationconfigts", mediationconfigts)
        .set("adUnitId", adUnitId);
}
template void SdkExtrasInfo::encodeMembers(JsonTextWriter&) const;

Json SdkExtrasInfo::encode() const { return encodeRecord(*this, "ext.sdk"); }

SdkExtrasInfo SdkExtrasInfo::decode(const JsonReader& reader) {
    SdkExtrasInfo info;
    info.ver = reader.require<std::string>("ver");
    info.ats = reader.optional<std::string>("ats");
    info.idmap = reader.optional<std::string>("idmap");
    info.sid = reader.require<std::string>("sid");
    info.rid = reader.require<std::string>("rid");
    info.ts = reader.require<std::int64_t>("ts");
    info.mediationconfigts = reader.require<std::int64_t>("mediationconfigts");
    info.adUnitId = reader.require<std::string>("adUnitId");
    return info;
}

}  // namespace solen
