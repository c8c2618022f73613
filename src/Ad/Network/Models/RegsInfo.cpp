#include "Ad/Network/Models/RegsInfo.h"

#include "Commons/Json/JsonWriter.h"
#include "Commons/Utilities/AnyDictionary.h"

namespace solen {

Json RegsInfo::encode() const {
    JsonWriter writer("regs");
    if (consent) {
        writer.set("consent", encodeAnyDictionary(*consent, "regs.consent"));
    }
    return writer.take();
}

RegsInfo RegsInfo::decode(const JsonReader& reader) {
    return RegsInfo{reader.optional<Json>("consent")};
}

}  // namespace solen
