#include "Ad/Network/AdError.h"

namespace solen {

namespace {

constexpr const char* tryAgain = "Please try again";

// A text as the platform writes it inside a dictionary: quoted, with quotes and backslashes escaped.
std::string quoted(const std::string& text) {
    std::string result = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            result += '\\';
        }
        result += c;
    }
    return result + "\"";
}

// A dictionary in the platform's textual form: ["key": "value", ...].
std::string dictionaryText(const std::string& reason, const std::string& suggestion) {
    std::string text = "[";
    text += quoted(AdError::failureReasonKey);
    text += ": ";
    text += quoted(reason);
    text += ", ";
    text += quoted(AdError::recoverySuggestionKey);
    text += ": ";
    text += quoted(suggestion);
    text += "]";
    return text;
}

}  // namespace

AdError AdError::serverError(std::int64_t code, std::string message) {
    AdError error(Kind::serverError);
    error.serverCode_ = code;
    error.serverMessage_ = std::move(message);
    return error;
}

SolenAdError AdError::errorCode() const {
    switch (kind_) {
        case Kind::serverError: return SolenAdError::serverError;
        case Kind::invalidLoadRequest: return SolenAdError::invalidLoadRequest;
        case Kind::internalError: return SolenAdError::internalError;
        case Kind::adActive: return SolenAdError::adActive;
        case Kind::monetizationDisabled: return SolenAdError::monetizationDisabled;
        case Kind::sdkNotInitilize: return SolenAdError::sdkNotInitilize;
        case Kind::fetchTimeOut: return SolenAdError::fetchTimeOut;
        case Kind::renderTimeout: return SolenAdError::renderTimeout;
        case Kind::invalidAdUnit: return SolenAdError::invalidAdUnit;
        case Kind::invalidAdSize: return SolenAdError::invalidAdSize;
        case Kind::auctionTimeout: return SolenAdError::auctionTimeout;
        case Kind::auctionNoFill: return SolenAdError::auctionNoFill;
        case Kind::noFill: return SolenAdError::noFill;
        case Kind::networkUnreachable: return SolenAdError::networkUnreachable;
    }
    return SolenAdError::internalError;
}

std::string AdError::message() const {
    switch (kind_) {
        case Kind::serverError:
            return "serverErrorCode:" + std::to_string(serverCode_) + ", Description:" + serverMessage_;
        case Kind::invalidLoadRequest:
            return "The SDK is pending response to a previous ad request. Please wait for the previous ad request to "
                   "complete before requesting for another ad.";
        case Kind::internalError: return "SDK failed due to an internal error.";
        case Kind::adActive:
            return "An ad is currently being viewed by the user. Please wait for the user to close the ad before "
                   "requesting for another ad.";
        case Kind::monetizationDisabled: return "Monetization has been disabled. Please contact Solen.";
        case Kind::sdkNotInitilize: return "Please initialize the Solen SDK before creating an Ad";
        case Kind::fetchTimeOut: return "Ad load fail's due to fetchTimeout";
        case Kind::renderTimeout: return "Ad Show fail's due to renderTimeout";
        case Kind::invalidAdUnit: return "The ad unit id is not correct.";
        case Kind::invalidAdSize: return "Ad ad size is invalid";
        case Kind::auctionTimeout: return "Failed to get an ad because the auction timed out";
        case Kind::auctionNoFill: return "No ads to show because the auction did not return a winning bid";
        case Kind::noFill: return "Server did not return an ad";
        case Kind::networkUnreachable: return "Ad failed to load because no internet connection is available";
    }
    return {};
}

std::string AdError::recoverySuggestion() const {
    switch (kind_) {
        case Kind::internalError: return std::string("Please contact ") + supportAddress;
        case Kind::adActive: return "Avoid calling show ad/ load ad on the already displayed ad";
        case Kind::monetizationDisabled: return "Try disabling the MonetizationDisabled flag";
        case Kind::sdkNotInitilize:
            return "Please initialize the SDK using the initialize method before invoking any other method";
        case Kind::invalidAdUnit: return "Please check the ad unit id.";
        case Kind::invalidAdSize: return "Please check the entered ad size";
        case Kind::networkUnreachable: return "Please check internet connectivity.";
        default: return tryAgain;
    }
}

std::string AdError::description() const {
    return std::string("Error Domain=") + errorDomain + " Code=" + std::to_string(code()) +
           " UserInfo=" + dictionaryText(message(), recoverySuggestion());
}

std::map<std::string, std::string> AdError::userInfo() const {
    return {{descriptionKey, description()},
            {failureReasonKey, message()},
            {recoverySuggestionKey, recoverySuggestion()}};
}

platform::Error AdError::toError() const {
    platform::Error error;
    error.domain = errorDomain;
    error.code = code();
    error.localizedDescription = description();
    error.localizedFailureReason = message();
    error.localizedRecoverySuggestion = recoverySuggestion();
    for (const auto& [key, value] : userInfo()) {
        error.userInfo[key] = value;
    }
    return error;
}

}  // namespace solen
