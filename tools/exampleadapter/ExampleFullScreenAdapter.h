#pragma once

#include "ExampleAdLoad.h"
#include "ExampleMainTimer.h"
#include "ExampleViewEvents.h"

#include <solen/ui/ViewController.h>
#include <solen/ui/Window.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace example {

// What the example interstitial and rewarded adapters share. The ad loads with ExampleAdLoad and
// reports its load from the loading thread. `show` (main thread) presents a controller of the
// network's over the one given: will present at once, did present and the impression once the
// platform has presented it; a tap on the presented controller's view reports a click. A show
// that cannot present (nothing loaded, shown already, no controller, or one whose view is in no
// window) reports a presentation failure. `dismiss` takes the ad down again: will and did dismiss;
// a line item whose settings give "showMs" (a number, 0 to 60000) dismisses itself that long after
// it presented. One whose "behaviour" is "noPresent" ignores its show. `Protocol` is the format's
// adapter protocol.
template <class Protocol>
class ExampleFullScreenAdapter : public Protocol, public std::enable_shared_from_this<ExampleFullScreenAdapter<Protocol>> {
public:
    void load(const solen::AdapterAdConfiguration& configuration) override {
        if (!ad_.load(configuration, this->delegate().get(), *this)) {
            return;
        }
        if (const auto delegate = this->delegate()) {
            delegate->adAdapterDidLoad(*this, nullptr);
        }
    }

    std::optional<std::string> getCreativeId() override { return ad_.creativeId(); }

    bool isReady() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return ad_.isLoaded() && !controller_;
    }

    void show(std::shared_ptr<solen::platform::ViewController> viewController) override {
        const auto delegate = this->delegate();
        if (!isReady() || !viewController || !viewController->view()->window()) {
            if (delegate) {
                delegate->adAdapterDidFailToPresent(
                    *this, solen::SolenAdapterError::failedToShow(solen::SolenErrorData(
                               *this, "The example ad cannot be shown now", "Load an ad and show it from a window")));
            }
            return;
        }
        const auto lineItemSettings = settings();
        if (lineItemSettings && lineItemSettings->value("behaviour", "") == "noPresent") {
            return;
        }
        auto controller = solen::platform::ViewController::create();
        ExampleViewEvents::onTap(*controller->view(), ExampleViewEvents::clickOf(this->weak_from_this()));
        {
            std::lock_guard<std::mutex> lock(mutex_);
            controller_ = controller;
        }
        if (delegate) {
            delegate->adAdapterWillPresentScreen(*this);
        }
        viewController->present(controller, true, [weak = this->weak_from_this()] {
            if (const auto self = weak.lock()) {
                self->didPresent();
                self->dismissLater();
            }
        });
    }

    // Takes the presented ad down (main thread); nothing when none is presented.
    void dismiss() {
        std::shared_ptr<solen::platform::ViewController> controller;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            controller = controller_;
        }
        if (!controller) {
            return;
        }
        if (const auto delegate = this->delegate()) {
            delegate->adAdapterWillDismissScreen(*this);
        }
        controller->dismiss(true, [weak = this->weak_from_this()] {
            if (const auto self = weak.lock()) {
                if (const auto delegate = self->delegate()) {
                    delegate->adAdapterDidDismissScreen(*self);
                }
            }
        });
    }

    // The network's controller while the ad is presented (main thread).
    std::shared_ptr<solen::platform::ViewController> presentedController() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return controller_;
    }

protected:
    virtual void didPresent() {
        if (const auto delegate = this->delegate()) {
            delegate->adAdapterDidPresentScreen(*this);
            delegate->adapterDidAdImpression(*this);
        }
    }

    // With "showMs" in the settings: a dismissal that long from now, on the main thread.
    void dismissLater() {
        const auto lineItemSettings = settings();
        if (!lineItemSettings || !lineItemSettings->is_object() || !lineItemSettings->contains("showMs")) {
            return;
        }
        const auto& showMs = lineItemSettings->at("showMs");
        if (!showMs.is_number() || showMs < 0) {
            return;
        }
        const double milliseconds = std::min(showMs.template get<double>(), 60000.0);
        postToMainAfter(std::chrono::duration<double, std::milli>(milliseconds), [weak = this->weak_from_this()] {
            if (const auto self = weak.lock()) {
                self->dismiss();
            }
        });
    }

    // The line item's settings of the loaded ad.
    std::optional<nlohmann::ordered_json> settings() const { return ad_.settings(); }

private:
    ExampleLoadedAd ad_;
    mutable std::mutex mutex_;
    std::shared_ptr<solen::platform::ViewController> controller_;
};

}  // namespace example
