#include "support/RecordingAdBidderDelegate.h"

#include <algorithm>

namespace solen::test {

std::size_t RecordingAdBidderDelegate::count(const std::string& event) const {
    return static_cast<std::size_t>(std::count(events_.begin(), events_.end(), event));
}

void RecordingAdBidderDelegate::queueBatch(std::vector<Ads> lineItems, LineItemBatchKind kind) {
    batches_.emplace_back(std::move(lineItems), kind);
}

void RecordingAdBidderDelegate::adBidderDidFinishLoading(Bidder&, std::shared_ptr<platform::View> adView) {
    note("didFinishLoading");
    adView_ = std::move(adView);
    end();
}

AdBidderDelegate::Batch RecordingAdBidderDelegate::nextLineItems() {
    note("nextLineItems");
    if (batches_.empty()) {
        return {std::nullopt, LineItemBatchKind::none};
    }
    Batch batch = std::move(batches_.front());
    batches_.pop_front();
    return batch;
}

void RecordingAdBidderDelegate::loadNextBidder(std::vector<Ads> lineItems, LineItemBatchKind kind) {
    std::string ids;
    for (const Ads& lineItem : lineItems) {
        ids += (ids.empty() ? "" : ",") + lineItem.lineItemId;
    }
    note("loadNextBidder:" + kindName(kind) + ":" + ids);
    end();
}

void RecordingAdBidderDelegate::sendFailCallback(AdError error) {
    note("sendFail:" + std::to_string(error.code()));
    end();
}

void RecordingAdBidderDelegate::end() {
    if (onEnd) {
        onEnd();
    }
}

std::string RecordingAdBidderDelegate::kindName(LineItemBatchKind kind) {
    switch (kind) {
    case LineItemBatchKind::passive: return "passive";
    case LineItemBatchKind::header: return "header";
    case LineItemBatchKind::s2s: return "s2s";
    case LineItemBatchKind::none: return "none";
    }
    return "?";
}

}  // namespace solen::test
