#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace solen {

// The VAST standard's error codes, as put into the "[ERRORCODE]" macro of Error addresses.
enum class VastErrorCodes : std::int64_t {
    xmlParsingError = 100,
    vastSchemaValidationError = 101,
    vastVersionOfResponseNotSupported = 102,
    traffickingError = 200,
    videoPlayerExpectingDifferentLinearity = 201,
    videoPlayerExpectingDifferentDuration = 202,
    videoPlayerExpectingDifferentSize = 203,
    adCategoryNotProvided = 204,
    generalWrapperError = 300,
    timeoutOfVastURI = 301,
    wrapperLimitReached = 302,
    noAdsVastResponse = 303,
    inlineResponseFailedToDisplayInTime = 304,
    generalLinearError = 400,
    fileNotFound = 401,
    timeoutOfMediaFile = 402,
    mediaFileNotSupported = 403,
    problemDisplayingMediaFile = 405,
    conditionalAdRejected = 408,
    interactiveUnitInNodeNotExecuted = 409,
    verificationUnitInNodeNotExecuted = 410,
    generalNonLinearAdsError = 500,
    creativeDimensionTooLarge = 501,
    unableToFetchResource = 502,
    nonLinearResourceNotSupported = 503,
    generalCompanionAdsError = 600,
    noAvailableSpace = 601,
    unableToDisplayCompanion = 602,
    unableToFetchCompanionResource = 603,
    companionResourceNotSupported = 604,
    undefinedError = 900,
    generalVPAIDError = 901,
};

// Every case, in declaration order.
inline constexpr VastErrorCodes allVastErrorCodes[] = {
    VastErrorCodes::xmlParsingError, VastErrorCodes::vastSchemaValidationError,
    VastErrorCodes::vastVersionOfResponseNotSupported, VastErrorCodes::traffickingError,
    VastErrorCodes::videoPlayerExpectingDifferentLinearity, VastErrorCodes::videoPlayerExpectingDifferentDuration,
    VastErrorCodes::videoPlayerExpectingDifferentSize, VastErrorCodes::adCategoryNotProvided,
    VastErrorCodes::generalWrapperError, VastErrorCodes::timeoutOfVastURI, VastErrorCodes::wrapperLimitReached,
    VastErrorCodes::noAdsVastResponse, VastErrorCodes::inlineResponseFailedToDisplayInTime,
    VastErrorCodes::generalLinearError, VastErrorCodes::fileNotFound, VastErrorCodes::timeoutOfMediaFile,
    VastErrorCodes::mediaFileNotSupported, VastErrorCodes::problemDisplayingMediaFile,
    VastErrorCodes::conditionalAdRejected, VastErrorCodes::interactiveUnitInNodeNotExecuted,
    VastErrorCodes::verificationUnitInNodeNotExecuted, VastErrorCodes::generalNonLinearAdsError,
    VastErrorCodes::creativeDimensionTooLarge, VastErrorCodes::unableToFetchResource,
    VastErrorCodes::nonLinearResourceNotSupported, VastErrorCodes::generalCompanionAdsError,
    VastErrorCodes::noAvailableSpace, VastErrorCodes::unableToDisplayCompanion,
    VastErrorCodes::unableToFetchCompanionResource, VastErrorCodes::companionResourceNotSupported,
    VastErrorCodes::undefinedError, VastErrorCodes::generalVPAIDError,
};

// The error's number, its raw value (402 for `timeoutOfMediaFile`).
constexpr std::int64_t vastErrorCodeValue(VastErrorCodes code) { return static_cast<std::int64_t>(code); }
// The case whose raw value is `value`, if any.
std::optional<VastErrorCodes> vastErrorCodesFromRawValue(std::int64_t value);
// "Solen.VastErrorCodes".
std::string_view vastErrorCodesDomain();
// "VastErrorCodes error " followed by its number: "VastErrorCodes error 402".
std::string vastErrorCodesDescription(VastErrorCodes code);

}  // namespace solen
