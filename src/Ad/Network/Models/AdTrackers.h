#pragma once

#include "Commons/Json/JsonReader.h"
#include "Commons/Trackers/TrackerUrlList.h"

namespace solen {

// The tracker URL lists of one line item. The URLs stay texts (they may hold tracker macros that
// are replaced before firing); a decoded line item keeps the texts of all its lists in one block,
// which its lists and their copies share.
struct AdTrackers {
    using UrlList = TrackerUrlList;

    UrlList networkLoad;
    UrlList click;
    UrlList impression;
    UrlList adFill;
    UrlList networkNoFill;
    UrlList bidLoss;
    UrlList networkFill;
    UrlList videoStart;
    UrlList videoQ1;
    UrlList videoQ2;
    UrlList videoQ3;
    UrlList videoSkip;
    UrlList videoComplete;

    AdTrackers() = default;
    AdTrackers(const AdTrackers&) = default;
    AdTrackers(AdTrackers&&) noexcept = default;
    AdTrackers& operator=(const AdTrackers&) = default;
    AdTrackers& operator=(AdTrackers&&) noexcept = default;
    // Lets go of the shared texts at once rather than list by list.
    ~AdTrackers();

    static AdTrackers decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const AdTrackers&) const = default;
};

}  // namespace solen
