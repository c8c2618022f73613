#pragma once

#include <solen/adapters/SolenSDKAdapter.h>

#include <optional>
#include <string>

namespace example {

// The SDK adapter of the example network, adapter name "Example": what a third party's adapter
// package looks like, built on the SDK's public headers alone. The network's "SDK" is a start-up
// request to "<endpoint>/init?appKey=<appKey>", both taken from the network's configuration; a
// 200 answer means started. The bid token is "example-" + appKey.
// Threads: any; the asynchronous start-up runs on a thread of its own and answers from there.
class ExampleSDKAdapter : public solen::SolenSDKAdapter<ExampleSDKAdapter> {
public:
    static constexpr const char* className = "SolenExampleAdapter.ExampleSDKAdapter";

    static solen::SdkInitializedResult initialSdkInitializedResult() { return solen::SdkInitializedResult::success(false); }

    std::string networkSDKVersion() const override { return "2.4.0"; }
    std::string adapterVersion() const override { return "2.4.0.1"; }

    void initOnSDKInit(const solen::AdapterSdkConfiguration& configuration,
                       solen::SdkInitializedResultHandler handler) override;
    std::optional<solen::SdkInitializedResult> initOnAdLoad(const solen::AdapterSdkConfiguration& configuration) override;
    std::optional<std::string> getBidToken(const solen::AdapterSdkConfiguration& configuration) override;

    // The start-up request: success(true) for a 200 answer, else failure(adapterInitializationFailed).
    solen::SdkInitializedResult start(const solen::AdapterSdkConfiguration& configuration) const;
};

}  // namespace example
