#pragma once

#include <solen/adapters/VideoEvent.h>
#include <solen/ui/Error.h>
#include <solen/ui/ViewController.h>

#include <memory>

namespace solen {

// What a server-to-server native ad tells its adapter, and asks of it. The adapter passes each
// on to its own delegate with itself as the adapter: the load's one outcome (loaded, or failed
// with the error of the asset or of the refused load), the impression, the click, video events,
// the browser of a landing page coming and going (will/did present, will/did dismiss screen), and
// the request for the view controller to present from (none once its delegate is gone). Main
// thread.
class S2sNativeAdDelegate {
public:
    virtual ~S2sNativeAdDelegate() = default;
    virtual void nativeAdLoaded() = 0;
    virtual void nativeAdLoadFailed(const platform::Error& error) = 0;
    virtual void nativeAdImpressionRecorded() = 0;
    virtual void nativeAdClicked() = 0;
    virtual void nativeAdVideoEventOccurred(VideoEvent event) = 0;
    virtual std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() = 0;
    virtual void nativeAdWillPresentScreen() = 0;
    virtual void nativeAdDidPresentScreen() = 0;
    virtual void nativeAdWillDismissScreen() = 0;
    virtual void nativeAdDidDismissScreen() = 0;
};

}  // namespace solen
