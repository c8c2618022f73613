#include "Ad/Adapter/InternalAdapter/FullScreenAdapterWrapper.h"

#include "Commons/Utilities/Logger.h"

namespace solen {

FullScreenAdapterWrapper::~FullScreenAdapterWrapper() { killAdRenderTimer(); }

void FullScreenAdapterWrapper::startAdRenderTimer(double withIntervalInMilli) {
    if (!(withIntervalInMilli > 0)) {
        killAdRenderTimer();
        Logger::debug(AdTimeout::renderTexts.expired);
        renderTimeoutFailure();
        return;
    }
    renderTimeout_.start(withIntervalInMilli, weak_from_this(), [this] { renderTimeoutFailure(); });
}

void FullScreenAdapterWrapper::killAdRenderTimer() { renderTimeout_.kill(); }

void FullScreenAdapterWrapper::renderTimeoutFailure() {
    killAdRenderTimer();
    reportGated([](InternalAdapterDelegate& bidder, const std::shared_ptr<InternalAdAdapter>& adapter) {
        bidder.adAdapterDidFailToPresentWith(adapter, AdError::renderTimeout());
    });
}

void FullScreenAdapterWrapper::adAdapterWillPresentScreen(SolenBaseAdAdapter& /*adapter*/) {
    onMain([](AdapterWrapper& wrapper) {
        auto& fullScreen = static_cast<FullScreenAdapterWrapper&>(wrapper);
        fullScreen.killAdRenderTimer();
        logCallback("adAdapterWillPresentScreen");
        fullScreen.reportGated([](InternalAdapterDelegate& bidder, const std::shared_ptr<InternalAdAdapter>& adapter) {
            bidder.adAdapterWillPresentScreen(adapter);
        });
    });
}

void FullScreenAdapterWrapper::didFailToPresent(SolenAdapterError error) {
    onMain([error = std::move(error)](AdapterWrapper& wrapper) {
        auto& fullScreen = static_cast<FullScreenAdapterWrapper&>(wrapper);
        logCallback("adAdapterDidFailToPresent");
        // One show gives one presentation failure: the render time-out must not follow it.
        fullScreen.killAdRenderTimer();
        fullScreen.reportGated([&error](InternalAdapterDelegate& bidder, const std::shared_ptr<InternalAdAdapter>& adapter) {
            bidder.adAdapterDidFailToPresentWith(adapter, error);
        });
    });
}

void FullScreenAdapterWrapper::stopTimers() {
    killAdRenderTimer();
    AdapterWrapper::stopTimers();
}

}  // namespace solen
