#include "Ad/Network/Models/RegsInfo.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

Json RegsInfo::encode() const {
    return JsonWriter("regs").set("consent", consent).take();
}

RegsInfo RegsInfo::decode(const JsonReader& reader) {
    return RegsInfo{reader.optional<Json>("consent")};
}

}  // namespace solen
