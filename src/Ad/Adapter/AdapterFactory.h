#pragma once

#include "Ad/Adapter/SDKAdapters.h"
#include "Commons/Configs/AdapterConfig.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace solen {

// Finds a network's adapter classes by the adapter name the mediation document gives it. Every
// class name is composed here: "Solen" + N + "Adapter." + N + a kind ("SDKAdapter",
// "BannerAdapter", ...), and only for a valid adapter name (1 to 64 ASCII letters, digits or "_"),
// so that text from the network never reaches the class lookup unchecked. Static operations
// only; callable from any thread, holding no lock while adapter code runs.
class AdapterFactory {
public:
    AdapterFactory() = delete;

    static constexpr std::size_t maxAdapterNameLength = 64;

    static bool isValidAdapterName(std::string_view adapterName);
    // The class name of the adapter of kind `classKind` of network `adapterName`; none, with the
    // error line "Invalid adapter name " + the name (non-printable bytes as \xHH), when the name
    // is not valid.
    static std::optional<std::string> adapterClassName(std::string_view adapterName, std::string_view classKind);
    // The same composed into `className` (its old content replaced), for callers that keep a
    // buffer: the kind is `kindStart` followed by `kindEnd`. False, with the same error line, when
    // the name is not valid.
    static bool composeAdapterClassName(std::string_view adapterName, std::string_view kindStart, std::string_view kindEnd,
                                        std::string& className);
    static std::optional<std::string> sdkAdapterClassName(std::string_view adapterName);

    // The lookup: the class must be registered under the composed name (" Class Not found"
    // otherwise) and conform to `SolenBaseSDKAdapter` (checked before anything is made); then a
    // new instance is made and wrapped, which logs its versions. A factory that fails counts as
    // not found. Null when nothing is found.
    static std::shared_ptr<SDKAdapters> sdkAdapter(const AdapterConfig& network);
    // The same lookup, for the ad-load path.
    static std::shared_ptr<SDKAdapters> makeSDKAdapter(const AdapterConfig& network);

    // Before a line item of `network` loads: unless the network is started, asks its adapter to
    // start synchronously. Without an adapter, logs N + "Adapter Not found" and returns; the load
    // then fails its readiness check.
    static void initilizeNetworkSDKOnAdLoad(const AdapterConfig& network);
};

}  // namespace solen
