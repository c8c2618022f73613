#include <solen/adapters/SolenBaseSDKAdapter.h>

namespace solen {

SolenBaseSDKAdapter::~SolenBaseSDKAdapter() = default;

std::optional<std::string> SolenBaseSDKAdapter::getBidToken(const AdapterSdkConfiguration&) { return std::nullopt; }

}  // namespace solen
