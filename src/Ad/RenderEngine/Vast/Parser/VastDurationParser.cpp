#include "Ad/RenderEngine/Vast/Parser/VastDurationParser.h"

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"

#include <cmath>

namespace solen {

std::optional<double> parseVastDuration(std::string_view text) {
    text = VastAttributes::trimmed(text);
    double total = 0.0;
    std::size_t index = 0;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find(':', begin);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view piece = text.substr(begin, end - begin);
        begin = end + 1;
        if (piece.empty()) {
            continue;
        }
        const std::optional<double> value = VastAttributes::decimal(piece);
        if (!value || !std::isfinite(*value) || *value < 0.0) {
            return std::nullopt;
        }
        const double weight = index == 0 ? 3600.0 : (index == 1 ? 60.0 : 1.0);
        total += *value * weight;
        ++index;
    }
    if (!std::isfinite(total)) {
        return std::nullopt;
    }
    return total;
}

}  // namespace solen
