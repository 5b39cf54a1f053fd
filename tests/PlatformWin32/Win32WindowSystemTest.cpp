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

// Where the first message of this number is in the journal; -1 when it never came.
long Position(std::uint32_t message)
{
    const auto found = std::find_if(Received().begin(), Received().end(),
                                    [message](const WindowMessage& m) { return m.message == message; });
    return found == Received().end() ? -1 : found - Received().begin();
}

std::intptr_t RefusingProcedure(WindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t)
{
    return message == WM_CREATE ? -1 : 0;
}
} // namespace

TEST(Win32WindowSystemTest, CreationSendsCreateThenSizeOfTheRequestedClientArea)
{
    Received().clear();
    // UTF-8 in, UTF-16 in the caption.
    const WindowHandle window = Win32Test::CreateShownWindow("Pr\xC3\xBC" "fung \xE2\x80\x93 1");
    ASSERT_NE(window, nullptr);
    ASSERT_GE(Position(WM_CREATE), 0);
    ASSERT_GT(Position(WM_SIZE), Position(WM_CREATE));
    EXPECT_EQ(Received()[Position(WM_SIZE)].lParam, MAKELPARAM(320, 200));

    int width = 0, height = 0;
    ASSERT_TRUE(Windows().GetClientSize(window, width, height));
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 200);
    EXPECT_TRUE(IsWindowVisible(Platform::ToHwnd(window)));
    wchar_t caption[32] = {};
    GetWindowTextW(Platform::ToHwnd(window), caption, 32);
    EXPECT_STREQ(caption, L"Pr\u00FCfung \u2013 1");
    EXPECT_TRUE(Windows().DestroyWindow(window));
    EXPECT_TRUE(Win32Test::DrainMessages());
}

TEST(Win32WindowSystemTest, PostedMessagesComeInOrderAndCloseEndsTheLoopWithQuit)
{
    const WindowHandle window = Win32Test::CreateShownWindow();
    Win32Test::DrainMessages();
    Received().clear();
    ASSERT_TRUE(Windows().PostMessage(window, WM_USER + 1, 11, 12));
    ASSERT_TRUE(Windows().PostMessage(window, WM_USER + 2, 0, 0));
    ASSERT_TRUE(Windows().PostMessage(window, WM_CLOSE, 0, 0));

    // The entry routine's loop: at most one message per iteration, WM_QUIT ends it.
    WindowMessage message;
    int iteration = 0;
    while (++iteration < 1000 && !(Windows().PeekMessage(message) && message.message == WM_QUIT))
    {
        if (message.message != WM_NULL)
            Windows().DispatchMessage(message);
        message = {};
    }
    ASSERT_LT(iteration, 1000) << "WM_QUIT never came";
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_EQ(Received()[Position(WM_USER + 1)].lParam, 12);
    EXPECT_LT(Position(WM_USER + 1), Position(WM_USER + 2));
    EXPECT_LT(Position(WM_USER + 2), Position(WM_DESTROY));

    // The default handling of the close destroyed the window.
    int width = 0, height = 0;
    EXPECT_FALSE(Windows().GetClientSize(window, width, height));
    EXPECT_FALSE(Windows().PostMessage(window, WM_USER, 0, 0));
    EXPECT_EQ(Windows().DispatchMessage({window, WM_USER, 0, 0}), 0);
    EXPECT_FALSE(Windows().PeekMessage(message)) << "nothing waits, and looking does not block";
}

TEST(Win32WindowSystemTest, UnknownOrRefusingClassesGiveNoWindow)
{
    EXPECT_FALSE(Windows().RegisterClass({0, &RefusingProcedure, nullptr, ""}));
    EXPECT_EQ(Windows().CreateWindow("NeverRegistered", "", WS_OVERLAPPEDWINDOW, 0, 0, 99, 99, nullptr), nullptr);
    ASSERT_TRUE(Windows().RegisterClass({0, &RefusingProcedure, nullptr, "TesserantRefusing"}));
    EXPECT_EQ(Windows().CreateWindow("TesserantRefusing", "", WS_OVERLAPPEDWINDOW, 0, 0, 99, 99, nullptr), nullptr);
}
