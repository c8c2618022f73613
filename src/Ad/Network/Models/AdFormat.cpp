#include "Ad/Network/Models/AdFormat.h"

namespace solen::AdFormats {

std::string_view rawValue(AdFormat format) {
    switch (format) {
        case AdFormat::banner: return "Banner";
        case AdFormat::interstitial: return "Interstitial";
        case AdFormat::rewarded: return "Rewarded";
        case AdFormat::native: return "Native";
        case AdFormat::splash: return "Splash";
    }
    return {};
}

std::optional<AdFormat> fromRawValue(std::string_view raw) {
    for (const AdFormat format : allCases) {
        if (rawValue(format) == raw) {
            return format;
        }
    }
    return std::nullopt;
}

}  // namespace solen::AdFormats
