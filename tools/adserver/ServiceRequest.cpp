#include "ServiceRequest.h"

#include <cstdio>

namespace solen::adserver {

const char* ServiceRequest::kindName(Kind kind) {
    switch (kind) {
        case Kind::config: return "config";
        case Kind::bid: return "bid";
        case Kind::analytics: return "analytics";
        case Kind::file: return "file";
        case Kind::other: return "other";
    }
    return "other";
}

std::string ServiceRequest::timelineLine() const {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "+%8.1f ms", atMs);
    std::string line = std::string(stamp) + "  " + method + " " + target + " -> " + std::to_string(status);
    if (!summary.empty()) {
        line += "  " + summary;
    }
    return line;
}

nlohmann::ordered_json ServiceRequest::toJson() const {
    nlohmann::ordered_json headerObject = nlohmann::ordered_json::object();
    for (const auto& [name, value] : headers) {
        headerObject[name] = value;
    }
    nlohmann::ordered_json parsedBody = nlohmann::ordered_json::parse(body, nullptr, false);
    return {{"sequence", sequence},
            {"atMs", atMs},
            {"method", method},
            {"target", target},
            {"path", path},
            {"kind", kindName(kind)},
            {"status", status},
            {"summary", summary},
            {"events", events},
            {"headers", std::move(headerObject)},
            {"body", parsedBody.is_discarded() ? nlohmann::ordered_json(body) : std::move(parsedBody)}};
}

}  // namespace solen::adserver
