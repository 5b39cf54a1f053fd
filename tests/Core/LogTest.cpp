#include "Engine/Core/Log.h"
#include "Engine/Core/LogCapture.h"

#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

using namespace Tess;
using TestSupport::ReadFile;
using TestSupport::ReadLines;
using TestSupport::TempWorkDir;

namespace
{
const std::vector<std::string> kOpeningLines = {
    "-------------------------------",
    "| Tesserant Game Engine v0.8 |",
    "-------------------------------",
    "",
    "Log      | Opening log file.",
};

// Each test writes through its own CLog, so the program's log is left alone.
class LogTest : public ::testing::Test
{
protected:
    TempWorkDir dir;
    CLog log;
};
} // namespace

TEST_F(LogTest, EveryCategoryWritesItsElevenCharacterPrefix)
{
    log.Open();
    for (int category = 0; category <= 6; ++category)
        log.Write(category, "text");
    log.Close();

    const auto lines = ReadLines("Log.txt");
    ASSERT_EQ(lines.size(), 5u + 7u + 1u);
    const std::vector<std::string> expected = {
        "         | text", "Log      | text", "Main     | text", "Input    | text",
        "Renderer | text", "Object   | text", "Sound    | text",
    };
    for (int category = 0; category <= 6; ++category)
    {
        EXPECT_EQ(lines[5 + category], expected[category]);
        EXPECT_EQ(std::string(CLog::GetPrefix(category)).size(), 11u);
    }
}

TEST_F(LogTest, CategoriesOutsideTheTableWriteNoPrefix)
{
    log.Open();
    log.Write(7, "seven");
    log.Write(-1, std::string("minus one"));
    log.Close();

    const auto lines = ReadLines("Log.txt");
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[5], "seven");
    EXPECT_EQ(lines[6], "minus one");
}

TEST_F(LogTest, OpensWithTheBannerAndClosesWithTheClosingLine)
{
    log.Open();
    log.WriteSeparator();
    log.Close();

    auto lines = ReadLines("Log.txt");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5), kOpeningLines);
    EXPECT_EQ(lines[5], "         | " + std::string(60, '-'));
    EXPECT_EQ(lines[6], "Log      | Closing log file.");
    EXPECT_EQ(ReadFile("Log.txt").back(), '\n');
}

TEST_F(LogTest, MultiLineTextIsWrittenUnchangedWithOnePrefix)
{
    log.Open();
    log.Write(LOG_NONE, std::string("\nRoot\n  Child"));
    log.Close();

    const auto lines = ReadLines("Log.txt");
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[5], "         | ");
    EXPECT_EQ(lines[6], "Root");
    EXPECT_EQ(lines[7], "  Child");
}

TEST_F(LogTest, StringLinesAreFlushedAtOnceAndCharacterLinesAtTheNextFlush)
{
    log.Open();
    log.Write(LOG_MAIN, "buffered");
    EXPECT_EQ(ReadFile("Log.txt").find("buffered"), std::string::npos);

    log.Write(LOG_MAIN, std::string("flushed"));
    const std::string text = ReadFile("Log.txt");
    // The flush of the string line carries the buffered line with it, in order.
    EXPECT_LT(text.find("Main     | buffered"), text.find("Main     | flushed"));
    EXPECT_NE(text.find("Main     | flushed\n"), std::string::npos);
    log.Close();
}

TEST_F(LogTest, ASecondOpenTruncatesTheEarlierLog)
{
    dir.WriteFile("Log.txt", "line of an earlier run\nanother\n");
    log.Open();
    log.Close();

    const auto lines = ReadLines("Log.txt");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5), kOpeningLines);
}

TEST_F(LogTest, AnUnwritableLogIsSilentlyDroppedAndEveryCallStillSucceeds)
{
    // A directory in the file's place cannot be opened for writing, even by root.
    std::filesystem::create_directory("Log.txt");
    EXPECT_TRUE(log.Open());
    EXPECT_TRUE(log.Write(LOG_MAIN, "lost"));
    EXPECT_TRUE(log.Write(LOG_MAIN, std::string("lost too")));
    EXPECT_TRUE(log.WriteSeparator());
    EXPECT_TRUE(log.Close());
    EXPECT_TRUE(std::filesystem::is_directory("Log.txt"));
    EXPECT_TRUE(std::filesystem::is_empty("Log.txt"));
}

TEST_F(LogTest, LinesBeforeOpenAndAfterCloseAreLost)
{
    log.Write(LOG_MAIN, std::string("before"));
    log.Open();
    log.Close();
    log.Write(LOG_MAIN, std::string("after"));

    const std::string text = ReadFile("Log.txt");
    EXPECT_EQ(text.find("before"), std::string::npos);
    EXPECT_EQ(text.find("after"), std::string::npos);
}

TEST_F(LogTest, ACaptureHoldsOnlyItsOwnThreadsLinesUntilReleasedInOrder)
{
    log.Open();
    auto capture = std::make_unique<CLogCapture>();
    std::thread other([this] { log.Write(LOG_MAIN, std::string("other thread")); });
    other.join();
    log.Write(LOG_MAIN, std::string("held one"));
    {
        // A nested capture takes the lines while it lives, then gives the thread back.
        CLogCapture inner;
        log.Write(LOG_MAIN, "inner");
    }
    log.Write(LOG_RENDERER, "held two");
    capture->Stop();
    log.Write(LOG_MAIN, std::string("after stop"));
    // Released from another thread, as a worker's lines are.
    std::thread releaser([&] { capture->Release(log); });
    releaser.join();
    capture->Release(log);
    log.Close();

    const auto lines = ReadLines("Log.txt");
    const std::vector<std::string> written(lines.begin() + static_cast<long>(kOpeningLines.size()), lines.end());
    EXPECT_EQ(written, (std::vector<std::string>{"Main     | other thread", "Main     | after stop",
                                                 "Main     | held one", "Renderer | held two",
                                                 "Log      | Closing log file."}));
}
