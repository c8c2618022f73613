#pragma once

#include "Commons/Trackers/TrackerData.h"

#include <optional>
#include <string>
#include <vector>

namespace solen {

// The fourteen moments at which a line item's tracking URLs are fired, each with the macro values
// it carries. Made only through the factories below, so a kind never carries a value it has no
// macro for: every macro a kind does not carry, and every absent value, is replaced by "".
// A plain value.
class Trackers {
public:
    enum class Kind {
        noAdFillEventUrl,
        networkLoad,
        networkFill,
        networkNoFill,
        adFill,
        bidLoss,
        impression,
        click,
        videoStart,
        videoQ1,
        videoQ2,
        videoQ3,
        videoSkip,
        videoComplete,
    };

    using Value = std::optional<std::string>;

    static Trackers noAdFillEventUrl(Value loadLatency, Value auctionLatency, Value dropReason, Value dropReasonDesciptor);
    static Trackers networkLoad(Value impression);
    static Trackers networkFill(Value impression, Value creativeID, Value networkLatency);
    static Trackers networkNoFill(Value impression, Value creativeID, Value networkLatency, Value dropReason,
                                  Value dropReasonDesciptor);
    static Trackers adFill(Value impression, Value creativeID, Value loadLatency, Value auctionLatency);
    static Trackers bidLoss(Value impression, Value creativeID, Value dropReason, Value dropReasonDesciptor);
    static Trackers impression(Value impression, Value creativeID, Value renderLatency);
    static Trackers click(Value impression, Value creativeID);
    // A moment without values: the six video kinds (any other kind made here carries none either).
    static Trackers video(Kind kind);

    Kind kind() const { return kind_; }

    // The eight substitutions of this moment, in the fixed order of `TrackerData::list`.
    std::vector<TrackerData> macros() const;

    bool operator==(const Trackers&) const = default;

private:
    explicit Trackers(Kind kind) : kind_(kind) {}

    Kind kind_;
    Value impression_;
    Value creativeID_;
    Value networkLatency_;
    Value dropReason_;
    Value dropReasonDesciptor_;
    Value loadLatency_;
    Value renderLatency_;
    Value auctionLatency_;
};

}  // namespace solen
