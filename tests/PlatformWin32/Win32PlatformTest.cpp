#include "Engine/Platform/Platform.h"
#include "Engine/Platform/Win32/Win32AudioDevice.h"
#include "Engine/Platform/Win32/Win32Clock.h"
#include "Engine/Platform/Win32/Win32Screen.h"

#include "Win32TestWindow.h"

#include <gtest/gtest.h>

#include "Engine/Platform/Win32/Win32Api.h"

using namespace Tess;

TEST(Win32PlatformTest, TheDefaultServicesAreWin32s)
{
    const PlatformServices services = GetDefaultPlatform();
    EXPECT_EQ(services.windowSystem, &Platform::GetWin32WindowSystem());
    EXPECT_EQ(services.clock, &Platform::GetWin32Clock());
    EXPECT_TRUE(services.createInputSystem && services.createAudioDevice);
    // DirectInput needs the real module handle, not just any unique address.
    EXPECT_EQ(reinterpret_cast<HMODULE>(GetCurrentInstance()), GetModuleHandleW(nullptr));
    EXPECT_GT(Platform::GetWin32ScreenDpiY(), 0);
}

// A machine without a sound card has no device: the sound engine runs on without one.
TEST(Win32PlatformTest, TheSoundDeviceOpensForTheWindowOrIsAbsent)
{
    const WindowHandle window = Win32Test::CreateShownWindow();
    ASSERT_NE(window, nullptr);
    auto device = Platform::CreateWin32AudioDevice();
    if (device)
        EXPECT_EQ(device->SetCooperativeLevel(window, DSSCL_NORMAL), kOk);
    else
        std::printf("no sound device on this machine\n");
    device.reset();
    Platform::GetWin32WindowSystem().DestroyWindow(window);
    Win32Test::DrainMessages();
}
