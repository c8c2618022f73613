#include "Commons/Latency/LatencyInterval.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace solen {
namespace {

using namespace std::chrono_literals;
using TimePoint = LatencyInterval::TimePoint;

const TimePoint kBase{std::chrono::seconds(1'765'000'000)};

TEST(LatencyIntervalTests, WholeMillisecondsNeverNegativeAndZeroWhenAStampIsMissingAndMarksReadTheSharedClock) {
    test::LogCapture log;
    LatencyInterval interval;
    EXPECT_EQ(interval.getLatency(), 0);
    interval.setStart(kBase);
    EXPECT_EQ(interval.getLatency(), 0);
    EXPECT_EQ(log.count("The loadStartTimeStamp/loadEndTimeStamp is not valid"), 2u);

    interval.setEnd(kBase + 1234500us);
    EXPECT_EQ(interval.getLatency(), 1234);
    EXPECT_TRUE(log.contains("The latency is 1234.5"));
    interval.setEnd(kBase + 999999ns);
    EXPECT_EQ(interval.getLatency(), 0);
    interval.setEnd(kBase - 5s);
    EXPECT_EQ(interval.getLatency(), 0);
    // Extreme stamps neither overflow nor go negative.
    interval.setStart(TimePoint::min());
    interval.setEnd(TimePoint::max());
    EXPECT_GT(interval.getLatency(), 0);
    interval.setStart(TimePoint::max());
    interval.setEnd(TimePoint::min());
    EXPECT_EQ(interval.getLatency(), 0);

    // Marks read the shared clock.
    auto clock = std::make_shared<platform::ManualClock>();
    platform::Clock::setShared(clock);
    LatencyInterval marked;
    marked.markStart();
    clock->advance(250ms);
    marked.markEnd();
    EXPECT_EQ(marked.getLatency(), 250);
    platform::Clock::setShared(nullptr);
}

}  // namespace
}  // namespace solen
