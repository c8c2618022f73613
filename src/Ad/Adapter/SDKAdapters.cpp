#include "Ad/Adapter/SDKAdapters.h"

#include "Ad/Adapter/AdapterCall.h"
#include "Commons/Utilities/Logger.h"

namespace solen {

SDKAdapters::SDKAdapters(std::shared_ptr<SolenBaseSDKAdapter> adapter, std::string networkName)
    : adapter_(std::move(adapter)), networkName_(std::move(networkName)) {
    // Made for every bid request's header bidders and twice per line item load: the versions are
    // read here only for the line, when it is logged, and otherwise when first asked for.
    if (Logger::logLevel() >= 2) {
        const std::string& sdkVersion = networkSDKVersion();
        const std::string adapterVersion =
            callAdapter(*adapter_, "adapterVersion", std::string(), [&] { return adapter_->adapterVersion(); });
        Logger::log("NetworkSDK:" + networkName_ + ", Version:" + sdkVersion + ", AdapterVersion:" + adapterVersion, 2);
    }
}

const std::string& SDKAdapters::networkSDKVersion() const {
    std::call_once(networkSDKVersionRead_, [this] {
        networkSDKVersion_ =
            callAdapter(*adapter_, "networkSDKVersion", std::string(), [&] { return adapter_->networkSDKVersion(); });
    });
    return networkSDKVersion_;
}

std::shared_ptr<SDKAdapters> SDKAdapters::create(std::shared_ptr<SolenBaseSDKAdapter> adapter, std::string networkName) {
    // One allocation for the object and its count: every bid request makes one per header bidder.
    struct Made : SDKAdapters {
        Made(std::shared_ptr<SolenBaseSDKAdapter> adapter, std::string networkName)
            : SDKAdapters(std::move(adapter), std::move(networkName)) {}
    };
    return std::make_shared<Made>(std::move(adapter), std::move(networkName));
}

SdkInitializedResult SDKAdapters::sdkInitializedResult() const {
    return callAdapter(*adapter_, "sdkInitializedResult", SdkInitializedResult::success(false),
                       [&] { return adapter_->sdkInitializedResult(); });
}

void SDKAdapters::storeSDKInitializedResult(SdkInitializedResult result) const {
    callAdapter(*adapter_, "setSdkInitializedResult", [&] { adapter_->setSdkInitializedResult(std::move(result)); });
}

void SDKAdapters::initOnSDKInit(const AdapterSdkConfiguration& configuration) {
    SdkInitializedResultHandler handler = [self = shared_from_this()](SdkInitializedResult result) {
        self->storeSDKInitializedResult(std::move(result));
    };
    callAdapter(*adapter_, "initOnSDKInit", [&] { adapter_->initOnSDKInit(configuration, std::move(handler)); });
}

void SDKAdapters::initOnAdLoad(const AdapterSdkConfiguration& configuration) const {
    if (isStarted()) {
        return;
    }
    auto result = callAdapter(*adapter_, "initOnAdLoad", std::optional<SdkInitializedResult>(),
                              [&] { return adapter_->initOnAdLoad(configuration); });
    if (result) {
        storeSDKInitializedResult(std::move(*result));
    }
}

std::optional<std::string> SDKAdapters::getBidToken(const AdapterSdkConfiguration& configuration) const {
    return callAdapter(*adapter_, "getBidToken", std::optional<std::string>(),
                       [&] { return adapter_->getBidToken(configuration); });
}

}  // namespace solen
