#include <solen/host/Lifecycle.h>

#include "Commons/Utilities/Logger.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/UI/Application.h"
#include "Public/Host/MainThreadCall.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <string>

namespace solen::host {

namespace {

using State = Lifecycle::State;
using platform::Application;

// Set by the launch report; the application's own state tells the rest.
std::atomic<bool> launched{false};

State currentState() {
    if (!launched.load()) {
        return State::notLaunched;
    }
    switch (Application::shared().applicationState()) {
        case Application::State::active: return State::active;
        case Application::State::inactive: return State::inactive;
        case Application::State::background: return State::background;
    }
    return State::active;
}

const char* describe(State state) {
    switch (state) {
        case State::notLaunched: return "not launched";
        case State::active: return "active";
        case State::inactive: return "inactive";
        case State::background: return "in the background";
    }
    return "?";
}

// A report applies in the states it lists (up to three) and moves the application to `target`.
struct Report {
    const char* name;
    std::array<std::optional<State>, 3> from;
    Application::State target;
};

void apply(const Report& report) {
    runOnMain(report.name, [report] {
        const State now = currentState();
        if (std::find(report.from.begin(), report.from.end(), now) == report.from.end()) {
            Logger::applicationError(std::string("Ignoring the lifecycle report ") + report.name +
                                     ": the application is " + describe(now));
            return;
        }
        launched.store(true);
        Application::shared().moveTo(report.target);
        if (report.target == Application::State::background) {
            platform::UserDefaults::standard()->synchronize();
        }
    });
}

}  // namespace

void Lifecycle::didFinishLaunching() {
    apply({"didFinishLaunching", {State::notLaunched}, Application::State::active});
}

void Lifecycle::didBecomeActive() {
    apply({"didBecomeActive", {State::inactive, State::background}, Application::State::active});
}

void Lifecycle::didEnterBackground() {
    apply({"didEnterBackground", {State::active, State::inactive}, Application::State::background});
}

void Lifecycle::willEnterForeground() {
    apply({"willEnterForeground", {State::background}, Application::State::inactive});
}

Lifecycle::State Lifecycle::state() {
    return askMain("Lifecycle::state", currentState);
}

}  // namespace solen::host
