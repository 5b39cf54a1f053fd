#pragma once
// CInput: the engine's one input object. It owns the keyboard and the mouse, reads both once per
// frame, keeps this frame's and the previous frame's key tables so presses and releases show as
// edges, and exposes the frame's mouse movement. Lua scripts reach the same state through the
// globals CheckKey, CheckKeyDown, CheckKeyUp, DeltaX, DeltaY and DeltaZ.

#include "Engine/Platform/InputSystem.h"
#include "Engine/Platform/KeyCodes.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Tess
{

class CInput
{
public:
    static constexpr int kKeyCount = 256;
    static constexpr int kButtonCount = 4;

    // Registers the script functions and runs Data/Scripts/Input_Configuration.lua. The devices
    // come from `factory` in Initialize; by default the platform's input system.
    explicit CInput(InputSystemFactory factory = {});
    // Releases the devices, logging each release.
    ~CInput();
    CInput(const CInput&) = delete;
    CInput& operator=(const CInput&) = delete;

    // Creates the keyboard and the mouse for `window`; the log tells how far each got. Returns
    // true whatever happened: a device that failed is absent or waits to be acquired.
    bool Initialize(InstanceHandle instance, WindowHandle window);
    // Reads the keyboard, then the mouse. A device that cannot be read (its window lost the
    // focus) is acquired again and keeps its last state, so no edge is seen meanwhile.
    bool Update();

    // Key `key` (a key code) is down in this frame.
    bool CheckKey(int key) const;
    // Down in this frame and up in the previous one: true in exactly one frame per press.
    bool CheckKeyDown(int key) const;
    // Up in this frame and down in the previous one: true in exactly one frame per release.
    bool CheckKeyUp(int key) const;
    // Mouse button `button` (0 left, 1 right, 2 middle, 3 extra) is down.
    bool CheckMouseButton(int button) const;
    // Mouse movement of this frame: x right, y down, z the wheel (120 per notch).
    std::int32_t GetDeltaX() const { return m_mouseState.lX; }
    std::int32_t GetDeltaY() const { return m_mouseState.lY; }
    std::int32_t GetDeltaZ() const { return m_mouseState.lZ; }
    // The lowest key code pressed in this frame; 0 when none is.
    int GetFirstKeyDown() const;

    // The display name of a key code; "" for a code without one.
    static std::string GetKeyName(int key);

    bool HasKeyboard() const { return m_keyboard != nullptr; }
    bool HasMouse() const { return m_mouse != nullptr; }

private:
    static void RegisterScriptFunctions();
    std::unique_ptr<IInputDevice> InitializeDevice(EInputDevice which, std::uint32_t flags,
                                                   EDataFormat format,
                                                   const char* const messages[5]);
    bool PollKeyboard();
    bool PollMouse();
    static void Reacquire(IInputDevice& device);

    InputSystemFactory m_factory;
    std::unique_ptr<IInputSystem> m_directInput;
    std::unique_ptr<IInputDevice> m_keyboard;
    std::unique_ptr<IInputDevice> m_mouse;
    WindowHandle m_window = nullptr;
    InstanceHandle m_instance = nullptr;
    std::uint8_t m_keys[kKeyCount] = {};
    std::uint8_t m_previousKeys[kKeyCount] = {};
    MouseState m_mouseState;
};

// The input object the script functions read; null while there is none.
CInput* GetInput();

} // namespace Tess
