#include "Engine/Platform/Win32/Win32InputSystem.h"

#include "Win32TestWindow.h"

#include <gtest/gtest.h>

#include "Engine/Platform/Win32/Win32Api.h"

#include <cstring>

using namespace Tess;

// The contract the input engine relies on beyond DirectInput's happy path: formats must fit the
// device, reads fail without touching the caller's state while the device is not acquired, and
// another foreground window takes the device until the focus comes back.
TEST(Win32InputTest, DevicesReadOnlyWhileAcquiredOnTheForegroundWindow)
{
    EXPECT_EQ(Platform::CreateWin32InputSystem(nullptr, kInputVersion + 0x100), nullptr);
    const WindowHandle window = Win32Test::CreateShownWindow();
    auto input = Platform::CreateWin32InputSystem(nullptr, kInputVersion);
    ASSERT_NE(input, nullptr);
    std::unique_ptr<IInputDevice> keyboard;
    ASSERT_EQ(input->CreateDevice(EInputDevice::SystemKeyboard, keyboard), kOk);
    ASSERT_EQ(keyboard->SetCooperativeLevel(window, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE), kOk);
    EXPECT_EQ(keyboard->SetDataFormat(EDataFormat::Mouse), kInvalidParam);
    ASSERT_EQ(keyboard->SetDataFormat(EDataFormat::Keyboard), kOk);

    std::uint8_t keys[kKeyboardStateSize];
    std::memset(keys, 0x55, sizeof keys);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), kNotAcquired);
    EXPECT_EQ(keys[0], 0x55) << "a failed read wrote the caller's state";
    ASSERT_EQ(keyboard->Acquire(), kOk);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof(MouseState), keys), kInvalidParam);
    ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), kOk);

    const WindowHandle other = Win32Test::CreateShownWindow("other");
    Win32Test::DrainMessages();
    std::memset(keys, 0x55, sizeof keys);
    EXPECT_TRUE(Failed(keyboard->GetDeviceState(sizeof keys, keys)));
    EXPECT_EQ(keys[0], 0x55);
    EXPECT_EQ(keyboard->Acquire(), kOtherAppHasPriority);

    Platform::GetWin32WindowSystem().DestroyWindow(other);
    SetForegroundWindow(Platform::ToHwnd(window));
    Win32Test::DrainMessages();
    EXPECT_EQ(keyboard->Acquire(), kOk);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), kOk);
    keyboard.reset();
    Platform::GetWin32WindowSystem().DestroyWindow(window);
    Win32Test::DrainMessages();
}
