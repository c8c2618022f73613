#include "support/RecordingAuctioneerDelegate.h"

namespace solen::test {

void RecordingAuctioneerDelegate::auctioneerDidFinishLoading(Auctioneer&, std::shared_ptr<platform::View> adView) {
    note("didFinishLoading");
    adView_ = std::move(adView);
    if (onEnd) {
        onEnd();
    }
}

void RecordingAuctioneerDelegate::auctioneerDidFailToLoadWith(Auctioneer&, AdError error) {
    note("didFail:" + std::to_string(error.code()));
    if (onEnd) {
        onEnd();
    }
}

}  // namespace solen::test
