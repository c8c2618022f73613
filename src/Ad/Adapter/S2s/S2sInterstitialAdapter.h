#pragma once

#include "Ad/Adapter/S2s/RenderFacade.h"
#include "Ad/Adapter/S2s/S2sRenderAdapter.h"
#include <solen/adapters/SolenBaseInterstitialAdapter.h>

#include <memory>

namespace solen {

// The SDK's own interstitial (and rewarded) adapter for server-to-server line items, registered
// as "S2sInterstitialAdapter": `load` checks and decodes the creative's base64 markup on the
// calling thread (failures are reported there), then renders the HTML in a screen-sized
// `InterstitialView` below the status bar on the main queue. It is ready once the view has
// reported its load; `show` presents that view full screen from the key window's top-most
// controller (the argument is not used), each time in a new controller. Main thread for `show`
// and every report.
class S2sInterstitialAdapter final : public SolenBaseInterstitialAdapter,
                                     public S2sRenderAdapter,
                                     public std::enable_shared_from_this<S2sInterstitialAdapter> {
public:
    // The name it registers under, defined beside the registration.
    static const char* const registeredName;

    // Text of the presentation failure's error (domain "com.solen", code 100).
    static constexpr const char* presentationErrorText = "The operation couldn\u2019t be completed. (com.solen error 100.)";

    void load(const AdapterAdConfiguration& configuration) override;
    std::optional<std::string> getCreativeId() override { return std::nullopt; }
    bool isReady() override { return renderView_ != nullptr; }
    void show(std::shared_ptr<platform::ViewController> viewController) override;

    const std::shared_ptr<Interstitial>& interstitial() const { return interstitial_; }

protected:
    SolenBaseAdAdapter& adapter() override { return *this; }
    std::shared_ptr<AdapterDelegate> adapterDelegate() const override { return SolenBaseInterstitialAdapter::delegate(); }

private:
    void renderInterstitial(const std::string& markup);

    std::shared_ptr<Interstitial> interstitial_;
};

}  // namespace solen
