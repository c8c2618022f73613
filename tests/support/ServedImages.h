#pragma once

#include "support/LocalHttpServer.h"

#include <chrono>
#include <optional>
#include <string>

namespace solen::test {

// The header of a 2×3 PNG: enough for the image reader.
inline const std::string kPng = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x02\0\0\0\x03\x08\x06\0\0\0", 29);

// Images for asset tests: "/ok.png" a PNG, "/late.png" the same after 300 ms, "/click..." an
// empty 200 (trackers), any other path 404.
inline LocalHttpServer::Handler servedImages() {
    return [](const RecordedRequest& request) -> std::optional<ScriptedAnswer> {
        if (request.path == "/ok.png") return ScriptedAnswer::text(200, kPng, "image/png");
        if (request.path == "/late.png") {
            auto answer = ScriptedAnswer::text(200, kPng, "image/png");
            answer.delay = std::chrono::milliseconds(300);
            return answer;
        }
        if (request.path.starts_with("/click")) return ScriptedAnswer::text(200, "");
        return ScriptedAnswer::text(404, kPng, "image/png");
    };
}

}  // namespace solen::test
