#include "Engine/Input/Input.h"

#include "Engine/Core/Log.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Rendering/ScriptManager.h"

#include <array>
#include <cstring>

namespace Tess
{

namespace
{
CInput* g_input = nullptr;

constexpr std::uint8_t kDown = 0x80;
// A device that reports a lost input on every acquire would otherwise keep the frame forever.
constexpr int kMaxReacquireAttempts = 16;

constexpr const char* kScriptPath = "Data/Scripts/Input_Configuration.lua";

constexpr const char* const kKeyboardMessages[5] = {
    "Failed to create Direct Input keyboard device.",
    "Failed to set the cooperative level of the keyboard.",
    "Failed to set the data format of the keyboard.",
    "Failed to acquire the keyboard.",
    "Keyboard has been initialized.",
};
constexpr const char* const kMouseMessages[5] = {
    "Failed to create Direct Input mouse device.",
    "Failed to set the cooperative level of the mouse.",
    "Failed to set the data format of the mouse.",
    "Failed to acquire the mouse.",
    "Mouse has been initialized.",
};

constexpr std::array<const char*, CInput::kKeyCount> BuildKeyNames()
{
    std::array<const char*, CInput::kKeyCount> names{};
    const char* const row1[] = {"ESC", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-",
                                "=", "BSPACE", "TAB", "Q", "W", "E", "R", "T", "Y", "U", "I",
                                "O", "P", "[", "]", "RET", "L-CTRL", "A", "S", "D", "F", "G",
                                "H", "J", "K", "L", ";", "'"};
    for (int i = 0; i < 40; ++i)
        names[0x01 + i] = row1[i];
    const char* const row2[] = {"L-SHFT", "\\", "Z", "X", "C", "V", "B", "N", "M", ",", ".",
                                "/", "R-SHFT", "*"};
    for (int i = 0; i < 14; ++i)
        names[0x2A + i] = row2[i];
    names[0x39] = "SPACE";
    const char* const functionKeys[] = {"F1", "F2", "F3", "F4", "F5",
                                        "F6", "F7", "F8", "F9", "F10"};
    for (int i = 0; i < 10; ++i)
        names[0x3B + i] = functionKeys[i];
    names[0x47] = "NUMPAD 7";
    names[0x48] = "NUMPAD 8";
    names[0x49] = "NUMPAD 9";
    names[0x4A] = "-";
    names[0x4B] = "NUMPAD 4";
    names[0x4C] = "NUMPAD 5";
    names[0x4D] = "NUMPAD 6";
    names[0x4E] = "+";
    names[0x4F] = "NUMPAD 1";
    names[0x50] = "NUMPAD 2";
    names[0x51] = "NUMPAD 3";
    names[0x52] = "NUMPAD 0";
    names[0x53] = ".";
    names[0x57] = "F11";
    names[0x58] = "F12";
    names[0x64] = "F13";
    names[0x65] = "F14";
    names[0x66] = "F15";
    names[0x8D] = "=";
    names[0x91] = "@";
    names[0x92] = ":";
    names[0x93] = "_";
    names[0xB3] = ",";
    names[0xB5] = "/";
    return names;
}

constexpr auto kKeyNames = BuildKeyNames();

bool IsKeyCode(int key)
{
    return key >= 0 && key < CInput::kKeyCount;
}

// The script functions: they read a missing or non-numeric key as 0 and return one value.
int ScriptCheckKey(lua_State* state)
{
    CScriptManager::GetArgumentCount(state);
    const int key = CScriptManager::ReadInteger(state, 1);
    CScriptManager::PushBoolean(state, g_input && g_input->CheckKey(key));
    return 1;
}

int ScriptCheckKeyDown(lua_State* state)
{
    CScriptManager::GetArgumentCount(state);
    const int key = CScriptManager::ReadInteger(state, 1);
    CScriptManager::PushBoolean(state, g_input && g_input->CheckKeyDown(key));
    return 1;
}

int ScriptCheckKeyUp(lua_State* state)
{
    CScriptManager::GetArgumentCount(state);
    const int key = CScriptManager::ReadInteger(state, 1);
    CScriptManager::PushBoolean(state, g_input && g_input->CheckKeyUp(key));
    return 1;
}

int ScriptDeltaX(lua_State* state)
{
    CScriptManager::GetArgumentCount(state);
    CScriptManager::PushNumber(state, g_input ? g_input->GetDeltaX() : 0);
    return 1;
}

int ScriptDeltaY(lua_State* state)
{
    CScriptManager::GetArgumentCount(state);
    CScriptManager::PushNumber(state, g_input ? g_input->GetDeltaY() : 0);
    return 1;
}

int ScriptDeltaZ(lua_State* state)
{
    CScriptManager::GetArgumentCount(state);
    CScriptManager::PushNumber(state, g_input ? g_input->GetDeltaZ() : 0);
    return 1;
}

void LogInput(const char* text)
{
    GetLog().Write(LOG_INPUT, text);
}
} // namespace

CInput* GetInput()
{
    return g_input;
}

CInput::CInput(InputSystemFactory factory) : m_factory(std::move(factory))
{
    g_input = this;
    RegisterScriptFunctions();
    // The script runs before the devices exist, so whatever input it reads is all zero.
    GetScriptManager().RunScriptFile(kScriptPath);
    LogInput("Input engine constructed.");
}

CInput::~CInput()
{
    if (m_keyboard)
    {
        m_keyboard->Unacquire();
        m_keyboard.reset();
    }
    LogInput("Keyboard has been released.");
    if (m_mouse)
    {
        m_mouse->Unacquire();
        m_mouse.reset();
    }
    LogInput("Mouse has been released.");
    m_directInput.reset();
    LogInput("Input engine deconstructed.");
    if (g_input == this)
        g_input = nullptr;
}

void CInput::RegisterScriptFunctions()
{
    CScriptManager& scripts = GetScriptManager();
    scripts.RegisterFunction("CheckKey", &ScriptCheckKey);
    scripts.RegisterFunction("CheckKeyDown", &ScriptCheckKeyDown);
    scripts.RegisterFunction("CheckKeyUp", &ScriptCheckKeyUp);
    scripts.RegisterFunction("DeltaX", &ScriptDeltaX);
    scripts.RegisterFunction("DeltaY", &ScriptDeltaY);
    scripts.RegisterFunction("DeltaZ", &ScriptDeltaZ);
}

bool CInput::Initialize(InstanceHandle instance, WindowHandle window)
{
    m_instance = instance;
    m_window = window;
    const InputSystemFactory& create = m_factory ? m_factory : GetPlatform().createInputSystem;
    m_directInput = create ? create(instance, kInputVersion) : nullptr;
    m_keyboard = InitializeDevice(EInputDevice::SystemKeyboard,
                                  DISCL_FOREGROUND | DISCL_NONEXCLUSIVE, EDataFormat::Keyboard,
                                  kKeyboardMessages);
    // The mouse is held exclusively while the window has the focus: the system cursor is hidden
    // and the GUI draws its own.
    m_mouse = InitializeDevice(EInputDevice::SystemMouse, DISCL_FOREGROUND | DISCL_EXCLUSIVE,
                               EDataFormat::Mouse, kMouseMessages);
    return true;
}

// Runs the set-up steps until the first failure. A device that was created stays, even when a
// later step failed: each poll then tries to acquire it again.
std::unique_ptr<IInputDevice> CInput::InitializeDevice(EInputDevice which, std::uint32_t flags,
                                                       EDataFormat format,
                                                       const char* const messages[5])
{
    std::unique_ptr<IInputDevice> device;
    if (!m_directInput || Failed(m_directInput->CreateDevice(which, device)) || !device)
    {
        LogInput(messages[0]);
        return nullptr;
    }
    if (Failed(device->SetCooperativeLevel(m_window, flags)))
        LogInput(messages[1]);
    else if (Failed(device->SetDataFormat(format)))
        LogInput(messages[2]);
    else if (Failed(device->Acquire()))
        LogInput(messages[3]);
    else
        LogInput(messages[4]);
    return device;
}

bool CInput::Update()
{
    PollKeyboard();
    PollMouse();
    return true;
}

bool CInput::PollKeyboard()
{
    if (!m_keyboard)
    {
        std::memset(m_keys, 0, sizeof m_keys);
        std::memset(m_previousKeys, 0, sizeof m_previousKeys);
        return false;
    }
    std::memcpy(m_previousKeys, m_keys, sizeof m_keys);
    if (Failed(m_keyboard->GetDeviceState(sizeof m_keys, m_keys)))
    {
        Reacquire(*m_keyboard);
        return false;
    }
    return true;
}

bool CInput::PollMouse()
{
    if (!m_mouse)
    {
        m_mouseState = MouseState{};
        return false;
    }
    if (Failed(m_mouse->GetDeviceState(sizeof m_mouseState, &m_mouseState)))
    {
        Reacquire(*m_mouse);
        // The buttons keep their last state, but movement is only what was measured since the
        // previous read: repeating the last frame's movement would keep a camera turning
        // while the window is in the background.
        m_mouseState.lX = m_mouseState.lY = m_mouseState.lZ = 0;
        return false;
    }
    return true;
}

void CInput::Reacquire(IInputDevice& device)
{
    for (int attempt = 0; attempt < kMaxReacquireAttempts; ++attempt)
        if (device.Acquire() != kInputLost)
            break;
}

bool CInput::CheckKey(int key) const
{
    return IsKeyCode(key) && (m_keys[key] & kDown) != 0;
}

bool CInput::CheckKeyDown(int key) const
{
    return IsKeyCode(key) && (m_keys[key] & kDown) != 0 && (m_previousKeys[key] & kDown) == 0;
}

bool CInput::CheckKeyUp(int key) const
{
    return IsKeyCode(key) && (m_keys[key] & kDown) == 0 && (m_previousKeys[key] & kDown) != 0;
}

bool CInput::CheckMouseButton(int button) const
{
    return button >= 0 && button < kButtonCount && (m_mouseState.rgbButtons[button] & kDown) != 0;
}

int CInput::GetFirstKeyDown() const
{
    for (int key = 0; key < kKeyCount; ++key)
        if (CheckKeyDown(key))
            return key;
    return 0;
}

std::string CInput::GetKeyName(int key)
{
    if (!IsKeyCode(key) || !kKeyNames[static_cast<std::size_t>(key)])
        return {};
    return kKeyNames[static_cast<std::size_t>(key)];
}

} // namespace Tess
