#include "Platform/Foundation/NotificationCenter.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace solen::platform {
namespace {

std::shared_ptr<int> makeOwner() { return std::make_shared<int>(0); }

TEST(NotificationCenterTests, ObserversOfTheNameRunInOrderOnThePostingThread) {
    NotificationCenter center;
    const auto first = makeOwner();
    const auto second = makeOwner();
    std::vector<std::string> calls;
    std::thread::id callThread;
    center.addObserver(first, "N", [&](const Notification&) { calls.push_back("first"); });
    center.addObserver(second, "N", [&](const Notification& notification) {
        calls.push_back("second:" + std::any_cast<std::string>(notification.userInfo.at("k")));
        callThread = std::this_thread::get_id();
    });
    center.addObserver(first, "Other", [&](const Notification&) { calls.push_back("other"); });

    std::thread poster([&] { center.post(Notification{"N", nullptr, {{"k", std::string("v")}}}); });
    const auto posterId = poster.get_id();
    poster.join();
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "second:v"}));
    EXPECT_EQ(callThread, posterId);
}

TEST(NotificationCenterTests, RemovedObserversAndThoseOfAReleasedOwnerAreNotCalled) {
    NotificationCenter center;
    const auto owner = makeOwner();
    const auto other = makeOwner();
    auto released = makeOwner();
    int a = 0, b = 0, c = 0, d = 0;
    center.addObserver(owner, "A", [&](const Notification&) { ++a; });
    center.addObserver(owner, "B", [&](const Notification&) { ++b; });
    center.addObserver(other, "A", [&](const Notification&) { ++c; });
    center.addObserver(released, "A", [&](const Notification&) { ++d; });
    released.reset();

    center.removeObserver(owner.get(), "A");
    center.post("A");
    center.post("B");
    EXPECT_EQ(std::vector<int>({a, b, c, d}), std::vector<int>({0, 1, 1, 0}));
    EXPECT_EQ(center.observerCount("A"), 1u);  // the released owner's observer was dropped

    center.removeObserver(owner.get());
    center.post("B");
    EXPECT_EQ(b, 1);
}

TEST(NotificationCenterTests, ObserversMayChangeTheCentreWhileBeingCalledAndMayThrow) {
    test::LogCapture log;
    NotificationCenter center;
    const auto owner = makeOwner();
    const auto late = makeOwner();
    auto removable = makeOwner();
    std::vector<std::string> calls;

    center.addObserver(owner, "N", [&](const Notification&) {
        calls.push_back("remover");
        center.removeObserver(removable.get());  // the next observer must not run
        center.addObserver(late, "N", [&](const Notification&) { calls.push_back("added"); });
        center.post("Nested");
    });
    center.addObserver(removable, "N", [&](const Notification&) { calls.push_back("removed"); });
    center.addObserver(owner, "Nested", [&](const Notification&) {
        calls.push_back("nested");
        center.removeObserver(owner.get(), "Nested");  // removes itself
        throw std::runtime_error("boom");
    });
    center.addObserver(late, "Nested", [&](const Notification&) { calls.push_back("after throw"); });

    EXPECT_NO_THROW(center.post("N"));
    EXPECT_EQ(calls, (std::vector<std::string>{"remover", "nested", "after throw"}));
    EXPECT_TRUE(log.contains("boom"));
    calls.clear();
    center.removeObserver(owner.get());
    center.post("N");
    center.post("Nested");
    EXPECT_EQ(calls, (std::vector<std::string>{"added", "after throw"}));
}

TEST(NotificationCenterTests, ConcurrentPostsAddsAndRemovals) {
    NotificationCenter& center = NotificationCenter::defaultCenter();
    std::atomic<int> calls{0};
    std::atomic<bool> stop{false};
    const auto steady = makeOwner();
    center.addObserver(steady, "Concurrent", [&](const Notification&) { ++calls; });

    std::vector<std::thread> posters;
    for (int t = 0; t < 3; ++t) {
        posters.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                center.post("Concurrent");
            }
        });
    }
    std::thread changer([&] {
        for (int round = 0; !stop; ++round) {
            auto transient = makeOwner();
            center.addObserver(transient, "Concurrent", [&](const Notification&) { ++calls; });
            if (round % 2 == 0) {
                center.removeObserver(transient.get());
            }
            transient.reset();  // released while others may be posting
        }
    });
    for (auto& poster : posters) {
        poster.join();
    }
    stop = true;
    changer.join();
    EXPECT_GE(calls.load(), 1500);
    center.removeObserver(steady.get());
    EXPECT_EQ(center.observerCount("Concurrent"), 0u);
}

}  // namespace
}  // namespace solen::platform
