#include "Ad/RenderEngine/Bridge/Scriptable.h"

#include "Commons/Utilities/MainQueue.h"

namespace solen {

void Scriptable::evaluate(std::weak_ptr<MWebview> webView, MWebview::Completion completion) const {
    performOnMainQueue([webView = std::move(webView), script = javaScript(), completion = std::move(completion)] {
        if (const std::shared_ptr<MWebview> target = webView.lock()) {
            target->evaluateJS(script, completion);
        }
    });
}

}  // namespace solen
