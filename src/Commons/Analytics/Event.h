#pragma once

#include "Commons/Json/JsonReader.h"
#include "Commons/Utilities/AnyDictionary.h"

#include <optional>
#include <string>

namespace solen {

// One analytics event: its name, the session it belongs to and its free-form info.
struct Event {
    enum class Type { appLaunch = 0, appOpen = 1 };

    std::optional<std::string> name;
    std::string sid;
    std::optional<AnyDictionary> info;

    // Names the event ("AppLaunch" or "AppOpen") and runs the session step: when the application
    // has been idle longer than the analytics session length, a new session id is drawn. Creating
    // an event does not count as activity by itself.
    static Event make(Type type, std::optional<AnyDictionary> info);

    // Throws JsonEncodingError when `info` holds a value without a JSON form.
    Json encode() const;
    bool operator==(const Event&) const = default;
};

}  // namespace solen
