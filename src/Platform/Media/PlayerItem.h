#pragma once

#include "Platform/Dispatch/RunLoopTimer.h"
#include <solen/ui/Error.h>
#include "Platform/Media/Asset.h"
#include "Platform/Media/MediaTime.h"
#include "Platform/Media/ObservedValue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen::platform {

class MediaPlayer;

// The playable presence of an asset: its play head, status and buffer. A new item is unknown,
// with an empty buffer and nothing loaded; once installed in a player it turns ready on the next
// main-loop turn (the whole item loaded, likely to keep up), or failed when its asset is not
// playable. Its duration is the asset's loaded duration (indefinite when unknown). The player
// moves the play head; seeks move it at once and complete on a later turn (false when a later
// seek superseded them). Posts the did-play-to-end and failed-to-play-to-end notifications with
// the item as sender. Main thread only; a released item reports nothing.
class PlayerItem : public std::enable_shared_from_this<PlayerItem> {
public:
    enum class Status { unknown, readyToPlay, failed };
    enum class AudioTimePitchAlgorithm { lowQualityZeroLatency, timeDomain, spectral, varispeed };
    struct TimeRange {
        MediaTime start;
        MediaTime duration;
        friend bool operator==(const TimeRange&, const TimeRange&) = default;
    };

    static const std::string& didPlayToEndTimeNotification;
    static const std::string& failedToPlayToEndTimeNotification;
    // User-info key of the failure notification: the platform Error.
    static const std::string& failedToPlayToEndTimeErrorKey;

    static std::shared_ptr<PlayerItem> create(std::shared_ptr<Asset> asset);
    PlayerItem(const PlayerItem&) = delete;
    PlayerItem& operator=(const PlayerItem&) = delete;
    ~PlayerItem();

    const std::shared_ptr<Asset>& asset() const { return asset_; }
    AudioTimePitchAlgorithm audioTimePitchAlgorithm() const { return pitchAlgorithm_; }
    void setAudioTimePitchAlgorithm(AudioTimePitchAlgorithm algorithm) { pitchAlgorithm_ = algorithm; }

    MediaTime currentTime() const;
    MediaTime duration() const;
    // Why the item failed, once it has.
    const std::optional<Error>& error() const { return error_; }

    // Observable properties.
    const ObservedValue<Status>& status() const { return status_; }
    const ObservedValue<bool>& isPlaybackBufferEmpty() const { return bufferEmpty_; }
    const ObservedValue<bool>& isPlaybackLikelyToKeepUp() const { return likelyToKeepUp_; }
    const ObservedValue<std::vector<TimeRange>>& loadedTimeRanges() const { return loadedRanges_; }

    // Moves the play head to `time`, kept inside the item. An invalid or indefinite time moves
    // nothing and completes with false.
    void seek(MediaTime time, std::function<void(bool finished)> completion = nullptr);

private:
    friend class MediaPlayer;
    explicit PlayerItem(std::shared_ptr<Asset> asset) : asset_(std::move(asset)) {}

    // Called by the player.
    void becomeReady();
    void beginStall(const MediaFacts::Stall& stall);
    void endStall(bool inError);
    void failPlayback(std::string reason);
    std::vector<TimeRange> wholeItem() const;
    // Duration in nanoseconds, or the largest value when indefinite.
    std::int64_t durationNanoseconds() const;

    const std::shared_ptr<Asset> asset_;
    AudioTimePitchAlgorithm pitchAlgorithm_ = AudioTimePitchAlgorithm::timeDomain;
    std::optional<Error> error_;
    ObservedValue<Status> status_{Status::unknown};
    ObservedValue<bool> bufferEmpty_{true};
    ObservedValue<bool> likelyToKeepUp_{false};
    ObservedValue<std::vector<TimeRange>> loadedRanges_;

    std::int64_t position_ = 0;     // play head, nanoseconds
    bool atEnd_ = false;            // reached the end by playing; cleared by a seek
    std::uint64_t seekCount_ = 0;   // tells a superseded seek, and a play head moved under a callback
    std::weak_ptr<MediaPlayer> player_;
    MediaFacts script_;             // the asset's simulation scripts, taken when the item turns ready
    std::shared_ptr<RunLoopTimer> stallTimer_;
};

}  // namespace solen::platform
