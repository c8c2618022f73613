#pragma once

#include "Ad/RenderEngine/View/MWebview.h"

#include <memory>
#include <string>

namespace solen {

// A statement the native side sends to a page. Main thread only.
class Scriptable {
public:
    virtual ~Scriptable() = default;
    // The statement's JavaScript text.
    virtual std::string javaScript() const = 0;
    // Renders the statement now and evaluates it on a later turn of the main loop in the web
    // view, held weakly: nothing happens when the web view is gone by then.
    void evaluate(std::weak_ptr<MWebview> webView, MWebview::Completion completion = nullptr) const;
};

}  // namespace solen
