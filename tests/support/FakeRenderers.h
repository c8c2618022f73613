#pragma once

#include "Platform/Foundation/ClassRegistry.h"

#include <solen/adapters/SolenAdapterError.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen::test {

// Stand-ins for the SDK's own server-to-server renderers, registered while alive under
// "S2sBannerAdapter", "S2sInterstitialAdapter" and "S2sNativeAdapter" (whatever was registered
// there comes back afterwards). A renderer decodes its creative's base64 markup and, after the
// scripted delay on the shared clock, answers on the main thread: loaded with a view, or failed
// with the scripted error (with `InvalidAdMarkup` when the markup does not decode). Thread-safe.
class FakeRenderers {
public:
    struct Script {
        double delaySeconds = 0;
        std::optional<SolenAdapterError> failure;
        bool silent = false;  // never answers
    };

    FakeRenderers();
    explicit FakeRenderers(Script script);
    ~FakeRenderers();
    FakeRenderers(const FakeRenderers&) = delete;
    FakeRenderers& operator=(const FakeRenderers&) = delete;

    void setScript(Script script);
    // "<renderer class>:<decoded markup>" of every load, in order.
    std::vector<std::string> loads() const;

    struct State;

private:
    std::shared_ptr<State> state_;
    std::vector<std::unique_ptr<platform::ClassRegistry::ScopedRegistration>> registrations_;
};

}  // namespace solen::test
