#include "Ad/Adapter/S2s/S2sRenderAdapter.h"

#include "Ad/RenderEngine/Native/CreativeRenderingEngineData.h"
#include "Commons/Utilities/Base64.h"
#include "Platform/Foundation/CharacterSet.h"

namespace solen {

S2sRenderAdapter::Markup S2sRenderAdapter::decodeMarkup(const AdapterAdConfiguration& configuration) {
    const auto* data = dynamic_cast<const CreativeRenderingEngineData*>(configuration.creativeModel.get());
    if (!data || !data->adMarkup) {
        return {std::nullopt, "The Ad markup is empty"};
    }
    const std::string* encoded = data->adMarkup->pubContent.encodedAdMarkupString();
    std::optional<std::string> html = encoded ? base64Decode(*encoded) : std::nullopt;
    if (!html || !platform::isValidUtf8(*html)) {
        return {std::nullopt, "Invalid S2sNative adCreative"};
    }
    return {std::move(html), {}};
}

SolenAdapterError S2sRenderAdapter::invalidMarkup(const SolenBaseAdAdapter& adapter, std::string failureReason) {
    return SolenAdapterError::invalidAdMarkup(
        SolenErrorData(adapter, std::move(failureReason), std::string("Please contact ") + SolenAdapterError::supportAddress));
}

void S2sRenderAdapter::renderViewDidLoad(RenderView& renderView) {
    renderView_ = std::static_pointer_cast<RenderView>(renderView.shared_from_this());
    if (const auto delegate = adapterDelegate()) delegate->adAdapterDidLoad(adapter(), renderView_);
}

void S2sRenderAdapter::renderViewDidFailWithError(RenderView&, const platform::Error& error) {
    if (const auto delegate = adapterDelegate()) {
        delegate->adAdapterDidFailToLoad(
            adapter(), SolenAdapterError::adapterError(SolenErrorData(adapter(), error.localizedDescription, "Please try again")));
    }
}

void S2sRenderAdapter::renderViewWillLeaveApplication(RenderView&) {
    if (const auto delegate = adapterDelegate()) delegate->userWillLeaveApplicationFrom(adapter());
}

void S2sRenderAdapter::renderViewDidRecordImpression(RenderView&) {
    if (const auto delegate = adapterDelegate()) delegate->adapterDidAdImpression(adapter());
}

void S2sRenderAdapter::renderViewWillPresentScreen(RenderView&) {
    if (const auto delegate = adapterDelegate()) delegate->adAdapterWillPresentScreen(adapter());
}

void S2sRenderAdapter::renderViewDidPresentScreen(RenderView&) {
    if (const auto delegate = adapterDelegate()) delegate->adAdapterDidPresentScreen(adapter());
}

void S2sRenderAdapter::renderViewWillDismissScreen(RenderView&) {
    if (const auto delegate = adapterDelegate()) delegate->adAdapterWillDismissScreen(adapter());
}

void S2sRenderAdapter::renderViewDidDismissScreen(RenderView&) {
    if (const auto delegate = adapterDelegate()) delegate->adAdapterDidDismissScreen(adapter());
}

}  // namespace solen
