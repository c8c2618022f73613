#pragma once

#include "Commons/Configs/Network/ConfigRequest.h"
#include "Commons/Configs/Network/ConfigResponse.h"
#include "Commons/Configs/RootConfig.h"
#include "Commons/Network/NetworkError.h"
#include "Commons/Network/NetworkServiceProvider.h"
#include "Commons/Network/Response.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace solen {

// Performs config exchanges with the config service: posts a ConfigRequest to the endpoint of the
// root document and decodes the answer. Every exchange has its own transport callbacks and its own
// completion, so overlapping exchanges never take each other's outcome.
class ConfigNetworkInterface {
public:
    using Completion = std::function<void(std::optional<ConfigResponse> response, std::optional<NetworkError> error)>;
    // The root document in force (cached or built-in): endpoint, retries and time-out.
    using RootConfigSource = std::function<RootConfig()>;

    static constexpr std::int64_t invalidConfigCode = 1001;
    static constexpr std::string_view invalidConfigMessage = "Fetched Invalid Config ";
    static constexpr std::string_view invalidEndpointMessage = "The config endpoint is not a valid URL";

    explicit ConfigNetworkInterface(RootConfigSource rootConfig, std::shared_ptr<platform::HttpSession> session = nullptr);

    // Starts one exchange. The completion is called exactly once, with a decoded response or with
    // an error, on the transport's completion thread (on a global queue when no request could be
    // formed); never inside this call.
    void fetch(const ConfigRequest& request, Completion completion);

    // The request time-out in seconds for a time-out in ms: ms precision, never 0 (a non-positive
    // value falls back to the built-in 10 s).
    static double timeoutSeconds(std::int64_t fetchTimeoutMs);
    // The wait between attempts in seconds; never negative.
    static double retryIntervalSeconds(std::int64_t intervalMs);

private:
    class Exchange;

    RootConfigSource rootConfig_;
    std::shared_ptr<platform::HttpSession> session_;
};

}  // namespace solen
