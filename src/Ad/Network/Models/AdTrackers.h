#pragma once

#include "Commons/Json/JsonReader.h"

#include <optional>
#include <string>
#include <vector>

namespace solen {

// The tracker URL lists of one line item. The URLs stay texts (they may hold tracker macros that
// are replaced before firing).
struct AdTrackers {
    using UrlList = std::optional<std::vector<std::string>>;

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

    static AdTrackers decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const AdTrackers&) const = default;
};

}  // namespace solen
