#include "ExampleBannerAdapter.h"
#include "ExampleHttp.h"
#include "ExampleInterstitialAdapter.h"
#include "ExampleNativeAdapter.h"
#include "ExampleRewardedAdapter.h"
#include "ExampleSplashAdapter.h"

#include <solen/SolenNativeAdViewProtocol.h>
#include <solen/adapters/AdapterRegistration.h>
#include <solen/ui/Label.h>

#include <utility>

namespace example {

std::shared_ptr<solen::platform::View> ExampleSplashAdapter::getAdView(
    std::optional<solen::SolenAdViewConfiguration> configuration) {
    if (!view_) {
        return nullptr;
    }
    auto view = view_;
    if (configuration && configuration->adTemplateClass) {
        view = configuration->adTemplateClass();
        if (!view) {
            return nullptr;
        }
        view->setFrame(view_->frame());
        ExampleViewEvents::onTap(*view, ExampleViewEvents::clickOf(weak_from_this()));
    }
    // The loaded ad's own view is handed out again and again: it is watched once.
    if (view == view_ && std::exchange(loadedViewWatched_, true)) {
        return view;
    }
    // The splash is seen once one of its views is first in a window.
    ExampleViewEvents::onFirstWindow(*view, [weak = weak_from_this()] {
        const auto self = std::static_pointer_cast<ExampleSplashAdapter>(weak.lock());
        if (!self || std::exchange(self->impressionReported_, true)) {
            return;
        }
        if (const auto delegate = self->delegate()) {
            delegate->adapterDidAdImpression(*self);
        }
    });
    return view;
}

void ExampleRewardedAdapter::didPresent() {
    ExampleFullScreenAdapter::didPresent();
    const auto lineItemSettings = settings();
    nlohmann::ordered_json reward = nlohmann::ordered_json::object();
    if (lineItemSettings && lineItemSettings->is_object() && lineItemSettings->contains("reward")) {
        reward = lineItemSettings->at("reward");
    }
    if (const auto delegate = this->delegate()) {
        delegate->adAdapterRewardsUnlocked(*this, std::move(reward));
    }
}

void ExampleNativeAdapter::load(const solen::AdapterAdConfiguration& configuration) {
    if (!ad_.load(configuration, delegate().get(), *this)) {
        return;
    }
    if (const auto delegate = this->delegate()) {
        delegate->adAdapterDidLoad(*this, nullptr);
    }
}

std::optional<std::string> ExampleNativeAdapter::getCreativeId() { return ad_.creativeId(); }

std::shared_ptr<solen::SolenNativeAdView> ExampleNativeAdapter::getAdView(
    std::optional<solen::SolenAdViewConfiguration> configuration) {
    if (!ad_.isLoaded()) {
        return nullptr;
    }
    // Without a template the ad is a plain native ad view; a template that makes no native ad
    // view gives none.
    auto view = configuration && configuration->adTemplateClass
                    ? std::dynamic_pointer_cast<solen::SolenNativeAdView>(configuration->adTemplateClass())
                    : std::make_shared<solen::SolenNativeAdView>();
    if (!view) {
        return nullptr;
    }
    ExampleViewEvents::onTap(*view, ExampleViewEvents::clickOf(weak_from_this()));
    const auto outlets = std::dynamic_pointer_cast<solen::SolenNativeAdViewProtocol>(view);
    const auto title = outlets ? outlets->nativeAdTitleTextLabel() : nullptr;
    if (const auto text = setting(ad_.settings(), "title"); title && text) {
        title->setText(*text);
    }
    return view;
}

void ExampleNativeAdapter::adViewAttached(bool attached) {
    bool firstAttachment = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        attachments_.push_back(attached);
        firstAttachment = attached && !impressionReported_;
        impressionReported_ = impressionReported_ || attached;
    }
    // The ad is seen once its view is first attached.
    if (const auto delegate = this->delegate(); firstAttachment && delegate) {
        delegate->adapterDidAdImpression(*this);
    }
}

void ExampleNativeAdapter::adViewFrameUpdated(solen::platform::Rect frame) {
    std::lock_guard<std::mutex> lock(mutex_);
    drawnFrames_.push_back(frame);
}

std::vector<bool> ExampleNativeAdapter::attachments() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return attachments_;
}

std::vector<solen::platform::Rect> ExampleNativeAdapter::drawnFrames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return drawnFrames_;
}

}  // namespace example

SOLEN_REGISTER_ADAPTER(example::ExampleBannerAdapter::className, example::ExampleBannerAdapter);
SOLEN_REGISTER_ADAPTER(example::ExampleSplashAdapter::className, example::ExampleSplashAdapter);
SOLEN_REGISTER_ADAPTER(example::ExampleInterstitialAdapter::className, example::ExampleInterstitialAdapter);
SOLEN_REGISTER_ADAPTER(example::ExampleRewardedAdapter::className, example::ExampleRewardedAdapter);
SOLEN_REGISTER_ADAPTER(example::ExampleNativeAdapter::className, example::ExampleNativeAdapter);
