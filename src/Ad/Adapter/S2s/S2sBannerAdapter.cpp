#include "Ad/Adapter/S2s/S2sBannerAdapter.h"

#include "Commons/Utilities/MainQueue.h"
#include "Platform/Foundation/ClassRegistry.h"

namespace solen {

const char* const S2sBannerAdapter::registeredName = "S2sBannerAdapter";
SOLEN_REGISTER_CLASS(S2sBannerAdapter::registeredName, S2sBannerAdapter, SolenBaseAdAdapter, SolenBaseBannerAdapter);

void S2sBannerAdapter::load(const AdapterAdConfiguration& configuration) {
    Markup markup = decodeMarkup(configuration);
    const std::optional<platform::Size> size = configuration.adSize;
    if (markup.html && (!size || !(size->width > 0) || !(size->height > 0))) {
        markup.failure = "The Ad size is invalid ";
    }
    if (!markup.failure.empty()) {
        if (const auto delegate = SolenBaseBannerAdapter::delegate()) {
            delegate->adAdapterDidFailToLoad(*this, invalidMarkup(*this, markup.failure));
        }
        return;
    }
    performOnMainQueue([weak = weak_from_this(), html = std::move(*markup.html), size = *size] {
        if (const auto adapter = weak.lock()) adapter->renderBanner(html, size);
    });
}

void S2sBannerAdapter::renderBanner(const std::string& markup, platform::Size size) {
    const auto view = RenderView::create<BannerView>(AdViewConfig{AdsType::banner, platform::Rect(platform::Point{0, 0}, size)});
    banner_ = std::make_shared<Banner>(std::static_pointer_cast<AdStatusDelegate>(
                                           std::shared_ptr<S2sRenderAdapter>(shared_from_this(), this)),
                                       view);
    view->setRenderDelegate(banner_);
    banner_->load(markup);
}

}  // namespace solen
