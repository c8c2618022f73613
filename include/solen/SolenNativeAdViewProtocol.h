#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/ImageView.h>
#include <solen/ui/Label.h>
#include <solen/ui/View.h>

#include <memory>

namespace solen {

// The outlets a native ad template may offer. A template view derives from SolenNativeAdView
// and from this, and overrides the outlets it has; the others give null. The SDK fills what it
// finds. Main thread only.
class SOLEN_EXPORT SolenNativeAdViewProtocol {
public:
    virtual ~SolenNativeAdViewProtocol();

    virtual std::shared_ptr<platform::Label> nativeAdDescriptionTextLabel() const;
    virtual std::shared_ptr<platform::Label> nativeAdTitleTextLabel() const;
    virtual std::shared_ptr<platform::ImageView> nativeAdIconImageView() const;
    virtual std::shared_ptr<platform::View> nativeAdMediaView() const;
    virtual std::shared_ptr<platform::Label> nativeAdSponsoredByCompanyTextLabel() const;
    virtual std::shared_ptr<platform::Label> nativeAdCallToActionTextLabel() const;
    virtual std::shared_ptr<platform::Label> nativeAdRatingLabel() const;
    virtual std::shared_ptr<platform::ImageView> nativeAdChoiceImageView() const;

protected:
    SolenNativeAdViewProtocol() = default;
    SolenNativeAdViewProtocol(const SolenNativeAdViewProtocol&) = default;
    SolenNativeAdViewProtocol& operator=(const SolenNativeAdViewProtocol&) = default;
};

}  // namespace solen
