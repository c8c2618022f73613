#pragma once

#include "Scenario.h"
#include "ServiceRequest.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace solen::adserver {

// The local ad service: an HTTP server on a loopback address that answers the SDK's config
// requests ("/configs"), bid requests ("/bid") and analytics uploads ("/analyticsEvent") from a
// scenario, answers any other path (trackers, creatives), and records every request. Thread-safe.
class AdService {
public:
    using Observer = std::function<void(const ServiceRequest& request)>;

    explicit AdService(Scenario scenario = Scenario::defaults());
    ~AdService();
    AdService(const AdService&) = delete;
    AdService& operator=(const AdService&) = delete;

    // Listens on `host` (a loopback address) and `port` (0: an ephemeral one). False when the
    // address cannot be bound or the service already runs.
    bool start(const std::string& host = "127.0.0.1", int port = 0);
    // Closes the listener and every connection; waits for the server thread. Idempotent.
    void stop();
    bool isRunning() const;

    int port() const;
    // "http://<host>:<port>"
    std::string baseUrl() const;

    // Called after each request was answered, on the server's thread (keep it short).
    void setObserver(Observer observer);
    // Replaces the scenario for later requests.
    void setScenario(Scenario scenario);

    std::vector<ServiceRequest> requests() const;
    std::size_t requestCount() const;
    // The analytics events received with this name.
    std::size_t eventCount(const std::string& name) const;
    std::size_t countOf(ServiceRequest::Kind kind) const;
    // Waits until `predicate` holds over the recorded requests; false on time-out.
    bool waitFor(const std::function<bool(const std::vector<ServiceRequest>&)>& predicate,
                 std::chrono::milliseconds timeout) const;
    void clearRequests();

    // The recorded requests as a readable timeline, one line each, and as JSON.
    std::string timeline() const;
    nlohmann::ordered_json toJson() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace solen::adserver
