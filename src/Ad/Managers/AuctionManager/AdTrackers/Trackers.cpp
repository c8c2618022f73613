#include "Ad/Managers/AuctionManager/AdTrackers/Trackers.h"

#include <utility>

namespace solen {

Trackers Trackers::noAdFillEventUrl(Value loadLatency, Value auctionLatency, Value dropReason,
                                    Value dropReasonDesciptor) {
    Trackers trackers(Kind::noAdFillEventUrl);
    trackers.loadLatency_ = std::move(loadLatency);
    trackers.auctionLatency_ = std::move(auctionLatency);
    trackers.dropReason_ = std::move(dropReason);
    trackers.dropReasonDesciptor_ = std::move(dropReasonDesciptor);
    return trackers;
}

Trackers Trackers::networkLoad(Value impression) {
    Trackers trackers(Kind::networkLoad);
    trackers.impression_ = std::move(impression);
    return trackers;
}

Trackers Trackers::networkFill(Value impression, Value creativeID, Value networkLatency) {
    Trackers trackers(Kind::networkFill);
    trackers.impression_ = std::move(impression);
    trackers.creativeID_ = std::move(creativeID);
    trackers.networkLatency_ = std::move(networkLatency);
    return trackers;
}

Trackers Trackers::networkNoFill(Value impression, Value creativeID, Value networkLatency, Value dropReason,
                                 Value dropReasonDesciptor) {
    Trackers trackers = bidLoss(std::move(impression), std::move(creativeID), std::move(dropReason),
                                std::move(dropReasonDesciptor));
    trackers.kind_ = Kind::networkNoFill;
    trackers.networkLatency_ = std::move(networkLatency);
    return trackers;
}

Trackers Trackers::adFill(Value impression, Value creativeID, Value loadLatency, Value auctionLatency) {
    Trackers trackers = click(std::move(impression), std::move(creativeID));
    trackers.kind_ = Kind::adFill;
    trackers.loadLatency_ = std::move(loadLatency);
    trackers.auctionLatency_ = std::move(auctionLatency);
    return trackers;
}

Trackers Trackers::bidLoss(Value impression, Value creativeID, Value dropReason, Value dropReasonDesciptor) {
    Trackers trackers = click(std::move(impression), std::move(creativeID));
    trackers.kind_ = Kind::bidLoss;
    trackers.dropReason_ = std::move(dropReason);
    trackers.dropReasonDesciptor_ = std::move(dropReasonDesciptor);
    return trackers;
}

Trackers Trackers::impression(Value impression, Value creativeID, Value renderLatency) {
    Trackers trackers = click(std::move(impression), std::move(creativeID));
    trackers.kind_ = Kind::impression;
    trackers.renderLatency_ = std::move(renderLatency);
    return trackers;
}

Trackers Trackers::click(Value impression, Value creativeID) {
    Trackers trackers(Kind::click);
    trackers.impression_ = std::move(impression);
    trackers.creativeID_ = std::move(creativeID);
    return trackers;
}

Trackers Trackers::video(Kind kind) { return Trackers(kind); }

std::vector<TrackerData> Trackers::macros() const {
    return TrackerData::list(impression_, creativeID_, networkLatency_, dropReason_, dropReasonDesciptor_,
                             loadLatency_, renderLatency_, auctionLatency_);
}

}  // namespace solen
