#include "support/RecordingAdManagerDelegate.h"

namespace solen::test {

std::vector<std::string> RecordingAdManagerDelegate::results() const {
    std::vector<std::string> results;
    for (const std::string& event : events_) {
        if (event == "didFinishLoading" || event.rfind("didFail:", 0) == 0) results.push_back(event);
    }
    return results;
}

void RecordingAdManagerDelegate::adManagerDidFinishLoading(AdManager&, std::shared_ptr<platform::View> adView) {
    adView_ = std::move(adView);
    events_.push_back("didFinishLoading");
}

void RecordingAdManagerDelegate::adManagerDidFailToLoadWith(AdManager&, const AdError& error) {
    events_.push_back("didFail:" + std::to_string(error.code()));
}

}  // namespace solen::test
