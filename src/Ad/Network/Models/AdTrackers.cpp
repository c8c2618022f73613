#include "Ad/Network/Models/AdTrackers.h"

#include "Commons/Json/JsonWriter.h"

#include <array>
#include <utility>

namespace solen {

namespace {

using Member = AdTrackers::UrlList AdTrackers::*;

// Key and member of every list, in document order.
constexpr std::array<std::pair<const char*, Member>, 13> members{{
    {"networkLoad", &AdTrackers::networkLoad},
    {"click", &AdTrackers::click},
    {"impression", &AdTrackers::impression},
    {"adFill", &AdTrackers::adFill},
    {"networkNoFill", &AdTrackers::networkNoFill},
    {"bidLoss", &AdTrackers::bidLoss},
    {"networkFill", &AdTrackers::networkFill},
    {"videoStart", &AdTrackers::videoStart},
    {"videoQ1", &AdTrackers::videoQ1},
    {"videoQ2", &AdTrackers::videoQ2},
    {"videoQ3", &AdTrackers::videoQ3},
    {"videoSkip", &AdTrackers::videoSkip},
    {"videoComplete", &AdTrackers::videoComplete},
}};

}  // namespace

AdTrackers AdTrackers::decode(const JsonReader& reader) {
    AdTrackers trackers;
    for (const auto& [key, member] : members) {
        trackers.*member = reader.optional<std::vector<std::string>>(key);
    }
    return trackers;
}

Json AdTrackers::encode() const {
    JsonWriter writer;
    for (const auto& [key, member] : members) {
        writer.set(key, this->*member);
    }
    return writer.take();
}

}  // namespace solen
