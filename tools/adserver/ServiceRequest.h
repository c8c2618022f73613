#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace solen::adserver {

// One request the service received, with what it made of it and how it answered.
struct ServiceRequest {
    enum class Kind { config, bid, analytics, file, other };

    std::size_t sequence = 0;  // 1 for the first request
    double atMs = 0;           // milliseconds since the service started
    std::string method;
    std::string target;  // path and query as sent
    std::string path;
    Kind kind = Kind::other;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    int status = 0;
    // Per kind: the config types with their statuses, the ad unit and request id, the analytics
    // event names, or nothing.
    std::string summary;
    // The analytics event names carried ("AppLaunch", "AppOpen").
    std::vector<std::string> events;

    static const char* kindName(Kind kind);
    // One line: "+  12.3 ms  POST /configs -> 200  root:200 signals:200".
    std::string timelineLine() const;
    nlohmann::ordered_json toJson() const;
};

}  // namespace solen::adserver
