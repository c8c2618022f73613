#pragma once

#include "ExampleAdLoad.h"
#include "ExampleViewEvents.h"

#include <solen/host/MainLoop.h>
#include <solen/ui/View.h>

#include <memory>
#include <optional>
#include <string>

namespace example {

// What the example banner and splash adapters share: the ad loads with ExampleAdLoad; a filled ad
// becomes a view of the placement's size (320 x 50 without one) whose accessibility label is its
// creative id, made on the main thread and reported from there; a tap on it reports a click.
// Failures are reported from the loading thread. `Protocol` is the format's adapter protocol.
template <class Protocol>
class ExampleViewAdapter : public Protocol, public std::enable_shared_from_this<ExampleViewAdapter<Protocol>> {
public:
    void load(const solen::AdapterAdConfiguration& configuration) override {
        if (!ad_.load(configuration, this->delegate().get(), *this)) {
            return;
        }
        const auto size = configuration.adSize.value_or(solen::platform::Size{320, 50});
        solen::host::MainLoop::post([weak = this->weak_from_this(), size, name = ad_.creativeId().value_or(""),
                                     reports = ad_.reports()] {
            const auto self = weak.lock();
            if (!self) {
                return;
            }
            self->view_ = std::make_shared<solen::platform::View>(solen::platform::Rect{{0, 0}, size});
            self->view_->setAccessibilityLabel(name);
            ExampleViewEvents::onTap(*self->view_, ExampleViewEvents::clickOf(weak));
            for (int report = 0; report < reports; ++report) {
                if (const auto delegate = self->delegate()) delegate->adAdapterDidLoad(*self, self->view_);
            }
        });
    }

    std::optional<std::string> getCreativeId() override { return ad_.creativeId(); }

protected:
    // The loaded ad's view; main thread only.
    std::shared_ptr<solen::platform::View> view_;

private:
    ExampleLoadedAd ad_;
};

}  // namespace example
