#include "Ad/Network/Models/RegsInfo.h"

#include "Commons/Json/JsonTextWriter.h"
#include "Commons/Utilities/AnyDictionary.h"

namespace solen {

template <class Writer>
void RegsInfo::encodeMembers(Writer& writer) const {
    if (consent) {
        writer.set("consent", encodeAnyDictionary(*consent, "regs.consent"));
    }
}
template void RegsInfo::encodeMembers(JsonTextWriter&) const;

Json RegsInfo::encode() const { return encodeRecord(*this, "regs"); }

RegsInfo RegsInfo::decode(const JsonReader& reader) {
    return RegsInfo{reader.optional<Json>("consent")};
}

}  // namespace solen
