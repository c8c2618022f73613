#include "Public/HiddenImpl.h"
#include "Public/NativeAdObject.h"

#include <solen/SolenNative.h>

namespace solen {

struct SOLEN_HIDDEN_IMPL SolenNative::Impl final : NativeAdObject<SolenNative, SolenNativeDelegate> {
    static constexpr NativeAdCalls<SolenNative, SolenNativeDelegate> nativeCalls{
        &SolenNativeDelegate::solenNativeDidLoad,
        &SolenNativeDelegate::solenNativeDidLoadFail,
        &SolenNativeDelegate::solenNativeDidClick,
        &SolenNativeDelegate::solenNativeImpression,
        &SolenNativeDelegate::solenNativeWillPresentScreen,
        &SolenNativeDelegate::solenNativeDidPresentScreen,
        &SolenNativeDelegate::solenNativeWillCollapseScreen,
        &SolenNativeDelegate::solenNativeDidCollapseScreen,
        &SolenNativeDelegate::solenNativeUserWillLeaveApplication,
    };

    Impl() : NativeAdObject(nativeCalls) {}

    SolenAdViewConfiguration::TemplateFactory adTemplateViewClass;
};

std::shared_ptr<SolenNative> SolenNative::create(std::string adUnitId, platform::Size adSize,
                                                 std::shared_ptr<SolenNativeDelegate> delegate) {
    std::shared_ptr<SolenNative> native(new SolenNative());
    native->impl_->setUp(native->impl_, native, AdFormat::native, std::move(adUnitId), adSize, delegate);
    return native;
}

SolenNative::SolenNative() : impl_(std::make_shared<Impl>()) {}

SolenNative::~SolenNative() { impl_->tearDown(this, "SolenNative"); }

std::shared_ptr<SolenNativeDelegate> SolenNative::delegate() const {
    return impl_->currentDelegate("SolenNative::delegate");
}

void SolenNative::setDelegate(const std::shared_ptr<SolenNativeDelegate>& delegate) {
    impl_->setDelegate("SolenNative::setDelegate", delegate);
}

SolenAdViewConfiguration::TemplateFactory SolenNative::adTemplateViewClass() const {
    return host::askMain("SolenNative::adTemplateViewClass", [this] { return impl_->adTemplateViewClass; });
}

void SolenNative::setAdTemplateViewClass(SolenAdViewConfiguration::TemplateFactory templateClass) {
    host::askMain("SolenNative::setAdTemplateViewClass", [this, &templateClass] {
        impl_->adTemplateViewClass = std::move(templateClass);
        return true;
    });
}

platform::Size SolenNative::adSize() const { return impl_->adSize("SolenNative::adSize"); }

std::string SolenNative::adUnitId() const { return impl_->adUnitId("SolenNative::adUnitId"); }

void SolenNative::load() { Impl::load("SolenNative::load", impl_); }

std::shared_ptr<platform::View> SolenNative::getAdView() {
    SolenAdViewConfiguration configuration;
    configuration.adTemplateClass = host::askMain("SolenNative::getAdView", [this] { return impl_->adTemplateViewClass; });
    return impl_->getAdView("SolenNative::getAdView", std::move(configuration));
}

}  // namespace solen
