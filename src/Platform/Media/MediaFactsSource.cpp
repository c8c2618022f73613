#include "Platform/Media/MediaFactsSource.h"

#include "Platform/Media/DownloadingMediaFactsSource.h"

#include <mutex>

namespace solen::platform {
namespace {

std::mutex sharedMutex;
std::shared_ptr<MediaFactsSource> sharedSource;

}  // namespace

std::shared_ptr<MediaFactsSource> MediaFactsSource::shared() {
    std::lock_guard<std::mutex> lock(sharedMutex);
    if (!sharedSource) sharedSource = DownloadingMediaFactsSource::create();
    return sharedSource;
}

void MediaFactsSource::setShared(std::shared_ptr<MediaFactsSource> source) {
    std::lock_guard<std::mutex> lock(sharedMutex);
    sharedSource = std::move(source);
}

}  // namespace solen::platform
