#pragma once

#include "Platform/Foundation/URL.h"

#include <solen/ui/InterfaceOrientation.h>
#include <solen/ui/Rect.h>

#include <any>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace solen::platform {

class Window;

// The running application: its state, key window, status bar and URL opening. The state and the
// figures are readable from any thread; windows are main-thread objects.
//
// The host (or a test) moves the application between its states with `moveTo`, which posts the
// platform's lifecycle notifications on the main thread through the default notification
// centre, one step at a time, with the state the platform reports during each notification:
//   active -> inactive:      "UIApplicationWillResignActiveNotification" (state still active)
//   inactive -> background:  "UIApplicationDidEnterBackgroundNotification" (state background)
//   background -> inactive:  "UIApplicationWillEnterForegroundNotification" (state still background)
//   inactive -> active:      "UIApplicationDidBecomeActiveNotification" (state active)
// Moving between active and background passes through inactive.
class Application {
public:
    enum class State { active = 0, inactive = 1, background = 2 };

    static const std::string& didBecomeActiveNotification;
    static const std::string& willResignActiveNotification;
    static const std::string& didEnterBackgroundNotification;
    static const std::string& willEnterForegroundNotification;

    using OpenURLOptions = std::map<std::string, std::any>;
    using OpenURLCompletion = std::function<void(bool success)>;
    struct OpenedURL {
        URL url;
        OpenURLOptions options;
    };

    static Application& shared();

    State applicationState() const;
    // Runs at once on the main thread; from another thread it is submitted to the main queue.
    void moveTo(State state);

    std::shared_ptr<Window> keyWindow() const;
    // Called by Window::makeKeyAndVisible. The application keeps its key window alive.
    void setKeyWindow(std::shared_ptr<Window> window);

    Rect statusBarFrame() const;
    void setStatusBarFrame(Rect frame);
    bool isStatusBarHidden() const;
    void setStatusBarHidden(bool hidden);
    InterfaceOrientation statusBarOrientation() const;
    void setStatusBarOrientation(InterfaceOrientation orientation);

    // By default "http" and "https" URLs can be opened; tests replace the rule.
    bool canOpenURL(const URL& url) const;
    void setCanOpenURLRule(std::function<bool(const URL& url)> rule);
    // Records the request and answers on the main queue with the result of canOpenURL.
    void open(const URL& url, OpenURLOptions options, OpenURLCompletion completion);
    std::vector<OpenedURL> openedURLs() const;

    // Back to the launch state: active, no key window, a visible 20-point status bar over the
    // main screen's width, portrait, default URL rule, nothing opened. Posts nothing.
    void reset();

private:
    Application();
    void step(State to);
    template <class T>
    T locked(const T& field) const {
        std::lock_guard lock(mutex_);
        return field;
    }
    template <class T, class V>
    void assign(T& field, V&& value) {
        std::lock_guard lock(mutex_);
        field = std::forward<V>(value);
    }

    mutable std::mutex mutex_;
    State state_ = State::active;
    std::shared_ptr<Window> keyWindow_;
    Rect statusBarFrame_;
    bool statusBarHidden_ = false;
    InterfaceOrientation orientation_ = InterfaceOrientation::portrait;
    std::function<bool(const URL&)> canOpenRule_;
    std::vector<OpenedURL> opened_;
};

}  // namespace solen::platform
