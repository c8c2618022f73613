#include <solen/SolenSdkConfiguration.h>

namespace solen {

SolenSdkConfiguration::SolenSdkConfiguration(std::string appId, Consent consent)
    : SolenSdkConfiguration(std::move(appId), std::move(consent), SolenBuildType::global) {}

SolenSdkConfiguration::SolenSdkConfiguration(std::string appId, Consent consent, SolenBuildType buildType)
    : appId_(std::move(appId)), consent_(std::move(consent)), buildType_(buildType) {}

}  // namespace solen
