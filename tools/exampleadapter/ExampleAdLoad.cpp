#include "ExampleAdLoad.h"

#include "ExampleHttp.h"

namespace example {

ExampleAdLoad ExampleAdLoad::fetch(const solen::AdapterAdConfiguration& configuration) {
    ExampleAdLoad load;
    const auto adUrl = setting(configuration.lineItemConfig, "adUrl");
    if (!adUrl) {
        load.reason = "The line item has no adUrl";
        return load;
    }
    const long status = getStatus(*adUrl);
    if (status == 200) {
        load.outcome = Outcome::filled;
        load.creativeId = setting(configuration.lineItemConfig, "creativeId");
    } else if (status == 204) {
        load.outcome = Outcome::noFill;
        load.reason = "The example network has no ad";
    } else {
        load.reason = "The example network answered the ad request with " + std::to_string(status);
    }
    return load;
}

bool ExampleAdLoad::reportFailure(solen::AdapterDelegate* delegate, solen::SolenBaseAdAdapter& adapter) const {
    if (outcome == Outcome::filled) {
        return false;
    }
    if (delegate) {
        solen::SolenErrorData data(adapter, reason, "Try again later");
        delegate->adAdapterDidFailToLoad(adapter, outcome == Outcome::noFill
                                                      ? solen::SolenAdapterError::noFill(std::move(data))
                                                      : solen::SolenAdapterError::adapterError(std::move(data)));
    }
    return true;
}

bool ExampleLoadedAd::load(const solen::AdapterAdConfiguration& configuration, solen::AdapterDelegate* delegate,
                           solen::SolenBaseAdAdapter& adapter) {
    const auto result = ExampleAdLoad::fetch(configuration);
    if (result.reportFailure(delegate, adapter)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    loaded_ = true;
    creativeId_ = result.creativeId;
    settings_ = configuration.lineItemConfig;
    return true;
}

bool ExampleLoadedAd::isLoaded() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return loaded_;
}

std::optional<std::string> ExampleLoadedAd::creativeId() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return creativeId_;
}

std::optional<nlohmann::ordered_json> ExampleLoadedAd::settings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return settings_;
}

}  // namespace example
