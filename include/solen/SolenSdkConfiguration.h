#pragma once

#include <solen/SolenBuildType.h>
#include <solen/SolenExport.h>

#include <nlohmann/json.hpp>

#include <map>
#include <string>

namespace solen {

// What the application hands to the SDK's initialisation: its application id, its consent
// dictionary (keys of SolenConstant) and the build region that selects the service endpoints.
class SOLEN_EXPORT SolenSdkConfiguration {
public:
    using Consent = std::map<std::string, nlohmann::ordered_json>;

    SolenSdkConfiguration(std::string appId, Consent consent);
    SolenSdkConfiguration(std::string appId, Consent consent, SolenBuildType buildType);

    const std::string& appId() const { return appId_; }

    const Consent& consent() const { return consent_; }
    void setConsent(Consent consent) { consent_ = std::move(consent); }

    SolenBuildType buildType() const { return buildType_; }
    void setBuildType(SolenBuildType buildType) { buildType_ = buildType; }

private:
    std::string appId_;
    Consent consent_;
    SolenBuildType buildType_ = SolenBuildType::global;
};

}  // namespace solen
