#include "Ad/RenderEngine/Vast/Parser/VastTracker.h"

#include "Ad/RenderEngine/Vast/Model/VastErrorMacro.h"
#include "Ad/RenderEngine/Vast/Parser/VastTrackingUrlSender.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

namespace solen {

using platform::URL;

namespace {

bool hasLinearCreative(const VastAd& ad) {
    return std::any_of(ad.creatives.begin(), ad.creatives.end(),
                       [](const VastCreative& creative) { return creative.linear.has_value(); });
}

std::string upperCased(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

TrackingError noCurrentCreative() { return TrackingError::internalError(std::string(VastTracker::noCurrentCreativeMessage)); }

}  // namespace

std::shared_ptr<VastTracker> VastTracker::create(VastModel vastModel, std::weak_ptr<VastTrackerDelegate> delegate,
                                                 double startTime, bool trackProgressCumulatively,
                                                 TrackingUrlSender sender) {
    return std::shared_ptr<VastTracker>(new VastTracker(std::move(vastModel), std::move(delegate), startTime,
                                                        trackProgressCumulatively, std::move(sender)));
}

VastTracker::VastTracker(VastModel vastModel, std::weak_ptr<VastTrackerDelegate> delegate, double startTime,
                         bool trackProgressCumulatively, TrackingUrlSender sender)
    : vastModel_(std::move(vastModel)),
      startTime_(startTime),
      trackerModel_(vastModel_),
      trackProgressCumulatively_(trackProgressCumulatively),
      sender_(std::move(sender)) {
    vastAds_ = adsToTrack(trackerModel_.type, vastModel_.ads);
    trackingStatus_ = TrackingStatus::tracking;
    delegate_ = std::move(delegate);
    totalAds_ = static_cast<std::int64_t>(vastAds_.size());
    if (!sender_) {
        sender_ = &VastTrackingUrlSender::fire;
    }
}

std::vector<VastAd> VastTracker::adsToTrack(TrackerModelType type, const std::vector<VastAd>& ads) {
    std::vector<VastAd> tracked;
    if (type == TrackerModelType::adPod) {
        for (const VastAd& ad : ads) {
            if (ad.sequence && hasLinearCreative(ad)) {
                tracked.push_back(ad);
            }
        }
        std::stable_sort(tracked.begin(), tracked.end(),
                         [](const VastAd& a, const VastAd& b) { return *a.sequence < *b.sequence; });
        return tracked;
    }
    const auto first = std::find_if(ads.begin(), ads.end(), hasLinearCreative);
    if (first != ads.end()) {
        tracked.push_back(*first);
    }
    return tracked;
}

std::variant<TrackingCreative, VastTracker::StartError> VastTracker::makeTrackingCreative(const std::string& adId) const {
    const auto ad = std::find_if(vastAds_.begin(), vastAds_.end(), [&](const VastAd& a) { return a.id == adId; });
    if (ad == vastAds_.end() || (ad->sequence && *ad->sequence <= 0)) {
        return StartError(TrackingError::noAdFound(adId));
    }
    // Track the creative the player plays: the first one of the ad that has a Linear.
    const auto playable = std::find_if(ad->creatives.begin(), ad->creatives.end(),
                                       [](const auto& creative) { return creative.linear.has_value(); });
    if (playable == ad->creatives.end()) {
        return StartError(TrackingError::noAdFound(adId));
    }
    std::optional<TrackingCreative> creative = TrackingCreative::make(*playable->linear, *ad);
    if (!creative) {
        return StartError(TrackingCreativeError::noDurationInVastLinearCreative);
    }
    return std::move(*creative);
}

std::optional<VastTracker::StartError> VastTracker::start(const std::string& adId) {
    auto made = makeTrackingCreative(adId);
    if (auto* error = std::get_if<StartError>(&made)) {
        return *error;
    }
    currentTrackingCreative_ = std::move(std::get<TrackingCreative>(made));
    trackingStatus_ = TrackingStatus::tracking;
    return std::nullopt;
}

std::optional<TrackingError> VastTracker::trackStart() {
    if (!currentTrackingCreative_) {
        return noCurrentCreative();
    }
    track({TrackingEventType::start, TrackingEventType::creativeView}, *currentTrackingCreative_);
    currentTrackingCreative_->started = true;
    trackingStatus_ = TrackingStatus::tracking;
    trackImpressions();
    return std::nullopt;
}

std::optional<TrackingError> VastTracker::trackImpressions() {
    if (!currentTrackingCreative_) {
        return noCurrentCreative();
    }
    std::vector<URL> urls;
    for (const VastImpression& impression : currentTrackingCreative_->vastAd.impressions) {
        if (impression.url) {
            urls.push_back(*impression.url);
        }
    }
    fire(urls, "IMPRESSIONS");
    return std::nullopt;
}

std::optional<TrackingError> VastTracker::updateProgress(double time) {
    switch (trackingStatus_) {
        case TrackingStatus::unknown:
            return TrackingError::unableToUpdateProgress(std::string(cannotUpdateProgressMessage) +
                                                         std::string(statusUnknownMessage));
        case TrackingStatus::errored:
            return TrackingError::unableToUpdateProgress(std::string(cannotUpdateProgressMessage) +
                                                         std::string(statusErroredMessage));
        case TrackingStatus::complete:
            return TrackingError::unableToUpdateProgressTrackingComplete();
        case TrackingStatus::tracking:
        case TrackingStatus::paused:
            break;
    }
    currentTime_ = time;
    if (trackingStatus_ == TrackingStatus::paused) {
        trackingStatus_ = TrackingStatus::tracking;
    }
    if (!currentTrackingCreative_) {
        trackingStatus_ = TrackingStatus::errored;
        return noCurrentCreative();
    }
    // A delegate may let go of the tracker while it is told of a quartile.
    const auto self = shared_from_this();
    TrackingCreative creative = *currentTrackingCreative_;
    fireProgressEvents(creative, time);
    trackQuartiles(creative);
    currentTrackingCreative_ = std::move(creative);
    return std::nullopt;
}

// Each due progress event is marked by its own position, so events that share an address are
// each fired once and never make another fire again.
void VastTracker::fireProgressEvents(TrackingCreative& creative, double time) const {
    std::vector<URL> urls;
    for (VastTrackingEvent& event : creative.creative.trackingEvents) {
        if (event.type != TrackingEventType::progress || event.tracked || !event.url) {
            continue;
        }
        bool due = true;
        if (event.offset) {
            const double offset = *event.offset;
            if (event.offsetIsFraction) {
                // "n%" is always a share of the duration; beyond the whole of it is never reached.
                due = offset <= 1 && time >= offset * creative.duration;
            } else {
                // A plain number between 0 and 1 (exclusive) is a fraction of the duration, else seconds.
                const double threshold = (offset > 0 && offset < 1) ? offset * creative.duration : offset;
                due = time >= threshold;
            }
        }
        if (due) {
            event.tracked = true;
            urls.push_back(*event.url);
        }
    }
    if (!urls.empty()) {
        fire(urls, "PROGRESS");
    }
}

double VastTracker::exactPlaybackTime() const {
    return currentTime_ - startTime_ - (trackProgressCumulatively_ ? completedAdAccumulatedDuration_ : 0);
}

double VastTracker::playbackTime() const {
    if (!trackProgressCumulatively_) {
        return exactPlaybackTime();
    }
    const double t = std::floor(exactPlaybackTime());
    return t < 0 ? 0 : t;
}

namespace {

// One quartile: its window runs from its mark to the next mark (the duration for the third).
struct Quartile {
    double TrackingCreative::*from;
    double TrackingCreative::*to;
    bool TrackingCreative::*tracked;
    TrackingEventType event;
    void (VastTrackerDelegate::*tell)(VastTracker&, const VastAd&);
};

constexpr Quartile quartiles[] = {
    {&TrackingCreative::firstQuartile, &TrackingCreative::midpoint, &TrackingCreative::trackedFirstQuartile,
     TrackingEventType::firstQuartile, &VastTrackerDelegate::vastTrackerDidTrackFirstQuartile},
    {&TrackingCreative::midpoint, &TrackingCreative::thirdQuartile, &TrackingCreative::trackedMidpoint,
     TrackingEventType::midpoint, &VastTrackerDelegate::vastTrackerDidTrackMidpoint},
    {&TrackingCreative::thirdQuartile, &TrackingCreative::duration, &TrackingCreative::trackedThirdQuartile,
     TrackingEventType::thirdQuartile, &VastTrackerDelegate::vastTrackerDidTrackThirdQuartile},
};

}  // namespace

// Each quartile fires once, after the start, and only from an update whose playback time lies in
// its window: a jump over a whole window never fires it. A window opens when the exact time
// reaches its mark (the same as the whole-second time for a whole-second mark; a mark inside the
// last second is exact) and closes after the whole second of the next mark.
void VastTracker::trackQuartiles(TrackingCreative& creative) {
    if (!creative.started || !(playbackTime() < creative.duration && currentTime_ >= startTime_)) {
        return;
    }
    for (const Quartile& quartile : quartiles) {
        const double t = playbackTime();
        if (creative.*quartile.from <= exactPlaybackTime() && t <= creative.*quartile.to &&
            !(creative.*quartile.tracked)) {
            creative.*quartile.tracked = true;
            track({quartile.event}, creative);
            if (const auto delegate = delegate_.lock()) {
                ((*delegate).*quartile.tell)(*this, creative.vastAd);
            }
        }
    }
}

std::optional<TrackingError> VastTracker::trackComplete() {
    if (!currentTrackingCreative_ || !currentTrackingCreative_->trackedThirdQuartile) {
        return noCurrentCreative();
    }
    const TrackingCreative completed = std::move(*currentTrackingCreative_);
    completedAdAccumulatedDuration_ += completed.duration;
    currentTrackingCreative_.reset();
    track({TrackingEventType::complete}, completed);
    return std::nullopt;
}

std::optional<TrackingError> VastTracker::trackMute(bool muted) {
    if (!currentTrackingCreative_) {
        return noCurrentCreative();
    }
    track({muted ? TrackingEventType::mute : TrackingEventType::unmute}, *currentTrackingCreative_);
    return std::nullopt;
}

void VastTracker::trackPause() {
    if (currentTrackingCreative_) {
        track({TrackingEventType::pause}, *currentTrackingCreative_);
    }
}

void VastTracker::trackResume() {
    if (currentTrackingCreative_) {
        track({TrackingEventType::resume}, *currentTrackingCreative_);
    }
}

std::optional<TrackingError> VastTracker::trackError(std::optional<VastErrorCodes> code) {
    if (!currentTrackingCreative_) {
        return noCurrentCreative();
    }
    std::vector<URL> urls;
    for (const URL& url : currentTrackingCreative_->vastAd.errors) {
        urls.push_back(code ? VastErrorMacro::applying(url, vastErrorCodeValue(*code)) : url);
    }
    fire(urls, "ERROR");
    return std::nullopt;
}

void VastTracker::track(const std::vector<TrackingEventType>& eventTypes, const TrackingCreative& creative) const {
    for (const TrackingEventType type : eventTypes) {
        std::vector<URL> urls;
        for (const VastTrackingEvent& event : creative.creative.trackingEvents) {
            if (event.type == type && event.url) {
                urls.push_back(*event.url);
            }
        }
        fire(urls, upperCased(rawValue(type)));
    }
}

void VastTracker::fire(const std::vector<URL>& urls, std::string event) const {
    sender_(urls, std::optional<std::string>(std::move(event)));
}

}  // namespace solen
