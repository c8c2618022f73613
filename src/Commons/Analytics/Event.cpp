#include "Commons/Analytics/Event.h"

#include "Ad/Network/Signals/Identifiers.h"
#include "Commons/Configs/ConfigUtil.h"
#include "Commons/Json/JsonWriter.h"

namespace solen {

Event Event::make(Type type, std::optional<AnyDictionary> info) {
    const double sessionLengthSeconds = ConfigUtil::analyticsConfig().sessionLength / 1000.0;
    Event event;
    event.name = type == Type::appLaunch ? "AppLaunch" : "AppOpen";
    event.sid = Identifiers::rollSessionIfIdle(sessionLengthSeconds);
    event.info = std::move(info);
    return event;
}

Json Event::encode() const {
    JsonWriter writer;
    writer.set("name", name).set("sid", sid);
    if (info) {
        writer.set("info", encodeAnyDictionary(*info, "info"));
    }
    return writer.take();
}

}  // namespace solen
