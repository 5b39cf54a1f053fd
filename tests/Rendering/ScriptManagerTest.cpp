#include "Engine/Rendering/ScriptManager.h"

#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <string>
#include <vector>

using namespace Tess;
using TestSupport::TempWorkDir;

namespace
{
// What the probe functions saw, in call order.
struct Reading
{
    int count = 0;
    bool flag = false;
    double number = 0.0;
    std::int32_t integer = 0;
    std::string text;
};
std::vector<Reading> g_readings;
std::vector<std::string> g_calls;

int Probe(lua_State* state)
{
    Reading reading;
    reading.count = CScriptManager::GetArgumentCount(state);
    reading.flag = CScriptManager::ReadFlag(state, 1);
    reading.number = CScriptManager::ReadNumber(state, 1);
    reading.integer = CScriptManager::ReadInteger(state, 1);
    reading.text = CScriptManager::ReadString(state, 1);
    g_readings.push_back(reading);
    return 0;
}

int First(lua_State*)
{
    g_calls.push_back("first");
    return 0;
}

int Second(lua_State* state)
{
    g_calls.push_back("second");
    CScriptManager::PushNumber(state, 2.5);
    return 1;
}

class ScriptManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_readings.clear();
        g_calls.clear();
        GetScriptManager().RegisterFunction("Probe", &Probe);
    }

    // Writes and runs one script; returns Lua's status.
    int Run(const std::string& source)
    {
        dir.WriteFile("script.lua", source);
        return GetScriptManager().RunScriptFile("script.lua");
    }

    TempWorkDir dir;
};
} // namespace

TEST_F(ScriptManagerTest, FlagsReadFalseOnlyForAbsentNilAndFalse)
{
    ASSERT_EQ(Run("Probe() Probe(nil) Probe(false) Probe(0) Probe(true) Probe('') Probe({})"), 0);
    ASSERT_EQ(g_readings.size(), 7u);
    const bool expected[] = {false, false, false, true, true, true, true};
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_EQ(g_readings[i].flag, expected[i]) << "call " << i;
    EXPECT_EQ(g_readings[0].count, 0);
    EXPECT_EQ(g_readings[1].count, 1);
}

TEST_F(ScriptManagerTest, NumbersReadZeroUnlessNumericAndIntegersTruncate)
{
    ASSERT_EQ(Run("Probe('17') Probe('abc') Probe({}) Probe(3.9) Probe(-3.9) Probe(1e20) "
                  "Probe(-1e20) Probe(0/0) Probe(' 0x11 ')"),
              0);
    ASSERT_EQ(g_readings.size(), 9u);
    EXPECT_EQ(g_readings[0].integer, 17);
    EXPECT_EQ(g_readings[1].number, 0.0);
    EXPECT_EQ(g_readings[2].number, 0.0);
    EXPECT_EQ(g_readings[3].integer, 3);
    EXPECT_EQ(g_readings[4].integer, -3);
    EXPECT_EQ(g_readings[5].integer, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(g_readings[6].integer, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(g_readings[7].integer, 0);
    EXPECT_EQ(g_readings[8].integer, 17);
}

TEST_F(ScriptManagerTest, StringsReadTheirTextAndOtherValuesReadEmpty)
{
    ASSERT_EQ(Run("Probe('Courier New') Probe(12) Probe(true) Probe()"), 0);
    EXPECT_EQ(g_readings[0].text, "Courier New");
    EXPECT_EQ(g_readings[1].text, "12");
    EXPECT_EQ(g_readings[2].text, "");
    EXPECT_EQ(g_readings[3].text, "");
}

TEST_F(ScriptManagerTest, ASecondRegistrationReplacesTheFirst)
{
    GetScriptManager().RegisterFunction("Twice", &First);
    GetScriptManager().RegisterFunction("Twice", &Second);
    ASSERT_EQ(Run("Probe(Twice())"), 0);
    EXPECT_EQ(g_calls, std::vector<std::string>{"second"});
    ASSERT_EQ(g_readings.size(), 1u);
    EXPECT_EQ(g_readings[0].number, 2.5);
}

TEST_F(ScriptManagerTest, OnlyTheBaseLibraryIsOpen)
{
    ASSERT_EQ(Run("Probe(io) Probe(os) Probe(string) Probe(math) Probe(table) Probe(require) "
                  "Probe(package) Probe(debug) Probe(print) Probe(pcall)"),
              0);
    ASSERT_EQ(g_readings.size(), 10u);
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(g_readings[i].flag) << "library " << i << " should be absent";
    EXPECT_TRUE(g_readings[8].flag);
    EXPECT_TRUE(g_readings[9].flag);
    // Strings have no methods without the string library.
    EXPECT_NE(Run("local n = ('abc'):len()"), 0);
}

TEST_F(ScriptManagerTest, EffectsBeforeAnErrorStayAndTheStatusIsNonZero)
{
    testing::internal::CaptureStderr();
    EXPECT_NE(Run("Probe(1) Probe(2) UnknownFunction() Probe(3)"), 0);
    const std::string message = testing::internal::GetCapturedStderr();
    ASSERT_EQ(g_readings.size(), 2u);
    EXPECT_EQ(g_readings[1].integer, 2);
    EXPECT_NE(message.find("UnknownFunction"), std::string::npos) << message;
}

TEST_F(ScriptManagerTest, MissingFilesAndSyntaxErrorsFailQuietlyOnStandardError)
{
    testing::internal::CaptureStderr();
    EXPECT_NE(GetScriptManager().RunScriptFile("Data/Scripts/does_not_exist.lua"), 0);
    EXPECT_NE(Run("Probe(1"), 0);
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("does_not_exist.lua"), std::string::npos) << messages;
    EXPECT_TRUE(g_readings.empty()) << "a chunk with a syntax error does not run at all";
}

TEST_F(ScriptManagerTest, FailuresGoToTheAlertFunctionWhenTheScriptsSetOne)
{
    ASSERT_EQ(Run("_ALERT = function(message) Probe(message) end"), 0);
    testing::internal::CaptureStderr();
    EXPECT_NE(Run("error('configuration broken')"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(g_readings.size(), 1u);
    EXPECT_NE(g_readings[0].text.find("configuration broken"), std::string::npos);

    // An alert that is not a function sends the message back to standard error.
    ASSERT_EQ(Run("_ALERT = 5"), 0);
    testing::internal::CaptureStderr();
    EXPECT_NE(Run("error('second failure')"), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("second failure"), std::string::npos);
    ASSERT_EQ(Run("_ALERT = nil"), 0);
}

TEST_F(ScriptManagerTest, AScriptThatRunsForeverIsStoppedAndTheStateStaysUsable)
{
    testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(Run("while true do end"), 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    testing::internal::GetCapturedStderr();
    EXPECT_LT(seconds, CScriptManager::kTimeLimitSeconds + 5.0);

    EXPECT_EQ(Run("Probe(7)"), 0);
    ASSERT_EQ(g_readings.size(), 1u);
    EXPECT_EQ(g_readings[0].integer, 7);
}

TEST_F(ScriptManagerTest, AScriptThatEatsMemoryFailsWithoutTakingTheProgramDown)
{
    testing::internal::CaptureStderr();
    EXPECT_NE(Run("local t = {} local i = 1 while true do t[i] = {i, i, i} i = i + 1 end"), 0);
    testing::internal::GetCapturedStderr();
    // The garbage is collectable again and later scripts run.
    EXPECT_EQ(Run("collectgarbage() Probe(1)"), 0);
    EXPECT_EQ(g_readings.size(), 1u);
}
