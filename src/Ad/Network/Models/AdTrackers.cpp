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

AdTrackers::~AdTrackers() {
    TrackerUrlList* const lists[] = {&networkLoad, &click,   &impression, &adFill,  &networkNoFill,
                                     &bidLoss,     &networkFill, &videoStart, &videoQ1, &videoQ2,
                                     &videoQ3,     &videoSkip,   &videoComplete};
    static_assert(std::size(lists) == kMembers.size());
    TrackerUrlList::releaseAll(lists);
}

AdTrackers AdTrackers::decode(const JsonReader& reader) {
    using Key = JsonFields<kKeys>::Key;
    const JsonFields<kKeys> fields(reader);
    // Every list is checked, in member order, before the texts of all of them go into one block.
    TrackerUrlList::Decoder decoder;
    for (std::size_t i = 0; i < kMembers.size(); ++i) {
        if (fields.hasValue(Key(i))) {
            decoder.count(fields.at(Key(i)));
        }
    }
    AdTrackers trackers;
    for (std::size_t i = 0; i < kMembers.size(); ++i) {
        if (fields.hasValue(Key(i))) {
            trackers.*kMembers[i] = decoder.take(fields.at(Key(i)));
        }
    }
    return trackers;
}

Json AdTrackers::encode() const {
    JsonWriter writer;
    for (std::size_t i = 0; i < kMembers.size(); ++i) {
        writer.set(std::string(kKeys.name(i)), (this->*kMembers[i]).texts());
    }
    return writer.take();
}

}  // namespace solen
