#include "Ad/Network/Signals/ConsentSignals.h"

#include "Commons/Utilities/PublisherProvidedInfo.h"
#include "Platform/Foundation/UserDefaults.h"

#include <cmath>

namespace solen {
namespace {

// The decimal text of a stored number: whole numbers without a fraction ("1"), others as written.
std::optional<std::string> numberText(const platform::PropertyValue& value) {
    if (const auto integer = value.integer()) {
        return std::to_string(*integer);
    }
    if (const auto flag = value.boolean()) {
        return *flag ? "1" : "0";  // a stored boolean is a number of 1 or 0
    }
    if (const auto real = value.real()) {
        if (!std::isfinite(*real)) {
            return std::nullopt;
        }
        if (std::trunc(*real) == *real && std::fabs(*real) < 1e15) {
            return std::to_string(static_cast<long long>(*real));
        }
        return Json(*real).dump();
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::map<std::string, std::string>> ConsentSignals::consentDictionary(bool isTCFv2) {
    const auto defaults = platform::UserDefaults::standard();
    const auto consent = defaults->get(isTCFv2 ? "IABTCF_TCString" : "IABConsent_ConsentString");
    const std::string* consentText = consent ? consent->text() : nullptr;
    if (consentText == nullptr) {
        return std::nullopt;
    }
    std::map<std::string, std::string> result{{"gdpr_consent", *consentText}};
    if (isTCFv2) {
        if (const auto applies = defaults->get("IABTCF_gdprApplies")) {
            if (auto text = numberText(*applies)) {
                result["gdpr"] = std::move(*text);
            }
        }
    } else if (const auto applies = defaults->get("IABConsent_SubjectToGDPR")) {
        if (const std::string* text = applies->text()) {
            result["gdpr"] = *text;
        }
    }
    return result;
}

std::optional<AnyDictionary> ConsentSignals::selectConsent() {
    for (const bool isTCFv2 : {true, false}) {
        if (auto dictionary = consentDictionary(isTCFv2)) {
            AnyDictionary consent = AnyDictionary::object();
            for (auto& [key, value] : *dictionary) {
                consent[key] = std::move(value);
            }
            return consent;
        }
    }
    return PublisherProvidedInfo::consent();
}

}  // namespace solen
