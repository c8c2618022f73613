#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/SolenErrorData.h>
#include <solen/ui/Error.h>

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace solen {

// The one error type of the adapter layer. Network adapters report load and presentation failures
// with it; the SDK raises it for time-outs, missing adapters, bad markup and auction outcomes. Its
// case name and printed user info become the drop reason and drop descriptor of line-item
// tracking. A plain value: copy it freely, from any thread.
class SOLEN_EXPORT SolenAdapterError {
public:
    // Cases in declaration order. The codes do not follow it (see `errorCode`).
    enum class Kind {
        adapterInitializationFailed,  // 8001
        invalidLineItemConfig,        // 8002
        objectCreationFailed,         // 8003
        invalidAdMarkup,              // 8004
        noFill,                       // 8005
        failedToShow,                 // 8006
        adapterError,                 // 8009
        lineItemTimeout,              // 8007
        adapterNotFound,              // 8008
        objectDeallocated,            // 8010
        auctionTimeout,               // 8011
        s2sRenderError,               // 8012
    };
    static constexpr std::size_t kindCount = 12;

    // "ai.solen.SolenAdapterError"; the "domain" user-info value shares its prefix.
    static constexpr const char* domainPrefix = "ai.solen";
    static constexpr const char* errorDomain = "ai.solen.SolenAdapterError";
    // The address the SDK's own recovery suggestions point to.
    static constexpr const char* supportAddress = "support@solen.ai";

    SolenAdapterError(Kind kind, SolenErrorData data) : kind_(kind), data_(std::move(data)) {}

    static SolenAdapterError adapterInitializationFailed(SolenErrorData data) { return {Kind::adapterInitializationFailed, std::move(data)}; }
    static SolenAdapterError invalidLineItemConfig(SolenErrorData data) { return {Kind::invalidLineItemConfig, std::move(data)}; }
    static SolenAdapterError objectCreationFailed(SolenErrorData data) { return {Kind::objectCreationFailed, std::move(data)}; }
    static SolenAdapterError invalidAdMarkup(SolenErrorData data) { return {Kind::invalidAdMarkup, std::move(data)}; }
    static SolenAdapterError noFill(SolenErrorData data) { return {Kind::noFill, std::move(data)}; }
    static SolenAdapterError failedToShow(SolenErrorData data) { return {Kind::failedToShow, std::move(data)}; }
    static SolenAdapterError adapterError(SolenErrorData data) { return {Kind::adapterError, std::move(data)}; }
    static SolenAdapterError lineItemTimeout(SolenErrorData data) { return {Kind::lineItemTimeout, std::move(data)}; }
    static SolenAdapterError adapterNotFound(SolenErrorData data) { return {Kind::adapterNotFound, std::move(data)}; }
    static SolenAdapterError objectDeallocated(SolenErrorData data) { return {Kind::objectDeallocated, std::move(data)}; }
    static SolenAdapterError auctionTimeout(SolenErrorData data) { return {Kind::auctionTimeout, std::move(data)}; }
    static SolenAdapterError s2sRenderError(SolenErrorData data) { return {Kind::s2sRenderError, std::move(data)}; }

    Kind kind() const { return kind_; }
    const SolenErrorData& data() const { return data_; }

    // The case name with its first letter upper-case ("NoFill"): the drop reason of tracking.
    std::string_view rawValue() const { return rawValue(kind_); }
    static std::string_view rawValue(Kind kind);
    // 8001 to 8012, from a fixed table indexed by the case's position.
    std::int64_t errorCode() const { return errorCode(kind_); }
    static std::int64_t errorCode(Kind kind);

    // Exactly five entries, in this order: "domain" (the domain prefix, ".", and the raising
    // class's name), "errorCode", "dropDescription" (the failure reason), "recoverySuggestion" and
    // "dropReason" (the case name). Built anew on every call.
    nlohmann::ordered_json errorUserInfo() const;
    // The printed form of the user info, the drop descriptor of tracking:
    //   ["domain": "ai.solen.X", "errorCode": 8005, "dropDescription": "…",
    //    "recoverySuggestion": "…", "dropReason": "NoFill"]
    // on one line. Texts are quoted; `"` and `\` are escaped with a backslash, tab, line feed,
    // carriage return and NUL as \t \n \r \0, other control characters as \u{hex}.
    std::string errorUserInfoDescription() const;

    // The platform error: `errorDomain`, `errorCode`, the user info above, and the platform's
    // generic description of an error that has no text of its own.
    platform::Error toError() const;

    friend bool operator==(const SolenAdapterError&, const SolenAdapterError&) = default;

private:
    Kind kind_;
    SolenErrorData data_;
};

}  // namespace solen
