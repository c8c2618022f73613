// The video asset's companion: the choice among the played ad's companions, the companion image
// and the end card.

#include "Ad/RenderEngine/Native/Assets/VideoView/VideoViewAsset.h"

#include "Platform/UI/Screen.h"

#include <algorithm>
#include <functional>

namespace solen {
namespace {

// The companions that can be shown, sorted by width (stable, so equal widths keep document order),
// then walked: each one replaces the current choice when `better(candidate, current, screen)`.
template <class Order, class Better>
std::optional<VastCompanionCreative> chooseCompanion(const std::vector<VastCompanionCreative>& companions,
                                                     Order order, Better better) {
    std::vector<const VastCompanionCreative*> usable;
    for (const VastCompanionCreative& companion : companions) {
        const bool png = std::ranges::any_of(companion.staticResource, [](const VastStaticResource& resource) {
            return resource.creativeType.find("image/png") != std::string::npos;
        });
        if (png) {
            usable.push_back(&companion);
        }
    }
    std::ranges::stable_sort(usable, [order](const VastCompanionCreative* a, const VastCompanionCreative* b) {
        return order(static_cast<float>(a->width), static_cast<float>(b->width));
    });
    const auto screen = static_cast<std::int64_t>(platform::Screen::main().bounds().size.width);
    const VastCompanionCreative* choice = nullptr;
    for (const VastCompanionCreative* candidate : usable) {
        if (!choice || better(candidate->width, choice->width, screen)) {
            choice = candidate;
        }
    }
    return choice ? std::optional<VastCompanionCreative>(*choice) : std::nullopt;
}

}  // namespace

void VideoViewAsset::reportCompanionError() {
    if (vastTracker_) {
        (void)vastTracker_->trackError(VastErrorCodes::generalCompanionAdsError);
    }
}

std::optional<VastCompanionCreative> VideoViewAsset::companionForWiFi(
    const std::vector<VastCompanionCreative>& companions) {
    return chooseCompanion(companions, std::greater<float>(), [](std::int64_t width, std::int64_t current,
                                                                 std::int64_t screen) {
        return width >= screen && current >= width;
    });
}

std::optional<VastCompanionCreative> VideoViewAsset::companionForOtherNetworks(
    const std::vector<VastCompanionCreative>& companions) {
    return chooseCompanion(companions, std::less<float>(), [](std::int64_t width, std::int64_t current,
                                                              std::int64_t screen) {
        return width <= screen && width >= current;
    });
}

void VideoViewAsset::setupCompanionImageView() {
    // The played ad's companions: another ad's would put one advertiser's end card after
    // another's video.
    if (!vastTracker_ || !vastAd_) {
        return;
    }
    const auto creative = std::ranges::find_if(vastAd_->creatives, [](const VastCreative& item) {
        return item.companionAds.has_value();
    });
    if (creative == vastAd_->creatives.end() || creative->companionAds->companions.empty()) {
        return;
    }
    const std::vector<VastCompanionCreative>& companions = creative->companionAds->companions;
    const std::optional<VastCompanionCreative> chosen =
        onWiFi() ? companionForWiFi(companions) : companionForOtherNetworks(companions);
    if (!chosen) {
        reportCompanionError();
        return;
    }
    const auto image = std::ranges::find_if(chosen->staticResource, [](const VastStaticResource& resource) {
        return resource.url.has_value();
    });
    if (image == chosen->staticResource.end() || !chosen->companionClickThrough) {
        reportCompanionError();
        return;
    }
    AssetOnClick onClick{chosen->companionClickThrough->absoluteString(), OpenModeType::inAppBrowser, std::nullopt};
    if (!chosen->companionClickTracking.empty()) {
        onClick.clickTrackers.emplace();
        for (const platform::URL& tracker : chosen->companionClickTracking) {
            onClick.clickTrackers->push_back(tracker.absoluteString());
        }
    }
    if (companionImageView_) {
        companionImageView_->removeFromSuperview();
    }
    companionImageView_ = ImageViewAsset::create({}, "companion",
                                                 ImageAssetModel{false, image->url->absoluteString(), std::move(onClick)},
                                                 strongSelf());
    companionImageView_->loadAsset();
}

void VideoViewAsset::showCompanionImageView() {
    std::shared_ptr<ImageViewAsset> shown;
    // A companion whose picture failed would cover the video with an empty view that ignores taps.
    if (companionImageView_ && companionImageView_->isAssetReady() &&
        companionImageView_->assetState() != NativeAssetState::failed) {
        shown = companionImageView_;
    } else if (videoThumbnailImageView_ && videoThumbnailImageView_->isAssetReady()) {
        shown = videoThumbnailImageView_;
        shown->setAssetViewdelegate(std::static_pointer_cast<NativeAssetInteractionDelegate>(strongSelf()));
    } else {
        return;
    }
    removePlaybackViews();
    fillWith(shown);
}

}  // namespace solen
