#include "Engine/Rendering/ScriptManager.h"

#include <lua.hpp>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <system_error>

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

// Lua runs finalizers with its hooks switched off, so a finalizer that loops could never be
// stopped: not during a later script's garbage collection, not when the state closes at exit.
// setmetatable therefore refuses a metatable with __gc (an object is marked for finalization
// only by the __gc its metatable has when it is set). The base library's version is upvalue 1.
int SetMetatableWithoutFinalizer(lua_State* state)
{
    if (lua_type(state, 2) == LUA_TTABLE)
    {
        lua_pushliteral(state, "__gc");
        const bool finalizer = lua_rawget(state, 2) != LUA_TNIL;
        lua_pop(state, 1);
        if (finalizer)
            return luaL_error(state, "finalizers (__gc) are not available to scripts");
    }
    const int arguments = lua_gettop(state);
    lua_pushvalue(state, lua_upvalueindex(1));
    lua_insert(state, 1);
    lua_call(state, arguments, LUA_MULTRET);
    return lua_gettop(state);
}

// xpcall(f, handler, ...) whose handler runs once the failed call has unwound. The base
// library's calls the handler where the error is raised; when that error is the time limit,
// raised from the instruction hook, Lua runs the handler with hooks off, and a handler that
// loops could never be stopped.
int ProtectedCallWithHandler(lua_State* state)
{
    const int arguments = lua_gettop(state);
    luaL_checktype(state, 2, LUA_TFUNCTION);
    const int resultSlot = arguments + 1;
    lua_pushboolean(state, 1);
    lua_pushvalue(state, 1);
    for (int i = 3; i <= arguments; ++i)
        lua_pushvalue(state, i);
    if (lua_pcall(state, arguments - 2, LUA_MULTRET, 0) == LUA_OK)
        return lua_gettop(state) - arguments;
    // The stack ends in the error object: hand it to the handler, return false and its answer
    // (or the handler's own error when it fails too).
    lua_pushvalue(state, 2);
    lua_insert(state, -2);
    lua_pcall(state, 1, 1, 0);
    lua_pushboolean(state, 0);
    lua_replace(state, resultSlot);
    return 2;
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
    // Every piece of script code must stay within the time limit (see CheckTime).
    ReplaceGlobal(m_state, "setmetatable", &SetMetatableWithoutFinalizer, true);
    ReplaceGlobal(m_state, "xpcall", &ProtectedCallWithHandler, false);
}

CScriptManager::~CScriptManager()
{
    if (!m_state)
        return;
    lua_close(m_state);
    m_state = nullptr;
}

void CScriptManager::SetTimeLimit(double seconds)
{
    m_timeLimitSeconds = seconds < 0.001 ? 0.001 : seconds;
}

void CScriptManager::StartClock()
{
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
    const auto* self = static_cast<const CScriptManager*>(userData);
    if (std::chrono::steady_clock::now() <= self->m_deadline)
        return;
    // From now on every instruction fails, not one in ten thousand: a script that catches the
    // error (pcall in a loop, an error handler that loops) cannot run on, because the next
    // instruction after the catch fails as well.
    lua_sethook(state, &CScriptManager::CheckTime, LUA_MASKCOUNT, 1);
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
    {
        StartClock();
        status = lua_pcall(m_state, 0, 0, 0);
    }
    if (status != LUA_OK)
        ReportError(status);
    lua_settop(m_state, 0);
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
    if (lua_type(state, index) != LUA_TSTRING && lua_type(state, index) != LUA_TNUMBER)
        return {};
    std::size_t length = 0;
    const char* text = lua_tolstring(state, index, &length);
    return text ? std::string(text, length) : std::string();
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
