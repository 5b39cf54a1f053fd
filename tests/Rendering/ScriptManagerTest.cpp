#include "Engine/Rendering/ScriptManager.h"

#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <sys/stat.h>

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

namespace
{
// Each string key of the table argument with what the readers made of its value.
std::vector<std::string> g_fields;
int g_unnamed = 0;

int TableProbe(lua_State* state)
{
    g_unnamed = CScriptManager::ForEachStringKey(state, 1, [state](const std::string& key) {
        double number = 0.0;
        std::string text = "-";
        double list[2] = {};
        const bool isNumber = CScriptManager::ReadNumberValue(state, -1, number);
        std::string field = key + " " + (isNumber ? std::to_string(number) : "-");
        CScriptManager::ReadStringValue(state, -1, text);
        field += " " + text;
        if (CScriptManager::ReadNumberList(state, -1, list, 2))
            field += " {" + std::to_string(list[0]) + ", " + std::to_string(list[1]) + "}";
        g_fields.push_back(field);
    });
    return 0;
}

// Compares the text read from a number with Lua's own tostring of it.
int SameText(lua_State* state)
{
    CScriptManager::PushBoolean(state, CScriptManager::ReadString(state, 1) == CScriptManager::ReadString(state, 2));
    return 1;
}
} // namespace

TEST_F(ScriptManagerTest, TablesAreReadRawByStringKeyWithListsOfAnExactLength)
{
    GetScriptManager().RegisterFunction("TableProbe", &TableProbe);
    GetScriptManager().RegisterFunction("SameText", &SameText);
    // The metamethods raise errors: a reader that ran one would fail the script.
    ASSERT_EQ(Run(R"(
        local trap = {__index = function() error("index") end, __len = function() error("len") end}
        TableProbe{ a = 1.5, b = "2", c = {3, "4"}, d = {1}, e = {1, 2, 3}, f = true,
                    g = setmetatable({}, trap), h = setmetatable({5, 6}, trap), "unnamed", [2.5] = 1 }
        TableProbe(42)
        for _, n in ipairs{1.0, -0.0, 1e100, 2^63, 0.1, 1/3, 42, -7, 1e15, 1/0, 2^53 + 1} do
            assert(SameText(n, tostring(n)), tostring(n))
        end
    )"),
              0);
    std::sort(g_fields.begin(), g_fields.end());
    EXPECT_EQ(g_fields, (std::vector<std::string>{"a 1.500000 1.5", "b 2.000000 2", "c - - {3.000000, 4.000000}",
                                                  "d - -", "e - -", "f - -", "g - -", "h - - {5.000000, 6.000000}"}));
    // The second call's argument is no table: nothing visited, nothing skipped.
    EXPECT_EQ(g_unnamed, 0);
    g_fields.clear();
    ASSERT_EQ(Run("TableProbe{ 1, 2, [true] = 3, x = 4 }"), 0);
    EXPECT_EQ(g_fields, std::vector<std::string>{"x 4.000000 4"});
    EXPECT_EQ(g_unnamed, 3);
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

namespace
{
// Scripts that try to outrun the time limit, run with a short limit so each case takes a
// fraction of a second; every one of them ran forever before the limit held for all Lua code.
class ScriptTimeLimitTest : public ScriptManagerTest
{
protected:
    static constexpr double kLimit = 0.2;

    void SetUp() override
    {
        ScriptManagerTest::SetUp();
        GetScriptManager().SetTimeLimit(kLimit);
        testing::internal::CaptureStderr();
    }
    void TearDown() override
    {
        testing::internal::GetCapturedStderr();
        GetScriptManager().SetTimeLimit(CScriptManager::kTimeLimitSeconds);
        Run("_ALERT = nil");
    }

    // Runs the script; it must fail, within a few limits, and leave the state usable.
    void ExpectStopped(const std::string& source)
    {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_NE(Run(source), 0) << source;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, 20 * kLimit) << source;
        g_readings.clear();
        EXPECT_EQ(Run("Probe(7)"), 0);
        ASSERT_EQ(g_readings.size(), 1u);
        EXPECT_EQ(g_readings[0].integer, 7);
    }
};
} // namespace

TEST_F(ScriptTimeLimitTest, CatchingTheStopInALoopDoesNotOutrunIt)
{
    ExpectStopped("while true do pcall(function() while true do end end) end");
    ExpectStopped("while true do pcall(error) end");
}

TEST_F(ScriptTimeLimitTest, AnErrorHandlerThatLoopsIsStopped)
{
    ExpectStopped("while true do xpcall(error, function() while true do end end) end");
    // The stop itself is raised where Lua would run the handler with hooks off.
    ExpectStopped("xpcall(function() while true do end end, function() while true do end end)");
}

TEST_F(ScriptTimeLimitTest, CoroutinesAreStoppedAndCannotShelterTheirCaller)
{
    ExpectStopped("coroutine.wrap(function() while true do end end)()");
    ExpectStopped("while true do coroutine.resume(coroutine.create(function() while true do end end)) end");
}

TEST_F(ScriptTimeLimitTest, AnAlertFunctionThatRunsForeverIsStopped)
{
    ASSERT_EQ(Run("_ALERT = function(message) while true do end end"), 0);
    ExpectStopped("error('configuration broken')");
}

TEST_F(ScriptTimeLimitTest, FinalizersRunAsLuasOwnAndTheLimitStopsOneThatLoops)
{
    // Called with the table, the latest marked first, with the __gc the metatable holds when the
    // table is collected; a __gc added after setmetatable marks nothing.
    ASSERT_EQ(Run("local mt = {__gc = function(t) Probe(t.n) end} "
                  "setmetatable({n = 1}, mt) setmetatable({n = 2}, mt) local kept = setmetatable({n = 3}, mt) "
                  "Probe(rawequal(getmetatable(kept).__gc, mt.__gc)) collectgarbage() "
                  "mt.__gc = function(t) Probe(t.n * 10) end kept = nil collectgarbage() "
                  "local late = {} setmetatable({}, late) late.__gc = function() Probe(99) end collectgarbage()"),
              0);
    std::vector<std::int32_t> seen;
    for (const Reading& reading : g_readings)
        seen.push_back(reading.integer);
    ASSERT_EQ(seen, (std::vector<std::int32_t>{0, 2, 1, 30}));
    EXPECT_TRUE(g_readings[0].flag);

    // Lua runs a finalizer with its hooks off: one that loops is stopped all the same, whether
    // the collector calls it in a script or the state closes with it pending at exit (in a child
    // process, whose exit closes its copy of the state).
    ExpectStopped("setmetatable({}, {__gc = function() while true do end end}) collectgarbage()");
    testing::internal::GetCapturedStderr();
    EXPECT_EXIT(
        {
            Run("setmetatable({}, {__gc = function() while true do end end})");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    testing::internal::CaptureStderr();
}

TEST_F(ScriptTimeLimitTest, XpcallCallsItsHandlerWhereTheErrorIsRaised)
{
    // Before the failed call unwinds: the handler runs before the call's to-be-closed variable
    // is closed.
    ASSERT_EQ(Run("local ok, answer = xpcall(function(a) "
                  "local c <close> = setmetatable({}, {__close = function() Probe('closed') end}) error(a, 0) end, "
                  "function(m) Probe('handled') return m .. '!' end, 'x') Probe(ok) Probe(answer) "
                  "Probe(select(2, xpcall(error, function() error('again') end))) "
                  "local fine, sum = xpcall(function(a, b) return a + b end, print, 2, 3) Probe(fine) Probe(sum)"),
              0);
    std::vector<std::string> seen;
    for (const Reading& reading : g_readings)
        seen.push_back(reading.text);
    EXPECT_EQ(seen, (std::vector<std::string>{"handled", "closed", "", "x!", "error in error handling", "", "5"}));
    EXPECT_FALSE(g_readings[2].flag);
    EXPECT_TRUE(g_readings[5].flag);
}

TEST_F(ScriptManagerTest, APathThatIsNotARegularFileFailsAtOnce)
{
    testing::internal::CaptureStderr();
    std::filesystem::create_directory("folder.lua");
    EXPECT_NE(GetScriptManager().RunScriptFile("folder.lua"), 0);
#ifdef _WIN32
    // Windows keeps no pipes among files: the folder is the one path here that is not a file.
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("folder.lua (not a regular file)"), std::string::npos) << messages;
#else
    // Reading a pipe nobody writes to would wait forever.
    ASSERT_EQ(mkfifo("pipe.lua", 0600), 0);
    EXPECT_NE(GetScriptManager().RunScriptFile("pipe.lua"), 0);
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("pipe.lua (not a regular file)"), std::string::npos) << messages;
#endif
}
