#include "Engine/Rendering/ScriptManager.h"

#include <lua.hpp>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace Tess
{

namespace
{
// Start time of the script that is running; read by the instruction hook.
std::chrono::steady_clock::time_point g_scriptStart;
constexpr int kHookInstructionCount = 10000;

// Stops a script that has run past the time limit. Runs every kHookInstructionCount
// instructions, so the check costs next to nothing.
void CheckScriptTime(lua_State* state, lua_Debug*)
{
    const auto elapsed = std::chrono::steady_clock::now() - g_scriptStart;
    if (std::chrono::duration<double>(elapsed).count() > CScriptManager::kTimeLimitSeconds)
        luaL_error(state, "script stopped: it ran longer than %d seconds",
                   static_cast<int>(CScriptManager::kTimeLimitSeconds));
}

void OpenLibrary(lua_State* state, const char* name, lua_CFunction open)
{
    luaL_requiref(state, name, open, 1);
    lua_pop(state, 1);
}
} // namespace

CScriptManager::CScriptManager()
{
    m_state = lua_newstate(&CScriptManager::Allocate, this);
    if (!m_state)
        return;
    OpenLibrary(m_state, LUA_GNAME, luaopen_base);
    OpenLibrary(m_state, LUA_COLIBNAME, luaopen_coroutine);
}

CScriptManager::~CScriptManager()
{
    if (m_state)
        lua_close(m_state);
    m_state = nullptr;
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
    int status = luaL_loadfile(m_state, path.c_str());
    if (status == LUA_OK)
    {
        g_scriptStart = std::chrono::steady_clock::now();
        lua_sethook(m_state, &CheckScriptTime, LUA_MASKCOUNT, kHookInstructionCount);
        status = lua_pcall(m_state, 0, 0, 0);
        lua_sethook(m_state, nullptr, 0, 0);
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
        // An _ALERT that fails itself is dropped: reporting must not raise a second error.
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
