#include "Public/SolenBannerImpl.h"

#include "Public/Host/MainThreadCall.h"

#include <sstream>

namespace solen {

std::shared_ptr<SolenBanner> SolenBanner::create(platform::Rect frame) {
    std::shared_ptr<SolenBanner> banner(new SolenBanner(frame));
    banner->setUp(std::nullopt, frame.size, nullptr);
    return banner;
}

std::shared_ptr<SolenBanner> SolenBanner::create(std::string adUnitId, platform::Size adSize,
                                                 std::shared_ptr<SolenBannerDelegate> delegate) {
    std::shared_ptr<SolenBanner> banner(new SolenBanner(platform::Rect({0, 0}, adSize)));
    banner->setUp(std::move(adUnitId), adSize, delegate);
    return banner;
}

SolenBanner::SolenBanner(platform::Rect frame) : platform::View(frame), impl_(std::make_shared<Impl>()) {}

void SolenBanner::setUp(std::optional<std::string> adUnitId, std::optional<platform::Size> adSize,
                        const std::shared_ptr<SolenBannerDelegate>& delegate) {
    setClipsToBounds(true);
    impl_->banner = std::static_pointer_cast<SolenBanner>(shared_from_this());
    impl_->delegate = delegate;
    impl_->adSetting.adType = AdFormat::banner;
    impl_->adSetting.adUnitId = std::move(adUnitId);
    if (adSize) impl_->adSetting.adSize = AdSetting::Size{adSize->width, adSize->height};
    impl_->adManger = BannerAdManager::create(impl_);
}

SolenBanner::~SolenBanner() {
    std::ostringstream description;
    description << "<SolenBanner: " << static_cast<const void*>(this) << ">";
    Logger::debug("SolenBanner deinit " + description.str());
    impl_->adManger.reset();
}

std::shared_ptr<SolenBannerDelegate> SolenBanner::delegate() const {
    return host::askMain("SolenBanner::delegate", [this] { return impl_->delegate.lock(); });
}

void SolenBanner::setDelegate(const std::shared_ptr<SolenBannerDelegate>& delegate) {
    host::askMain("SolenBanner::setDelegate", [this, delegate] {
        impl_->delegate = delegate;
        return true;
    });
}

int SolenBanner::animationTransition() const {
    return host::askMain("SolenBanner::animationTransition", [this] { return impl_->animationTransition; });
}

void SolenBanner::setAnimationTransition(int transition) {
    host::askMain("SolenBanner::setAnimationTransition", [this, transition] {
        impl_->animationTransition = transition;
        return true;
    });
}

std::optional<std::string> SolenBanner::adUnitId() const {
    return host::askMain("SolenBanner::adUnitId", [this] { return impl_->adSetting.adUnitId; });
}

void SolenBanner::setAdUnitId(std::optional<std::string> adUnitId) {
    host::askMain("SolenBanner::setAdUnitId", [this, &adUnitId] {
        impl_->adSetting.adUnitId = std::move(adUnitId);
        return true;
    });
}

platform::Size SolenBanner::adSize() const {
    return host::askMain("SolenBanner::adSize", [this] {
        const auto& size = impl_->adSetting.adSize;
        return size ? platform::Size{size->width, size->height} : platform::Size{};
    });
}

void SolenBanner::setAdSize(platform::Size adSize) {
    host::askMain("SolenBanner::setAdSize", [this, adSize] {
        impl_->adSetting.adSize = AdSetting::Size{adSize.width, adSize.height};
        return true;
    });
}

void SolenBanner::load() {
    // Holds the banner weakly, so a load moved to main for a banner released meanwhile does nothing.
    host::runOnMain("SolenBanner::load", [weakImpl = std::weak_ptr<Impl>(impl_)] {
        const auto impl = weakImpl.lock();
        if (impl && impl->adManger) impl->adManger->loadAd(impl->adSetting);
    });
}

void SolenBanner::willMoveToWindow(const std::shared_ptr<platform::Window>& newWindow) {
    if (impl_->adManger) impl_->adManger->setOnWindow(newWindow != nullptr);
}

}  // namespace solen
