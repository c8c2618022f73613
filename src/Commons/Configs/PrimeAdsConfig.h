#pragma once

#include "Commons/Json/JsonReader.h"

#include <cstdint>
#include <string>

namespace solen {

// Settings of the ad-serving side: the bid endpoint and its time-out, tracking retries, and per ad
// format the waterfall window width and the render and show time-outs. Durations are milliseconds.
struct PrimeAdsConfig {
    struct EventReporting {
        std::int64_t maxRetries = 0;
        double retryInterval = 0;
        double retryTimeOut = 0;

        static EventReporting decode(const JsonReader& reader);
        Json encode() const;
        bool operator==(const EventReporting&) const = default;
    };

    // The settings shared by banner, native and splash ads.
    struct PrimeFormat {
        std::int64_t windowBatchSize = 0;
        double s2sRenderTimeOut = 0;

        static PrimeFormat decode(const JsonReader& reader);
        Json encode() const;
        bool operator==(const PrimeFormat&) const = default;
    };
    using PrimeBanner = PrimeFormat;
    using PrimeNative = PrimeFormat;
    using PrimeSplash = PrimeFormat;

    // Interstitial settings, also used for rewarded ads.
    struct Primeinterstitial {
        std::int64_t windowBatchSize = 0;
        double s2sRenderTimeOut = 0;
        double showTimeOut = 0;

        static Primeinterstitial decode(const JsonReader& reader);
        Json encode() const;
        bool operator==(const Primeinterstitial&) const = default;
    };

    double expiry = 0;
    std::string url;
    double fetchTimeout = 0;
    bool mediaVolumeCollectionEnabled = false;
    EventReporting eventReporting;
    PrimeBanner banner;
    Primeinterstitial interstitial;
    PrimeNative native;
    PrimeSplash splash;

    static PrimeAdsConfig decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const PrimeAdsConfig&) const = default;
};

}  // namespace solen
