#include "Commons/Trackers/TrackerData.h"

#include "Platform/Foundation/CharacterSet.h"

#include <array>

namespace solen {

namespace {

const platform::CharacterSet& macroValueAllowed() {
    static const platform::CharacterSet allowed(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~!$'()*,:");
    return allowed;
}

}  // namespace

std::vector<TrackerData> TrackerData::list(std::optional<std::string> impression,
                                           std::optional<std::string> creativeID,
                                           std::optional<std::string> networkLatency,
                                           std::optional<std::string> dropReason,
                                           std::optional<std::string> dropReasonDesciptor,
                                           std::optional<std::string> loadLatency,
                                           std::optional<std::string> renderLatency,
                                           std::optional<std::string> auctionLatency) {
    return {
        {TrackerMacros::impression, impression.value_or("")},
        {TrackerMacros::creativeID, creativeID.value_or("")},
        {TrackerMacros::networkLatency, networkLatency.value_or("")},
        {TrackerMacros::dropReason, dropReason.value_or("")},
        {TrackerMacros::dropReasonDesciptor, dropReasonDesciptor.value_or("")},
        {TrackerMacros::loadLatency, loadLatency.value_or("")},
        {TrackerMacros::renderLatency, renderLatency.value_or("")},
        {TrackerMacros::auctionLatency, auctionLatency.value_or("")},
    };
}

std::string TrackerData::encodeValue(std::string_view value) {
    return platform::addingPercentEncoding(value, macroValueAllowed());
}

std::string TrackerData::substitute(std::string_view url, const std::vector<TrackerData>& data) {
    if (data.empty() || url.find('$') == std::string_view::npos) {
        return std::string(url);
    }
    // Encoded value per macro; the first entry of a macro wins.
    std::array<std::optional<std::string>, allTrackerMacros.size()> values;
    for (const auto& entry : data) {
        auto& slot = values[static_cast<std::size_t>(entry.macro)];
        if (!slot) {
            slot = encodeValue(entry.macroValue);
        }
    }
    std::string result;
    result.reserve(url.size() + 32);
    std::size_t position = 0;
    while (position < url.size()) {
        const std::size_t dollar = url.find('$', position);
        if (dollar == std::string_view::npos) {
            result.append(url.substr(position));
            break;
        }
        result.append(url.substr(position, dollar - position));
        bool replaced = false;
        for (const auto macro : allTrackerMacros) {
            const auto& value = values[static_cast<std::size_t>(macro)];
            const std::string_view token = trackerMacroToken(macro);
            if (value && url.compare(dollar, token.size(), token) == 0) {
                result.append(*value);
                position = dollar + token.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            result.push_back('$');
            position = dollar + 1;
        }
    }
    return result;
}

}  // namespace solen
