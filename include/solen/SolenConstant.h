#pragma once

#include <solen/SolenExport.h>

namespace solen {

// Keys of the consent dictionary that the application passes at initialisation or with a consent
// update.
class SOLEN_EXPORT SolenConstant {
public:
    // Whether consent information is available.
    static constexpr const char SOLEN_GDPR_CONSENT_AVAILABLE[] = "gdpr_consent_available";
    // The IAB consent string.
    static constexpr const char SOLEN_GDPR_CONSENT_IAB[] = "gdpr_consent";
    // Whether GDPR applies.
    static constexpr const char SOLEN_GDPR_CONSENT_GDPR_APPLIES[] = "gdpr";
};

}  // namespace solen
