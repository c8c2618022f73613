#pragma once

#include <solen/ui/Error.h>
#include "Platform/Foundation/URL.h"
#include "Platform/Media/MediaFacts.h"
#include "Platform/Media/MediaFactsSource.h"
#include "Platform/Media/MediaTime.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace solen::platform {

// The media at one address. Its keys ("tracks", "playable", "duration") load on request from a
// media-facts source, once per asset however often they are asked for; until then the values are
// empty (not playable, invalid duration, no tracks). A key the asset does not know fails.
// `cancelLoading` turns every key still loading into cancelled and answers the waiting requests.
// Thread-safe: any thread may create, ask and read; load completions run on the main thread, one
// per request, on a later turn than the request. A released asset reports nothing.
class Asset : public std::enable_shared_from_this<Asset> {
public:
    enum class KeyStatus { unknown, loading, loaded, failed, cancelled };

    // A null source means MediaFactsSource::shared().
    static std::shared_ptr<Asset> create(URL url, std::shared_ptr<MediaFactsSource> source = nullptr);
    Asset(const Asset&) = delete;
    Asset& operator=(const Asset&) = delete;
    ~Asset();

    const URL& url() const { return url_; }

    void loadValuesAsynchronously(std::vector<std::string> keys, std::function<void()> completion);
    // The status of one key; a failed key also gives its error (which may be absent).
    KeyStatus statusOfValue(std::string_view key, std::optional<Error>* error = nullptr) const;
    void cancelLoading();

    bool isPlayable() const;
    MediaTime duration() const;
    std::vector<MediaTrack> tracks() const;
    std::vector<MediaTrack> tracks(MediaTrack::MediaType mediaType) const;
    // The simulation scripts of the facts (see MediaFacts); empty for real files.
    MediaFacts facts() const;

private:
    Asset(URL url, std::shared_ptr<MediaFactsSource> source);
    void receive(MediaFacts facts, std::uint64_t generation);
    void answerWaiting();

    const URL url_;
    const std::shared_ptr<MediaFactsSource> source_;
    mutable std::mutex mutex_;
    enum class Phase { idle, loading, loaded, cancelled } phase_ = Phase::idle;
    std::uint64_t generation_ = 0;  // a cancelled load's late answer carries an old number
    std::shared_ptr<MediaFactsSource::Request> request_;
    MediaFacts facts_;
    std::vector<std::function<void()>> waiting_;
};

}  // namespace solen::platform
