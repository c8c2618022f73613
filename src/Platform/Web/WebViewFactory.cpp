#include <solen/ui/WebViewFactory.h>

#include <mutex>
#include <utility>

namespace solen::platform {

namespace {

std::mutex makerMutex;

WebViewFactory::Maker& installed() {
    static auto& maker = *new WebViewFactory::Maker;
    return maker;
}

}  // namespace

std::shared_ptr<WebView> WebViewFactory::make(Rect frame, WebViewConfiguration configuration) {
    Maker maker;
    {
        std::lock_guard lock(makerMutex);
        maker = installed();
    }
    if (maker) {
        // The configuration is copied for the maker so that a maker making none leaves it whole.
        if (std::shared_ptr<WebView> made = maker(frame, configuration)) {
            return made;
        }
    }
    return WebView::create(frame, std::move(configuration));
}

WebViewFactory::Maker WebViewFactory::install(Maker maker) {
    std::lock_guard lock(makerMutex);
    return std::exchange(installed(), std::move(maker));
}

}  // namespace solen::platform
