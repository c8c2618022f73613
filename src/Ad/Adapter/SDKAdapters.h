#pragma once

#include <solen/adapters/AdapterSdkConfiguration.h>
#include <solen/adapters/SdkInitializedResult.h>
#include <solen/adapters/SolenBaseSDKAdapter.h>

#include <memory>
#include <mutex>
#include <string>

namespace solen {

// One instance of a network's SDK adapter, made for a single start-up attempt or lookup and never
// cached: the network's start-up state lives in the adapter class's cell, which every instance
// shares. Construction logs the adapter's two versions at level 2 (reading them only when that
// level prints); the network SDK's version is read at most once per instance. Every call into the
// adapter goes through the adapter-call guard: a throwing adapter counts as giving no answer.
// Thread-safe as far as the adapter is; the SDK holds no lock of its own while adapter code runs.
class SDKAdapters : public std::enable_shared_from_this<SDKAdapters> {
public:
    // Logs "NetworkSDK:" + networkName + ", Version:" + SDK version + ", AdapterVersion:" +
    // adapter version at level 2.
    static std::shared_ptr<SDKAdapters> create(std::shared_ptr<SolenBaseSDKAdapter> adapter, std::string networkName);

    SDKAdapters(const SDKAdapters&) = delete;
    SDKAdapters& operator=(const SDKAdapters&) = delete;

    const std::shared_ptr<SolenBaseSDKAdapter>& adapter() const { return adapter_; }
    const std::string& networkName() const { return networkName_; }
    // The network SDK's version, read from the adapter on first use ("" when the adapter threw).
    const std::string& networkSDKVersion() const;

    // The class's start-up state; `success(false)` when reading it threw.
    SdkInitializedResult sdkInitializedResult() const;
    bool isStarted() const { return sdkInitializedResult().isReady(); }
    // Writes `result` into the class's cell. The callback of `initOnSDKInit` calls it.
    void storeSDKInitializedResult(SdkInitializedResult result) const;

    // Asks the adapter to start its network asynchronously; its answer, whenever and from whatever
    // thread it comes, is stored (the last answer wins). The handler keeps this object alive until
    // the adapter drops it.
    void initOnSDKInit(const AdapterSdkConfiguration& configuration);
    // Unless the class is started, asks the adapter to start synchronously and stores a returned
    // result; none leaves the state as it was.
    void initOnAdLoad(const AdapterSdkConfiguration& configuration) const;
    // The adapter's bid token; none when it has none or threw.
    std::optional<std::string> getBidToken(const AdapterSdkConfiguration& configuration) const;

private:
    SDKAdapters(std::shared_ptr<SolenBaseSDKAdapter> adapter, std::string networkName);

    std::shared_ptr<SolenBaseSDKAdapter> adapter_;
    std::string networkName_;
    mutable std::once_flag networkSDKVersionRead_;
    mutable std::string networkSDKVersion_;
};

}  // namespace solen
