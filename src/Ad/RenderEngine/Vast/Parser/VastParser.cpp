#include "Ad/RenderEngine/Vast/Parser/VastParser.h"

#include "Platform/Dispatch/MainLoop.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <utility>

namespace solen {

using platform::Clock;

namespace {

template <class T>
void append(std::vector<T>& to, const std::vector<T>& from) {
    to.insert(to.end(), from.begin(), from.end());
}

}  // namespace

std::shared_ptr<VastParser> VastParser::create(VastClientOptions options, std::shared_ptr<platform::DispatchQueue> queue,
                                               std::shared_ptr<VastDocumentFetcher> fetcher,
                                               VastXMLParser::TrackingUrlSender sender) {
    return std::shared_ptr<VastParser>(
        new VastParser(std::move(options), std::move(queue), std::move(fetcher), std::move(sender)));
}

VastParser::VastParser(VastClientOptions options, std::shared_ptr<platform::DispatchQueue> queue,
                       std::shared_ptr<VastDocumentFetcher> fetcher, VastXMLParser::TrackingUrlSender sender)
    : options_(std::move(options)),
      queue_(std::move(queue)),
      fetcher_(std::move(fetcher)),
      sender_(std::move(sender)) {
    if (!queue_) {
        queue_ = platform::DispatchQueue::createSerial("parser", platform::QualityOfService::userInitiated);
    }
}

void VastParser::parse(std::string xml, Completion completion) {
    if (started_) {
        // The time limit, the deadline and the once-only delivery belong to one request.
        platform::performOnMainQueue([completion = std::move(completion)] {
            if (completion) {
                completion(std::nullopt, VastError::internalError);
            }
        });
        return;
    }
    started_ = true;
    completion_ = std::move(completion);
    const Clock::Duration limit = Clock::seconds(options_.timeLimit);
    deadline_ = Clock::deadline(Clock::shared()->now(), limit);

    const std::weak_ptr<VastParser> weak = weak_from_this();
    auto timer = platform::RunLoopTimer::scheduled(limit, false, [weak](platform::RunLoopTimer&) {
        if (const auto self = weak.lock()) {
            self->finish(std::nullopt, VastError::wrapperTimeLimitReached);
        }
    });
    queue_->async([self = shared_from_this(), xml = std::move(xml), timer = std::move(timer)] {
        self->parseStep(xml, timer);
    });
}

void VastParser::parseStep(const std::string& xml, const std::shared_ptr<platform::RunLoopTimer>& timer) {
    VastParseResult result;
    try {
        if (options_.wrapperLimit <= 0) {
            result = VastParseResult::failure(VastError::wrapperLimitReached);
        } else {
            result = VastXMLParser::create(sender_)->parse(xml);
            if (result.ok()) {
                result.model->ads = unwrap(result.model->ads, 0);
            }
        }
    } catch (const std::exception&) {
        result = VastParseResult::failure(VastError::internalError);
    }
    timer->invalidate();
    finish(std::move(result.model), result.error);
}

VastParseResult VastParser::parse(const platform::URL& url, std::int64_t wrapperDepth) {
    if (std::min(options_.wrapperLimit, maximumWrapperDepth) <= wrapperDepth) {
        return VastParseResult::failure(VastError::wrapperLimitReached);
    }
    const Clock::Duration left = timeLeft();
    if (left <= Clock::Duration::zero()) {
        return VastParseResult::failure(VastError::wrapperTimeLimitReached);
    }
    const std::optional<std::string> body = fetcher_ ? fetcher_->fetch(url, left) : std::nullopt;
    if (!body) {
        return VastParseResult::failure(VastError::unableToCreateXMLParser);
    }
    VastParseResult result = VastXMLParser::create(sender_)->parse(*body);
    if (result.ok()) {
        result.model->ads = unwrap(result.model->ads, wrapperDepth);
    }
    return result;
}

std::vector<VastAd> VastParser::unwrap(const std::vector<VastAd>& ads, std::int64_t wrapperDepth) {
    std::vector<VastAd> resolved;
    resolved.reserve(ads.size());
    for (const VastAd& ad : ads) {
        resolved.push_back(unwrap(ad, wrapperDepth));
    }
    return resolved;
}

VastAd VastParser::unwrap(const VastAd& ad, std::int64_t wrapperDepth) {
    VastAd wrapper = ad;
    if (wrapper.type != AdType::wrapper || !wrapper.wrapper || !wrapper.wrapper->adTagUri) {
        return wrapper;
    }
    const VastParseResult fetched = parse(*wrapper.wrapper->adTagUri, wrapperDepth + 1);
    if (!fetched.ok()) {
        // Goes to standard output on purpose: it is a diagnostic of the chain, not a log line.
        std::printf("%.*s\n", static_cast<int>(unableToUnwrapLine.size()), unableToUnwrapLine.data());
        std::fflush(stdout);
        return wrapper;
    }
    const std::size_t wrapperCreatives = wrapper.creatives.size();
    for (const VastAd& ad : fetched.model->ads) {
        merge(ad, wrapper, wrapperCreatives);
    }
    return wrapper;
}

void VastParser::merge(const VastAd& fetched, VastAd& wrapper, std::size_t wrapperCreatives) {
    if (fetched.adSystem) {
        wrapper.adSystem = fetched.adSystem;
    }
    if (fetched.adTitle && !fetched.adTitle->empty()) {
        wrapper.adTitle = fetched.adTitle;
    }
    if (!fetched.errors.empty()) {
        wrapper.errors = fetched.errors;
    }
    if (fetched.type != AdType::unknown) {
        wrapper.type = fetched.type;
    }
    append(wrapper.impressions, fetched.impressions);

    // Creatives pair by position with the wrapper's own; the fetched ones beyond those are kept.
    const std::size_t count = std::min(wrapperCreatives, wrapper.creatives.size());
    for (std::size_t i = 0; i < count && i < fetched.creatives.size(); ++i) {
        VastCreative& into = wrapper.creatives[i];
        const VastCreative& from = fetched.creatives[i];
        if (into.linear && from.linear) {
            VastLinearCreative& linear = *into.linear;
            linear.duration = from.linear->duration;
            append(linear.files.mediaFiles, from.linear->files.mediaFiles);
            append(linear.files.interactiveCreativeFiles, from.linear->files.interactiveCreativeFiles);
            append(linear.trackingEvents, from.linear->trackingEvents);
            append(linear.icons, from.linear->icons);
            append(linear.videoClicks, from.linear->videoClicks);
        }
        if (from.companionAds) {
            if (!into.companionAds) {
                into.companionAds = from.companionAds;
            } else {
                append(into.companionAds->companions, from.companionAds->companions);
            }
        }
    }
    for (std::size_t i = count; i < fetched.creatives.size(); ++i) {
        wrapper.creatives.push_back(fetched.creatives[i]);
    }
    append(wrapper.extensions, fetched.extensions);
}

void VastParser::finish(std::optional<VastModel> model, std::optional<VastError> error) {
    finished_.store(true);
    platform::performOnMainQueue([self = shared_from_this(), model = std::move(model), error] {
        Completion completion = std::move(self->completion_);
        self->completion_ = nullptr;
        if (completion) {
            completion(model, error);
        }
    });
}

Clock::Duration VastParser::timeLeft() const {
    if (finished_.load()) {
        return Clock::Duration::zero();
    }
    const Clock::TimePoint now = Clock::shared()->now();
    return now >= deadline_ ? Clock::Duration::zero() : deadline_ - now;
}

}  // namespace solen
