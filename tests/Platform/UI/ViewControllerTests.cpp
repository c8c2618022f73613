#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/UI/Application.h"
#include "support/DispatchWait.h"
#include "support/LogCapture.h"
#include "support/ScopedApplication.h"

#include <solen/ui/ViewController.h>
#include <solen/ui/Window.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace solen::platform {
namespace {

using ::testing::ElementsAre;

class JournalController : public ViewController {
public:
    JournalController(std::string name, std::vector<std::string>& journal) : name_(std::move(name)), journal_(journal) {}

    void viewWillAppear(bool) override { note(std::string("willAppear window=") + (view()->window() ? "yes" : "no")); }
    void viewDidAppear(bool) override { note(std::string("didAppear window=") + (view()->window() ? "yes" : "no")); }
    void viewWillDisappear(bool) override { note("willDisappear"); }
    void viewDidDisappear(bool) override { note(std::string("didDisappear window=") + (view()->window() ? "yes" : "no")); }
    void viewWillLayoutSubviews() override { note("willLayout"); }

    void note(const std::string& text) { journal_.push_back(name_ + ":" + text); }

private:
    std::string name_;
    std::vector<std::string>& journal_;
};

class ViewControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = app.showKeyWindow();
        root = std::make_shared<JournalController>("root", journal);
        window->setRootViewController(root);
        MainLoop::shared().runUntilIdle();
        journal.clear();
    }
    void TearDown() override { MainLoop::shared().runUntilIdle(); }

    test::ScopedApplication app;
    std::vector<std::string> journal;
    std::shared_ptr<Window> window;
    std::shared_ptr<JournalController> root;
};

TEST_F(ViewControllerTest, PresentsInThePlatformOrder) {
    auto modal = std::make_shared<JournalController>("modal", journal);
    root->present(modal, true, [&] { journal.push_back("completion"); });
    EXPECT_THAT(journal, ElementsAre("modal:willAppear window=no"));
    EXPECT_EQ(root->presentedViewController(), modal);
    EXPECT_EQ(modal->presentingViewController(), root);
    EXPECT_TRUE(modal->isBeingPresented());

    MainLoop::shared().runUntilIdle();
    EXPECT_THAT(journal, ElementsAre("modal:willAppear window=no", "modal:willLayout", "modal:didAppear window=yes",
                                     "completion"));
    EXPECT_EQ(modal->view()->frame(), window->bounds());
    EXPECT_FALSE(modal->isBeingPresented());
}

TEST_F(ViewControllerTest, DismissesTheWholeStackAboveInThePlatformOrder) {
    auto first = std::make_shared<JournalController>("first", journal);
    auto second = std::make_shared<JournalController>("second", journal);
    root->present(first, false, nullptr);
    MainLoop::shared().runUntilIdle();
    first->present(second, false, nullptr);
    MainLoop::shared().runUntilIdle();
    journal.clear();
    root->dismiss(false, [&] { journal.push_back("completion"); });
    EXPECT_THAT(journal, ElementsAre("second:willDisappear", "first:willDisappear"));
    MainLoop::shared().runUntilIdle();
    EXPECT_THAT(journal, ElementsAre("second:willDisappear", "first:willDisappear", "second:didDisappear window=no",
                                     "first:didDisappear window=no", "completion"));
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(first->presentingViewController(), nullptr);
    EXPECT_EQ(second->presentingViewController(), nullptr);
}

TEST_F(ViewControllerTest, RefusedPresentationsAreLoggedAndChangeNothing) {
    test::LogCapture logs;
    auto modal = ViewController::create();
    auto loose = ViewController::create();  // its view is in no window
    bool completed = false;
    loose->present(modal, false, [&] { completed = true; });
    root->present(root, false, [&] { completed = true; });
    root->present(modal, false, nullptr);
    root->present(ViewController::create(), false, [&] { completed = true; });  // already presenting
    MainLoop::shared().runUntilIdle();
    EXPECT_FALSE(completed);
    EXPECT_EQ(root->presentedViewController(), modal);
    EXPECT_EQ(loose->presentedViewController(), nullptr);
    EXPECT_EQ(logs.count("Attempt to present"), 3u);

    // A controller on its way out presents nothing: its dismissal would strand what it presents.
    auto late = ViewController::create();
    modal->dismiss(false, nullptr);
    modal->present(late, false, [&] { completed = true; });
    MainLoop::shared().runUntilIdle();
    EXPECT_FALSE(completed);
    EXPECT_FALSE(late->presentingViewController());
    EXPECT_FALSE(late->isBeingPresented());
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_EQ(logs.count("which is being dismissed"), 1u);
}

TEST_F(ViewControllerTest, DismissingNothingOrTwiceStillCompletesEachLater) {
    int completions = 0;
    root->dismiss(false, [&] { ++completions; });
    EXPECT_EQ(completions, 0);
    auto modal = ViewController::create();
    root->present(modal, false, nullptr);
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(completions, 1);
    modal->dismiss(false, [&] { ++completions; });
    modal->dismiss(false, [&] { ++completions; });  // while the first dismissal is under way
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(completions, 3);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string* name : {&Application::willResignActiveNotification, &Application::didEnterBackgroundNotification,
                                        &Application::willEnterForegroundNotification, &Application::didBecomeActiveNotification}) {
            NotificationCenter::defaultCenter().addObserver(owner, *name, [this](const Notification& n) {
                seen.push_back(n.name + "@" + std::to_string(static_cast<int>(Application::shared().applicationState())) +
                               (MainLoop::shared().isMainThread() ? "" : " off main"));
            });
        }
    }
    void TearDown() override { NotificationCenter::defaultCenter().removeObserver(owner.get()); }

    test::ScopedApplication app;
    std::shared_ptr<int> owner = std::make_shared<int>(0);
    std::vector<std::string> seen;
};

TEST_F(ApplicationTest, LifecycleNotificationsCarryThePlatformStatesAndArePostedOnTheMainThread) {
    app.moveTo(Application::State::background);
    EXPECT_THAT(seen, ElementsAre("UIApplicationWillResignActiveNotification@0", "UIApplicationDidEnterBackgroundNotification@2"));
    seen.clear();
    app.moveTo(Application::State::active);
    EXPECT_THAT(seen, ElementsAre("UIApplicationWillEnterForegroundNotification@2", "UIApplicationDidBecomeActiveNotification@0"));
    seen.clear();
    app.moveTo(Application::State::inactive);
    app.moveTo(Application::State::inactive);
    EXPECT_THAT(seen, ElementsAre("UIApplicationWillResignActiveNotification@0"));
    EXPECT_EQ(Application::shared().applicationState(), Application::State::inactive);

    // Moves requested off the main thread are posted on it.
    app.moveTo(Application::State::active);
    seen.clear();
    std::thread([] { Application::shared().moveTo(Application::State::background); }).join();
    EXPECT_TRUE(seen.empty());
    ASSERT_TRUE(test::waitUntil([&] { return seen.size() == 2; }));
    EXPECT_THAT(seen, ElementsAre("UIApplicationWillResignActiveNotification@0", "UIApplicationDidEnterBackgroundNotification@2"));
}

}  // namespace
}  // namespace solen::platform
