#include "ExampleSDKAdapter.h"

#include "ExampleHttp.h"

#include <solen/adapters/AdapterRegistration.h>

#include <curl/curl.h>

#include <memory>
#include <thread>

namespace example {
namespace {

solen::SdkInitializedResult failure(const ExampleSDKAdapter& adapter, const std::string& reason) {
    return solen::SdkInitializedResult::failure(solen::SolenAdapterError::adapterInitializationFailed(
        solen::SolenErrorData(adapter, reason, "Check the example network's endpoint and appKey")));
}

}  // namespace

solen::SdkInitializedResult ExampleSDKAdapter::start(const solen::AdapterSdkConfiguration& configuration) const {
    const auto endpoint = setting(configuration.networkConfig, "endpoint");
    const auto appKey = setting(configuration.networkConfig, "appKey");
    if (!endpoint || !appKey) {
        return failure(*this, "The example network needs an endpoint and an appKey");
    }
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> escaper(curl_easy_init(), &curl_easy_cleanup);
    char* escaped = escaper ? curl_easy_escape(escaper.get(), appKey->c_str(), static_cast<int>(appKey->size())) : nullptr;
    if (!escaped) {
        return failure(*this, "The example network's appKey cannot be sent");
    }
    const std::string url = *endpoint + "/init?appKey=" + escaped;
    curl_free(escaped);
    const long status = getStatus(url);
    if (status != 200) {
        return failure(*this, "The example network answered its start-up with " + std::to_string(status));
    }
    return solen::SdkInitializedResult::success(true);
}

void ExampleSDKAdapter::initOnSDKInit(const solen::AdapterSdkConfiguration& configuration,
                                      solen::SdkInitializedResultHandler handler) {
    // A network SDK starts on a thread of its own and answers from there.
    std::thread([adapter = ExampleSDKAdapter(*this), configuration, handler = std::move(handler)]() mutable {
        handler(adapter.start(configuration));
        handler = nullptr;
    }).detach();
}

std::optional<solen::SdkInitializedResult> ExampleSDKAdapter::initOnAdLoad(
    const solen::AdapterSdkConfiguration& configuration) {
    return start(configuration);
}

std::optional<std::string> ExampleSDKAdapter::getBidToken(const solen::AdapterSdkConfiguration& configuration) {
    const auto appKey = setting(configuration.networkConfig, "appKey");
    if (!appKey) {
        return std::nullopt;
    }
    return "example-" + *appKey;
}

}  // namespace example

SOLEN_REGISTER_ADAPTER(example::ExampleSDKAdapter::className, example::ExampleSDKAdapter);
