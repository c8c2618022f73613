#pragma once

#include "Ad/Adapter/S2s/AdStatusDelegate.h"
#include "Ad/RenderEngine/View/RenderView.h"
#include <solen/adapters/AdapterAdConfiguration.h>
#include <solen/adapters/AdapterDelegate.h>
#include <solen/adapters/SolenAdapterError.h>
#include <solen/adapters/SolenBaseAdAdapter.h>

#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace solen {

// What the server-to-server banner and interstitial adapters share: reading a line item's base64
// markup, and turning the render view's reports into the adapter delegate's callbacks (the
// view is stored before the load is reported, so the delegate already sees it from inside the
// report). Reports arrive on the main thread.
class S2sRenderAdapter : public AdStatusDelegate {
public:
    // The HTML text of the configuration's creative, or the failure text of a bad one.
    struct Markup {
        std::optional<std::string> html;
        std::string failure;
    };
    static Markup decodeMarkup(const AdapterAdConfiguration& configuration);
    // The load failure for bad markup, raised by `adapter`.
    static SolenAdapterError invalidMarkup(const SolenBaseAdAdapter& adapter, std::string failureReason);

    // The render view, once it has reported its load.
    const std::shared_ptr<RenderView>& loadedView() const { return renderView_; }

    void renderViewDidLoad(RenderView& renderView) override;
    void renderViewDidFailWithError(RenderView& renderView, const platform::Error& error) override;
    void renderViewWillLeaveApplication(RenderView& renderView) override;
    void renderViewDidFireAdReady(RenderView&) override {}
    void renderViewDidRecordImpression(RenderView& renderView) override;
    void renderViewWillPresentScreen(RenderView& renderView) override;
    void renderViewDidPresentScreen(RenderView& renderView) override;
    void renderViewWillDismissScreen(RenderView& renderView) override;
    void renderViewDidDismissScreen(RenderView& renderView) override;

protected:
    virtual SolenBaseAdAdapter& adapter() = 0;
    virtual std::shared_ptr<AdapterDelegate> adapterDelegate() const = 0;

    std::shared_ptr<RenderView> renderView_;
};

}  // namespace solen
