#include "Platform/UI/Application.h"

#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/UI/Screen.h"

#include <solen/ui/Window.h>

namespace solen::platform {

const std::string& Application::didBecomeActiveNotification = *new std::string("UIApplicationDidBecomeActiveNotification");
const std::string& Application::willResignActiveNotification = *new std::string("UIApplicationWillResignActiveNotification");
const std::string& Application::didEnterBackgroundNotification = *new std::string("UIApplicationDidEnterBackgroundNotification");
const std::string& Application::willEnterForegroundNotification = *new std::string("UIApplicationWillEnterForegroundNotification");

namespace {

bool defaultCanOpen(const URL& url) {
    const std::optional<std::string>& scheme = url.scheme();
    return scheme && (*scheme == "http" || *scheme == "https");
}

}  // namespace

Application& Application::shared() {
    static auto& application = *new Application;
    return application;
}

Application::Application() { reset(); }

void Application::reset() {
    const Rect screen = Screen::main().bounds();
    std::shared_ptr<Window> oldKeyWindow;
    {
        std::lock_guard lock(mutex_);
        state_ = State::active;
        oldKeyWindow = std::move(keyWindow_);
        statusBarFrame_ = Rect(0, 0, screen.width(), 20);
        statusBarHidden_ = false;
        orientation_ = InterfaceOrientation::portrait;
        canOpenRule_ = nullptr;
        opened_.clear();
    }
    // The old window is released outside the lock: its views may call back into the application.
}

Application::State Application::applicationState() const { return locked(state_); }

void Application::moveTo(State target) {
    if (!MainLoop::shared().isMainThread()) {
        MainLoop::shared().async([this, target] { moveTo(target); });
        return;
    }
    while (applicationState() != target) {
        const State current = applicationState();
        if (current == State::inactive) {
            step(target);
        } else {
            step(State::inactive);
        }
    }
}

// One platform step; `to` is a neighbour of the current state.
void Application::step(State to) {
    const State from = applicationState();
    auto setState = [this](State s) { assign(state_, s); };
    NotificationCenter& center = NotificationCenter::defaultCenter();
    if (from == State::active && to == State::inactive) {
        center.post(willResignActiveNotification);
        setState(State::inactive);
    } else if (from == State::inactive && to == State::background) {
        setState(State::background);
        center.post(didEnterBackgroundNotification);
    } else if (from == State::background && to == State::inactive) {
        center.post(willEnterForegroundNotification);
        setState(State::inactive);
    } else if (from == State::inactive && to == State::active) {
        setState(State::active);
        center.post(didBecomeActiveNotification);
    }
}

std::shared_ptr<Window> Application::keyWindow() const { return locked(keyWindow_); }

void Application::setKeyWindow(std::shared_ptr<Window> window) {
    std::unique_lock lock(mutex_);
    std::swap(keyWindow_, window);
    lock.unlock();
    // `window` now holds the previous key window, released outside the lock.
}

Rect Application::statusBarFrame() const { return locked(statusBarFrame_); }
void Application::setStatusBarFrame(Rect frame) { assign(statusBarFrame_, frame); }
bool Application::isStatusBarHidden() const { return locked(statusBarHidden_); }
void Application::setStatusBarHidden(bool hidden) { assign(statusBarHidden_, hidden); }
InterfaceOrientation Application::statusBarOrientation() const { return locked(orientation_); }
void Application::setStatusBarOrientation(InterfaceOrientation orientation) { assign(orientation_, orientation); }

bool Application::canOpenURL(const URL& url) const {
    const std::function<bool(const URL&)> rule = locked(canOpenRule_);
    return rule ? rule(url) : defaultCanOpen(url);
}

void Application::setCanOpenURLRule(std::function<bool(const URL&)> rule) { assign(canOpenRule_, std::move(rule)); }

void Application::open(const URL& url, OpenURLOptions options, OpenURLCompletion completion) {
    const bool result = canOpenURL(url);
    {
        std::lock_guard lock(mutex_);
        opened_.push_back(OpenedURL{url, std::move(options)});
    }
    performOnMainQueue([result, completion = std::move(completion)] {
        if (completion) {
            completion(result);
        }
    });
}

std::vector<Application::OpenedURL> Application::openedURLs() const { return locked(opened_); }

}  // namespace solen::platform
