#include "support/TrackerCapture.h"

#include "Commons/Network/NetworkServiceProvider.h"
#include "support/AdResponseBuilder.h"
#include "support/DispatchWait.h"

#include <algorithm>

namespace solen::test {

std::string TrackerCapture::Hit::macro(std::string_view name) const {
    const auto it = macros.find(std::string(name));
    return it == macros.end() ? std::string("<absent>") : it->second;
}

TrackerCapture::TrackerCapture() : session_(ScriptedHttpSession::create()) {
    NetworkServiceProvider::setSession(session_);
}

TrackerCapture::~TrackerCapture() {
    drainGlobalQueue();
    NetworkServiceProvider::setSession(nullptr);
}

std::vector<TrackerCapture::Hit> TrackerCapture::hits() const {
    std::vector<Hit> result;
    const auto requests = session_->requests();
    for (std::size_t i = offset_; i < requests.size(); ++i) {
        const auto& url = requests[i].url();
        if (!url || url->host() != AdResponseBuilder::captureHost) {
            continue;
        }
        Hit hit;
        for (const auto& item : url->queryItems().value_or(std::vector<platform::URLQueryItem>{})) {
            const std::string value = item.value.value_or("");
            if (item.name == "kind") {
                hit.kind = value;
            } else if (item.name == "li") {
                hit.lineItem = value;
            } else {
                hit.macros[item.name] = value;
            }
        }
        result.push_back(std::move(hit));
    }
    return result;
}

std::vector<TrackerCapture::Hit> TrackerCapture::hits(std::string_view kind) const {
    std::vector<Hit> result = hits();
    std::erase_if(result, [&](const Hit& hit) { return hit.kind != kind; });
    return result;
}

TrackerCapture::Hit TrackerCapture::hit(std::string_view kind, std::string_view lineItem) const {
    for (Hit& hit : hits(kind)) {
        if (hit.lineItem == lineItem) {
            return std::move(hit);
        }
    }
    return {};
}

std::vector<std::string> TrackerCapture::events() const {
    std::vector<std::string> result;
    for (const Hit& hit : hits()) {
        result.push_back(hit.kind + ":" + hit.lineItem);
    }
    std::sort(result.begin(), result.end());
    return result;
}

void TrackerCapture::clear() {
    drainGlobalQueue();
    offset_ = session_->requestCount();
}

std::vector<std::string> TrackerCapture::settledEvents(std::chrono::milliseconds timeout) const {
    drainGlobalQueue(timeout);
    return events();
}

}  // namespace solen::test
