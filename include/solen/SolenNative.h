#pragma once

#include <solen/SolenAdViewConfiguration.h>
#include <solen/SolenExport.h>
#include <solen/ui/Error.h>
#include <solen/ui/Size.h>
#include <solen/ui/View.h>
#include <solen/ui/ViewController.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <string>

namespace solen {

class SolenNative;

// What a native ad tells the application. Every call arrives on the main thread, asynchronously
// after the event that caused it and in the order of those events; none arrives once the ad or the
// delegate is gone. Only the view-controller query must be answered.
class SOLEN_EXPORT SolenNativeDelegate {
public:
    virtual ~SolenNativeDelegate() = default;

    // Where full-screen content of the ad (an expansion, a landing page) is presented from. Asked
    // synchronously on the main thread.
    virtual std::shared_ptr<platform::ViewController> viewControllerForSolenFullScreen() = 0;

    // A load finished: the ad's view can now be taken with getAdView().
    virtual void solenNativeDidLoad(SolenNative& /*native*/) {}
    // A load failed: domain "ai.solen.SolenAdError", the code (2001-2016) and its texts.
    virtual void solenNativeDidLoadFail(SolenNative& /*native*/, const platform::Error& /*error*/) {}
    // The ad was tapped; `params` is an empty object today.
    virtual void solenNativeDidClick(SolenNative& /*native*/, const nlohmann::ordered_json& /*params*/) {}
    // The ad was counted as seen; `impressionData` is the winning line item's impression object.
    virtual void solenNativeImpression(SolenNative& /*native*/,
                                       const std::optional<nlohmann::ordered_json>& /*impressionData*/) {}
    virtual void solenNativeWillPresentScreen(SolenNative& /*native*/) {}
    virtual void solenNativeDidPresentScreen(SolenNative& /*native*/) {}
    virtual void solenNativeWillCollapseScreen(SolenNative& /*native*/) {}
    virtual void solenNativeDidCollapseScreen(SolenNative& /*native*/) {}
    virtual void solenNativeUserWillLeaveApplication(SolenNative& /*native*/) {}
};

// A native ad. `load()` asks the ad server for an ad of the ad unit and size; after
// solenNativeDidLoad, `getAdView()` gives the ad's view, built from the application's template
// when one is set. Releasing the ad stops its load and calls nobody.
//
// Calls belong on the main thread; one made on another thread is logged and run there (queries
// wait for the answer, `load()` does not).
class SOLEN_EXPORT SolenNative {
public:
    // The delegate is held weakly, here as in setDelegate: the application keeps its own
    // shared_ptr to it for as long as it wants callbacks. A delegate made inline in this call
    // (`std::make_shared<MyDelegate>()` as the argument) is released at once and hears nothing.
    static std::shared_ptr<SolenNative> create(std::string adUnitId, platform::Size adSize,
                                               std::shared_ptr<SolenNativeDelegate> delegate = nullptr);
    ~SolenNative();
    SolenNative(const SolenNative&) = delete;
    SolenNative& operator=(const SolenNative&) = delete;

    // Kept weakly: the application owns its delegate.
    std::shared_ptr<SolenNativeDelegate> delegate() const;
    void setDelegate(const std::shared_ptr<SolenNativeDelegate>& delegate);
    // Makes the template view the next getAdView() hands to the network; empty for none. The
    // template must make a SolenNativeAdView; one that does not gives no view.
    SolenAdViewConfiguration::TemplateFactory adTemplateViewClass() const;
    void setAdTemplateViewClass(SolenAdViewConfiguration::TemplateFactory templateClass);
    // The zero size when none is set.
    platform::Size adSize() const;
    std::string adUnitId() const;

    // Loads an ad. Every load ends in exactly one solenNativeDidLoad or solenNativeDidLoadFail: no
    // ad unit id (2008), a negative or non-finite size (2009), SDK not initialised (2005) or
    // disabled (2004), the ad server's or the auction's failure. A load while one runs ends the
    // running one with 2001 (its result is dropped); a load while the ad is expanded is ignored.
    void load();
    // The loaded ad's view, asked of the network anew on each call; the caller owns it. Nothing
    // before a load succeeded, after a failure or while the ad is expanded.
    std::shared_ptr<platform::View> getAdView();

    struct Impl;

private:
    SolenNative();
    std::shared_ptr<Impl> impl_;
};

}  // namespace solen
