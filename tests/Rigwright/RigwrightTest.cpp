#include "Applications/Rigwright/Rigwright.h"

#include "Engine/Core/Profiler.h"
#include "Engine/Platform/KeyCodes.h"
#include "Engine/Platform/Platform.h"
#include "Support/FakeClock.h"
#include "Support/FakeInput.h"
#include "Support/FakeWindowSystem.h"
#include "Support/PlatformOverride.h"
#include "Support/RecordingGraphics.h"
#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

using namespace Tess;
using namespace TestSupport;

namespace
{
// Runs the viewer through the real entry routine on fake platform services. Every frame takes
// 10 ms of the fake clock; `beforeFrame` changes the keys before a frame's poll.
class RigwrightTest : public ::testing::Test
{
protected:
    RigwrightTest()
        : platform([this] {
              PlatformServices services;
              services.windowSystem = &windows;
              services.clock = &clock;
              services.createInputSystem = MakeFakeInputFactory(input);
              services.createAudioDevice = [] { return std::unique_ptr<IAudioDevice>(); };
              services.createGraphicsSystem = graphics.Factory();
              return services;
          }())
    {
        windows.journal = &journal;
        GetProfiler().Reset();
    }
    ~RigwrightTest() override { GetProfiler().Reset(); }

    // Runs until the viewer quits or `maxFrames` frames have run.
    int Run(std::function<void(int frame)> beforeFrame, int maxFrames = 500)
    {
        windows.beforePeek = [&, beforeFrame](int frame) {
            clock.Advance(0.010);
            if (beforeFrame)
                beforeFrame(frame);
            if (frame > maxFrames)
                windows.PostQuitMessage(0);
            frames = frame;
        };
        CRigwright viewer;
        const int result = WinMain(GetCurrentInstance(), nullptr, nullptr, 0);
        for (int line = 0; line < 6; ++line)
            text.push_back(viewer.GetTextLine(line));
        return result;
    }

    long Posts(std::uint32_t message) const
    {
        return std::count(journal.begin(), journal.end(), "post " + FakeWindowSystem::Hex(message));
    }

    TempWorkDir dir;
    std::vector<std::string> journal;
    FakeWindowSystem windows;
    FakeClock clock;
    FakeInputState input;
    RecordingGraphics graphics;
    PlatformOverride platform;
    int frames = 0;
    std::vector<std::string> text;
};
} // namespace

TEST_F(RigwrightTest, EscapePostsOneDestroyToTheWindowAndTheViewerQuits)
{
    // Escape goes down before frame 3 and stays down.
    EXPECT_EQ(Run([&](int frame) {
                  if (frame == 3)
                      input.Press(DIK_ESCAPE);
              }),
              1);
    EXPECT_EQ(Posts(WM_DESTROY), 1);
    // Frame 3 posts; frame 4 follows the destroy; the quit is retrieved before frame 5.
    EXPECT_EQ(frames, 5);
    EXPECT_FALSE(windows.queue.size() > 0);
}

TEST_F(RigwrightTest, SlashQuitsLikeEscape)
{
    Run([&](int frame) {
        if (frame == 2)
            input.Press(DIK_SLASH);
    });
    EXPECT_EQ(Posts(WM_DESTROY), 1);
    EXPECT_EQ(frames, 4);
}

TEST_F(RigwrightTest, OtherKeysDoNotQuit)
{
    Run(
        [&](int frame) {
            if (frame == 2)
                input.Press(DIK_W);
            if (frame == 5)
                input.Press(DIK_Q);
        },
        40);
    EXPECT_EQ(Posts(WM_DESTROY), 0);
    EXPECT_EQ(frames, 41);
}

TEST_F(RigwrightTest, TheTextLinesHoldTheTitleStatisticsAndHelp)
{
    Run(nullptr, 3);
    ASSERT_EQ(text.size(), 6u);
    EXPECT_EQ(text[0], "Rigwright v1.0.0");
    EXPECT_EQ(text[1], "FPS: 0") << "no second has passed yet";
    EXPECT_EQ(text[2], "TPF: 0");
    EXPECT_EQ(text[3], "DPC: 0");
    EXPECT_EQ(text[4], "Press 'A' to toggle animated edge displacement");
    EXPECT_EQ(text[5], "Press 'W' to toggle wireframe");
}

TEST_F(RigwrightTest, ShutdownWritesTheProfilerReportAndTheExitStatisticsBeforeReleasingInput)
{
    // 250 frames of 10 ms: the window that closed at 2 s counted 99 frames (the closing update
    // of a window is counted in neither).
    clock.stepPerRead = 10;
    Run(nullptr, 250);
    const auto lines = ReadLines("Log.txt");
    const auto at = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) - lines.begin();
    };
    const auto header = at("         |           Tesserant Profiler           ");
    const auto statistics = at("         | FPS at exit: 99 -- TPF at exit: 0 -- DPC at exit: 0");
    ASSERT_LT(statistics, static_cast<long>(lines.size())) << "exit statistics line missing";
    EXPECT_LT(at("Main     | Exiting the message loop."), header);
    EXPECT_LT(header, statistics);
    EXPECT_LT(statistics, at("Input    | Keyboard has been released."));

    // The frame is record 0, the total; the input phase is a share of it.
    const std::regex frameLine(R"(         \| +[0-9.]+ \| 1\.000000 \| Frame)");
    const std::regex inputLine(R"(         \| +[0-9.]+ \| 0\.[0-9]{6} \| Timer and input)");
    EXPECT_TRUE(std::regex_match(lines[header + 4], frameLine)) << lines[header + 4];
    EXPECT_TRUE(std::regex_match(lines[header + 5], inputLine)) << lines[header + 5];
}
