#pragma once

#include <solen/ui/View.h>

#include <functional>
#include <memory>

namespace example {

// What the example network's views notice of the user, as a network's own views do: taps on a
// view, and the view's first arrival in a window. The second is watched by a hidden, zero-size
// subview of the network's, so it works on the application's template views as well. Both are
// told through an action on the main thread. Main thread only, like every view.
class ExampleViewEvents {
public:
    // Runs `action` on every tap that reaches `view`.
    static void onTap(solen::platform::View& view, std::function<void()> action);
    // Runs `action` once, when `view` is first in a window.
    static void onFirstWindow(solen::platform::View& view, std::function<void()> action);

    // An action that reports a click of `adapter` to its delegate while the adapter lives.
    template <class Adapter>
    static std::function<void()> clickOf(std::weak_ptr<Adapter> adapter) {
        return [adapter = std::move(adapter)] {
            if (const auto self = adapter.lock()) {
                if (const auto delegate = self->delegate()) delegate->adAdapterDidClick(*self);
            }
        };
    }
};

}  // namespace example
