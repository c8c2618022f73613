#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAd.h"
#include "Ad/RenderEngine/Vast/Model/VastErrorCodes.h"
#include "Ad/RenderEngine/Vast/Model/VastModel.h"
#include "Ad/RenderEngine/Vast/Model/VastTrackingEvent.h"
#include "Ad/RenderEngine/Vast/Parser/TrackerModel.h"
#include "Ad/RenderEngine/Vast/Parser/TrackingCreative.h"
#include "Ad/RenderEngine/Vast/Parser/TrackingCreativeError.h"
#include "Ad/RenderEngine/Vast/Parser/TrackingError.h"
#include "Ad/RenderEngine/Vast/Parser/TrackingStatus.h"
#include "Ad/RenderEngine/Vast/Parser/VastTrackerDelegate.h"
#include "Ad/RenderEngine/Vast/Parser/VastXMLParser.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace solen {

// Follows the playback of the ads of one parsed VAST document and fires their tracking addresses:
// impressions, start and creative view at the start, progress events once their offsets are
// reached, each quartile once, completion, mute and unmute, pause and resume, and the Error
// addresses with the VAST error code put into their "[ERRORCODE]" macro.
//
// Operations that cannot proceed return the reason and log nothing. Main thread only; addresses
// are handed to the sender, which sends them elsewhere without waiting.
class VastTracker : public std::enable_shared_from_this<VastTracker> {
public:
    using TrackingUrlSender = VastXMLParser::TrackingUrlSender;
    using StartError = std::variant<TrackingError, TrackingCreativeError>;

    static constexpr std::string_view noCurrentCreativeMessage = "Unable to find current creative to track";
    static constexpr std::string_view cannotUpdateProgressMessage = "Cannot update tracking progress.";
    static constexpr std::string_view statusUnknownMessage = "Status is unknown";
    static constexpr std::string_view statusErroredMessage = "Status is errored";

    // `sender` fires the addresses (default: the SDK's tracker manager).
    static std::shared_ptr<VastTracker> create(VastModel vastModel, std::weak_ptr<VastTrackerDelegate> delegate,
                                               double startTime, bool trackProgressCumulatively,
                                               TrackingUrlSender sender = {});
    VastTracker(const VastTracker&) = delete;
    VastTracker& operator=(const VastTracker&) = delete;

    // Makes the first creative of the ad with this id the current creative.
    std::optional<StartError> start(const std::string& adId);
    // Playback started: fires start, creative view and the impressions.
    std::optional<TrackingError> trackStart();
    std::optional<TrackingError> trackImpressions();
    // The player's time in seconds: fires due progress events and, once the start was tracked,
    // each quartile once.
    std::optional<TrackingError> updateProgress(double time);
    // Playback reached the end (only after the third quartile was tracked).
    std::optional<TrackingError> trackComplete();
    std::optional<TrackingError> trackMute(bool muted);
    void trackPause();
    void trackResume();
    // Fires the ad's Error addresses, with `code` put into their macro when given.
    std::optional<TrackingError> trackError(std::optional<VastErrorCodes> code);

    // The ads a tracker follows: a pod's sequenced ads with a linear creative in sequence order;
    // otherwise the first ad with a linear creative.
    static std::vector<VastAd> adsToTrack(TrackerModelType type, const std::vector<VastAd>& ads);

    std::shared_ptr<VastTrackerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<VastTrackerDelegate> delegate) { delegate_ = std::move(delegate); }
    const VastModel& vastModel() const { return vastModel_; }
    std::int64_t totalAds() const { return totalAds_; }
    double startTime() const { return startTime_; }
    TrackingStatus trackingStatus() const { return trackingStatus_; }
    double currentTime() const { return currentTime_; }
    const std::vector<VastAd>& vastAds() const { return vastAds_; }
    const TrackerModel& trackerModel() const { return trackerModel_; }
    double completedAdAccumulatedDuration() const { return completedAdAccumulatedDuration_; }
    const std::optional<TrackingCreative>& currentTrackingCreative() const { return currentTrackingCreative_; }
    bool adBreakStarted() const { return adBreakStarted_; }
    bool trackProgressCumulatively() const { return trackProgressCumulatively_; }

private:
    VastTracker(VastModel vastModel, std::weak_ptr<VastTrackerDelegate> delegate, double startTime,
                bool trackProgressCumulatively, TrackingUrlSender sender);

    std::variant<TrackingCreative, StartError> makeTrackingCreative(const std::string& adId) const;
    // Fires the tracking events of each type, in list order, one call per type.
    void track(const std::vector<TrackingEventType>& eventTypes, const TrackingCreative& creative) const;
    void fireProgressEvents(TrackingCreative& creative, double time) const;
    void trackQuartiles(TrackingCreative& creative);
    // The playback time of the current ad: in whole seconds when tracking cumulatively.
    double playbackTime() const;
    // The same, not rounded down.
    double exactPlaybackTime() const;
    void fire(const std::vector<platform::URL>& urls, std::string event) const;

    std::weak_ptr<VastTrackerDelegate> delegate_;
    VastModel vastModel_;
    std::int64_t totalAds_ = 0;
    double startTime_ = 0;
    TrackingStatus trackingStatus_ = TrackingStatus::unknown;
    double currentTime_ = 0;
    std::vector<VastAd> vastAds_;
    TrackerModel trackerModel_;
    double completedAdAccumulatedDuration_ = 0;
    std::optional<TrackingCreative> currentTrackingCreative_;
    bool adBreakStarted_ = false;
    bool trackProgressCumulatively_ = false;
    TrackingUrlSender sender_;
};

}  // namespace solen
