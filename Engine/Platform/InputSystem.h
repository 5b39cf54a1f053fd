#pragma once
// IInputSystem and IInputDevice: the keyboard and mouse source the input engine reads, in the
// shape of an immediate-mode input API: create a device, set its cooperative level and data
// format, acquire it, read its whole state once per frame. A device can only be acquired while
// its window has the input focus; when the focus goes, reads fail with kInputLost until the
// device is acquired again. Backends: the SDL one, DirectInput 8 on Windows and the tests' fake.

#include "Engine/Platform/PlatformTypes.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace Tess
{

// Cooperative-level flags.
constexpr std::uint32_t DISCL_EXCLUSIVE = 0x1;
constexpr std::uint32_t DISCL_NONEXCLUSIVE = 0x2;
constexpr std::uint32_t DISCL_FOREGROUND = 0x4;
constexpr std::uint32_t DISCL_BACKGROUND = 0x8;

// The interface version the input engine asks for.
constexpr std::uint32_t kInputVersion = 0x0800;

// Acquire refused because another window has the input focus.
constexpr Result kOtherAppHasPriority = static_cast<Result>(0x80070005u);
constexpr Result kInvalidParam = static_cast<Result>(0x80070057u);

// Size of the keyboard state: one byte per key code, bit 7 set while the key is down.
constexpr std::uint32_t kKeyboardStateSize = 256;

// Mouse state: movement since the previous read (x right, y down, z the wheel, 120 per notch)
// and four buttons (bit 7 set while down; 0 left, 1 right, 2 middle, 3 the first extra button).
struct MouseState
{
    std::int32_t lX = 0;
    std::int32_t lY = 0;
    std::int32_t lZ = 0;
    std::uint8_t rgbButtons[4] = {0, 0, 0, 0};
};
static_assert(sizeof(MouseState) == 16, "the mouse state is read as 16 bytes");

enum class EInputDevice
{
    SystemKeyboard,
    SystemMouse,
};

enum class EDataFormat
{
    Keyboard, // kKeyboardStateSize bytes
    Mouse,    // one MouseState
};

class IInputDevice
{
public:
    virtual ~IInputDevice() = default;

    virtual Result SetCooperativeLevel(WindowHandle window, std::uint32_t flags) = 0;
    virtual Result SetDataFormat(EDataFormat format) = 0;
    // Fails with kOtherAppHasPriority while the window lacks the input focus.
    virtual Result Acquire() = 0;
    virtual Result Unacquire() = 0;
    // Copies the device state (size must match the data format). kNotAcquired before Acquire,
    // kInputLost when the focus went since the last read; `data` is not written on failure.
    virtual Result GetDeviceState(std::uint32_t size, void* data) = 0;
};

class IInputSystem
{
public:
    virtual ~IInputSystem() = default;

    // Creates the system keyboard or mouse; `device` stays null on failure.
    virtual Result CreateDevice(EInputDevice which, std::unique_ptr<IInputDevice>& device) = 0;
};

// Creates an input system for the given version; null when no input is available.
using InputSystemFactory =
    std::function<std::unique_ptr<IInputSystem>(InstanceHandle instance, std::uint32_t version)>;

} // namespace Tess
