#include "Ad/Managers/AuctionManager/Bidders/S2s/S2sBidder.h"

#include "Ad/Adapter/S2s/S2sBannerAdapter.h"
#include "Ad/Adapter/S2s/S2sInterstitialAdapter.h"
#include "Ad/Adapter/S2s/S2sNativeAdapter.h"

namespace solen {
namespace {

// The renderer class and the wrapper format a server-to-server line item of `format` loads with.
// The renderers register themselves statically; taking their names from the renderers keeps their
// objects, and so their registrations, in every program that links this bidder, also one linked
// from the SDK's static archive, which leaves out objects nothing refers to.
std::pair<const char*, AdFormat> rendererFor(AdFormat format) {
    switch (format) {
    case AdFormat::banner: return {S2sBannerAdapter::registeredName, AdFormat::banner};
    case AdFormat::interstitial:
    case AdFormat::rewarded: return {S2sInterstitialAdapter::registeredName, AdFormat::interstitial};
    case AdFormat::native:
    case AdFormat::splash: return {S2sNativeAdapter::registeredName, AdFormat::native};
    }
    return {S2sBannerAdapter::registeredName, AdFormat::banner};
}

}  // namespace

std::shared_ptr<S2sBidder> S2sBidder::create(std::weak_ptr<AdBidderDelegate> delegate, AdSetting adSetting) {
    return std::shared_ptr<S2sBidder>(new S2sBidder(std::move(delegate), std::move(adSetting)));
}

std::shared_ptr<InternalAdAdapter> S2sBidder::makeAdapter(const AdSetting& adSetting) {
    const auto [className, wrapperFormat] = rendererFor(adSetting.adType);
    return makeInternalAdapter(className, wrapperFormat);
}

std::shared_ptr<InternalAdAdapter> S2sBidder::makeLoadAdapter(const Ads&) { return makeAdapter(adSetting()); }

std::optional<double> S2sBidder::loadTimeout(const Ads&) const { return formatSettings(adSetting().adType).s2sRenderTimeOut; }

}  // namespace solen
