#pragma once

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace solen::adserver {

// Thrown when a scenario text is not a scenario.
class ScenarioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How the service answers one request: a status, a body and an optional wait. A JSON body is
// sent as JSON; every "${BASE_URL}" inside it is replaced by the service's own base URL.
struct Answer {
    int status = 200;
    nlohmann::ordered_json body;  // null: no body; a string: sent as it is; else JSON text
    std::chrono::milliseconds delay{0};
    // The connection is closed after the status line and headers, before the body arrives.
    bool drop = false;

    static Answer decode(const nlohmann::ordered_json& value, const std::string& path);
};

// A file the service serves at one exact path: a body with its content type. A text body (a VAST
// document, say) has every "${BASE_URL}" replaced like a JSON answer; a binary one (a clip, a
// picture) is sent byte for byte.
struct ServedFile {
    int status = 200;
    std::string contentType;
    std::string body;
    bool isText = false;

    // One entry of a scenario's "files": {"text": ...} (default type "text/plain"),
    // {"file": path} read at once, relative paths from `folder` (default type
    // "application/octet-stream"), or {"png": {"width", "height", "color": "#RRGGBB"}} made here;
    // each with optional "contentType" and "status".
    static ServedFile decode(const nlohmann::ordered_json& value, const std::string& path,
                             const std::filesystem::path& folder);
};

// One configuration document as the service holds it: the service's stamp of its version and its
// content. The content is merged (JSON merge patch) over the built-in document of its type.
struct DocumentSetting {
    std::int64_t lastUpdatedTs = 0;
    nlohmann::ordered_json patch;  // null: the built-in document unchanged
};

// What the service serves. Every part is optional in the file; see README.md.
struct Scenario {
    static constexpr std::int64_t defaultStamp = 1764979200000;

    // The five configuration documents, by type name.
    std::map<std::string, DocumentSetting> documents;
    // A status other than 200 makes every "/configs" answer fail with that status.
    int configStatus = 200;
    std::chrono::milliseconds configDelay{0};

    // Ad responses per ad unit, served in order; the last one repeats.
    std::map<std::string, std::vector<Answer>> bids;
    // For ad units without their own answers: no fill.
    Answer defaultBid{204, nullptr, {}};

    Answer analytics{200, nlohmann::ordered_json::object(), {}};
    // Files by exact path (media, pictures, VAST documents); they take precedence over `other`.
    std::map<std::string, ServedFile> files;
    // Any other path (trackers, creatives).
    Answer other{200, "", {}};

    // The built-in scenario.
    static Scenario defaults();
    // Reads a scenario; parts the text leaves out keep their built-in values. Relative file paths
    // are read from `folder` (load: the scenario file's folder). Throws ScenarioError.
    static Scenario parse(const std::string& text, const std::filesystem::path& folder = {});
    static Scenario load(const std::string& path);
};

}  // namespace solen::adserver
