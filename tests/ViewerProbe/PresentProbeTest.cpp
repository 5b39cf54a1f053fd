#include "tools/ViewerProbe/PresentProbe.h"
#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <regex>

using namespace Tess;
using namespace TestSupport;

TEST(PresentProbe, WritesTheFirstFrameTimeAndTheFrameCountToTheNamedFile)
{
    TempWorkDir dir;
    const auto path = dir.Path() / "present.txt";
    const auto before = std::chrono::system_clock::now().time_since_epoch();
    {
        CPresentProbe probe(path);
        ASSERT_TRUE(probe.IsEnabled());
        for (int i = 0; i < 3; ++i)
            probe.OnPresent();
    }
    const auto after = std::chrono::system_clock::now().time_since_epoch();
    const auto lines = ReadLines(path);
    ASSERT_EQ(lines.size(), 2u);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[0], match, std::regex(R"(first_present_ns ([0-9]+))")));
    const long long first = std::stoll(match[1]);
    EXPECT_GE(first, std::chrono::duration_cast<std::chrono::nanoseconds>(before).count());
    EXPECT_LE(first, std::chrono::duration_cast<std::chrono::nanoseconds>(after).count());
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(presents 3 seconds [0-9]+\.[0-9]{3})"))) << lines[1];
}

TEST(PresentProbe, WritesTheResidentMemoryEveryIntervalOfFrames)
{
    TempWorkDir dir;
    const auto path = dir.Path() / "present.txt";
    {
        CPresentProbe probe(path);
        for (std::uint64_t i = 0; i < 2 * CPresentProbe::kMemoryInterval + 1; ++i)
            probe.OnPresent();
    }
    const auto lines = ReadLines(path);
    ASSERT_EQ(lines.size(), 4u);
    std::smatch match;
    const std::regex memoryLine(R"(frame ([0-9]+) rss_kib ([0-9]+) heap_kib ([0-9]+))");
    for (std::size_t i = 1; i <= 2; ++i)
    {
        ASSERT_TRUE(std::regex_match(lines[i], match, memoryLine)) << lines[i];
        EXPECT_EQ(std::stoull(match[1]), i * CPresentProbe::kMemoryInterval);
        // A running test program holds at least a few hundred KiB, and far less than 64 GiB.
        EXPECT_GT(std::stoll(match[2]), 100);
        EXPECT_LT(std::stoll(match[2]), 64ll * 1024 * 1024);
#if !defined(__SANITIZE_ADDRESS__) // AddressSanitizer's allocator replaces the C heap
        EXPECT_GT(std::stoll(match[3]), 0); // the test itself holds heap blocks
#endif
    }
    EXPECT_EQ(lines[3].rfind("presents 501 ", 0), 0u) << lines[3];
}

TEST(PresentProbe, WithoutAPathWritesNothing)
{
    TempWorkDir dir;
    {
        CPresentProbe probe("");
        EXPECT_FALSE(probe.IsEnabled());
        probe.OnPresent();
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}
