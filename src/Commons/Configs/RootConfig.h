#pragma once

#include "Commons/Json/JsonReader.h"

#include <cstdint>
#include <string>

namespace solen {

// Where the config service is and how to call it, which device identifiers may be sent, the
// newest SDK version the service announces and the switch that stops all ad loading.
// Durations are milliseconds.
struct RootConfig {
    struct IDs {
        bool ida = false;  // the advertising identifier may be sent
        bool idv = false;  // the vendor identifier may be sent

        static IDs decode(const JsonReader& reader);
        Json encode() const;
        bool operator==(const IDs&) const = default;
    };

    struct Retry {
        std::int64_t count = 0;     // further attempts after the first
        std::int64_t interval = 0;  // wait between attempts, ms

        static Retry decode(const JsonReader& reader);
        Json encode() const;
        bool operator==(const Retry&) const = default;
    };

    struct SdkInfo {
        std::string latest;
        bool disabled = false;

        static SdkInfo decode(const JsonReader& reader);
        Json encode() const;
        bool operator==(const SdkInfo&) const = default;
    };

    IDs ids;
    Retry retry;
    SdkInfo sdk;
    double expiry = 0;
    std::string url;
    std::int64_t fetchTimeout = 0;

    static RootConfig decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const RootConfig&) const = default;
};

}  // namespace solen
