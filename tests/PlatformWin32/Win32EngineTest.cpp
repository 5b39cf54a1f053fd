#include "Engine/Core/Log.h"
#include "Engine/Input/Input.h"
#include "Engine/Platform/KeyCodes.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Sound/Sound.h"

#include "Win32TestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
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

bool Contains(const std::vector<std::string>& lines, const std::string& text)
{
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}
} // namespace

// The input and sound engines on the default platform, as the entry routine sets them up for its
// main window: DirectInput's keyboard and mouse, key edges by DirectInput key code, and no sound
// device on a machine without a sound card.
TEST(Win32EngineTest, TheEnginesInputAndSoundRunOnTheMainWindow)
{
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

    const auto lines = LogLines();
    EXPECT_TRUE(Contains(lines, "Input    | Keyboard has been initialized."));
    EXPECT_TRUE(Contains(lines, "Input    | Mouse has been initialized."));
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(),
                             [](const std::string& line) { return line.rfind("Sound", 0) == 0; }))
        << "the sound engine writes nothing, with a device or without";
}
