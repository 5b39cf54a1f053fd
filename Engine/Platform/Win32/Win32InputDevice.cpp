#include "Engine/Platform/Win32/Win32InputDevice.h"

#include "Engine/Platform/Win32/Win32Api.h"

#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>

#include <cstring>

namespace Tess::Platform
{

static_assert(DISCL_EXCLUSIVE == 0x1 && DISCL_NONEXCLUSIVE == 0x2 && DISCL_FOREGROUND == 0x4 &&
                  DISCL_BACKGROUND == 0x8,
              "cooperative levels are DirectInput's");
static_assert(kInputLost == static_cast<Result>(DIERR_INPUTLOST) &&
                  kNotAcquired == static_cast<Result>(DIERR_NOTACQUIRED) &&
                  kOtherAppHasPriority == static_cast<Result>(DIERR_OTHERAPPHASPRIO) &&
                  kInvalidParam == static_cast<Result>(DIERR_INVALIDPARAM),
              "results are DirectInput's");
static_assert(sizeof(MouseState) == sizeof(DIMOUSESTATE) &&
                  offsetof(MouseState, lZ) == offsetof(DIMOUSESTATE, lZ) &&
                  offsetof(MouseState, rgbButtons) == offsetof(DIMOUSESTATE, rgbButtons),
              "the mouse state is DirectInput's DIMOUSESTATE");

CWin32InputDevice::CWin32InputDevice(EInputDevice kind, IDirectInputDevice8W* device)
    : m_kind(kind), m_device(device)
{
}

CWin32InputDevice::~CWin32InputDevice()
{
    m_device->Unacquire();
    m_device->Release();
}

Result CWin32InputDevice::SetCooperativeLevel(WindowHandle window, std::uint32_t flags)
{
    return static_cast<Result>(m_device->SetCooperativeLevel(ToHwnd(window), flags));
}

Result CWin32InputDevice::SetDataFormat(EDataFormat format)
{
    if (format != (IsMouse() ? EDataFormat::Mouse : EDataFormat::Keyboard))
        return kInvalidParam;
    return static_cast<Result>(m_device->SetDataFormat(IsMouse() ? &c_dfDIMouse : &c_dfDIKeyboard));
}

Result CWin32InputDevice::Acquire()
{
    return static_cast<Result>(m_device->Acquire());
}

Result CWin32InputDevice::Unacquire()
{
    return static_cast<Result>(m_device->Unacquire());
}

Result CWin32InputDevice::GetDeviceState(std::uint32_t size, void* data)
{
    const std::uint32_t expected = IsMouse() ? sizeof(DIMOUSESTATE) : kKeyboardStateSize;
    if (!data || size != expected)
        return kInvalidParam;
    // Read aside first: the caller's last good state must survive a failed read.
    std::uint8_t state[kKeyboardStateSize];
    const HRESULT result = m_device->GetDeviceState(size, state);
    if (FAILED(result))
        return static_cast<Result>(result);
    std::memcpy(data, state, size);
    return kOk;
}

} // namespace Tess::Platform
