#include "Commons/Analytics/EventRequest.h"

#include "Ad/Network/BidRequestAssembler.h"
#include "Ad/Network/Signals/Identifiers.h"
#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Json/JsonWriter.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/Device/AdvertisingIdentifierManager.h"
#include "Platform/Device/OperatingSystem.h"
#include "Platform/Device/TrackingAuthorization.h"

namespace solen {

Json EventRequest::DeviceInfo::encode() const { return JsonWriter().set("lmt", lmt).set("att", att).take(); }

Json EventRequest::SDKInfo::encode() const {
    return JsonWriter().set("ver", ver).set("idmap", idmap).set("appId", appId).take();
}

Json EventRequest::ExtrasInfo::encode() const { return JsonWriter().set("sdk", sdk).set("events", events).take(); }

EventRequest EventRequest::make(std::vector<Event> events) {
    EventRequest request;
    request.app = BidRequestAssembler::appInfo();
    request.device.lmt = platform::AdvertisingIdentifierManager::isAdvertisingTrackingEnabled() ? 1 : 0;
    if (platform::OperatingSystem::isAtLeast(14)) {
        request.device.att =
            std::to_string(static_cast<int>(platform::TrackingAuthorization::trackingAuthorizationStatus()));
    }
    request.user = BidRequestAssembler::makeUserInfo();
    request.ext.sdk.ver = std::string(ConfigDefaults::serviceVersion);
    request.ext.sdk.idmap = Identifiers::getIdentifiers();
    request.ext.sdk.appId = Utilities::appId();
    request.ext.events = std::move(events);
    request.regs = BidRequestAssembler::regsInfo();
    return request;
}

Json EventRequest::encode() const {
    return JsonWriter()
        .set("app", app)
        .set("regs", regs)
        .set("device", device)
        .set("user", user)
        .set("ext", ext)
        .take();
}

}  // namespace solen
