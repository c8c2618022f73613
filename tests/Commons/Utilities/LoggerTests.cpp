#include "Commons/Utilities/Logger.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

namespace solen {
namespace {

void killAdTimer() { Logger::format("LoadTimer suspended", "/a/b/AdLoadTimer.swift", "killAdTimer()", 42, 5); }

TEST(LoggerTests, LevelGatesWhatIsPrinted) {
    test::LogCapture capture(0);
    Logger::log("one", 1);
    Logger::debug("debug");
    EXPECT_TRUE(capture.lines().empty());
    Logger::setLogLevel(2);
    Logger::log("one", 1);
    Logger::log("two", 2);
    Logger::error("error");
    Logger::debug("debug");
    EXPECT_EQ(capture.lines().size(), 2u);
    EXPECT_TRUE(capture.contains("one"));
    EXPECT_TRUE(capture.contains("two"));
}

TEST(LoggerTests, LineFormatAndCallSite) {
    test::LogCapture capture(5);
    Logger::log("hello", 2);
    Logger::log("boom", 3);
    killAdTimer();
    Logger::error("from a test");
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 4u);
    const std::regex date(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} \[SolenSDK\] )");
    for (const auto& line : lines) {
        EXPECT_TRUE(std::regex_search(line, date)) << line;
    }
    EXPECT_EQ(lines[0].substr(20), "[SolenSDK] \xF0\x9F\x92\xAC hello");
    EXPECT_EQ(lines[1].substr(20), "[SolenSDK] [\xF0\x9F\x94\xA5]boom");
    EXPECT_NE(lines[2].find("[AdLoadTimer][killAdTimer()]::42 LoadTimer suspended"), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find("[LoggerTests][TestBody()]::"), std::string::npos) << lines[3];

    EXPECT_EQ(Logger::fileName(""), "");
    EXPECT_EQ(Logger::fileName("NoDot"), "NoDot");
    EXPECT_EQ(Logger::fileName("/x/Two.dots.cpp"), "Two");
    EXPECT_EQ(Logger::fileName("dir.d/File"), "File");
}

TEST(LoggerTests, ConcurrentLinesArriveWhole) {
    test::LogCapture capture(2);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) {
                Logger::log("thread " + std::to_string(t) + " line " + std::to_string(i), 2);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 800u);
    for (const auto& line : lines) {
        EXPECT_NE(line.find(" line "), std::string::npos);
    }
}

// Standard output belongs to the host (a tool that prints results, a pipe): the SDK's lines go to
// standard error unless a sink takes them.
TEST(LoggerTests, WithoutASinkLinesGoToStandardErrorAndApplicationErrorsAtThePublicErrorLevel) {
    const auto previousSink = Logger::setSink(nullptr);
    const auto previousLevel = Logger::logLevel();
    Logger::setLogLevel(1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Logger::applicationError("refused for a reason");
    Logger::log("an information line", 2);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    Logger::setLogLevel(previousLevel);
    Logger::setSink(previousSink);

    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("[SolenSDK] \xE2\x9D\x97\xEF\xB8\x8F refused for a reason\n"), std::string::npos) << err;
    EXPECT_EQ(err.find("an information line"), std::string::npos) << err;
}

}  // namespace
}  // namespace solen
