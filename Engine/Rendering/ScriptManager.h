#pragma once
// CScriptManager: the program's one Lua interpreter, used for configuration scripts that run
// once at start-up and call C functions the engine registered as Lua globals. The state holds
// the base library (and coroutines) only: scripts have no string, table, math, io or os.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

struct lua_State;
struct lua_Debug;

namespace Tess
{

class CScriptManager
{
public:
    // A registered function: reads its arguments from the state, pushes its results and returns
    // how many it pushed.
    using Function = int (*)(lua_State*);

    // Longest time one script may run before it is stopped with an error (the default of
    // SetTimeLimit). The alert function that reports a failure gets the same time of its own,
    // and so do the finalizers (__gc) still pending when the state closes at exit, together.
    // Finalizers run in coroutines of their own, which the limit reaches; once a script is out
    // of time, xpcall no longer calls its handler.
    static constexpr double kTimeLimitSeconds = 5.0;
    // Most memory the scripts together may hold.
    static constexpr std::size_t kMemoryLimitBytes = 64u * 1024u * 1024u;

    CScriptManager();
    ~CScriptManager();
    CScriptManager(const CScriptManager&) = delete;
    CScriptManager& operator=(const CScriptManager&) = delete;

    // Loads and runs the file (relative paths resolve against the working directory). Returns
    // Lua's status: 0 for success, non-zero for a missing file or one that is not a regular
    // file, a syntax, run-time or memory error, or a script stopped for running too long. A
    // failure's message goes to the global _ALERT when that is a function, otherwise to
    // standard error; nothing is logged.
    int RunScriptFile(const std::string& path);

    // Changes the time limit of every later script (seconds, at least 0.001).
    void SetTimeLimit(double seconds);
    double GetTimeLimit() const { return m_timeLimitSeconds; }
    // Whether the code running now has used up its time limit.
    bool IsOutOfTime() const { return m_outOfTime; }

    // Makes `fn` callable from Lua as the global `name`; a second registration replaces the first.
    void RegisterFunction(const std::string& name, Function fn);

    lua_State* GetState() const { return m_state; }

    // Argument reading and result pushing for registered functions, with the engine's rules:
    // they never check types and never raise a Lua error.
    // Number of arguments on the stack.
    static int GetArgumentCount(lua_State* state);
    // Absent, nil and false read false; everything else (the number 0 too) reads true.
    static bool ReadFlag(lua_State* state, int index);
    // An absent or non-numeric argument reads 0; numeric strings ("17") read as numbers.
    static double ReadNumber(lua_State* state, int index);
    // ReadNumber truncated toward zero and saturated into the int32 range.
    static std::int32_t ReadInteger(lua_State* state, int index);
    // A string argument, or "" for anything that is not a string or a number.
    static std::string ReadString(lua_State* state, int index);

    // Tables passed as arguments, under the same rules. Access is raw (no metamethod runs, so no
    // script code and no error), and nothing is allocated inside Lua, so the memory limit cannot
    // fail a read half-way.
    static bool IsTable(lua_State* state, int index);
    // Calls `visit` with each string key of the table at `index`, in the table's own order, with
    // the key's value on top of the stack (index -1) for the readers below; whatever the visit
    // leaves on the stack is dropped. Entries whose keys are not strings are skipped. Returns how
    // many were skipped (0 for a value that is not a table).
    static int ForEachStringKey(lua_State* state, int index, const std::function<void(const std::string& key)>& visit);
    // The number at `index` (a numeric string counts, as for ReadNumber); false, with `value`
    // unchanged, for anything else.
    static bool ReadNumberValue(lua_State* state, int index, double& value);
    // The string at `index` (a number reads as the text Lua's tostring gives); false, with `text`
    // unchanged, for anything else.
    static bool ReadStringValue(lua_State* state, int index, std::string& text);
    // The table at `index` as a list of exactly `count` numbers (its elements 1 to `count`,
    // numeric strings counting, and no element `count` + 1); false, with `values` unchanged,
    // for anything else.
    static bool ReadNumberList(lua_State* state, int index, double* values, int count);

    static void PushBoolean(lua_State* state, bool value);
    static void PushNumber(lua_State* state, double value);

private:
    static void* Allocate(void* userData, void* block, std::size_t oldSize, std::size_t newSize);
    static void CheckTime(lua_State* state, lua_Debug* debug);
    // Starts a new time limit for whatever Lua code runs next on the state.
    void StartClock();
    void ReportError(int status);

    lua_State* m_state = nullptr;
    std::size_t m_bytesInUse = 0;
    double m_timeLimitSeconds = kTimeLimitSeconds;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_outOfTime = false;
    // Whether the scripts want the collector running; it is stopped between scripts.
    bool m_collectorRunning = true;
};

// The one script manager, opened on first use and closed at process exit.
CScriptManager& GetScriptManager();

} // namespace Tess
