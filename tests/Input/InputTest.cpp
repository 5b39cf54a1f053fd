#include "Engine/Input/Input.h"

#include "Engine/Core/Log.h"
#include "Engine/Rendering/ScriptManager.h"
#include "Support/FakeInput.h"
#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Tess;
using namespace TestSupport;

namespace
{
const auto kWindow = reinterpret_cast<WindowHandle>(0x2000);

std::vector<double> g_recorded;

// Lets a test script hand values back: Record(x) stores x as a number (true 1, false 0).
int Record(lua_State* state)
{
    const bool isTrue = CScriptManager::ReadFlag(state, 1);
    const double number = CScriptManager::ReadNumber(state, 1);
    const std::string text = CScriptManager::ReadString(state, 1);
    g_recorded.push_back(text.empty() && number == 0.0 ? (isTrue ? 1.0 : 0.0) : number);
    return 0;
}

class InputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_recorded.clear();
        GetScriptManager().RegisterFunction("Record", &Record);
        GetLog().Open();
    }
    void TearDown() override { GetLog().Close(); }

    std::unique_ptr<CInput> MakeInput()
    {
        auto created = std::make_unique<CInput>(MakeFakeInputFactory(fake));
        created->Initialize(nullptr, kWindow);
        return created;
    }

    std::vector<std::string> InputLines()
    {
        GetLog().Close();
        const auto lines = LinesWithPrefix(ReadLines("Log.txt"), "Input    | ");
        GetLog().Open();
        return lines;
    }

    int RunScript(const std::string& source)
    {
        dir.WriteFile("probe.lua", source);
        return GetScriptManager().RunScriptFile("probe.lua");
    }

    TempWorkDir dir;
    FakeInputState fake;
};
} // namespace

TEST_F(InputTest, AHeldKeyIsDownEveryFrameButPressedAndReleasedOnlyOnce)
{
    auto input = MakeInput();
    fake.Press(DIK_W);
    std::vector<int> down, pressed, released;
    for (int frame = 0; frame < 5; ++frame)
    {
        if (frame == 3)
            fake.Release(DIK_W);
        input->Update();
        down.push_back(input->CheckKey(DIK_W));
        pressed.push_back(input->CheckKeyDown(DIK_W));
        released.push_back(input->CheckKeyUp(DIK_W));
    }
    EXPECT_EQ(down, (std::vector<int>{1, 1, 1, 0, 0}));
    EXPECT_EQ(pressed, (std::vector<int>{1, 0, 0, 0, 0}));
    EXPECT_EQ(released, (std::vector<int>{0, 0, 0, 1, 0}));
}

TEST_F(InputTest, FirstKeyDownIsTheLowestNewlyPressedCode)
{
    auto input = MakeInput();
    input->Update();
    EXPECT_EQ(input->GetFirstKeyDown(), 0);

    fake.Press(DIK_P);
    input->Update();
    EXPECT_EQ(input->GetFirstKeyDown(), DIK_P);

    // P is still held (no new press); A and Escape go down together: Escape is the lower code.
    fake.Press(DIK_A);
    fake.Press(DIK_ESCAPE);
    input->Update();
    EXPECT_EQ(input->GetFirstKeyDown(), DIK_ESCAPE);

    input->Update();
    EXPECT_EQ(input->GetFirstKeyDown(), 0);
}

TEST_F(InputTest, KeyCodesOutsideTheTableAreNeverDown)
{
    auto input = MakeInput();
    for (int key = 0; key < 256; ++key)
        fake.Press(key);
    input->Update();
    EXPECT_TRUE(input->CheckKey(255));
    EXPECT_FALSE(input->CheckKey(256));
    EXPECT_FALSE(input->CheckKey(-1));
    EXPECT_FALSE(input->CheckKeyDown(1000));
    EXPECT_FALSE(input->CheckKeyUp(-5));
    EXPECT_FALSE(input->CheckMouseButton(4));
    EXPECT_FALSE(input->CheckMouseButton(-1));
}

TEST_F(InputTest, MouseDeltasAndButtonsAreThoseOfTheFrame)
{
    auto input = MakeInput();
    fake.mouse.lX = 12;
    fake.mouse.lY = -7;
    fake.mouse.lZ = 120;
    fake.mouse.rgbButtons[1] = 0x80;
    input->Update();
    EXPECT_EQ(input->GetDeltaX(), 12);
    EXPECT_EQ(input->GetDeltaY(), -7);
    EXPECT_EQ(input->GetDeltaZ(), 120);
    EXPECT_FALSE(input->CheckMouseButton(0));
    EXPECT_TRUE(input->CheckMouseButton(1));
}

TEST_F(InputTest, LosingTheFocusKeepsTheLastStateWithoutEdgesUntilReacquired)
{
    auto input = MakeInput();
    fake.Press(DIK_M);
    fake.mouse.lX = 30;
    fake.mouse.rgbButtons[0] = 0x80;
    input->Update();
    ASSERT_TRUE(input->CheckKeyDown(DIK_M));

    // The window loses the focus; meanwhile the key is released and another pressed elsewhere.
    fake.focus = false;
    fake.Release(DIK_M);
    fake.Press(DIK_W);
    for (int frame = 0; frame < 3; ++frame)
    {
        input->Update();
        EXPECT_TRUE(input->CheckKey(DIK_M)) << "the last state stays in force";
        EXPECT_FALSE(input->CheckKeyDown(DIK_M));
        EXPECT_FALSE(input->CheckKeyUp(DIK_M));
        EXPECT_FALSE(input->CheckKey(DIK_W));
        EXPECT_TRUE(input->CheckMouseButton(0));
        EXPECT_EQ(input->GetDeltaX(), 0) << "no movement is invented while the focus is away";
    }
    EXPECT_GE(fake.keyboard.acquireCalls, 4) << "every failed poll tries to acquire again";
    EXPECT_EQ(fake.focus, false);

    // Focus back: the next poll re-acquires, the one after reads the new state with its edges.
    fake.focus = true;
    input->Update();
    input->Update();
    EXPECT_TRUE(input->CheckKeyUp(DIK_M));
    EXPECT_TRUE(input->CheckKeyDown(DIK_W));
    EXPECT_EQ(input->GetDeltaX(), 30);
}

TEST_F(InputTest, ADeviceThatReportsLostInputForeverDoesNotHangThePoll)
{
    auto input = MakeInput();
    fake.focus = false;
    fake.keyboard.acquireAlwaysLost = true;
    input->Update();
    EXPECT_GT(fake.keyboard.acquireCalls, 1) << "a lost input is retried";
    EXPECT_LT(fake.keyboard.acquireCalls, 100);
}

TEST_F(InputTest, WithoutDevicesEverythingReadsZero)
{
    fake.failSystem = true;
    auto input = MakeInput();
    input->Update();
    EXPECT_FALSE(input->HasKeyboard());
    EXPECT_FALSE(input->HasMouse());
    EXPECT_EQ(input->GetDeltaX(), 0);
    EXPECT_FALSE(input->CheckKey(DIK_ESCAPE));
    EXPECT_EQ(InputLines(), (std::vector<std::string>{
                                "Input    | Input engine constructed.",
                                "Input    | Failed to create Direct Input keyboard device.",
                                "Input    | Failed to create Direct Input mouse device.",
                            }));
}

TEST_F(InputTest, SetUpLogsEachDeviceAndKeepsTheForegroundAndExclusiveLevels)
{
    auto input = MakeInput();
    EXPECT_EQ(fake.requestedVersion, 0x0800u);
    EXPECT_EQ(fake.keyboard.flags, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE);
    EXPECT_EQ(fake.mouseDevice.flags, DISCL_FOREGROUND | DISCL_EXCLUSIVE);
    EXPECT_EQ(fake.keyboard.window, kWindow);
    input.reset();
    EXPECT_TRUE(fake.keyboard.destroyed);
    EXPECT_GE(fake.mouseDevice.unacquireCalls, 1);
    EXPECT_EQ(InputLines(), (std::vector<std::string>{
                                "Input    | Input engine constructed.",
                                "Input    | Keyboard has been initialized.",
                                "Input    | Mouse has been initialized.",
                                "Input    | Keyboard has been released.",
                                "Input    | Mouse has been released.",
                                "Input    | Input engine deconstructed.",
                            }));
}

TEST_F(InputTest, EachFailedSetUpStepLogsItsMessageAndStopsThatDevice)
{
    fake.keyboard.failCooperativeLevel = true;
    fake.mouseDevice.failDataFormat = true;
    auto input = MakeInput();
    auto lines = InputLines();
    EXPECT_EQ(lines[1], "Input    | Failed to set the cooperative level of the keyboard.");
    EXPECT_EQ(lines[2], "Input    | Failed to set the data format of the mouse.");
    // Created devices stay and are released with the engine.
    EXPECT_TRUE(input->HasKeyboard());
    EXPECT_TRUE(input->HasMouse());
}

TEST_F(InputTest, AnUnfocusedStartLogsTheFailedAcquireAndAcquiresLater)
{
    fake.focus = false;
    auto input = MakeInput();
    auto lines = InputLines();
    EXPECT_EQ(lines[1], "Input    | Failed to acquire the keyboard.");
    EXPECT_EQ(lines[2], "Input    | Failed to acquire the mouse.");

    fake.focus = true;
    fake.Press(DIK_SLASH);
    input->Update(); // acquires
    input->Update();
    EXPECT_TRUE(input->CheckKeyDown(DIK_SLASH));
}

TEST_F(InputTest, KeyNamesFollowTheTable)
{
    EXPECT_EQ(CInput::GetKeyName(0x01), "ESC");
    EXPECT_EQ(CInput::GetKeyName(0x0F), "TAB");
    EXPECT_EQ(CInput::GetKeyName(0x2B), "\\");
    EXPECT_EQ(CInput::GetKeyName(0x0C), "-");
    EXPECT_EQ(CInput::GetKeyName(0x4A), "-");
    EXPECT_EQ(CInput::GetKeyName(0x8D), "=");
    EXPECT_EQ(CInput::GetKeyName(0x34), ".");
    EXPECT_EQ(CInput::GetKeyName(0x53), ".");
    EXPECT_EQ(CInput::GetKeyName(0xB3), ",");
    EXPECT_EQ(CInput::GetKeyName(0xB5), "/");
    EXPECT_EQ(CInput::GetKeyName(0x37), "*");
    EXPECT_EQ(CInput::GetKeyName(0x4E), "+");
    EXPECT_EQ(CInput::GetKeyName(0x52), "NUMPAD 0");
    EXPECT_EQ(CInput::GetKeyName(0x44), "F10");
    EXPECT_EQ(CInput::GetKeyName(0x57), "F11");
    EXPECT_EQ(CInput::GetKeyName(0x91), "@");
    EXPECT_EQ(CInput::GetKeyName(0x93), "_");
    for (int key : {0x00, 0x29, 0x38, 0x3A, 0x45, 0x46, 0x9D, 0xC8, 0xCB, 0xB6, 0xFF, 256, -1})
        EXPECT_EQ(CInput::GetKeyName(key), "") << "key " << key;
}

TEST_F(InputTest, ScriptFunctionsReadTheStateOfTheFrame)
{
    auto input = MakeInput();
    fake.Press(DIK_W);
    fake.mouse.lX = 5;
    fake.mouse.lY = -3;
    fake.mouse.lZ = -240;
    input->Update();
    ASSERT_EQ(RunScript("Record(CheckKey(17)) Record(CheckKey('17')) Record(CheckKey()) "
                        "Record(CheckKey('W')) Record(CheckKeyDown(0x11)) Record(CheckKeyUp(0x11)) "
                        "Record(DeltaX()) Record(DeltaY()) Record(DeltaZ()) Record(CheckKey(1e9))"),
              0);
    EXPECT_EQ(g_recorded, (std::vector<double>{1, 1, 0, 0, 1, 0, 5, -3, -240, 0}));

    fake.Release(DIK_W);
    input->Update();
    g_recorded.clear();
    ASSERT_EQ(RunScript("Record(CheckKey(17)) Record(CheckKeyUp(17)) Record(CheckKeyDown(17))"), 0);
    EXPECT_EQ(g_recorded, (std::vector<double>{0, 1, 0}));
}

TEST_F(InputTest, TheConfigurationScriptRunsAtConstructionWithAllInputZero)
{
    dir.WriteFile("Data/Scripts/Input_Configuration.lua",
                  "Record(CheckKey(1)) Record(DeltaX()) Record(DeltaZ())");
    fake.Press(DIK_ESCAPE);
    fake.mouse.lX = 50;
    auto input = MakeInput();
    EXPECT_EQ(g_recorded, (std::vector<double>{0, 0, 0}));
}

TEST_F(InputTest, TheShippedConfigurationScriptRuns)
{
    const std::string source = ReadFile(TESS_SOURCE_DIR "/Data/Scripts/Input_Configuration.lua");
    ASSERT_FALSE(source.empty());
    dir.WriteFile("Data/Scripts/Input_Configuration.lua", source);
    CInput input(MakeFakeInputFactory(fake));
    EXPECT_EQ(GetScriptManager().RunScriptFile("Data/Scripts/Input_Configuration.lua"), 0);
}

TEST_F(InputTest, ScriptFunctionsReadNothingOnceTheEngineIsGone)
{
    MakeInput().reset();
    EXPECT_EQ(GetInput(), nullptr);
    ASSERT_EQ(RunScript("Record(CheckKey(1)) Record(DeltaY())"), 0);
    EXPECT_EQ(g_recorded, (std::vector<double>{0, 0}));
}
