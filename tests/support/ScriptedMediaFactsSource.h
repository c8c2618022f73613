#pragma once

#include "Platform/Media/MediaFactsSource.h"
#include <solen/ui/Size.h>

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace solen::test {

// Media facts per address, delivered on the main loop after a delay of the shared clock (a
// manual clock in unit tests). An address without a script fails every key as a 404 would.
// Cancelling a load before its delivery drops it. Thread-safe.
class ScriptedMediaFactsSource final : public platform::MediaFactsSource,
                                       public std::enable_shared_from_this<ScriptedMediaFactsSource> {
public:
    static std::shared_ptr<ScriptedMediaFactsSource> create();

    void script(const std::string& url, platform::MediaFacts facts, double delaySeconds = 0);

    // A playable file with a video track of `size` and an audio track.
    static platform::MediaFacts video(double durationSeconds, platform::Size size = {320, 180});
    // A playable file with one audio track.
    static platform::MediaFacts audio(double durationSeconds);

    std::shared_ptr<Request> load(const platform::URL& url, Completion completion) override;

    std::size_t loadCount() const;
    std::size_t cancelCount() const;

private:
    ScriptedMediaFactsSource() = default;
    struct Delivery;

    mutable std::mutex mutex_;
    std::map<std::string, std::pair<platform::MediaFacts, double>> scripts_;
    std::size_t loads_ = 0;
    std::size_t cancels_ = 0;
};

}  // namespace solen::test
