#include "support/ScriptedMediaFactsSource.h"

#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Dispatch/RunLoopTimer.h"
#include "Platform/Media/MediaError.h"

namespace solen::test {

using platform::MediaFacts;
using platform::MediaTrack;

struct ScriptedMediaFactsSource::Delivery final : Request {
    std::weak_ptr<ScriptedMediaFactsSource> source;
    std::shared_ptr<platform::RunLoopTimer> timer;

    void cancel() override {
        timer->invalidate();
        if (auto owner = source.lock()) {
            std::lock_guard<std::mutex> lock(owner->mutex_);
            ++owner->cancels_;
        }
    }
};

std::shared_ptr<ScriptedMediaFactsSource> ScriptedMediaFactsSource::create() {
    return std::shared_ptr<ScriptedMediaFactsSource>(new ScriptedMediaFactsSource());
}

void ScriptedMediaFactsSource::script(const std::string& url, MediaFacts facts, double delaySeconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    scripts_[url] = {std::move(facts), delaySeconds};
}

MediaFacts ScriptedMediaFactsSource::video(double durationSeconds, platform::Size size) {
    MediaFacts facts = audio(durationSeconds);
    facts.tracks.insert(facts.tracks.begin(), MediaTrack{MediaTrack::MediaType::video, size});
    return facts;
}

MediaFacts ScriptedMediaFactsSource::audio(double durationSeconds) {
    MediaFacts facts;
    facts.playable = true;
    facts.duration = platform::MediaTime::withSeconds(durationSeconds, 600);
    facts.tracks.push_back(MediaTrack{MediaTrack::MediaType::audio, {}});
    return facts;
}

std::shared_ptr<platform::MediaFactsSource::Request> ScriptedMediaFactsSource::load(const platform::URL& url,
                                                                                    Completion completion) {
    MediaFacts facts = MediaFacts::failure(
        platform::MediaError::make(platform::MediaError::Code::badServerResponse, "media address answered HTTP 404"));
    double delay = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++loads_;
        if (auto found = scripts_.find(url.absoluteString()); found != scripts_.end()) {
            facts = found->second.first;
            delay = found->second.second;
        }
    }
    auto delivery = std::make_shared<Delivery>();
    delivery->source = weak_from_this();
    delivery->timer = platform::RunLoopTimer::create(
        platform::Clock::seconds(delay), false,
        [facts = std::move(facts), completion = std::move(completion)](platform::RunLoopTimer&) { completion(facts); });
    platform::MainLoop::shared().add(delivery->timer, platform::MainLoop::commonModes);
    return delivery;
}

std::size_t ScriptedMediaFactsSource::loadCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return loads_;
}

std::size_t ScriptedMediaFactsSource::cancelCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return cancels_;
}

}  // namespace solen::test
