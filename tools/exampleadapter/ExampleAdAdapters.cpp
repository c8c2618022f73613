#include "ExampleBannerAdapter.h"
#include "ExampleHttp.h"
#include "ExampleInterstitialAdapter.h"
#include "ExampleNativeAdapter.h"
#include "ExampleRewardedAdapter.h"
#include "ExampleSplashAdapter.h"

#include <solen/SolenNativeAdViewProtocol.h>
#include <solen/adapters/AdapterRegistration.h>
#include <solen/ui/Label.h>

namespace example {

std::shared_ptr<solen::platform::View> ExampleSplashAdapter::getAdView(
    std::optional<solen::SolenAdViewConfiguration> configuration) {
    if (!view_ || !configuration || !configuration->adTemplateClass) {
        return view_;
    }
    auto templated = configuration->adTemplateClass();
    if (templated) {
        templated->setFrame(view_->frame());
    }
    return templated;
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
