#pragma once

#include <string>

namespace solen {

// Why a VAST tracker refused an operation. `message` holds the case's text: the reason for
// `unableToUpdateProgress` and `internalError`, the ad id asked for with `noAdFound`.
struct TrackingError {
    enum class Code {
        unableToUpdateProgress,
        internalError,
        noAdFound,
        missingAdBreak,
        unableToUpdateProgressTrackingComplete,
        unableToProvideCreativeClickThroughUrls,
        unableToSkipAdAtThisTime,
    };

    Code code = Code::internalError;
    std::string message;

    static TrackingError unableToUpdateProgress(std::string msg) { return {Code::unableToUpdateProgress, std::move(msg)}; }
    static TrackingError internalError(std::string msg) { return {Code::internalError, std::move(msg)}; }
    static TrackingError noAdFound(std::string withId) { return {Code::noAdFound, std::move(withId)}; }
    static TrackingError unableToUpdateProgressTrackingComplete() {
        return {Code::unableToUpdateProgressTrackingComplete, {}};
    }

    bool operator==(const TrackingError&) const = default;
};

}  // namespace solen
