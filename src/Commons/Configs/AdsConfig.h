#pragma once

#include "Commons/Json/JsonReader.h"

#include <cstdint>
#include <string>

namespace solen {

// The ad-rendering document. It has a fixed JSON form but no reader: the config service never
// delivers it and the configuration manager only reserves a slot for it.
struct AdsConfig {
    struct Rendering {
        std::int64_t touchReset = 0;
        bool renderPopup = false;
        bool pubMuteControl = false;
        std::string webviewBG;
        bool autoredirects = false;

        static Rendering decode(const JsonReader& reader);
        Json encode() const;
        bool operator==(const Rendering&) const = default;
    };

    // Where a script comes from.
    struct JSConfig {
        std::int64_t expiry = 0;
        std::int64_t retries = 0;
        std::int64_t retryInterval = 0;
        std::string url;

        static JSConfig decode(const JsonReader& reader);
        Json encode() const;
        bool operator==(const JSConfig&) const = default;
    };

    struct OmidConfig {
        bool enabled = false;
        JSConfig jsConfig;
        std::string partnerKey;
        std::int64_t webviewRetainTime = 0;

        static OmidConfig decode(const JsonReader& reader);
        Json encode() const;
        bool operator==(const OmidConfig&) const = default;
    };

    double expiry = 0;
    Rendering rendering;
    JSConfig mraid;
    OmidConfig omid;
    bool showWithoutVC = false;

    static AdsConfig decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const AdsConfig&) const = default;
};

}  // namespace solen
