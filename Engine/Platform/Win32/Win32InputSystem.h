#pragma once
// CWin32InputSystem: DirectInput 8 in immediate mode. It holds the DirectInput object and makes
// the system keyboard and mouse (CWin32InputDevice) from it.

#include "Engine/Platform/InputSystem.h"

struct IDirectInput8W;

namespace Tess::Platform
{

class CWin32InputSystem final : public IInputSystem
{
public:
    // Takes over a DirectInput object; use CreateWin32InputSystem to make one.
    explicit CWin32InputSystem(IDirectInput8W* directInput);
    ~CWin32InputSystem() override;
    CWin32InputSystem(const CWin32InputSystem&) = delete;
    CWin32InputSystem& operator=(const CWin32InputSystem&) = delete;

    Result CreateDevice(EInputDevice which, std::unique_ptr<IInputDevice>& device) override;

private:
    IDirectInput8W* m_directInput = nullptr;
};

// DirectInput8Create for the given module (null: the program's own) and version; null when
// DirectInput refuses.
std::unique_ptr<IInputSystem> CreateWin32InputSystem(InstanceHandle instance, std::uint32_t version);

} // namespace Tess::Platform
