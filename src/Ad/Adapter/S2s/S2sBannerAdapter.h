#pragma once

#include "Ad/Adapter/S2s/RenderFacade.h"
#include "Ad/Adapter/S2s/S2sRenderAdapter.h"
#include <solen/adapters/SolenBaseBannerAdapter.h>

#include <memory>

namespace solen {

// The SDK's own banner adapter for server-to-server line items, registered as
// "S2sBannerAdapter": `load` checks and decodes the creative's base64 markup and the ad size on
// the calling thread (failures are reported there), then renders the HTML in a `BannerView` of
// the ad size on the main queue. `getAdView` is the view once it has reported its load. The
// render view's reports reach the delegate on the main thread.
class S2sBannerAdapter final : public SolenBaseBannerAdapter,
                               public S2sRenderAdapter,
                               public std::enable_shared_from_this<S2sBannerAdapter> {
public:
    // The name it registers under, defined beside the registration.
    static const char* const registeredName;

    void load(const AdapterAdConfiguration& configuration) override;
    std::optional<std::string> getCreativeId() override { return std::nullopt; }
    std::shared_ptr<platform::View> getAdView() override { return renderView_; }

    const std::shared_ptr<Banner>& banner() const { return banner_; }

protected:
    SolenBaseAdAdapter& adapter() override { return *this; }
    std::shared_ptr<AdapterDelegate> adapterDelegate() const override { return SolenBaseBannerAdapter::delegate(); }

private:
    void renderBanner(const std::string& markup, platform::Size size);

    std::shared_ptr<Banner> banner_;
};

}  // namespace solen
