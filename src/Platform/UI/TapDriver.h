#pragma once

#include <solen/ui/View.h>

#include <memory>

namespace solen::platform {

// Touch delivery for headless hosts and tests: taps a view as a finger would. Main thread only.
class TapDriver {
public:
    // Taps the middle of `view`. The touch reaches the view only when the view and every ancestor
    // accept user interaction and none is hidden; otherwise nothing happens. A touch that reaches
    // the view goes to its enabled tap recognisers, in the order they were added; when the view
    // has none that is enabled, to those of its nearest ancestor that has one. Returns whether a
    // recogniser took the tap. The view is kept alive while its recognisers run.
    static bool tap(const std::shared_ptr<View>& view);

    // True when a touch can reach `view`: it and all its ancestors accept user interaction and
    // none is hidden.
    static bool receivesTouches(const View& view);
};

}  // namespace solen::platform
