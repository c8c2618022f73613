#pragma once

#include "Platform/Dispatch/Clock.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>

namespace solen {

// Loads the document named by a wrapper's ad-tag address. A VAST request calls it on its own
// serial queue and waits for the answer, so an implementation may block the calling thread,
// but never longer than the time it is given.
class VastDocumentFetcher {
public:
    virtual ~VastDocumentFetcher() = default;

    // The document body, or nothing when it could not be loaded within `timeout`.
    virtual std::optional<std::string> fetch(const platform::URL& url, platform::Clock::Duration timeout) = 0;
};

}  // namespace solen
