#include "Platform/Media/MediaFactsSource.h"

#include "Platform/Media/DownloadingMediaFactsSource.h"

#include <mutex>

namespace solen::platform {
namespace {

struct SharedSource {
    std::mutex mutex;
    std::shared_ptr<MediaFactsSource> source;
};

// Never destroyed: assets released during static destruction may still cancel their loads.
SharedSource& sharedSource() {
    static auto* instance = new SharedSource();
    return *instance;
}

}  // namespace

std::shared_ptr<MediaFactsSource> MediaFactsSource::shared() {
    SharedSource& shared = sharedSource();
    std::lock_guard<std::mutex> lock(shared.mutex);
    if (!shared.source) shared.source = DownloadingMediaFactsSource::create();
    return shared.source;
}

void MediaFactsSource::setShared(std::shared_ptr<MediaFactsSource> source) {
    SharedSource& shared = sharedSource();
    std::lock_guard<std::mutex> lock(shared.mutex);
    shared.source = std::move(source);
}

}  // namespace solen::platform
