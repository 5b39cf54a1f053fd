#include "Win32TestWindow.h"

#include <gtest/gtest.h>

#include "Engine/Platform/Win32/Win32Api.h"

#include <algorithm>

using namespace Tess;
using Win32Test::Received;

namespace
{
auto& Windows()
{
    return Platform::GetWin32WindowSystem();
}

std::vector<std::uint32_t> ReceivedNumbers()
{
    std::vector<std::uint32_t> numbers;
    for (const auto& received : Received())
        numbers.push_back(received.message);
    return numbers;
}

// Records, and leaves everything to the default handling.
std::intptr_t PlainProcedure(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam)
{
    Received().push_back({message, wParam, lParam});
    return Windows().DefWindowProc(window, message, wParam, lParam);
}

std::intptr_t RefusingProcedure(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam)
{
    return message == WM_CREATE ? -1 : Windows().DefWindowProc(window, message, wParam, lParam);
}

class Win32WindowSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Win32Test::DrainMessages();
        Received().clear();
    }
};
} // namespace

TEST_F(Win32WindowSystemTest, CreationSendsCreateThenSizeWithTheRequestedClientArea)
{
    // UTF-8 in, UTF-16 in the caption.
    const WindowHandle window = Win32Test::CreateShownWindow("Pr\xC3\xBC" "fung \xE2\x80\x93 1");
    ASSERT_NE(window, nullptr);

    const auto numbers = ReceivedNumbers();
    const auto create = std::find(numbers.begin(), numbers.end(), WM_CREATE);
    ASSERT_NE(create, numbers.end());
    const auto size = std::find_if(Received().begin() + (create - numbers.begin()), Received().end(),
                                   [](const auto& m) { return m.message == WM_SIZE; });
    ASSERT_NE(size, Received().end()) << "no WM_SIZE after WM_CREATE";
    EXPECT_EQ(LOWORD(size->lParam), 320);
    EXPECT_EQ(HIWORD(size->lParam), 200);

    int width = 0, height = 0;
    ASSERT_TRUE(Windows().GetClientSize(window, width, height));
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 200);
    EXPECT_TRUE(IsWindowVisible(Platform::ToHwnd(window)));

    wchar_t caption[32] = {};
    GetWindowTextW(Platform::ToHwnd(window), caption, 32);
    EXPECT_STREQ(caption, L"Pr\u00FCfung \u2013 1");
    EXPECT_TRUE(Windows().DestroyWindow(window));
}

TEST_F(Win32WindowSystemTest, PostedMessagesComeInOrderAndCloseEndsTheLoopWithQuit)
{
    const WindowHandle window = Win32Test::CreateShownWindow();
    ASSERT_NE(window, nullptr);
    Win32Test::DrainMessages();
    Received().clear();

    ASSERT_TRUE(Windows().PostMessage(window, WM_USER + 1, 11, 12));
    ASSERT_TRUE(Windows().PostMessage(window, WM_USER + 2, 0, 0));
    ASSERT_TRUE(Windows().PostMessage(window, WM_CLOSE, 0, 0));

    // The entry routine's loop: one message per iteration, WM_QUIT ends it.
    int iterations = 0;
    int exitCode = -1;
    WindowMessage message;
    for (; iterations < 1000; ++iterations)
    {
        if (!Windows().PeekMessage(message))
            continue;
        if (message.message == WM_QUIT)
        {
            exitCode = static_cast<int>(message.wParam);
            break;
        }
        Windows().TranslateMessage(message);
        Windows().DispatchMessage(message);
    }
    ASSERT_LT(iterations, 1000) << "WM_QUIT never came";
    EXPECT_EQ(exitCode, 7);

    const auto numbers = ReceivedNumbers();
    const auto first = std::find(numbers.begin(), numbers.end(), WM_USER + 1);
    ASSERT_NE(first, numbers.end());
    EXPECT_EQ(Received()[first - numbers.begin()].wParam, 11u);
    EXPECT_EQ(Received()[first - numbers.begin()].lParam, 12);
    const auto second = std::find(numbers.begin(), numbers.end(), WM_USER + 2);
    const auto destroy = std::find(numbers.begin(), numbers.end(), WM_DESTROY);
    EXPECT_TRUE(first < second && second < destroy) << "posted messages out of order";

    // The close box's default handling destroyed the window.
    int width = 0, height = 0;
    EXPECT_FALSE(Windows().GetClientSize(window, width, height));
    EXPECT_FALSE(Windows().PostMessage(window, WM_USER, 0, 0));
    EXPECT_EQ(Windows().DispatchMessage({window, WM_USER, 0, 0}), 0);
    EXPECT_FALSE(Windows().DestroyWindow(window));
    // Nothing waits any more, and looking does not block.
    EXPECT_FALSE(Windows().PeekMessage(message));
}

TEST_F(Win32WindowSystemTest, DestroyingSendsDestroyAndDropsTheWindowsQueuedMessages)
{
    WindowClass plain;
    plain.procedure = &PlainProcedure;
    plain.className = "TesserantPlain";
    ASSERT_TRUE(Windows().RegisterClass(plain));
    const WindowHandle window =
        Windows().CreateWindow("TesserantPlain", "plain", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr);
    ASSERT_NE(window, nullptr);
    Win32Test::DrainMessages();
    Received().clear();
    ASSERT_TRUE(Windows().PostMessage(window, WM_USER + 5, 0, 0));
    ASSERT_TRUE(Windows().DestroyWindow(window));
    Win32Test::DrainMessages();
    const auto numbers = ReceivedNumbers();
    EXPECT_NE(std::find(numbers.begin(), numbers.end(), WM_DESTROY), numbers.end());
    EXPECT_EQ(std::find(numbers.begin(), numbers.end(), WM_USER + 5), numbers.end());
}

TEST_F(Win32WindowSystemTest, UnknownClassesAndRefusedCreationGiveNoWindow)
{
    WindowClass unnamed;
    unnamed.procedure = &Win32Test::RecordingProcedure;
    EXPECT_FALSE(Windows().RegisterClass(unnamed));
    EXPECT_EQ(Windows().CreateWindow("NeverRegistered", "x", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                     nullptr),
              nullptr);

    WindowClass refusing;
    refusing.procedure = &RefusingProcedure;
    refusing.className = "TesserantRefusing";
    ASSERT_TRUE(Windows().RegisterClass(refusing));
    EXPECT_EQ(Windows().CreateWindow("TesserantRefusing", "x", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                     nullptr),
              nullptr);
}
