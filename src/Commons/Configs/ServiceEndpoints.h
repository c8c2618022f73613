#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace solen {

// The URLs of the config service, the ad server and the analytics service for a build region.
// The hosts are fixed when the SDK is built; the environment variable SOLEN_SERVICE_BASE_URL
// ("scheme://host" with an optional ":port") replaces the scheme and host of all three, which is
// how a local service is put in their place.
class ServiceEndpoints {
public:
    static constexpr const char* baseUrlVariable = "SOLEN_SERVICE_BASE_URL";

    static constexpr const char* configPath = "/configs";
    static constexpr const char* bidPath = "/bid";
    static constexpr const char* analyticsPath = "/analyticsEvent";

    // `buildType` 0 is the global region and 1 the China region; any other value is logged as an
    // error and served the global endpoints.
    static std::string configUrl(std::int64_t buildType);
    static std::string bidUrl(std::int64_t buildType);
    static std::string analyticsUrl();

    // "scheme://host[:port]" from a base URL text, without a trailing slash; nothing when the text
    // is not exactly a scheme, a host and an optional port.
    static std::optional<std::string> normalizedBase(std::string_view text);

private:
    static std::string endpoint(std::string_view builtInHost, const char* path);
};

}  // namespace solen
