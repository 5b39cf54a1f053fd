#include "Engine/Rendering/ScriptManager.h"

#include <lua.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <system_error>
#include <vector>

namespace Tess
{

namespace
{
// The time check runs every this many instructions while the script is in time, so it costs
// next to nothing; once the script is out of time it runs at every instruction (see CheckTime).
constexpr int kHookInstructionCount = 10000;

void OpenLibrary(lua_State* state, const char* name, lua_CFunction open)
{
    luaL_requiref(state, name, open, 1);
    lua_pop(state, 1);
}

// Registry slots of the finalizer guard: the weak-keyed table from each table that has a
// finalizer to its sentinel, and the sentinels' metatable.
char g_sentinelsKey;
char g_sentinelMetatableKey;

CScriptManager& ManagerOf(lua_State* state)
{
    void* userData = nullptr;
    lua_getallocf(state, &userData);
    return *static_cast<CScriptManager*>(userData);
}

// The finalizer guard. Lua calls a finalizer with its hooks switched off, so one that loops
// could never be stopped: not by the time limit of a script, not when the state closes at exit.
// So a table is not marked for finalization itself. A sentinel userdata is, which only the table
// keeps alive (through the weak-keyed sentinel table); when the collector finalizes the sentinel
// (in the same cycle, and in the same order, as it would have finalized the table), the sentinel
// calls the __gc that the table's metatable holds then, with the table, in a coroutine of its
// own: a new coroutine takes the instruction hook of the thread that makes it and runs with
// hooks on. Its error is dropped, as Lua drops a finalizer's error in a state without warnings.
int RunGuardedFinalizer(lua_State* state)
{
    lua_getiuservalue(state, 1, 1);
    // The table is released before its finalizer runs: once finalized it is ordinary garbage
    // again (unless the finalizer keeps it), and a later setmetatable may mark it anew.
    lua_rawgetp(state, LUA_REGISTRYINDEX, &g_sentinelsKey);
    lua_pushvalue(state, 2);
    lua_pushnil(state);
    lua_rawset(state, 3);
    lua_settop(state, 2);
    if (!lua_getmetatable(state, 2))
        return 0;
    lua_pushliteral(state, "__gc");
    if (lua_rawget(state, 3) == LUA_TNIL)
        return 0;
    lua_State* finalizer = lua_newthread(state);
    lua_pushvalue(state, 4);
    lua_pushvalue(state, 2);
    lua_xmove(state, finalizer, 2);
    int results = 0;
    lua_resume(finalizer, state, 1, &results);
    return 0;
}

// Marks the table at `index` for finalization through a sentinel; a table marked already stays
// as it is (Lua marks an object once, and calls whatever __gc its metatable has at the end).
void GuardFinalizer(lua_State* state, int index)
{
    const int table = lua_absindex(state, index);
    lua_rawgetp(state, LUA_REGISTRYINDEX, &g_sentinelsKey);
    lua_pushvalue(state, table);
    const bool marked = lua_rawget(state, -2) != LUA_TNIL;
    lua_pop(state, 1);
    if (!marked)
    {
        lua_pushvalue(state, table);
        lua_newuserdatauv(state, 0, 1);
        lua_pushvalue(state, table);
        lua_setiuservalue(state, -2, 1);
        lua_rawgetp(state, LUA_REGISTRYINDEX, &g_sentinelMetatableKey);
        lua_setmetatable(state, -2);
        lua_rawset(state, -3);
    }
    lua_pop(state, 1);
}

void CreateFinalizerGuard(lua_State* state)
{
    lua_newtable(state);
    lua_newtable(state);
    lua_pushliteral(state, "k");
    lua_setfield(state, -2, "__mode");
    lua_setmetatable(state, -2);
    lua_rawsetp(state, LUA_REGISTRYINDEX, &g_sentinelsKey);
    lua_newtable(state);
    lua_pushcfunction(state, &RunGuardedFinalizer);
    lua_setfield(state, -2, "__gc");
    lua_rawsetp(state, LUA_REGISTRYINDEX, &g_sentinelMetatableKey);
}

// setmetatable: the base library's (upvalue 1), with a metatable that has a __gc field set while
// the field is held aside, so that the table is marked through the finalizer guard instead.
// The field is back in the metatable before the call returns, and any error is the base
// library's.
int SetMetatableWithGuardedFinalizer(lua_State* state)
{
    lua_settop(state, 2);
    bool finalizer = false;
    if (lua_type(state, 1) == LUA_TTABLE && lua_type(state, 2) == LUA_TTABLE)
    {
        lua_pushliteral(state, "__gc");
        finalizer = lua_rawget(state, 2) != LUA_TNIL;
    }
    if (finalizer)
    {
        lua_pushliteral(state, "__gc");
        lua_pushnil(state);
        lua_rawset(state, 2);
    }
    lua_pushvalue(state, lua_upvalueindex(1));
    lua_pushvalue(state, 1);
    lua_pushvalue(state, 2);
    const int status = lua_pcall(state, 2, 0, 0);
    if (finalizer)
    {
        lua_pushliteral(state, "__gc");
        lua_pushvalue(state, 3);
        lua_rawset(state, 2);
    }
    if (status != LUA_OK)
        return lua_error(state);
    if (finalizer)
        GuardFinalizer(state, 1);
    lua_settop(state, 1);
    return 1;
}

// The message handler xpcall installs: the script's handler (upvalue 1), called with the error
// where it is raised, as Lua's own xpcall does. Except once the script is out of time: that
// error is raised from the instruction hook, where Lua runs the handler with hooks off, so a
// handler that looped could never be stopped. No script code runs after the limit anyway (every
// instruction fails), so the handler is skipped and the error goes on unchanged.
int GuardedMessageHandler(lua_State* state)
{
    if (ManagerOf(state).IsOutOfTime())
        return 1;
    lua_pushvalue(state, lua_upvalueindex(1));
    lua_insert(state, 1);
    lua_call(state, lua_gettop(state) - 1, 1);
    return 1;
}

// What xpcall returns, after the call or after a coroutine yielded inside it and resumed: true
// and the results, or false and the handler's answer.
int FinishProtectedCall(lua_State* state, int status, lua_KContext resultBase)
{
    if (status != LUA_OK && status != LUA_YIELD)
    {
        lua_pushboolean(state, 0);
        lua_pushvalue(state, -2);
        return 2;
    }
    return lua_gettop(state) - static_cast<int>(resultBase);
}

// xpcall(f, handler, ...): Lua's own, with the handler behind the guard above.
int ProtectedCallWithHandler(lua_State* state)
{
    const int arguments = lua_gettop(state);
    luaL_checktype(state, 2, LUA_TFUNCTION);
    lua_pushvalue(state, 2);
    lua_pushcclosure(state, &GuardedMessageHandler, 1);
    lua_replace(state, 2);
    // Stack: f, handler, true, f, arguments; the results replace f and the arguments.
    lua_pushboolean(state, 1);
    lua_pushvalue(state, 1);
    lua_rotate(state, 3, 2);
    const lua_KContext resultBase = 2;
    const int status = lua_pcallk(state, arguments - 2, LUA_MULTRET, 2, resultBase, &FinishProtectedCall);
    return FinishProtectedCall(state, status, resultBase);
}

// The number at `index` as Lua's tostring writes it, made here: lua_tolstring would turn the stack
// slot into a string, allocating inside Lua, where the memory limit could raise an error.
std::string NumberText(lua_State* state, int index)
{
    char text[64];
    if (lua_isinteger(state, index))
        return std::to_string(static_cast<long long>(lua_tointeger(state, index)));
    std::snprintf(text, sizeof(text), LUA_NUMBER_FMT, static_cast<LUAI_UACNUMBER>(lua_tonumber(state, index)));
    std::string result = text;
    // A float that would read as an integer gets a decimal part, as in Lua ("1.0", not "1").
    if (result.find_first_not_of("-0123456789") == std::string::npos)
        result += std::string(1, lua_getlocaledecpoint()) + "0";
    return result;
}

// Replaces the global `name`, keeping the original as upvalue 1 when `keepOriginal` is set.
void ReplaceGlobal(lua_State* state, const char* name, lua_CFunction function, bool keepOriginal)
{
    int upvalues = 0;
    if (keepOriginal)
    {
        lua_getglobal(state, name);
        upvalues = 1;
    }
    lua_pushcclosure(state, function, upvalues);
    lua_setglobal(state, name);
}
} // namespace

CScriptManager::CScriptManager()
{
    m_state = lua_newstate(&CScriptManager::Allocate, this);
    if (!m_state)
        return;
    OpenLibrary(m_state, LUA_GNAME, luaopen_base);
    OpenLibrary(m_state, LUA_COLIBNAME, luaopen_coroutine);
    // Every piece of script code must stay within the time limit (see CheckTime): finalizers
    // and xpcall's handlers too.
    CreateFinalizerGuard(m_state);
    ReplaceGlobal(m_state, "setmetatable", &SetMetatableWithGuardedFinalizer, true);
    ReplaceGlobal(m_state, "xpcall", &ProtectedCallWithHandler, false);
    // The collector runs (and finalizers with it) only while a script runs, under its time
    // limit: between scripts nothing would stop a finalizer the engine's own calls set off.
    lua_gc(m_state, LUA_GCSTOP);
}

CScriptManager::~CScriptManager()
{
    if (!m_state)
        return;
    // Closing runs every finalizer still pending; they share one time limit.
    StartClock();
    lua_close(m_state);
    m_state = nullptr;
}

void CScriptManager::SetTimeLimit(double seconds)
{
    m_timeLimitSeconds = seconds < 0.001 ? 0.001 : seconds;
}

void CScriptManager::StartClock()
{
    m_outOfTime = false;
    m_deadline = std::chrono::steady_clock::now() +
                 std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                     std::chrono::duration<double>(m_timeLimitSeconds));
    // Coroutines a script creates inherit the hook of the thread that creates them.
    lua_sethook(m_state, &CScriptManager::CheckTime, LUA_MASKCOUNT, kHookInstructionCount);
}

void CScriptManager::CheckTime(lua_State* state, lua_Debug*)
{
    void* userData = nullptr;
    lua_getallocf(state, &userData);
    auto* self = static_cast<CScriptManager*>(userData);
    if (std::chrono::steady_clock::now() <= self->m_deadline)
        return;
    // From now on every instruction fails, not one in ten thousand: a script that catches the
    // error (pcall in a loop, an error handler that loops) cannot run on, because the next
    // instruction after the catch fails as well. The main thread's hook is what the coroutines
    // made from now on (a finalizer's among them) take.
    self->m_outOfTime = true;
    lua_sethook(state, &CScriptManager::CheckTime, LUA_MASKCOUNT, 1);
    lua_sethook(self->m_state, &CScriptManager::CheckTime, LUA_MASKCOUNT, 1);
    luaL_error(state, "script stopped: it ran longer than %f seconds", self->m_timeLimitSeconds);
}

void* CScriptManager::Allocate(void* userData, void* block, std::size_t oldSize, std::size_t newSize)
{
    auto* self = static_cast<CScriptManager*>(userData);
    // Lua passes the block's type instead of its size when the block is null.
    const std::size_t previous = block ? oldSize : 0;
    if (newSize == 0)
    {
        std::free(block);
        self->m_bytesInUse -= previous;
        return nullptr;
    }
    if (newSize > previous && self->m_bytesInUse - previous + newSize > kMemoryLimitBytes)
        return nullptr; // Lua turns this into a memory error for the script
    void* resized = std::realloc(block, newSize);
    if (resized)
        self->m_bytesInUse = self->m_bytesInUse - previous + newSize;
    return resized;
}

int CScriptManager::RunScriptFile(const std::string& path)
{
    if (!m_state)
        return LUA_ERRMEM;
    int status = LUA_OK;
    // Loading can set off the collector, and with it finalizers: the clock runs from here.
    StartClock();
    if (m_collectorRunning)
        lua_gc(m_state, LUA_GCRESTART);
    // Reading a named pipe or a device would wait for data forever.
    std::error_code error;
    if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error))
    {
        lua_pushfstring(m_state, "cannot open %s (not a regular file)", path.c_str());
        status = LUA_ERRFILE;
    }
    else
        status = luaL_loadfile(m_state, path.c_str());
    if (status == LUA_OK)
        status = lua_pcall(m_state, 0, 0, 0);
    if (status != LUA_OK)
        ReportError(status);
    lua_settop(m_state, 0);
    // A script may have stopped the collector itself (collectgarbage "stop"); the next one finds
    // it as this one left it.
    m_collectorRunning = lua_gc(m_state, LUA_GCISRUNNING) != 0;
    lua_gc(m_state, LUA_GCSTOP);
    return status;
}

void CScriptManager::ReportError(int status)
{
    const char* message = lua_tostring(m_state, -1);
    if (!message)
        message = status == LUA_ERRMEM ? "not enough memory" : "(error object is not a string)";

    lua_getglobal(m_state, "_ALERT");
    if (lua_isfunction(m_state, -1))
    {
        lua_pushstring(m_state, message);
        // The alert is script code with a time limit of its own. One that fails itself (or
        // runs out of time) is dropped: reporting must not raise a second error.
        StartClock();
        if (lua_pcall(m_state, 1, 0, 0) != LUA_OK)
            lua_pop(m_state, 1);
        return;
    }
    lua_pop(m_state, 1);
    std::fprintf(stderr, "%s\n", message);
    std::fflush(stderr);
}

void CScriptManager::RegisterFunction(const std::string& name, Function fn)
{
    if (!m_state)
        return;
    lua_pushglobaltable(m_state);
    lua_pushstring(m_state, name.c_str());
    lua_pushcclosure(m_state, fn, 0);
    lua_settable(m_state, -3);
    lua_pop(m_state, 1);
}

int CScriptManager::GetArgumentCount(lua_State* state)
{
    return lua_gettop(state);
}

bool CScriptManager::ReadFlag(lua_State* state, int index)
{
    return lua_toboolean(state, index) != 0;
}

double CScriptManager::ReadNumber(lua_State* state, int index)
{
    int isNumber = 0;
    const lua_Number value = lua_tonumberx(state, index, &isNumber);
    return isNumber ? static_cast<double>(value) : 0.0;
}

std::int32_t CScriptManager::ReadInteger(lua_State* state, int index)
{
    const double value = ReadNumber(state, index);
    if (std::isnan(value))
        return 0;
    constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
    constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
    if (value <= kLowest)
        return std::numeric_limits<std::int32_t>::min();
    if (value >= kHighest)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

std::string CScriptManager::ReadString(lua_State* state, int index)
{
    std::string text;
    ReadStringValue(state, index, text);
    return text;
}

bool CScriptManager::IsTable(lua_State* state, int index)
{
    return lua_type(state, index) == LUA_TTABLE;
}

int CScriptManager::ForEachStringKey(lua_State* state, int index,
                                     const std::function<void(const std::string& key)>& visit)
{
    if (!IsTable(state, index))
        return 0;
    const int table = lua_absindex(state, index);
    const int top = lua_gettop(state);
    int skipped = 0;
    lua_pushnil(state);
    // Keys stay untouched between the calls of lua_next (a number key is never converted in
    // place), so the walk cannot fail.
    while (lua_next(state, table) != 0)
    {
        if (lua_type(state, -2) == LUA_TSTRING)
        {
            std::size_t length = 0;
            const char* key = lua_tolstring(state, -2, &length);
            visit(std::string(key, length));
        }
        else
            ++skipped;
        lua_settop(state, top + 1);
    }
    return skipped;
}

bool CScriptManager::ReadNumberValue(lua_State* state, int index, double& value)
{
    int isNumber = 0;
    const lua_Number number = lua_tonumberx(state, index, &isNumber);
    if (isNumber)
        value = static_cast<double>(number);
    return isNumber != 0;
}

bool CScriptManager::ReadStringValue(lua_State* state, int index, std::string& text)
{
    if (lua_type(state, index) == LUA_TNUMBER)
    {
        text = NumberText(state, index);
        return true;
    }
    if (lua_type(state, index) != LUA_TSTRING)
        return false;
    std::size_t length = 0;
    const char* characters = lua_tolstring(state, index, &length);
    text.assign(characters, length);
    return true;
}

bool CScriptManager::ReadNumberList(lua_State* state, int index, double* values, int count)
{
    if (!IsTable(state, index) || lua_rawlen(state, index) != static_cast<lua_Unsigned>(count))
        return false;
    const int table = lua_absindex(state, index);
    std::vector<double> read(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
    {
        lua_rawgeti(state, table, i + 1);
        const bool number = ReadNumberValue(state, -1, read[static_cast<std::size_t>(i)]);
        lua_pop(state, 1);
        if (!number)
            return false;
    }
    std::copy(read.begin(), read.end(), values);
    return true;
}

void CScriptManager::PushBoolean(lua_State* state, bool value)
{
    lua_pushboolean(state, value ? 1 : 0);
}

void CScriptManager::PushNumber(lua_State* state, double value)
{
    lua_pushnumber(state, static_cast<lua_Number>(value));
}

CScriptManager& GetScriptManager()
{
    static CScriptManager manager;
    return manager;
}

} // namespace Tess
