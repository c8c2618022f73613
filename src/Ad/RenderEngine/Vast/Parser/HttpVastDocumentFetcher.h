#pragma once

#include "Ad/RenderEngine/Vast/Parser/VastDocumentFetcher.h"
#include "Platform/Foundation/HttpSession.h"

#include <cstddef>
#include <memory>

namespace solen {

// Loads wrapper documents over the SDK's HTTP transport: http and https addresses only, one GET
// bounded by the time it is given, redirects followed, a body of at most `maximumBodyBytes`. An
// answer whose status is not 2xx is a failed load.
class HttpVastDocumentFetcher final : public VastDocumentFetcher {
public:
    static constexpr std::size_t maximumBodyBytes = 2u * 1024u * 1024u;

    // `session` replaces the fetcher's own session (tests); the default session caps bodies at
    // `maximumBodyBytes`.
    explicit HttpVastDocumentFetcher(std::shared_ptr<platform::HttpSession> session = nullptr);

    // The process-wide fetcher that VAST clients use unless given another.
    static std::shared_ptr<HttpVastDocumentFetcher> shared();

    std::optional<std::string> fetch(const platform::URL& url, platform::Clock::Duration timeout) override;

private:
    std::shared_ptr<platform::HttpSession> session_;
};

}  // namespace solen
