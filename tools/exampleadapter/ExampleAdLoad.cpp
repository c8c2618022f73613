#include "ExampleAdLoad.h"

#include "ExampleHttp.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace example {

namespace {

// The scripted load of a line item with a "behaviour"; none without one.
std::optional<ExampleAdLoad> scripted(const std::optional<nlohmann::ordered_json>& settings) {
    const auto behaviour = setting(settings, "behaviour");
    if (!behaviour) {
        return std::nullopt;
    }
    const auto delay = settings->find("delayMs");
    if (delay != settings->end() && delay->is_number() && *delay > 0) {
        const double milliseconds = std::min(delay->get<double>(), 60000.0);
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(milliseconds));
    }
    ExampleAdLoad load;
    // "noPresent" fills; its show never presents.
    if (*behaviour == "fill" || *behaviour == "noPresent") {
        load.outcome = ExampleAdLoad::Outcome::filled;
        load.creativeId = setting(settings, "creativeId");
    } else if (*behaviour == "noFill") {
        load.outcome = ExampleAdLoad::Outcome::noFill;
        load.reason = "The example network has no ad";
    } else if (*behaviour == "silent") {
        load.outcome = ExampleAdLoad::Outcome::silent;
    } else {
        load.reason = "Unknown behaviour " + *behaviour;
    }
    const auto twice = settings->find("reportTwice");
    load.reports = twice != settings->end() && twice->is_boolean() && twice->get<bool>() ? 2 : 1;
    return load;
}

}  // namespace

ExampleAdLoad ExampleAdLoad::fetch(const solen::AdapterAdConfiguration& configuration) {
    if (auto load = scripted(configuration.lineItemConfig)) {
        return std::move(*load);
    }
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
    for (int report = 0; delegate && outcome != Outcome::silent && report < reports; ++report) {
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
    reports_ = result.reports;
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

int ExampleLoadedAd::reports() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
}

std::optional<nlohmann::ordered_json> ExampleLoadedAd::settings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return settings_;
}

}  // namespace example
