#pragma once

#include "Commons/Utilities/AnyDictionary.h"

#include <map>
#include <optional>
#include <string>

namespace solen {

// The regulatory consent sent with the bid and analytics requests. The IAB strings a consent
// platform stored in the application's standard defaults win (TCF v2 keys, then v1); otherwise the
// consent dictionary the application handed to the SDK. Read afresh for every document.
class ConsentSignals {
public:
    // {"gdpr_consent": string, "gdpr": applies} from the v2 or v1 keys; none when that version's
    // consent string is absent or not text. "gdpr" is left out when the applies value is not of the
    // version's form (a number for v2, text for v1).
    static std::optional<std::map<std::string, std::string>> consentDictionary(bool isTCFv2);

    // The first source that yields a dictionary, or none (then the document carries no "regs").
    static std::optional<AnyDictionary> selectConsent();
};

}  // namespace solen
