#include "Commons/Analytics/Analytics.h"

#include "Ad/Network/Signals/Device.h"
#include "Ad/Network/Signals/TimeConversion.h"
#include "Commons/Analytics/EventRequest.h"
#include "Commons/Configs/ConfigUtil.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Trackers/TrackerManager.h"
#include "Commons/Utilities/Logger.h"
#include "Platform/Foundation/UserDefaults.h"

#include <mutex>

namespace solen {

namespace {

constexpr double defaultRetryMilliseconds = 60000.0;

struct InitializationCheck {
    std::mutex mutex;
    std::function<bool()> check;
};

InitializationCheck& initializationCheck() {
    static auto* instance = new InitializationCheck();
    return *instance;
}

bool sdkInitialized() {
    std::function<bool()> check;
    {
        auto& state = initializationCheck();
        std::lock_guard lock(state.mutex);
        check = state.check;
    }
    return check && check();
}

// The launch event's claim: its flag is tested and set under this lock, and the event is built
// and handed to the sender by one caller at a time without holding it.
struct LaunchState {
    std::mutex mutex;
    bool inProgress = false;
};

LaunchState& launchState() {
    static auto* instance = new LaunchState();
    return *instance;
}

std::int64_t nowMilliseconds() { return TimeConversion::milliseconds(TimeConversion::now()); }

}  // namespace

void Analytics::setInitializationCheck(std::function<bool()> isInitialized) {
    auto& state = initializationCheck();
    std::lock_guard lock(state.mutex);
    state.check = std::move(isInitialized);
}

bool Analytics::isTrackingEnabled() {
    const auto ppId = KeyValueStore::get("ppId");
    const auto* text = ppId ? ppId->text() : nullptr;
    return text && !text->empty() && sdkInitialized();
}

void Analytics::fireAppLaunchEvent() {
    if (!isTrackingEnabled()) {
        return;
    }
    const auto defaults = platform::UserDefaults::standard();
    auto& launch = launchState();
    {
        // Claim the launch event: one caller at a time builds it, none after it was sent.
        std::lock_guard lock(launch.mutex);
        const auto launched = defaults->get(appLaunchKey);
        if (launch.inProgress || (launched && launched->boolean().value_or(false))) {
            return;
        }
        launch.inProgress = true;
    }
    bool sent = false;
    if (const auto installTs = Device::appInstallTimestamp()) {
        AnyDictionary info = {{"installTs", *installTs}, {"ts", nowMilliseconds()}};
        sent = fireEvents(Event::make(Event::Type::appLaunch, std::move(info)));
    }
    std::lock_guard lock(launch.mutex);
    if (sent) {
        defaults->set(platform::PropertyValue(true), appLaunchKey);
    }
    launch.inProgress = false;
}

void Analytics::fireAppOpenEvent() {
    AnyDictionary info = {{"ts", nowMilliseconds()}};
    fireEvents(Event::make(Event::Type::appOpen, std::move(info)));
}

bool Analytics::fireEvents(const Event& event) {
    const std::vector<Event> events{event};
    if (!isTrackingEnabled()) {
        Logger::debug("Tracking is not enabled");
        return false;
    }
    auto request = createNetworkRequest(events);
    if (!request) {
        return false;
    }
    TrackerManager::shared()->send(std::move(request));
    return true;
}

std::shared_ptr<Request> Analytics::createNetworkRequest(const std::vector<Event>& events) {
    const auto settings = ConfigUtil::analyticsConfig().event;
    const auto url = platform::URL::parse(settings.url);
    if (!url || !url->isAbsolute() || events.empty()) {
        Logger::debug("Invalid url string");
        return nullptr;
    }
    Json body;
    try {
        body = EventRequest::make(events).encode();
    } catch (const std::exception& error) {
        Logger::error(std::string("Analytics request could not be encoded: ") + error.what());
        return nullptr;
    }
    auto request = Request::create(*url, Request::HTTPMethod::post, std::move(body));
    request->setRetryCount(std::max<std::int64_t>(settings.maxRetries, 0));
    request->setRetryInterval(TrackerManager::secondsFromMilliseconds(static_cast<double>(settings.retryInterval),
                                                                      defaultRetryMilliseconds));
    request->setTimeout(TrackerManager::secondsFromMilliseconds(static_cast<double>(settings.retryTimeOut),
                                                                defaultRetryMilliseconds));
    request->addHeaders({{"version", "1.0.0"}});
    request->setMaximumResponseBytes(Request::acknowledgementBodyLimit);
    return request;
}

}  // namespace solen
