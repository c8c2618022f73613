#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/Error.h>
#include <solen/ui/Size.h>
#include <solen/ui/View.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <string>

namespace solen {

class SolenSplash;

// What a splash ad tells the application; delivered like a native ad's calls (main thread, after
// the event, in order, none once the splash or the delegate is gone). Every call is optional: a
// splash has no view controller to present full-screen content from.
class SOLEN_EXPORT SolenSplashDelegate {
public:
    virtual ~SolenSplashDelegate() = default;

    virtual void solenSplashDidLoad(SolenSplash& /*splash*/) {}
    virtual void solenSplashDidLoadFail(SolenSplash& /*splash*/, const platform::Error& /*error*/) {}
    // `params` is an empty object today.
    virtual void solenSplashDidClick(SolenSplash& /*splash*/, const nlohmann::ordered_json& /*params*/) {}
    virtual void solenSplashImpression(SolenSplash& /*splash*/,
                                       const std::optional<nlohmann::ordered_json>& /*impressionData*/) {}
    virtual void solenSplashWillPresentScreen(SolenSplash& /*splash*/) {}
    virtual void solenSplashDidPresentScreen(SolenSplash& /*splash*/) {}
    virtual void solenSplashWillCollapseScreen(SolenSplash& /*splash*/) {}
    virtual void solenSplashDidCollapseScreen(SolenSplash& /*splash*/) {}
    virtual void solenSplashUserWillLeaveApplication(SolenSplash& /*splash*/) {}
};

// A splash ad: loaded like a native ad (see SolenNative), its view taken with `getAdView()` after
// solenSplashDidLoad. It has no template.
class SOLEN_EXPORT SolenSplash {
public:
    // The delegate is held weakly, here as in setDelegate: the application keeps its own
    // shared_ptr to it for as long as it wants callbacks. A delegate made inline in this call
    // (`std::make_shared<MyDelegate>()` as the argument) is released at once and hears nothing.
    static std::shared_ptr<SolenSplash> create(std::string adUnitId, platform::Size adSize,
                                               std::shared_ptr<SolenSplashDelegate> delegate = nullptr);
    ~SolenSplash();
    SolenSplash(const SolenSplash&) = delete;
    SolenSplash& operator=(const SolenSplash&) = delete;

    // Kept weakly: the application owns its delegate.
    std::shared_ptr<SolenSplashDelegate> delegate() const;
    void setDelegate(const std::shared_ptr<SolenSplashDelegate>& delegate);
    platform::Size adSize() const;
    std::string adUnitId() const;

    // As SolenNative::load().
    void load();
    // The loaded splash's view, asked of the network anew on each call; the caller owns it.
    std::shared_ptr<platform::View> getAdView();

    struct Impl;

private:
    SolenSplash();
    std::shared_ptr<Impl> impl_;
};

}  // namespace solen
