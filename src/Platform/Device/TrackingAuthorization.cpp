#include "Platform/Device/TrackingAuthorization.h"

#include "Platform/Device/ProviderSlot.h"

namespace solen::platform {
namespace {

ProviderSlot<TrackingAuthorization::Status>& statusSlot() {
    static auto& slot = *new ProviderSlot<TrackingAuthorization::Status>([] { return TrackingAuthorization::Status::notDetermined; });
    return slot;
}

}  // namespace

TrackingAuthorization::Status TrackingAuthorization::trackingAuthorizationStatus() { return statusSlot().read(); }

void TrackingAuthorization::setStatusProvider(std::function<Status()> provider) {
    statusSlot().replace(std::move(provider));
}

}  // namespace solen::platform
