#include "Commons/Trackers/TrackerManager.h"

#include "Commons/Configs/ConfigUtil.h"
#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/DispatchQueue.h"

#include <algorithm>
#include <cmath>

namespace solen {

namespace {

// Built-in event-reporting values, used for a configured value that cannot be used.
constexpr double defaultRetryMilliseconds = 60000.0;
constexpr double longestMilliseconds = 86400000.0;

}  // namespace

TrackerManager::TrackerManager(std::shared_ptr<TrackerNetworkInterface> trackerNetworkInterface,
                               EventReportingSource eventReporting,
                               std::shared_ptr<platform::DispatchQueue> sendQueue)
    : interface_(std::move(trackerNetworkInterface)),
      eventReporting_(std::move(eventReporting)),
      sendQueue_(sendQueue ? std::move(sendQueue) : platform::DispatchQueue::global()) {
    if (!interface_) {
        interface_ = std::make_shared<TrackerNetworkInterface>();
    }
    if (!eventReporting_) {
        eventReporting_ = [] { return ConfigUtil::clientConfig().eventReporting; };
    }
}

std::shared_ptr<TrackerManager> TrackerManager::shared() {
    static const auto* instance =
        new std::shared_ptr<TrackerManager>(std::make_shared<TrackerManager>(std::make_shared<TrackerNetworkInterface>()));
    return *instance;
}

double TrackerManager::secondsFromMilliseconds(double milliseconds, double fallbackMilliseconds) {
    if (!std::isfinite(milliseconds) || milliseconds <= 0) {
        milliseconds = fallbackMilliseconds;
    }
    return std::min(milliseconds, longestMilliseconds) / 1000.0;
}

std::shared_ptr<Request> TrackerManager::trackerRequest(const platform::URL& url) const {
    const auto settings = eventReporting_();
    auto request = Request::create(url, Request::HTTPMethod::get);
    request->setTimeout(secondsFromMilliseconds(settings.retryTimeOut, defaultRetryMilliseconds));
    request->setRetryCount(std::max<std::int64_t>(settings.maxRetries, 0));
    request->setRetryInterval(secondsFromMilliseconds(settings.retryInterval, defaultRetryMilliseconds));
    request->setMaximumResponseBytes(Request::acknowledgementBodyLimit);
    return request;
}

void TrackerManager::send(std::shared_ptr<Request> request) const {
    if (!request) {
        return;
    }
    sendQueue_->async([nsp = interface_->nsp(), request = std::move(request)] { nsp->send(request); });
}

void TrackerManager::send(std::vector<std::shared_ptr<Request>> requests) const {
    std::erase(requests, nullptr);
    if (requests.size() <= 1) {
        if (!requests.empty()) {
            send(std::move(requests.front()));
        }
        return;
    }
    // One hop for the whole list: each block on the queue costs a thread hand-over.
    sendQueue_->async([nsp = interface_->nsp(), requests = std::move(requests)] {
        for (const auto& request : requests) {
            nsp->send(request);
        }
    });
}

template <class Texts>
std::vector<std::shared_ptr<Request>> TrackerManager::requestsOf(const Texts& urls,
                                                                 const std::vector<TrackerData>& macros) const {
    std::vector<std::shared_ptr<Request>> requests;
    requests.reserve(urls.size());
    for (const std::string_view text : urls) {
        const auto url = macros.empty() ? platform::URL::parse(text)
                                        : platform::URL::parseOwned(TrackerData::substitute(text, macros));
        // A relative reference cannot be requested on its own either.
        if (!url || !url->isAbsolute()) {
            Logger::error("Invalid url string " + std::string(text));
            continue;
        }
        requests.push_back(trackerRequest(*url));
    }
    return requests;
}

std::vector<std::shared_ptr<Request>> TrackerManager::trackerRequests(const TrackerUrlList& urls,
                                                                      const std::vector<TrackerData>& macros) const {
    return requestsOf(urls, macros);
}

std::vector<std::shared_ptr<Request>> TrackerManager::trackerRequests(const std::vector<std::string>& urls,
                                                                      const std::vector<TrackerData>& macros) const {
    return requestsOf(urls, macros);
}

void TrackerManager::sendFromCurrentQueue(const std::shared_ptr<Request>& request) const {
    if (request) {
        interface_->nsp()->send(request);
    }
}

void TrackerManager::fire(const std::vector<std::string>& urls) const { fire(urls, {}); }

void TrackerManager::fire(const std::vector<std::string>& urls, const std::vector<TrackerData>& macros) const {
    send(trackerRequests(urls, macros));
}

void TrackerManager::fireTrackingUrls(const std::vector<platform::URL>& urls,
                                      const std::optional<std::string>& /*event*/) const {
    std::vector<std::shared_ptr<Request>> requests;
    requests.reserve(urls.size());
    for (const auto& url : urls) {
        requests.push_back(trackerRequest(url));
    }
    send(std::move(requests));
}

}  // namespace solen
