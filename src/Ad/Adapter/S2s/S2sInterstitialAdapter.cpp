#include "Ad/Adapter/S2s/S2sInterstitialAdapter.h"

#include "Commons/Utilities/MainQueue.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/Foundation/ClassRegistry.h"
#include "Platform/UI/Screen.h"

namespace solen {

const char* const S2sInterstitialAdapter::registeredName = "S2sInterstitialAdapter";
SOLEN_REGISTER_CLASS(S2sInterstitialAdapter::registeredName, S2sInterstitialAdapter, SolenBaseAdAdapter, SolenBaseInterstitialAdapter);

void S2sInterstitialAdapter::load(const AdapterAdConfiguration& configuration) {
    Markup markup = decodeMarkup(configuration);
    if (!markup.html) {
        if (const auto delegate = SolenBaseInterstitialAdapter::delegate()) {
            delegate->adAdapterDidFailToLoad(*this, invalidMarkup(*this, markup.failure));
        }
        return;
    }
    performOnMainQueue([weak = weak_from_this(), html = std::move(*markup.html)] {
        if (const auto adapter = weak.lock()) adapter->renderInterstitial(html);
    });
}

void S2sInterstitialAdapter::renderInterstitial(const std::string& markup) {
    const platform::Rect screen = platform::Screen::main().bounds();
    const double statusBar = Utilities::statusBarHeight();
    const auto view = RenderView::create<InterstitialView>(
        AdViewConfig{AdsType::interstitial, platform::Rect(0, statusBar, screen.size.width, screen.size.height - statusBar)});
    interstitial_ = std::make_shared<Interstitial>(std::static_pointer_cast<AdStatusDelegate>(
                                                       std::shared_ptr<S2sRenderAdapter>(shared_from_this(), this)),
                                                   view);
    view->setRenderDelegate(interstitial_);
    interstitial_->load(markup);
}

void S2sInterstitialAdapter::show(std::shared_ptr<platform::ViewController>) {
    const std::shared_ptr<platform::ViewController> top = interstitial_ ? Utilities::topMostController() : nullptr;
    if (top && renderView_) {
        interstitial_->present(top, true);
        return;
    }
    if (const auto delegate = SolenBaseInterstitialAdapter::delegate()) {
        delegate->adAdapterDidFailToPresent(
            *this, SolenAdapterError::failedToShow(SolenErrorData(*this, presentationErrorText, "Please try again")));
    }
}

}  // namespace solen
