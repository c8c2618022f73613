#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/View.h>

#include <functional>
#include <memory>

namespace solen {

// The application's template for a native or splash ad's view, handed to the network adapter.
// A plain value.
struct SOLEN_EXPORT SolenAdViewConfiguration {
    // Makes one template view; may give null. A native ad's template must be a SolenNativeAdView
    // (usually a subclass that also offers outlets through SolenNativeAdViewProtocol); whoever
    // makes the view checks that. Called on the main thread.
    using TemplateFactory = std::function<std::shared_ptr<platform::View>()>;

    // Empty when there is no template.
    TemplateFactory adTemplateClass;

    // The factory for template views of type `T`, made with std::make_shared.
    template <class T>
    static TemplateFactory templateOf() {
        return [] { return std::make_shared<T>(); };
    }
};

}  // namespace solen
