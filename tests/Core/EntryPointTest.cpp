#include "Engine/Core/EntryPoint.h"

#include "Engine/Core/Application.h"
#include "Engine/Core/Log.h"
#include "Engine/Input/Input.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Sound/Sound.h"
#include "Support/FakeClock.h"
#include "Support/FakeInput.h"
#include "Support/FakeWindowSystem.h"
#include "Support/PlatformOverride.h"
#include "Support/RecordingGraphics.h"
#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace Tess;
using namespace TestSupport;

namespace
{
// An application that writes each frame into the journal and runs a test's action per frame.
class JournalApplication : public CApplication
{
public:
    JournalApplication(std::vector<std::string>& journal, int width, int height, bool windowed)
        : CApplication(width, height, windowed), m_journal(journal)
    {
    }

    std::function<void(int frame)> onUpdate;
    int frames = 0;
    int initializeCalls = 0;
    int shutdownCalls = 0;
    bool inputPresentAtInitialize = false;
    bool soundPresentAtInitialize = false;
    bool rendererPresentAtInitialize = false;

    void Initialize() override
    {
        ++initializeCalls;
        inputPresentAtInitialize = m_input != nullptr;
        soundPresentAtInitialize = m_sound != nullptr;
        rendererPresentAtInitialize = m_renderer != nullptr && m_renderer == GetRenderer();
        m_journal.push_back("initialize");
    }
    void Update() override
    {
        m_journal.push_back("update");
        ++frames;
        // A loop that fails to end stops here instead of running the test out of memory.
        if (frames > 10000)
            GetWindowSystem().PostQuitMessage(0);
        if (onUpdate)
            onUpdate(frames);
    }
    void Shutdown() override
    {
        ++shutdownCalls;
        m_journal.push_back("shutdown");
        CApplication::Shutdown();
    }

private:
    std::vector<std::string>& m_journal;
};

class EntryPointTest : public ::testing::Test
{
protected:
    EntryPointTest()
        : platform(MakeFakePlatform(windows, clock, input, graphics.Factory()))
    {
        windows.journal = &journal;
    }

    std::vector<std::string> MainLines()
    {
        return LinesWithPrefix(ReadLines("Log.txt"), "Main     | ");
    }

    // Index of the first journal entry equal to `entry`, or -1.
    int Find(const std::string& entry, int from = 0) const
    {
        const auto found = std::find(journal.begin() + from, journal.end(), entry);
        return found == journal.end() ? -1 : static_cast<int>(found - journal.begin());
    }

    TempWorkDir dir;
    std::vector<std::string> journal;
    FakeWindowSystem windows;
    FakeClock clock;
    FakeInputState input;
    RecordingGraphics graphics;
    PlatformOverride platform;
};
} // namespace

TEST_F(EntryPointTest, WithoutAnApplicationObjectItLogsAndReturnsMinusOneWithoutAWindow)
{
    ASSERT_EQ(GetApplication(), nullptr);
    GetLog().Open();
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), -1);
    GetLog().Close();

    EXPECT_EQ(MainLines(), (std::vector<std::string>{
                               "Main     | WinMain started.",
                               "Main     | There was no instance of the application.",
                           }));
    EXPECT_TRUE(journal.empty());
}

TEST_F(EntryPointTest, AWindowedApplicationGetsItsTitledWindowWithRoomForTheFrame)
{
    {
        JournalApplication application(journal, 800, 600, true);
        application.onUpdate = [&](int) { windows.PostQuitMessage(0); };
        EXPECT_EQ(WinMain(GetCurrentInstance(), nullptr, nullptr, 0), 1);
        EXPECT_EQ(application.GetWindow(), FakeWindowSystem::Handle());
        EXPECT_EQ(application.GetInstance(), GetCurrentInstance());
    }
    EXPECT_EQ(windows.title, "Tesserant Game Engine v1.0");
    EXPECT_EQ(windows.outerWidth, 808);
    EXPECT_EQ(windows.outerHeight, 634);
    EXPECT_EQ(windows.x, 0);
    EXPECT_EQ(windows.y, 0);
    EXPECT_TRUE(windows.shown);
    // Class, window, show and the first paint come before the application's Initialize.
    EXPECT_LT(Find("register Tesserant"), Find("create 808x634"));
    EXPECT_LT(Find("show"), Find("update-window"));
    EXPECT_LT(Find("update-window"), Find("initialize"));
}

TEST_F(EntryPointTest, AFullScreenApplicationGetsAWindowOfExactlyItsSize)
{
    JournalApplication application(journal, 800, 600, false);
    application.onUpdate = [&](int) { windows.PostQuitMessage(0); };
    WinMain(GetCurrentInstance(), nullptr, nullptr, 0);
    EXPECT_EQ(windows.outerWidth, 800);
    EXPECT_EQ(windows.outerHeight, 600);
}

TEST_F(EntryPointTest, EachIterationTakesAtMostOneMessageAndThenRunsOneFrame)
{
    JournalApplication application(journal, 800, 600, true);
    // A burst of five messages waits before the loop starts.
    application.onUpdate = [&](int frame) {
        if (frame == 1)
            for (std::uint32_t message : {0x0100u, 0x0101u, 0x0102u, 0x0103u, 0x0104u})
                windows.Queue(message);
        if (frame == 10)
            windows.PostQuitMessage(0);
    };
    WinMain(GetCurrentInstance(), nullptr, nullptr, 0);

    // Between two dispatches there is always exactly one frame.
    std::vector<std::string> loop(journal.begin() + Find("initialize") + 1,
                                  journal.begin() + Find("shutdown"));
    for (std::size_t i = 1; i < loop.size(); ++i)
    {
        if (loop[i].rfind("dispatch", 0) == 0)
        {
            EXPECT_EQ(loop[i - 1], "update") << "entry " << i;
        }
    }
    EXPECT_EQ(std::count(loop.begin(), loop.end(), "dispatch 0x0100"), 1);
    EXPECT_EQ(std::count(loop.begin(), loop.end(), "dispatch 0x0104"), 1);
    // The loop never waits: frames keep running when the queue is empty.
    EXPECT_EQ(application.frames, 10);
}

TEST_F(EntryPointTest, PolledEachFrameTheBackBufferFollowsTheClientAreaButNotAMinimisedOne)
{
    JournalApplication application(journal, 800, 600, true);
    // Client areas per frame: as created, enlarged (twice), minimised, restored.
    const std::pair<int, int> sizes[] = {{800, 600}, {1280, 960}, {1280, 960}, {0, 0}, {1280, 960}};
    std::vector<bool> fitted;
    application.onUpdate = [&](int frame) {
        windows.outerWidth = sizes[frame - 1].first + kWindowFrameWidth;
        windows.outerHeight = sizes[frame - 1].second + kWindowFrameHeight;
        fitted.push_back(application.FitBackBufferToWindow());
        EXPECT_EQ(frame == 1 ? 800.0f : 1280.0f, application.GetRenderer()->GetRenderTargetWidth(0));
        if (frame == 5)
            windows.PostQuitMessage(0);
    };
    WinMain(GetCurrentInstance(), nullptr, nullptr, 0);
    EXPECT_EQ(fitted, (std::vector<bool>{false, true, false, false, false}));
    const auto resizes = graphics.log->CallsOf(EDeviceOp::ResizeBackBuffer);
    ASSERT_EQ(resizes.size(), 1u) << "an unchanged or empty client area never reaches the device";
    EXPECT_EQ(resizes[0].args, (std::vector<std::uint32_t>{1280, 960}));
}

TEST_F(EntryPointTest, QuitEndsTheLoopBeforeAnotherFrameAndShutdownRunsOnce)
{
    JournalApplication application(journal, 800, 600, true);
    application.onUpdate = [&](int frame) {
        if (frame == 3)
            windows.PostQuitMessage(0);
    };
    EXPECT_EQ(WinMain(GetCurrentInstance(), nullptr, nullptr, 0), 1);

    EXPECT_EQ(application.frames, 3);
    EXPECT_EQ(application.initializeCalls, 1);
    EXPECT_EQ(application.shutdownCalls, 1);
    // The quit message is never dispatched.
    EXPECT_EQ(Find("dispatch 0x0012"), -1);
    EXPECT_EQ(journal.back(), "shutdown");
}

TEST_F(EntryPointTest, DestroyPostedToTheWindowEndsTheLoopThroughQuit)
{
    JournalApplication application(journal, 800, 600, true);
    application.onUpdate = [&](int frame) {
        if (frame == 2)
            windows.PostMessage(application.GetWindow(), WM_DESTROY, 0, 0);
    };
    WinMain(GetCurrentInstance(), nullptr, nullptr, 0);

    // Frame 2 posts, the next iteration dispatches WM_DESTROY and runs frame 3, the one after
    // retrieves WM_QUIT and stops.
    EXPECT_EQ(application.frames, 3);
    EXPECT_LT(Find("dispatch 0x0002"), Find("post-quit"));
}

TEST_F(EntryPointTest, ClosingTheWindowEndsTheProgramLikeAQuitKey)
{
    JournalApplication application(journal, 800, 600, true);
    application.onUpdate = [&](int frame) {
        if (frame == 2)
            windows.Queue(WM_CLOSE);
    };
    EXPECT_EQ(WinMain(GetCurrentInstance(), nullptr, nullptr, 0), 1);

    // The default procedure destroys the window; WM_DESTROY posts the quit.
    const int close = Find("dispatch 0x0010");
    ASSERT_GE(close, 0);
    EXPECT_LT(close, Find("default 0x0010"));
    EXPECT_LT(Find("default 0x0010"), Find("destroy"));
    EXPECT_LT(Find("destroy"), Find("post-quit"));
    EXPECT_FALSE(windows.alive);
    EXPECT_EQ(application.frames, 3);
    EXPECT_EQ(application.shutdownCalls, 1);
}

TEST_F(EntryPointTest, TheMainLinesAreWrittenInOrderEvenWhenQuittingInTheFirstFrame)
{
    {
        JournalApplication application(journal, 800, 600, true);
        application.onUpdate = [&](int frame) {
            if (frame == 1)
                windows.PostMessage(application.GetWindow(), WM_DESTROY, 0, 0);
        };
        WinMain(GetCurrentInstance(), nullptr, nullptr, 0);
    }
    EXPECT_EQ(MainLines(), (std::vector<std::string>{
                               "Main     | WinMain started.",
                               "Main     | Entering the message loop.",
                               "Main     | Exiting the message loop.",
                           }));
    const auto lines = ReadLines("Log.txt");
    EXPECT_EQ(lines.back(), "Log      | Closing log file.");
}

TEST_F(EntryPointTest, InputAndSoundExistBeforeInitializeAndShutdownDeletesInputBeforeSound)
{
    {
        JournalApplication application(journal, 800, 600, true);
        application.onUpdate = [&](int) { windows.PostQuitMessage(0); };
        WinMain(GetCurrentInstance(), nullptr, nullptr, 0);
        EXPECT_TRUE(application.inputPresentAtInitialize);
        EXPECT_TRUE(application.soundPresentAtInitialize);
        EXPECT_EQ(application.GetInput(), nullptr);
        EXPECT_EQ(application.GetSound(), nullptr);
        EXPECT_EQ(GetInput(), nullptr);
        EXPECT_EQ(GetSound(), nullptr);
    }
    // The input engine got the window and was released during Shutdown, after the loop.
    EXPECT_EQ(input.keyboard.window, FakeWindowSystem::Handle());
    EXPECT_TRUE(input.keyboard.destroyed);
    const auto lines = ReadLines("Log.txt");
    const auto at = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) - lines.begin();
    };
    EXPECT_LT(at("Main     | WinMain started."), at("Input    | Input engine constructed."));
    EXPECT_LT(at("Main     | Exiting the message loop."), at("Input    | Input engine deconstructed."));
}

TEST_F(EntryPointTest, WithoutItsWindowTheProgramSaysSoAndStopsBeforeTheEngine)
{
    windows.failCreation = true;
    {
        JournalApplication application(journal, 800, 600, true);
        EXPECT_EQ(WinMain(GetCurrentInstance(), nullptr, nullptr, 0), -1);
        EXPECT_EQ(application.initializeCalls, 0);
        EXPECT_EQ(application.frames, 0);
        EXPECT_EQ(application.shutdownCalls, 0);
    }
    EXPECT_EQ(MainLines(), (std::vector<std::string>{
                               "Main     | WinMain started.",
                               "Main     | The window could not be created.",
                           }));
    // No input engine, renderer or sound engine was made for a window that does not exist.
    const auto lines = ReadLines("Log.txt");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Input    | Input engine constructed."), 0);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Renderer | Renderer has been constructed."), 0);
    EXPECT_EQ(lines.back(), "Log      | Closing log file.");
}

TEST_F(EntryPointTest, WindowProcedureHandlesCreatePaintAndDestroyItselfAndPassesTheRest)
{
    EXPECT_EQ(WndProc(FakeWindowSystem::Handle(), WM_CREATE, 0, 0), 0);
    EXPECT_EQ(WndProc(FakeWindowSystem::Handle(), WM_PAINT, 0, 0), 0);
    EXPECT_TRUE(journal.empty()) << "create and paint reach no default handling";

    WndProc(FakeWindowSystem::Handle(), WM_SIZE, 0, 0);
    EXPECT_EQ(journal, std::vector<std::string>{"default 0x0005"});

    WndProc(FakeWindowSystem::Handle(), WM_DESTROY, 0, 0);
    EXPECT_EQ(journal.back(), "post-quit");
    WindowMessage message;
    ASSERT_TRUE(windows.PeekMessage(message));
    EXPECT_EQ(message.message, WM_QUIT);
}

TEST_F(EntryPointTest, TheApplicationConstructorOpensTheLogAndTheDestructorClosesIt)
{
    {
        JournalApplication application(journal, 640, 480, true);
        EXPECT_EQ(GetApplication(), &application);
        ASSERT_NE(application.GetTimer(), nullptr);
        EXPECT_EQ(ReadLines("Log.txt").size(), 0u) << "the banner is still buffered";
        GetLog().flush();
        EXPECT_EQ(ReadLines("Log.txt").size(), 5u);
    }
    EXPECT_EQ(GetApplication(), nullptr);
    EXPECT_EQ(ReadLines("Log.txt").back(), "Log      | Closing log file.");
}

TEST_F(EntryPointTest, TextLinesAreBoundedToTheirBuffer)
{
    JournalApplication application(journal, 800, 600, true);
    const std::string longText(300, 'x');
    application.SetTextLine(6, "%s", longText.c_str());
    EXPECT_EQ(std::string(application.GetTextLine(6)), std::string(127, 'x'));
    application.SetTextLine(1, "FPS: %u", 60u);
    EXPECT_STREQ(application.GetTextLine(1), "FPS: 60");
    application.SetTextLine(16, "outside");
    application.SetTextLine(-1, "outside");
    EXPECT_STREQ(application.GetTextLine(16), "");
}

namespace
{
// An audio device that notes, when the sound engine releases it, whether the renderer is gone.
class WitnessAudioDevice final : public IAudioDevice
{
public:
    explicit WitnessAudioDevice(int& rendererAliveAtRelease) : m_witness(rendererAliveAtRelease) {}
    ~WitnessAudioDevice() override { m_witness = GetRenderer() != nullptr ? 1 : 0; }
    Result SetCooperativeLevel(WindowHandle, std::uint32_t) override { return kOk; }

private:
    int& m_witness;
};
} // namespace

TEST_F(EntryPointTest, TheRendererIsCreatedBetweenInputAndSoundAndDeletedBetweenThemAtShutdown)
{
    int rendererAliveAtSoundRelease = -1;
    PlatformServices services = GetPlatform();
    services.createAudioDevice = [&] {
        return std::unique_ptr<IAudioDevice>(new WitnessAudioDevice(rendererAliveAtSoundRelease));
    };
    PlatformOverride withWitness(services);
    {
        JournalApplication application(journal, 800, 600, true);
        application.onUpdate = [&](int) { windows.PostQuitMessage(0); };
        WinMain(GetCurrentInstance(), nullptr, nullptr, 0);
        EXPECT_TRUE(application.rendererPresentAtInitialize);
        EXPECT_EQ(application.GetRenderer(), nullptr);
        EXPECT_EQ(GetRenderer(), nullptr);
    }
    EXPECT_EQ(rendererAliveAtSoundRelease, 0) << "the sound engine goes after the renderer";

    // The device was made for the main window with the application's size and mode, on the
    // graphics system the platform hands out (here the recording one, never the real one).
    const auto created = graphics.log->CallsOf(EDeviceOp::CreateDevice);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].Arg(3), 1u) << "windowed";
    EXPECT_EQ(graphics.log->Count(EDeviceOp::Present), 0u) << "the application drew nothing";

    const auto lines = ReadLines("Log.txt");
    const auto at = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) - lines.begin();
    };
    const auto constructed = at("Renderer | Renderer has been constructed.");
    const auto destructed = at("Renderer | Renderer has been destructed.");
    ASSERT_LT(destructed, static_cast<long>(lines.size()));
    EXPECT_LT(at("Input    | Input engine constructed."), constructed);
    EXPECT_LT(constructed, at("Main     | Entering the message loop."));
    EXPECT_LT(at("Input    | Input engine deconstructed."), destructed);
}
