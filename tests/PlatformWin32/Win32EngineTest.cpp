#include "Engine/Core/Log.h"
#include "Engine/Input/Input.h"
#include "Engine/Platform/KeyCodes.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Sound/Sound.h"

#include "Win32TestWindow.h"

#include <gtest/gtest.h>

#include "Engine/Platform/Win32/Win32Api.h"

#include <fstream>
#include <string>
#include <vector>

using namespace Tess;

namespace
{
std::vector<std::string> LogLines()
{
    std::ifstream file("Log.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}
} // namespace

// The input and sound engines on the default platform, as the entry routine sets them up for its
// main window: DirectInput's keyboard and mouse, key edges by DirectInput key code, and no sound
// device on a machine without a sound card.
TEST(Win32EngineTest, TheEnginesInputAndSoundRunOnTheMainWindow)
{
    EXPECT_EQ(GetPlatform().windowSystem, &Platform::GetWin32WindowSystem());
    // DirectInput needs the program's real module handle.
    EXPECT_EQ(reinterpret_cast<HMODULE>(GetCurrentInstance()), GetModuleHandleW(nullptr));
    ASSERT_TRUE(GetLog().Open());
    const WindowHandle window = Win32Test::CreateShownWindow();
    ASSERT_NE(window, nullptr);
    {
        CInput input;
        input.Initialize(GetCurrentInstance(), window);
        input.Update();
        EXPECT_FALSE(input.CheckKey(DIK_W));

        Win32Test::SendKey(DIK_W, true);
        input.Update();
        EXPECT_TRUE(input.CheckKeyDown(DIK_W));
        input.Update();
        EXPECT_TRUE(input.CheckKey(DIK_W));
        EXPECT_FALSE(input.CheckKeyDown(DIK_W));
        Win32Test::SendKey(DIK_W, false);
        input.Update();
        EXPECT_TRUE(input.CheckKeyUp(DIK_W));
    }
    {
        CSound sound;
        EXPECT_EQ(sound.Initialize(window, DSSCL_NORMAL), 0);
    }
    Platform::GetWin32WindowSystem().DestroyWindow(window);
    Win32Test::DrainMessages();
    GetLog().Close();

    std::vector<std::string> setUp;
    for (const std::string& line : LogLines())
        if (line.find("initialized") != std::string::npos || line.rfind("Sound", 0) == 0)
            setUp.push_back(line);
    // The sound engine writes nothing, with a device or without.
    EXPECT_EQ(setUp, (std::vector<std::string>{"Input    | Keyboard has been initialized.",
                                                "Input    | Mouse has been initialized."}));
}
