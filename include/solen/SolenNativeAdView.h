#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/Rect.h>
#include <solen/ui/View.h>

#include <memory>

namespace solen {

class SolenNativeAdViewDelegate;

// The base view of every native ad template. The SDK makes itself the delegate of each view it
// hands out, and through it tells the network adapter behind the view when the view is about to
// move into a superview (attached, true) or out of one (false), and each time it draws (with the
// rectangle drawn). Without a delegate the view tells nobody. Main thread only, like every view.
class SOLEN_EXPORT SolenNativeAdView : public platform::View {
public:
    explicit SolenNativeAdView(platform::Rect frame = {});

    // Held weakly; set by the SDK.
    std::shared_ptr<SolenNativeAdViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<SolenNativeAdViewDelegate> delegate) { delegate_ = std::move(delegate); }

    void willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) override;
    void draw(platform::Rect rect) override;

private:
    std::weak_ptr<SolenNativeAdViewDelegate> delegate_;
};

}  // namespace solen
