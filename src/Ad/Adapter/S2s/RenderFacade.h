#pragma once

#include "Ad/Adapter/S2s/AdStatusDelegate.h"
#include "Ad/RenderEngine/View/RenderView.h"

#include <memory>

namespace solen {

// How far a facade has brought its markup; the order of the cases matters (compared by it).
enum class FacadeStatus { loadNotCalled, loadCalled, loadCompleted };

// Stands between a server-to-server adapter and its render view: hands the markup to the view
// once, remembers that the view loaded it, and passes every report of the view unchanged to its
// weakly held delegate (the adapter). `Banner` and `Interstitial` are its two kinds.
// Main thread only.
class RenderFacade : public RenderStatusDelegate {
public:
    RenderFacade(std::weak_ptr<AdStatusDelegate> delegate, std::shared_ptr<RenderView> renderView)
        : delegate_(std::move(delegate)), renderView_(std::move(renderView)) {}
    RenderFacade(const RenderFacade&) = delete;
    RenderFacade& operator=(const RenderFacade&) = delete;

    const std::shared_ptr<RenderView>& renderView() const { return renderView_; }
    FacadeStatus status() const { return status_; }

    // Loads non-empty markup into the view, once; empty markup loads nothing and reports nothing.
    void load(const std::string& markup);

    void renderViewDidLoad(RenderView& renderView) override;
    void renderViewDidFailWithError(RenderView& renderView, const platform::Error& error) override;
    void renderViewWillLeaveApplication(RenderView& renderView) override;
    void renderViewDidFireAdReady(RenderView& renderView) override;
    void renderViewDidRecordImpression(RenderView& renderView) override;
    void renderViewWillPresentScreen(RenderView& renderView) override;
    void renderViewDidPresentScreen(RenderView& renderView) override;
    void renderViewWillDismissScreen(RenderView& renderView) override;
    void renderViewDidDismissScreen(RenderView& renderView) override;

private:
    std::weak_ptr<AdStatusDelegate> delegate_;
    std::shared_ptr<RenderView> renderView_;
    FacadeStatus status_ = FacadeStatus::loadNotCalled;
};

// The facade of a server-to-server banner.
class Banner final : public RenderFacade {
public:
    using RenderFacade::RenderFacade;
};

// The facade of a server-to-server interstitial, which also presents the view full screen.
class Interstitial final : public RenderFacade {
public:
    using RenderFacade::RenderFacade;
    // Presents the loaded view in a new full-screen controller from `controller`; before the
    // view has loaded, nothing.
    void present(const std::shared_ptr<platform::ViewController>& controller, bool animated);
};

}  // namespace solen
