#pragma once

#include <solen/ui/Error.h>

namespace solen {

class RenderView;

// What a render view reports to the object that shows it (the server-to-server facades). Each
// report carries the reporting render view and arrives on the main thread.
class RenderStatusDelegate {
public:
    virtual ~RenderStatusDelegate() = default;
    // The page finished loading.
    virtual void renderViewDidLoad(RenderView& renderView) = 0;
    // The web view's navigation failed.
    virtual void renderViewDidFailWithError(RenderView& renderView, const platform::Error& error) = 0;
    virtual void renderViewWillLeaveApplication(RenderView& renderView) = 0;
    // The creative called fireAdReady.
    virtual void renderViewDidFireAdReady(RenderView& renderView) = 0;
    virtual void renderViewDidRecordImpression(RenderView& renderView) = 0;
    virtual void renderViewWillPresentScreen(RenderView& renderView) = 0;
    virtual void renderViewDidPresentScreen(RenderView& renderView) = 0;
    virtual void renderViewWillDismissScreen(RenderView& renderView) = 0;
    virtual void renderViewDidDismissScreen(RenderView& renderView) = 0;
};

}  // namespace solen
