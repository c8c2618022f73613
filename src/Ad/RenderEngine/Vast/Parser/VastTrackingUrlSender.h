#pragma once

#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>
#include <vector>

namespace solen {

// Where the VAST parser's own tracking requests go unless a caller gives it another sender: the
// SDK's tracker manager, which fires each address asynchronously and reports nothing back.
struct VastTrackingUrlSender {
    static void fire(const std::vector<platform::URL>& urls, const std::optional<std::string>& event);
};

}  // namespace solen
