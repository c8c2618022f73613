#include "Public/HiddenImpl.h"
#include "Public/NativeAdObject.h"

#include <solen/SolenSplash.h>

namespace solen {

struct SOLEN_HIDDEN_IMPL SolenSplash::Impl final : NativeAdObject<SolenSplash, SolenSplashDelegate> {
    static constexpr NativeAdCalls<SolenSplash, SolenSplashDelegate> splashCalls{
        &SolenSplashDelegate::solenSplashDidLoad,
        &SolenSplashDelegate::solenSplashDidLoadFail,
        &SolenSplashDelegate::solenSplashDidClick,
        &SolenSplashDelegate::solenSplashImpression,
        &SolenSplashDelegate::solenSplashWillPresentScreen,
        &SolenSplashDelegate::solenSplashDidPresentScreen,
        &SolenSplashDelegate::solenSplashWillCollapseScreen,
        &SolenSplashDelegate::solenSplashDidCollapseScreen,
        &SolenSplashDelegate::solenSplashUserWillLeaveApplication,
    };

    Impl() : NativeAdObject(splashCalls) {}
};

std::shared_ptr<SolenSplash> SolenSplash::create(std::string adUnitId, platform::Size adSize,
                                                 std::shared_ptr<SolenSplashDelegate> delegate) {
    std::shared_ptr<SolenSplash> splash(new SolenSplash());
    splash->impl_->setUp(splash->impl_, splash, AdFormat::splash, std::move(adUnitId), adSize, delegate);
    return splash;
}

SolenSplash::SolenSplash() : impl_(std::make_shared<Impl>()) {}

SolenSplash::~SolenSplash() { impl_->tearDown(this, "SolenSplash"); }

std::shared_ptr<SolenSplashDelegate> SolenSplash::delegate() const {
    return impl_->currentDelegate("SolenSplash::delegate");
}

void SolenSplash::setDelegate(const std::shared_ptr<SolenSplashDelegate>& delegate) {
    impl_->setDelegate("SolenSplash::setDelegate", delegate);
}

platform::Size SolenSplash::adSize() const { return impl_->adSize("SolenSplash::adSize"); }

std::string SolenSplash::adUnitId() const { return impl_->adUnitId("SolenSplash::adUnitId"); }

void SolenSplash::load() { Impl::load("SolenSplash::load", impl_); }

// A splash has no template: the configuration is given, empty.
std::shared_ptr<platform::View> SolenSplash::getAdView() {
    return impl_->getAdView("SolenSplash::getAdView", SolenAdViewConfiguration{});
}

}  // namespace solen
