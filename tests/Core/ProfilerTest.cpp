#include "Engine/Core/Profiler.h"

#include "Engine/Core/Log.h"
#include "Support/FakeClock.h"
#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

using namespace Tess;
using TestSupport::FakeClock;
using TestSupport::ReadLines;
using TestSupport::TempWorkDir;

namespace
{
// The profiler reports through the program's log, opened here in a temporary directory.
class ProfilerTest : public ::testing::Test
{
protected:
    void SetUp() override { GetLog().Open(); }

    std::vector<std::string> ReportLines()
    {
        profiler.Report();
        GetLog().Close();
        const auto lines = ReadLines("Log.txt");
        // Without the banner and the closing line.
        return std::vector<std::string>(lines.begin() + 5, lines.end() - 1);
    }

    TempWorkDir dir;
    FakeClock clock;
    CProfiler profiler{clock};
};
} // namespace

TEST_F(ProfilerTest, AnEmptyTableReportsTheErrorLineOnly)
{
    EXPECT_EQ(ReportLines(), std::vector<std::string>{"         | ERROR: No profiles were active..."});
}

TEST_F(ProfilerTest, ReportsTheHeaderAndOneLinePerActiveRecordAgainstRecordZero)
{
    clock.frequency = 1000;
    profiler.StartSample("Frame");
    profiler.StartSample("Input");
    clock.counter += 250;
    profiler.StopSample("Input");
    clock.counter += 750;
    profiler.StopSample("Frame");

    const std::string dashes = "         | " + std::string(40, '-');
    const std::vector<std::string> expected = {
        dashes,
        "         |           Tesserant Profiler           ",
        dashes,
        "         |   Time  |    %    |  Sample Name        ",
        dashes,
        "         |  1.0000 | 1.000000 | Frame",
        "         |  0.2500 | 0.250000 | Input",
    };
    EXPECT_EQ(ReportLines(), expected);
}

TEST_F(ProfilerTest, SamplesAccumulateOverManyFrames)
{
    clock.frequency = 1000;
    for (int frame = 0; frame < 4; ++frame)
    {
        profiler.StartSample("Frame");
        profiler.StartSample("Draw");
        clock.counter += 5;
        profiler.StopSample("Draw");
        clock.counter += 15;
        profiler.StopSample("Frame");
    }
    EXPECT_NEAR(profiler.GetRecord(0).time, 0.080f, 1e-6f);
    EXPECT_NEAR(profiler.GetRecord(1).time, 0.020f, 1e-6f);
    EXPECT_EQ(profiler.GetRecord(1).name, "Draw");
    EXPECT_FALSE(profiler.GetRecord(2).active);
}

TEST_F(ProfilerTest, UnbalancedCallsChangeNothing)
{
    clock.frequency = 1000;
    profiler.StopSample("never started");
    EXPECT_FALSE(profiler.GetRecord(0).active);

    profiler.StartSample("Frame");
    clock.counter += 100;
    profiler.StartSample("Frame"); // already running: keeps the first start
    clock.counter += 100;
    profiler.StopSample("Frame");
    profiler.StopSample("Frame"); // not running any more
    EXPECT_NEAR(profiler.GetRecord(0).time, 0.2f, 1e-6f);
}

TEST_F(ProfilerTest, TheTableHoldsFiftySamplesAndIgnoresMore)
{
    for (int i = 0; i < 60; ++i)
    {
        profiler.StartSample("sample " + std::to_string(i));
        profiler.StopSample("sample " + std::to_string(i));
    }
    EXPECT_EQ(profiler.GetRecord(49).name, "sample 49");
    EXPECT_FALSE(profiler.GetRecord(50).active);
    // Header (5) and exactly fifty sample lines.
    EXPECT_EQ(ReportLines().size(), 55u);
}

TEST_F(ProfilerTest, ATotalOfZeroReportsZeroSharesRatherThanNan)
{
    profiler.StartSample("Frame");
    profiler.StopSample("Frame");
    const auto lines = ReportLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[5], "         |  0.0000 | 0.000000 | Frame");
}
