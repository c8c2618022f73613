#include <solen/SolenNativeAdViewProtocol.h>

namespace solen {

using platform::ImageView;
using platform::Label;
using platform::View;

SolenNativeAdViewProtocol::~SolenNativeAdViewProtocol() = default;

std::shared_ptr<Label> SolenNativeAdViewProtocol::nativeAdDescriptionTextLabel() const { return nullptr; }
std::shared_ptr<Label> SolenNativeAdViewProtocol::nativeAdTitleTextLabel() const { return nullptr; }
std::shared_ptr<ImageView> SolenNativeAdViewProtocol::nativeAdIconImageView() const { return nullptr; }
std::shared_ptr<View> SolenNativeAdViewProtocol::nativeAdMediaView() const { return nullptr; }
std::shared_ptr<Label> SolenNativeAdViewProtocol::nativeAdSponsoredByCompanyTextLabel() const { return nullptr; }
std::shared_ptr<Label> SolenNativeAdViewProtocol::nativeAdCallToActionTextLabel() const { return nullptr; }
std::shared_ptr<Label> SolenNativeAdViewProtocol::nativeAdRatingLabel() const { return nullptr; }
std::shared_ptr<ImageView> SolenNativeAdViewProtocol::nativeAdChoiceImageView() const { return nullptr; }

}  // namespace solen
