#pragma once

#include "Scenario.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace solen::adserver {

// The configuration documents the service hands out, and its answer to a config request.
// Every endpoint inside them points back at the service itself.
class ConfigDocuments {
public:
    using Json = nlohmann::ordered_json;

    // The built-in document of a type (root, signals, primeAds, primeMediation, analytics) for a
    // service at `baseUrl`; none for an unknown type.
    static std::optional<Json> builtIn(const std::string& type, const std::string& baseUrl);
    // The document as the scenario serves it: the built-in one with the scenario's patch merged
    // over it, "${BASE_URL}" replaced.
    static std::optional<Json> document(const std::string& type, const Scenario& scenario, const std::string& baseUrl);

    struct ConfigAnswer {
        int status = 200;
        Json body;
        // "root:200 signals:304 ..." or why the request was refused.
        std::string summary;
    };
    // The answer to a config request body: per requested type, 304 without content when the
    // request holds the service's stamp, else 200 with the document. Unknown types are left out.
    static ConfigAnswer answer(const std::string& requestBody, const Scenario& scenario, const std::string& baseUrl);

    // Replaces every "${BASE_URL}" in the strings of a JSON value.
    static Json withBaseUrl(Json value, const std::string& baseUrl);
    // Replaces every `marker` in the strings of a JSON value by `text`.
    static Json withPlaceholder(Json value, const std::string& marker, const std::string& text);
};

}  // namespace solen::adserver
