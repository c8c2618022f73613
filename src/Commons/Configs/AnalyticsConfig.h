#pragma once

#include "Commons/Json/JsonReader.h"

#include <cstdint>
#include <string>

namespace solen {

// The analytics session length and the analytics upload settings. Durations are milliseconds.
struct AnalyticsConfig {
    struct EventConfig {
        std::string url;
        std::int64_t maxRetries = 0;
        std::int64_t retryInterval = 0;
        std::int64_t retryTimeOut = 0;

        static EventConfig decode(const JsonReader& reader);
        Json encode() const;
        bool operator==(const EventConfig&) const = default;
    };

    double expiry = 0;
    double sessionLength = 0;
    EventConfig event;

    static AnalyticsConfig decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const AnalyticsConfig&) const = default;
};

}  // namespace solen
