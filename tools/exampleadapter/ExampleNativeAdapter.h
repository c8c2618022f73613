#pragma once

#include "ExampleAdLoad.h"

#include <solen/SolenNativeAdView.h>
#include <solen/adapters/SolenBaseNativeAdapter.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace example {

// The example network's native ad adapter. The ad loads with ExampleAdLoad and reports its load
// (without a view) from the loading thread. `getAdView` (main thread) makes a view from the
// application's template (a plain SolenNativeAdView without one; none when the template makes no
// SolenNativeAdView) and puts the line item's "title" setting into its title outlet; a tap on the
// view reports a click. It keeps what its views tell it: attachments and drawn frames; the first
// attachment reports the impression.
class ExampleNativeAdapter final : public solen::SolenBaseNativeAdapter,
                                   public std::enable_shared_from_this<ExampleNativeAdapter> {
public:
    static constexpr const char* className = "SolenExampleAdapter.ExampleNativeAdapter";

    void load(const solen::AdapterAdConfiguration& configuration) override;
    std::optional<std::string> getCreativeId() override;
    std::shared_ptr<solen::SolenNativeAdView> getAdView(std::optional<solen::SolenAdViewConfiguration> configuration) override;
    void adViewAttached(bool attached) override;
    void adViewFrameUpdated(solen::platform::Rect frame) override;

    // What the views handed out told, in order.
    std::vector<bool> attachments() const;
    std::vector<solen::platform::Rect> drawnFrames() const;

private:
    ExampleLoadedAd ad_;
    mutable std::mutex mutex_;
    std::vector<bool> attachments_;
    std::vector<solen::platform::Rect> drawnFrames_;
    bool impressionReported_ = false;
};

}  // namespace example
