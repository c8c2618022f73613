#include "support/RecordedTrackers.h"

#include <future>
#include <mutex>

namespace solen::test {

struct RecordedTrackers::Transport final : NetworkServiceProvider {
    explicit Transport(Delivery delivery) : NetworkServiceProvider(nullptr), delivery(delivery) {}

    void send(std::shared_ptr<Request> request) override {
        {
            std::lock_guard<std::mutex> lock(mutex);
            urls.push_back(request->url().absoluteString());
        }
        auto urlRequest = request->urlRequest();
        if (delivery == Delivery::drop || !urlRequest) {
            return;
        }
        std::promise<void> answered;
        const auto task = sessionForSend()->dataTask(
            std::move(*urlRequest), [&answered](auto&&...) { answered.set_value(); });
        task->resume();
        answered.get_future().wait();
    }

    const Delivery delivery;
    std::mutex mutex;
    std::vector<std::string> urls;
};

RecordedTrackers::RecordedTrackers(Delivery delivery)
    : transport_(std::make_shared<Transport>(delivery)),
      queue_(platform::DispatchQueue::createSerial("solen.test.trackers")),
      manager_(std::make_shared<TrackerManager>(std::make_shared<TrackerNetworkInterface>(transport_),
                                                [] { return PrimeAdsConfig::EventReporting{}; }, queue_)) {}

std::vector<std::string> RecordedTrackers::urls() const {
    queue_->sync([] {});
    std::lock_guard<std::mutex> lock(transport_->mutex);
    return transport_->urls;
}

void RecordedTrackers::clear() {
    queue_->sync([] {});
    std::lock_guard<std::mutex> lock(transport_->mutex);
    transport_->urls.clear();
}

}  // namespace solen::test
