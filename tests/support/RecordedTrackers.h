#pragma once

#include "Commons/Trackers/TrackerManager.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace solen::test {

// A tracker manager whose requests are recorded (their URL text) in the order in which they were
// fired: they leave from one serial queue. By default they are then dropped and never leave the
// process; with `sendInOrder` each is sent for real and answered before the next one leaves, so a
// service receives them in that order too. Thread-safe.
class RecordedTrackers {
public:
    enum class Delivery { drop, sendInOrder };
    explicit RecordedTrackers(Delivery delivery = Delivery::drop);

    const std::shared_ptr<TrackerManager>& manager() const { return manager_; }

    // The URLs sent so far, once the requests fired before this call have been recorded.
    std::vector<std::string> urls() const;
    void clear();

    struct Transport;

private:
    std::shared_ptr<Transport> transport_;
    std::shared_ptr<platform::DispatchQueue> queue_;
    std::shared_ptr<TrackerManager> manager_;
};

}  // namespace solen::test
