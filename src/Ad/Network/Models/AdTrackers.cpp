#include "Ad/Network/Models/AdTrackers.h"

#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonWriter.h"

#include <array>

namespace solen {

namespace {

using Member = AdTrackers::UrlList AdTrackers::*;

// Key and member of every list, in document order.
constexpr JsonKeys kKeys{"networkLoad", "click",      "impression", "adFill",  "networkNoFill",
                         "bidLoss",     "networkFill", "videoStart", "videoQ1", "videoQ2",
                         "videoQ3",     "videoSkip",   "videoComplete"};
constexpr std::array<Member, kKeys.size> kMembers{
    &AdTrackers::networkLoad, &AdTrackers::click,       &AdTrackers::impression, &AdTrackers::adFill,
    &AdTrackers::networkNoFill, &AdTrackers::bidLoss,   &AdTrackers::networkFill, &AdTrackers::videoStart,
    &AdTrackers::videoQ1,     &AdTrackers::videoQ2,     &AdTrackers::videoQ3,    &AdTrackers::videoSkip,
    &AdTrackers::videoComplete,
};

}  // namespace

AdTrackers AdTrackers::decode(const JsonReader& reader) {
    const JsonFields<kKeys> fields(reader);
    AdTrackers trackers;
    for (std::size_t i = 0; i < kMembers.size(); ++i) {
        trackers.*kMembers[i] = fields.optional<std::vector<std::string>>(JsonFields<kKeys>::Key(i));
    }
    return trackers;
}

Json AdTrackers::encode() const {
    JsonWriter writer;
    for (std::size_t i = 0; i < kMembers.size(); ++i) {
        writer.set(std::string(kKeys.name(i)), this->*kMembers[i]);
    }
    return writer.take();
}

}  // namespace solen
