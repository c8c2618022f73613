#include "Ad/Adapter/S2s/RenderFacade.h"

#include "Ad/RenderEngine/View/RenderVC.h"

namespace solen {

void RenderFacade::load(const std::string& markup) {
    if (!markup.empty() && status_ == FacadeStatus::loadNotCalled) {
        status_ = FacadeStatus::loadCalled;
        renderView_->loadAd(markup);
    }
}

void RenderFacade::renderViewDidLoad(RenderView& renderView) {
    status_ = FacadeStatus::loadCompleted;
    if (const auto delegate = delegate_.lock()) delegate->renderViewDidLoad(renderView);
}

void RenderFacade::renderViewDidFailWithError(RenderView& renderView, const platform::Error& error) {
    if (const auto delegate = delegate_.lock()) delegate->renderViewDidFailWithError(renderView, error);
}

void RenderFacade::renderViewWillLeaveApplication(RenderView& renderView) {
    if (const auto delegate = delegate_.lock()) delegate->renderViewWillLeaveApplication(renderView);
}

void RenderFacade::renderViewDidFireAdReady(RenderView& renderView) {
    if (const auto delegate = delegate_.lock()) delegate->renderViewDidFireAdReady(renderView);
}

void RenderFacade::renderViewDidRecordImpression(RenderView& renderView) {
    if (const auto delegate = delegate_.lock()) delegate->renderViewDidRecordImpression(renderView);
}

void RenderFacade::renderViewWillPresentScreen(RenderView& renderView) {
    if (const auto delegate = delegate_.lock()) delegate->renderViewWillPresentScreen(renderView);
}

void RenderFacade::renderViewDidPresentScreen(RenderView& renderView) {
    if (const auto delegate = delegate_.lock()) delegate->renderViewDidPresentScreen(renderView);
}

void RenderFacade::renderViewWillDismissScreen(RenderView& renderView) {
    if (const auto delegate = delegate_.lock()) delegate->renderViewWillDismissScreen(renderView);
}

void RenderFacade::renderViewDidDismissScreen(RenderView& renderView) {
    if (const auto delegate = delegate_.lock()) delegate->renderViewDidDismissScreen(renderView);
}

void Interstitial::present(const std::shared_ptr<platform::ViewController>& controller, bool animated) {
    if (status() != FacadeStatus::loadCompleted || !controller) {
        return;
    }
    renderView()->updateCloseButton();
    const std::shared_ptr<RenderVC> renderVC = RenderVC::create(renderView(), renderView()->mraidAction());
    renderVC->setModalPresentationStyle(platform::ViewController::ModalPresentationStyle::fullScreen);
    controller->present(renderVC, animated, nullptr);
}

}  // namespace solen
