#include "Platform/Media/Asset.h"

#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Media/MediaError.h"

#include <algorithm>

namespace solen::platform {
namespace {

bool isKnownKey(std::string_view key) {
    return std::find(MediaFacts::keys.begin(), MediaFacts::keys.end(), key) != MediaFacts::keys.end();
}

}  // namespace

std::shared_ptr<Asset> Asset::create(URL url, std::shared_ptr<MediaFactsSource> source) {
    return std::shared_ptr<Asset>(new Asset(std::move(url), source ? std::move(source) : MediaFactsSource::shared()));
}

Asset::Asset(URL url, std::shared_ptr<MediaFactsSource> source) : url_(std::move(url)), source_(std::move(source)) {
    facts_.duration = MediaTime::invalid();
}

Asset::~Asset() {
    if (request_) request_->cancel();
}

void Asset::loadValuesAsynchronously(std::vector<std::string> keys, std::function<void()> completion) {
    (void)keys;  // every key comes from the same facts: one load serves them all
    std::uint64_t generation = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (completion) waiting_.push_back(std::move(completion));
        if (phase_ == Phase::loading) return;
        if (phase_ == Phase::loaded) {
            // Already known: answer on a later turn, as for a real load.
            performOnMainQueue([weak = weak_from_this()] {
                if (auto self = weak.lock()) self->answerWaiting();
            });
            return;
        }
        phase_ = Phase::loading;
        generation = ++generation_;
    }
    auto request = source_->load(url_, [weak = weak_from_this(), generation](MediaFacts facts) {
        performOnMainQueue([weak, generation, facts = std::move(facts)]() mutable {
            if (auto self = weak.lock()) self->receive(std::move(facts), generation);
        });
    });
    std::lock_guard<std::mutex> lock(mutex_);
    if (generation == generation_ && phase_ == Phase::loading) request_ = std::move(request);
}

void Asset::receive(MediaFacts facts, std::uint64_t generation) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (generation != generation_ || phase_ != Phase::loading) return;
        phase_ = Phase::loaded;
        facts_ = std::move(facts);
        request_.reset();
    }
    answerWaiting();
}

void Asset::answerWaiting() {
    std::vector<std::function<void()>> waiting;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        waiting.swap(waiting_);
    }
    for (auto& completion : waiting) completion();
}

void Asset::cancelLoading() {
    std::shared_ptr<MediaFactsSource::Request> request;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (phase_ != Phase::loading) return;
        phase_ = Phase::cancelled;
        ++generation_;
        request = std::move(request_);
    }
    if (request) request->cancel();
    performOnMainQueue([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->answerWaiting();
    });
}

Asset::KeyStatus Asset::statusOfValue(std::string_view key, std::optional<Error>* error) const {
    if (error) error->reset();
    if (!isKnownKey(key)) {
        if (error) *error = MediaError::make(MediaError::Code::unknownKey, "unknown asset key: " + std::string(key));
        return KeyStatus::failed;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    switch (phase_) {
        case Phase::idle: return KeyStatus::unknown;
        case Phase::loading: return KeyStatus::loading;
        case Phase::cancelled: return KeyStatus::cancelled;
        case Phase::loaded: break;
    }
    const auto failed = facts_.failedKeys.find(key);
    if (failed == facts_.failedKeys.end()) return KeyStatus::loaded;
    if (error) *error = failed->second;
    return KeyStatus::failed;
}

bool Asset::isPlayable() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return phase_ == Phase::loaded && facts_.playable;
}

MediaTime Asset::duration() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return phase_ == Phase::loaded ? facts_.duration : MediaTime::invalid();
}

std::vector<MediaTrack> Asset::tracks() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return phase_ == Phase::loaded ? facts_.tracks : std::vector<MediaTrack>{};
}

std::vector<MediaTrack> Asset::tracks(MediaTrack::MediaType mediaType) const {
    auto all = tracks();
    std::erase_if(all, [mediaType](const MediaTrack& track) { return track.mediaType != mediaType; });
    return all;
}

MediaFacts Asset::facts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return facts_;
}

}  // namespace solen::platform
