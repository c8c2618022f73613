#include "Ad/Adapter/S2s/S2sNativeAdapter.h"

#include "Ad/Adapter/S2s/S2sRenderAdapter.h"
#include "Ad/Adapter/S2s/ViewBinding.h"
#include "Ad/RenderEngine/Native/CreativeRenderingEngineData.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/MainQueue.h"
#include "Platform/Foundation/ClassRegistry.h"

namespace solen {

const char* const S2sNativeAdapter::registeredName = "S2sNativeAdapter";
SOLEN_REGISTER_CLASS(S2sNativeAdapter::registeredName, S2sNativeAdapter, SolenBaseAdAdapter, SolenBaseNativeAdapter);

namespace {

// The template label shows the text in its own font and colour; the transparent asset lying over
// it takes the taps.
void bindLabel(const std::shared_ptr<platform::Label>& outlet, const std::shared_ptr<LabelViewAsset>& asset) {
    outlet->setText(asset->text());
    outlet->setUserInteractionEnabled(true);
    outlet->addSubview(asset);
    asset->setTextColor(platform::Color::clear());
    bindFrameToSuperviewBounds(asset);
}

void bindView(const std::shared_ptr<platform::View>& outlet, const std::shared_ptr<platform::View>& asset) {
    outlet->addSubview(asset);
    bindFrameToSuperviewBounds(asset);
    outlet->setUserInteractionEnabled(true);
}

}  // namespace

void S2sNativeAdapter::load(const AdapterAdConfiguration& configuration) {
    const auto* data = dynamic_cast<const CreativeRenderingEngineData*>(configuration.creativeModel.get());
    const NativePubContent* model = data && data->adMarkup ? data->adMarkup->pubContent.nativeModel() : nullptr;
    if (!model) {
        if (const auto delegate = SolenBaseNativeAdapter::delegate()) {
            const char* reason = data && data->adMarkup ? "Invalid Native adCreative" : "The Ad markup is empty";
            delegate->adAdapterDidFailToLoad(*this, S2sRenderAdapter::invalidMarkup(*this, reason));
        }
        return;
    }
    performOnMainQueue([weak = weak_from_this(), model = *model] {
        if (const auto adapter = weak.lock()) adapter->loadNative(model);
    });
}

void S2sNativeAdapter::loadNative(const NativePubContent& model) {
    // The outcome may be reported inside the load, and the delegate may let go of this adapter.
    const std::shared_ptr<S2sNativeAdapter> self = shared_from_this();
    native_ = S2sNative::create(std::static_pointer_cast<S2sNativeAdDelegate>(self), videoServices_);
    const std::shared_ptr<S2sNative> native = native_;
    native->load(model);
}

std::shared_ptr<SolenNativeAdView> S2sNativeAdapter::getAdView(std::optional<SolenAdViewConfiguration> configuration) {
    if (!configuration || !configuration->adTemplateClass) {
        Logger::log("Native AdTemplate class not found", 1);
        return nullptr;
    }
    const auto adView = std::dynamic_pointer_cast<SolenNativeAdView>(configuration->adTemplateClass());
    if (!adView) {
        Logger::log("Fail to Initilize AdTemplate class as SolenNativeAdView", 1);
        return nullptr;
    }
    if (const auto* outlets = dynamic_cast<const SolenNativeAdViewProtocol*>(adView.get())) {
        bindOutlets(*outlets);
    }
    if (native_) {
        native_->setPublisherAdView(adView);
    }
    return adView;
}

void S2sNativeAdapter::bindOutlets(const SolenNativeAdViewProtocol& outlets) const {
    const std::shared_ptr<NativeAdLoader> loader = native_ ? native_->nativeLoader() : nullptr;
    if (!loader) {
        return;
    }
    const std::pair<std::shared_ptr<platform::Label>, std::shared_ptr<LabelViewAsset>> labels[] = {
        {outlets.nativeAdTitleTextLabel(), loader->title},
        {outlets.nativeAdDescriptionTextLabel(), loader->description},
        {outlets.nativeAdCallToActionTextLabel(), loader->cta},
        {outlets.nativeAdSponsoredByCompanyTextLabel(), loader->sponsored},
        {outlets.nativeAdRatingLabel(), loader->rating},
    };
    for (const auto& [outlet, asset] : labels) {
        if (outlet && asset) bindLabel(outlet, asset);
    }
    const std::pair<std::shared_ptr<platform::View>, std::shared_ptr<platform::View>> views[] = {
        {outlets.nativeAdIconImageView(), loader->icon},
        {outlets.nativeAdChoiceImageView(), loader->adChoices},
        {outlets.nativeAdMediaView(), native_->mediaContentView()},
    };
    for (const auto& [outlet, asset] : views) {
        if (outlet && asset) bindView(outlet, asset);
    }
}

void S2sNativeAdapter::adViewAttached(bool attached) {
    if (attached && native_) {
        const std::shared_ptr<S2sNative> native = native_;
        native->startImpressionTracking();
    }
}

void S2sNativeAdapter::nativeAdLoaded() {
    if (const auto delegate = SolenBaseNativeAdapter::delegate()) delegate->adAdapterDidLoad(*this, nullptr);
}

void S2sNativeAdapter::nativeAdLoadFailed(const platform::Error& error) {
    if (const auto delegate = SolenBaseNativeAdapter::delegate()) {
        delegate->adAdapterDidFailToLoad(
            *this, SolenAdapterError::s2sRenderError(SolenErrorData(*this, error.localizedDescription, "")));
    }
}

void S2sNativeAdapter::nativeAdImpressionRecorded() {
    if (const auto delegate = SolenBaseNativeAdapter::delegate()) delegate->adapterDidAdImpression(*this);
}

void S2sNativeAdapter::nativeAdClicked() {
    if (const auto delegate = SolenBaseNativeAdapter::delegate()) delegate->adAdapterDidClick(*this);
}

void S2sNativeAdapter::nativeAdVideoEventOccurred(VideoEvent event) {
    if (const auto delegate = SolenBaseNativeAdapter::delegate()) delegate->adAdapterDidVideoEventOccurred(event);
}

std::shared_ptr<platform::ViewController> S2sNativeAdapter::viewControllerForModalPresentation() {
    const auto delegate = SolenBaseNativeAdapter::delegate();
    return delegate ? delegate->viewControllerForModalPresentation() : nullptr;
}

void S2sNativeAdapter::nativeAdWillPresentScreen() {
    if (const auto delegate = SolenBaseNativeAdapter::delegate()) delegate->adAdapterWillPresentScreen(*this);
}

void S2sNativeAdapter::nativeAdDidPresentScreen() {
    if (const auto delegate = SolenBaseNativeAdapter::delegate()) delegate->adAdapterDidPresentScreen(*this);
}

void S2sNativeAdapter::nativeAdWillDismissScreen() {
    if (const auto delegate = SolenBaseNativeAdapter::delegate()) delegate->adAdapterWillDismissScreen(*this);
}

void S2sNativeAdapter::nativeAdDidDismissScreen() {
    if (const auto delegate = SolenBaseNativeAdapter::delegate()) delegate->adAdapterDidDismissScreen(*this);
}

}  // namespace solen
