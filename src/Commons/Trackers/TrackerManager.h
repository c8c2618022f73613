#pragma once

#include "Commons/Configs/PrimeAdsConfig.h"
#include "Commons/Network/Request.h"
#include "Commons/Trackers/TrackerData.h"
#include "Commons/Trackers/TrackerNetworkInterface.h"
#include "Commons/Trackers/TrackerUrlList.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/URL.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen {

// Fire-and-forget sender of tracking requests and analytics uploads. The requests of one call leave
// together, in list order, from one block on the global default-priority queue through this
// manager's transport, which retries each as the request allows; nobody reads the answer.
// Callable from any thread.
class TrackerManager {
public:
    // The retry settings of tracker requests ("eventReporting" of the ad-format document).
    using EventReportingSource = std::function<PrimeAdsConfig::EventReporting()>;

    // `eventReporting` replaces the configuration read (tests); empty reads the current ad-format
    // document, else its built-in default. `sendQueue` replaces the global default-priority queue
    // the requests leave from (tests: a serial queue keeps their order).
    explicit TrackerManager(std::shared_ptr<TrackerNetworkInterface> trackerNetworkInterface,
                            EventReportingSource eventReporting = nullptr,
                            std::shared_ptr<platform::DispatchQueue> sendQueue = nullptr);

    // The process-wide instance with its own transport, created on first use.
    static std::shared_ptr<TrackerManager> shared();

    const std::shared_ptr<TrackerNetworkInterface>& trackerNetworkInterface() const { return interface_; }
    // The queue the requests leave from.
    const std::shared_ptr<platform::DispatchQueue>& sendQueue() const { return sendQueue_; }

    // Sends a prepared request unchanged; returns at once.
    void send(std::shared_ptr<Request> request) const;
    // Sends prepared requests unchanged, in list order, from one block; returns at once.
    void send(std::vector<std::shared_ptr<Request>> requests) const;
    // Fires each URL text with a GET, in list order. A text that is not an absolute URL is logged
    // ("Invalid url string <text>") and skipped; the others are still fired.
    void fire(const std::vector<std::string>& urls) const;
    // The same after replacing the macros of each URL text (line-item trackers).
    void fire(const std::vector<std::string>& urls, const std::vector<TrackerData>& macros) const;
    // What `fire` sends, built on the calling thread: the requests of the URL texts after replacing
    // their macros, in list order; a text that is not an absolute URL is logged and left out.
    std::vector<std::shared_ptr<Request>> trackerRequests(const TrackerUrlList& urls,
                                                          const std::vector<TrackerData>& macros) const;
    std::vector<std::shared_ptr<Request>> trackerRequests(const std::vector<std::string>& urls,
                                                          const std::vector<TrackerData>& macros) const;
    // Hands a request to the transport from the calling thread, for a caller that is itself a block
    // of a background queue (it saves a block of its own).
    void sendFromCurrentQueue(const std::shared_ptr<Request>& request) const;
    // Fires already parsed URLs (VAST impression, error and progress trackers) as given; `event`
    // names the tracked event and does not change what is sent.
    void fireTrackingUrls(const std::vector<platform::URL>& urls, const std::optional<std::string>& event = {}) const;

    // The GET request of one tracker URL, with the time-out and retries of the event-reporting
    // settings read now.
    std::shared_ptr<Request> trackerRequest(const platform::URL& url) const;

    // Milliseconds of a configured duration as request seconds: millisecond precision is kept, and
    // a value that is not positive or not finite gives `fallbackMilliseconds`; bounded to a day.
    static double secondsFromMilliseconds(double milliseconds, double fallbackMilliseconds);

private:
    template <class Texts>
    std::vector<std::shared_ptr<Request>> requestsOf(const Texts& urls, const std::vector<TrackerData>& macros) const;

    std::shared_ptr<TrackerNetworkInterface> interface_;
    EventReportingSource eventReporting_;
    std::shared_ptr<platform::DispatchQueue> sendQueue_;
};

}  // namespace solen
