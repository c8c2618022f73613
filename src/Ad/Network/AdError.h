#pragma once

#include <solen/SolenAdError.h>
#include <solen/ui/Error.h>

#include <cstdint>
#include <map>
#include <string>

namespace solen {

// The error of every load and show path. Each kind has a fixed code, message and recovery
// suggestion; only `serverError` carries data (the failing service's own code and message), and
// its error code is always 2012 whatever code it carries.
class AdError {
public:
    enum class Kind {
        serverError,
        invalidLoadRequest,
        internalError,
        adActive,
        monetizationDisabled,
        sdkNotInitilize,
        fetchTimeOut,
        renderTimeout,
        invalidAdUnit,
        invalidAdSize,
        auctionTimeout,
        auctionNoFill,
        noFill,
        networkUnreachable,
    };

    static constexpr const char* errorDomain = "ai.solen.SolenAdError";
    // Keys of the user-info dictionary, as the platform names them.
    static constexpr const char* descriptionKey = "NSLocalizedDescription";
    static constexpr const char* failureReasonKey = "NSLocalizedFailureReason";
    static constexpr const char* recoverySuggestionKey = "NSLocalizedRecoverySuggestion";
    static constexpr const char* supportAddress = "support@solen.ai";

    static AdError serverError(std::int64_t code, std::string message);
    static AdError invalidLoadRequest() { return AdError(Kind::invalidLoadRequest); }
    static AdError internalError() { return AdError(Kind::internalError); }
    static AdError adActive() { return AdError(Kind::adActive); }
    static AdError monetizationDisabled() { return AdError(Kind::monetizationDisabled); }
    static AdError sdkNotInitilize() { return AdError(Kind::sdkNotInitilize); }
    static AdError fetchTimeOut() { return AdError(Kind::fetchTimeOut); }
    static AdError renderTimeout() { return AdError(Kind::renderTimeout); }
    static AdError invalidAdUnit() { return AdError(Kind::invalidAdUnit); }
    static AdError invalidAdSize() { return AdError(Kind::invalidAdSize); }
    static AdError auctionTimeout() { return AdError(Kind::auctionTimeout); }
    static AdError auctionNoFill() { return AdError(Kind::auctionNoFill); }
    static AdError noFill() { return AdError(Kind::noFill); }
    static AdError networkUnreachable() { return AdError(Kind::networkUnreachable); }

    Kind kind() const { return kind_; }
    // The data of a `serverError`; 0 and "" for every other kind.
    std::int64_t serverCode() const { return serverCode_; }
    const std::string& serverMessage() const { return serverMessage_; }

    const char* domain() const { return errorDomain; }
    // The public error code (2001-2016 without 2011 and 2013).
    SolenAdError errorCode() const;
    std::int64_t code() const { return rawValue(errorCode()); }
    // The message; also the failure reason and the localized error description.
    std::string message() const;
    std::string errorDescription() const { return message(); }
    std::string failureReason() const { return message(); }
    std::string recoverySuggestion() const;
    // "Error Domain=ai.solen.SolenAdError Code=<code> UserInfo=<failure reason and suggestion>".
    std::string description() const;
    // Exactly three entries: description, failure reason and recovery suggestion.
    std::map<std::string, std::string> userInfo() const;
    // The platform error object handed to the application: domain, code, the description text as
    // its localized description, and the user info above.
    platform::Error toError() const;

    bool operator==(const AdError& other) const = default;

private:
    explicit AdError(Kind kind) : kind_(kind) {}

    Kind kind_;
    std::int64_t serverCode_ = 0;
    std::string serverMessage_;
};

}  // namespace solen
