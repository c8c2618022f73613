#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/GestureRecognizer.h>

#include <memory>

namespace solen::platform {

// Recognises a single tap on its view. Touches come from the platform's touch delivery, which on
// Linux is the SDK's tap driver. Main thread only.
class SOLEN_EXPORT TapGestureRecognizer final : public GestureRecognizer {
public:
    static std::shared_ptr<TapGestureRecognizer> create();
    // As create(), with one target action.
    template <class Target>
    static std::shared_ptr<TapGestureRecognizer> create(const std::shared_ptr<Target>& target,
                                                        void (Target::*action)(GestureRecognizer& sender)) {
        std::shared_ptr<TapGestureRecognizer> recognizer = create();
        recognizer->addTarget(target, action);
        return recognizer;
    }

    // A tap landed on the view: when enabled, sends the actions and returns true.
    bool recognizeTap();

private:
    TapGestureRecognizer() = default;
};

}  // namespace solen::platform
