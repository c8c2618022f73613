#pragma once

#include "Ad/Network/Models/AppInfo.h"
#include "Ad/Network/Models/RegsInfo.h"
#include "Ad/Network/Models/UserInfo.h"
#include "Commons/Analytics/Event.h"
#include "Commons/Json/JsonReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace solen {

// The body of one analytics upload: the application, consent, device and user facts of the
// moment, the SDK's identity and the events.
struct EventRequest {
    struct DeviceInfo {
        std::int64_t lmt = 0;            // 1 when advertising tracking is enabled, 0 when limited
        std::optional<std::string> att;  // tracking authorisation "0"-"3", from OS 14 on
        Json encode() const;
    };
    struct SDKInfo {
        std::string ver;
        std::optional<std::string> idmap;  // JSON text of the identifier map
        std::string appId;
        Json encode() const;
    };
    struct ExtrasInfo {
        SDKInfo sdk;
        std::vector<Event> events;
        Json encode() const;
    };

    AppInfo app;
    std::optional<RegsInfo> regs;
    DeviceInfo device;
    UserInfo user;
    ExtrasInfo ext;

    // Reads every fact now.
    static EventRequest make(std::vector<Event> events);

    // Throws JsonEncodingError when a free-form member has no JSON form.
    Json encode() const;
};

}  // namespace solen
