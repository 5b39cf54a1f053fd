// The SDL backends of the window system and the input devices, on a real display.

#include "Engine/Platform/InputSystem.h"
#include "Engine/Platform/KeyCodes.h"
#include "Engine/Platform/SDL/SDLEvents.h"
#include "Engine/Platform/SDL/SDLInputSystem.h"
#include "Engine/Platform/SDL/SDLWindowSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

using namespace Tess;
using Tess::Platform::CSDLWindowSystem;
using Tess::Platform::GetSDLEvents;

namespace
{
std::vector<std::uint32_t> g_received;

std::intptr_t RecordingProcedure(WindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t)
{
    g_received.push_back(message);
    return 0;
}

// SDL scancode of Escape (a USB HID usage id, fixed by SDL's ABI).
constexpr int kEscapeScancode = 41;

class SDLWindowSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_received.clear();
        WindowClass windowClass;
        windowClass.procedure = &RecordingProcedure;
        windowClass.className = "TestClass";
        ASSERT_TRUE(windows.RegisterClass(windowClass));
        window = windows.CreateWindow("TestClass", "Test window", WS_OVERLAPPEDWINDOW, 0, 0, 808,
                                      634, nullptr);
        ASSERT_NE(window, nullptr) << "needs a display";
    }

    // Takes every message the queue hands out now.
    std::vector<std::uint32_t> Drain()
    {
        std::vector<std::uint32_t> messages;
        WindowMessage message;
        while (windows.PeekMessage(message))
        {
            messages.push_back(message.message);
            if (message.message == WM_QUIT)
                break;
        }
        return messages;
    }

    CSDLWindowSystem windows;
    WindowHandle window = nullptr;
};
} // namespace

TEST_F(SDLWindowSystemTest, TheClientAreaIsTheOuterSizeLessTheFrame)
{
    int width = 0, height = 0;
    ASSERT_TRUE(windows.GetClientSize(window, width, height));
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    EXPECT_EQ(g_received, std::vector<std::uint32_t>{WM_CREATE});
}

TEST_F(SDLWindowSystemTest, ShowingThenUpdatingSendsTheFirstPaintAtOnce)
{
    ASSERT_TRUE(windows.ShowWindow(window, SW_SHOW));
    ASSERT_TRUE(windows.UpdateWindow(window));
    EXPECT_EQ(g_received, (std::vector<std::uint32_t>{WM_CREATE, WM_PAINT}));
}

TEST_F(SDLWindowSystemTest, PostedMessagesComeFirstThenQuitAndNothingWaits)
{
    windows.ShowWindow(window, SW_SHOW);
    windows.UpdateWindow(window);
    Drain(); // focus and exposure of the new window
    ASSERT_TRUE(windows.PostMessage(window, 0x0400, 1, 2));
    windows.PostQuitMessage(3);
    ASSERT_TRUE(windows.PostMessage(window, 0x0401, 0, 0));

    WindowMessage message;
    ASSERT_TRUE(windows.PeekMessage(message));
    EXPECT_EQ(message.message, 0x0400u);
    EXPECT_EQ(message.wParam, 1u);
    EXPECT_EQ(message.lParam, 2);
    ASSERT_TRUE(windows.PeekMessage(message));
    EXPECT_EQ(message.message, 0x0401u);
    ASSERT_TRUE(windows.PeekMessage(message));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(windows.PeekMessage(message)) << "an empty queue returns at once";
}

TEST_F(SDLWindowSystemTest, DispatchCallsTheClassProcedure)
{
    windows.PostMessage(window, WM_SIZE, 0, 0);
    WindowMessage message;
    do
    {
        ASSERT_TRUE(windows.PeekMessage(message));
    } while (message.message != WM_SIZE);
    EXPECT_FALSE(windows.TranslateMessage(message));
    windows.DispatchMessage(message);
    EXPECT_EQ(g_received.back(), WM_SIZE);
}

TEST_F(SDLWindowSystemTest, CloseDestroysTheWindowAndItsQueuedMessagesGoWithIt)
{
    windows.ShowWindow(window, SW_SHOW);
    Drain();
    windows.PostMessage(window, 0x0400, 0, 0);
    g_received.clear();
    // The default procedure turns the close request into destruction.
    EXPECT_EQ(windows.DefWindowProc(window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(g_received, std::vector<std::uint32_t>{WM_DESTROY});
    EXPECT_TRUE(Drain().empty()) << "the destroyed window's message was dropped";
    EXPECT_FALSE(windows.PostMessage(window, WM_DESTROY, 0, 0));
    EXPECT_FALSE(windows.DestroyWindow(window));
    int width = 0, height = 0;
    EXPECT_FALSE(windows.GetClientSize(window, width, height));
}

TEST_F(SDLWindowSystemTest, ClassesMustBeRegisteredBeforeUse)
{
    EXPECT_EQ(windows.CreateWindow("NoSuchClass", "x", 0, 0, 0, 100, 100, nullptr), nullptr);
}

namespace
{
class SDLInputTest : public SDLWindowSystemTest
{
protected:
    void SetUp() override
    {
        SDLWindowSystemTest::SetUp();
        windows.ShowWindow(window, SW_SHOW);
        system = Platform::CreateSDLInputSystem(nullptr, kInputVersion);
        ASSERT_NE(system, nullptr);
    }

    std::unique_ptr<IInputDevice> Open(EInputDevice which, std::uint32_t flags, EDataFormat format)
    {
        std::unique_ptr<IInputDevice> device;
        EXPECT_EQ(system->CreateDevice(which, device), kOk);
        EXPECT_EQ(device->SetCooperativeLevel(window, flags), kOk);
        EXPECT_EQ(device->SetDataFormat(format), kOk);
        return device;
    }

    std::unique_ptr<IInputSystem> system;
};
} // namespace

TEST_F(SDLInputTest, DevicesReadOnlyWhenAcquiredAndWithTheirOwnFormat)
{
    std::unique_ptr<IInputDevice> keyboard;
    ASSERT_EQ(system->CreateDevice(EInputDevice::SystemKeyboard, keyboard), kOk);
    EXPECT_EQ(keyboard->Acquire(), kInvalidParam) << "no data format yet";
    EXPECT_EQ(keyboard->SetCooperativeLevel(window, DISCL_FOREGROUND | DISCL_BACKGROUND |
                                                        DISCL_NONEXCLUSIVE),
              kInvalidParam);
    EXPECT_EQ(keyboard->SetDataFormat(EDataFormat::Mouse), kInvalidParam);
    ASSERT_EQ(keyboard->SetCooperativeLevel(window, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE), kOk);
    ASSERT_EQ(keyboard->SetDataFormat(EDataFormat::Keyboard), kOk);
    std::uint8_t keys[256];
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), kNotAcquired);
    ASSERT_EQ(keyboard->Acquire(), kOk) << "the shown window has the input focus";
    EXPECT_EQ(keyboard->GetDeviceState(16, keys), kInvalidParam);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), kOk);
}

TEST_F(SDLInputTest, AKeyTappedBetweenTwoReadsReadsDownOnceThenUp)
{
    auto keyboard = Open(EInputDevice::SystemKeyboard, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE,
                         EDataFormat::Keyboard);
    ASSERT_EQ(keyboard->Acquire(), kOk);
    std::uint8_t keys[256];
    ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), kOk);
    EXPECT_EQ(keys[DIK_ESCAPE], 0);

    // Down and up again before the next read, as at a low frame rate.
    GetSDLEvents().RecordKeyPress(kEscapeScancode);
    ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), kOk);
    EXPECT_EQ(keys[DIK_ESCAPE], 0x80);
    ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), kOk);
    EXPECT_EQ(keys[DIK_ESCAPE], 0);
}

TEST_F(SDLInputTest, TheMouseReportsClicksAndWheelNotchesOfTheFrameOnce)
{
    auto mouse = Open(EInputDevice::SystemMouse, DISCL_FOREGROUND | DISCL_EXCLUSIVE,
                      EDataFormat::Mouse);
    ASSERT_EQ(mouse->Acquire(), kOk);
    MouseState state;
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), kOk);

    GetSDLEvents().RecordButtonPress(1);
    GetSDLEvents().RecordWheel(2);
    GetSDLEvents().RecordWheel(-1);
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), kOk);
    EXPECT_EQ(state.rgbButtons[1], 0x80);
    EXPECT_EQ(state.rgbButtons[0], 0);
    EXPECT_EQ(state.lZ, 120);

    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), kOk);
    EXPECT_EQ(state.rgbButtons[1], 0);
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(mouse->Unacquire(), kOk);
    EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), kNotAcquired);
}

TEST_F(SDLInputTest, InputBeforeAcquisitionIsNotTheProgramsInput)
{
    auto keyboard = Open(EInputDevice::SystemKeyboard, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE,
                         EDataFormat::Keyboard);
    GetSDLEvents().RecordKeyPress(kEscapeScancode);
    ASSERT_EQ(keyboard->Acquire(), kOk);
    std::uint8_t keys[256];
    ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), kOk);
    EXPECT_EQ(keys[DIK_ESCAPE], 0);
}

TEST_F(SDLInputTest, ADestroyedWindowCannotHoldTheDevices)
{
    auto keyboard = Open(EInputDevice::SystemKeyboard, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE,
                         EDataFormat::Keyboard);
    ASSERT_EQ(keyboard->Acquire(), kOk);
    windows.DestroyWindow(window);
    std::uint8_t keys[256];
    // The hidden window loses the focus: the read fails as lost input, acquiring is refused.
    Result result = kOk;
    for (int attempt = 0; attempt < 50 && result == kOk; ++attempt)
    {
        result = keyboard->GetDeviceState(sizeof keys, keys);
        if (result == kOk)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(result, kInputLost);
    EXPECT_EQ(keyboard->Acquire(), kOtherAppHasPriority);
}
