#include "Platform/Foundation/NotificationCenter.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace solen::platform {
namespace {

std::shared_ptr<int> makeOwner() { return std::make_shared<int>(0); }

TEST(NotificationCenterTests, ObserversRunInOrderOnThePostingThread) {
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

TEST(NotificationCenterTests, ObserversOfAReleasedOwnerAreSkippedAndDropped) {
    NotificationCenter center;
    auto owner = makeOwner();
    int calls = 0;
    center.addObserver(owner, "N", [&](const Notification&) { ++calls; });
    EXPECT_EQ(center.observerCount("N"), 1u);
    owner.reset();
    center.post("N");
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(center.observerCount("N"), 0u);
}

TEST(NotificationCenterTests, RemoveByOwnerAndByOwnerAndName) {
    NotificationCenter center;
    const auto owner = makeOwner();
    const auto other = makeOwner();
    int a = 0, b = 0, c = 0;
    center.addObserver(owner, "A", [&](const Notification&) { ++a; });
    center.addObserver(owner, "B", [&](const Notification&) { ++b; });
    center.addObserver(other, "A", [&](const Notification&) { ++c; });

    center.removeObserver(owner.get(), "A");
    center.post("A");
    center.post("B");
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(c, 1);

    center.removeObserver(owner.get());
    center.post("B");
    center.post("A");
    EXPECT_EQ(b, 1);
    EXPECT_EQ(c, 2);
}

TEST(NotificationCenterTests, SenderFilter) {
    NotificationCenter center;
    const auto owner = makeOwner();
    auto sender = std::make_shared<std::string>("sender");
    auto stranger = std::make_shared<std::string>("stranger");
    int fromSender = 0, fromAnyone = 0;
    center.addObserver(owner, "N", [&](const Notification&) { ++fromSender; }, sender);
    center.addObserver(owner, "N", [&](const Notification&) { ++fromAnyone; });

    center.post("N", sender);
    center.post("N", stranger);
    center.post("N");
    EXPECT_EQ(fromSender, 1);
    EXPECT_EQ(fromAnyone, 3);
}

TEST(NotificationCenterTests, ObserversMayChangeTheCentreWhileBeingCalled) {
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
    });

    center.post("N");
    EXPECT_EQ(calls, (std::vector<std::string>{"remover", "nested"}));
    calls.clear();
    center.removeObserver(owner.get());
    center.post("N");
    center.post("Nested");
    EXPECT_EQ(calls, (std::vector<std::string>{"added"}));
}

TEST(NotificationCenterTests, AThrowingObserverDoesNotStopTheOthers) {
    test::LogCapture log;
    NotificationCenter center;
    const auto owner = makeOwner();
    int calls = 0;
    center.addObserver(owner, "N", [](const Notification&) { throw std::runtime_error("boom"); });
    center.addObserver(owner, "N", [&](const Notification&) { ++calls; });
    EXPECT_NO_THROW(center.post("N"));
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(log.contains("boom"));
}

TEST(NotificationCenterTests, ConcurrentPostsAddsAndRemovals) {
    NotificationCenter& center = NotificationCenter::defaultCenter();
    std::atomic<int> calls{0};
    std::atomic<bool> stop{false};
    const auto steady = makeOwner();
    center.addObserver(steady, "Concurrent", [&](const Notification&) { ++calls; });

    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                center.post("Concurrent");
            }
        });
    }
    threads.emplace_back([&] {
        for (int round = 0; !stop; ++round) {
            auto transient = makeOwner();
            center.addObserver(transient, "Concurrent", [&](const Notification&) { ++calls; });
            if (round % 2 == 0) {
                center.removeObserver(transient.get());
            }
            transient.reset();  // released while others may be posting
        }
    });
    for (int t = 0; t < 3; ++t) {
        threads[static_cast<std::size_t>(t)].join();
    }
    stop = true;
    threads.back().join();
    EXPECT_GE(calls.load(), 1500);
    center.removeObserver(steady.get());
    EXPECT_EQ(center.observerCount("Concurrent"), 0u);
}

}  // namespace
}  // namespace solen::platform
