#pragma once
// CWin32InputDevice: the DirectInput 8 system keyboard or mouse. The interface's flags, data
// formats and result codes are DirectInput's own (DISCL_*, c_dfDIKeyboard and c_dfDIMouse,
// DIERR_INPUTLOST, DIERR_NOTACQUIRED, DIERR_OTHERAPPHASPRIO), so each call goes straight
// through; only a data format that does not fit the device is refused here, and a failed read
// leaves the caller's buffer as it was.

#include "Engine/Platform/InputSystem.h"

struct IDirectInputDevice8W;

namespace Tess::Platform
{

class CWin32InputDevice final : public IInputDevice
{
public:
    // Takes over a device created for `kind`.
    CWin32InputDevice(EInputDevice kind, IDirectInputDevice8W* device);
    ~CWin32InputDevice() override;
    CWin32InputDevice(const CWin32InputDevice&) = delete;
    CWin32InputDevice& operator=(const CWin32InputDevice&) = delete;

    Result SetCooperativeLevel(WindowHandle window, std::uint32_t flags) override;
    Result SetDataFormat(EDataFormat format) override;
    Result Acquire() override;
    Result Unacquire() override;
    Result GetDeviceState(std::uint32_t size, void* data) override;

private:
    bool IsMouse() const { return m_kind == EInputDevice::SystemMouse; }

    EInputDevice m_kind;
    IDirectInputDevice8W* m_device = nullptr;
};

} // namespace Tess::Platform
