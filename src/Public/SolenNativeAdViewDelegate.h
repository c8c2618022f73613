#pragma once

#include <solen/adapters/SolenBaseNativeAdapter.h>

#include <memory>

namespace solen {

// The link from a native ad view to the SDK's wrapper of the network adapter that made it; the
// view uses it only to reach that adapter. Main thread only.
class SolenNativeAdViewDelegate {
public:
    virtual ~SolenNativeAdViewDelegate() = default;

    // The network adapter behind the view; null when there is none any more.
    virtual std::shared_ptr<SolenBaseNativeAdapter> solenAdAdapter() const = 0;
};

}  // namespace solen
