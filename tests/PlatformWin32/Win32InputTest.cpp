#include "Engine/Platform/Win32/Win32InputSystem.h"

#include "Win32TestWindow.h"

#include <gtest/gtest.h>

#include "Engine/Platform/Win32/Win32Api.h"

#include <algorithm>
#include <cstring>

using namespace Tess;

namespace
{
constexpr std::uint8_t kScanCodeW = 0x11; // DIK_W

void SendKey(std::uint8_t scanCode, bool down)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = scanCode;
    input.ki.dwFlags = KEYEVENTF_SCANCODE | (down ? 0 : KEYEVENTF_KEYUP);
    SendInput(1, &input, sizeof input);
    // The device sees the key once its window's queue has been looked at.
    Sleep(20);
    Win32Test::DrainMessages();
}

class Win32InputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = Win32Test::CreateShownWindow();
        ASSERT_NE(window, nullptr);
        Win32Test::DrainMessages();
        input = Platform::CreateWin32InputSystem(nullptr, kInputVersion);
        ASSERT_NE(input, nullptr) << "DirectInput8Create failed";
    }
    void TearDown() override
    {
        input.reset();
        Platform::GetWin32WindowSystem().DestroyWindow(window);
        Win32Test::DrainMessages();
    }

    // Runs the input engine's set-up steps; the first failing result, or kOk.
    Result SetUpDevice(EInputDevice which, std::uint32_t flags, EDataFormat format,
                       std::unique_ptr<IInputDevice>& device)
    {
        Result result = input->CreateDevice(which, device);
        if (Succeeded(result))
            result = device->SetCooperativeLevel(window, flags);
        if (Succeeded(result))
            result = device->SetDataFormat(format);
        if (Succeeded(result))
            result = device->Acquire();
        return result;
    }

    WindowHandle window = nullptr;
    std::unique_ptr<IInputSystem> input;
};
} // namespace

TEST_F(Win32InputTest, KeyboardAndMouseAcquireOnTheForegroundWindowAndRead)
{
    std::unique_ptr<IInputDevice> keyboard, mouse;
    ASSERT_EQ(SetUpDevice(EInputDevice::SystemKeyboard, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE,
                          EDataFormat::Keyboard, keyboard),
              kOk);
    ASSERT_EQ(SetUpDevice(EInputDevice::SystemMouse, DISCL_FOREGROUND | DISCL_EXCLUSIVE,
                          EDataFormat::Mouse, mouse),
              kOk);

    std::uint8_t keys[kKeyboardStateSize];
    std::memset(keys, 0x55, sizeof keys);
    ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), kOk);
    EXPECT_TRUE(std::all_of(keys, keys + sizeof keys, [](std::uint8_t k) { return k == 0; }))
        << "a key reads as down with nothing pressed";
    MouseState state;
    state.lX = 99;
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), kOk);
    EXPECT_EQ(state.lX, 0);

    // A key pressed on the keyboard shows in the table under its scan code, and goes again.
    SendKey(kScanCodeW, true);
    ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), kOk);
    EXPECT_EQ(keys[kScanCodeW], 0x80);
    SendKey(kScanCodeW, false);
    ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), kOk);
    EXPECT_EQ(keys[kScanCodeW], 0);

    EXPECT_EQ(keyboard->GetDeviceState(sizeof(MouseState), keys), kInvalidParam);
}

TEST_F(Win32InputTest, FormatsMustFitAndReadsNeedAnAcquiredDevice)
{
    std::unique_ptr<IInputDevice> keyboard;
    ASSERT_EQ(input->CreateDevice(EInputDevice::SystemKeyboard, keyboard), kOk);
    ASSERT_EQ(keyboard->SetCooperativeLevel(window, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE), kOk);
    EXPECT_EQ(keyboard->SetDataFormat(EDataFormat::Mouse), kInvalidParam);
    ASSERT_EQ(keyboard->SetDataFormat(EDataFormat::Keyboard), kOk);

    std::uint8_t keys[kKeyboardStateSize];
    std::memset(keys, 0x55, sizeof keys);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), kNotAcquired);
    EXPECT_EQ(keys[0], 0x55) << "a failed read wrote the caller's state";

    EXPECT_EQ(Platform::CreateWin32InputSystem(nullptr, kInputVersion + 0x100), nullptr);
}

TEST_F(Win32InputTest, AnotherForegroundWindowTakesTheDevicesUntilTheFocusComesBack)
{
    std::unique_ptr<IInputDevice> keyboard;
    ASSERT_EQ(SetUpDevice(EInputDevice::SystemKeyboard, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE,
                          EDataFormat::Keyboard, keyboard),
              kOk);

    const WindowHandle other = Win32Test::CreateShownWindow("other");
    ASSERT_NE(other, nullptr);
    Win32Test::DrainMessages();
    std::uint8_t keys[kKeyboardStateSize];
    std::memset(keys, 0x55, sizeof keys);
    EXPECT_TRUE(Failed(keyboard->GetDeviceState(sizeof keys, keys)));
    EXPECT_EQ(keys[0], 0x55);
    EXPECT_EQ(keyboard->Acquire(), kOtherAppHasPriority);

    Platform::GetWin32WindowSystem().DestroyWindow(other);
    SetForegroundWindow(Platform::ToHwnd(window));
    Win32Test::DrainMessages();
    EXPECT_EQ(keyboard->Acquire(), kOk);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), kOk);
}
