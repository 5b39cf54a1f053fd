#include "Engine/Platform/Win32/Win32InputSystem.h"

#include "Engine/Platform/Win32/Win32InputDevice.h"

#include "Engine/Platform/Win32/Win32Api.h"

#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>

namespace Tess::Platform
{

static_assert(kInputVersion == DIRECTINPUT_VERSION, "the engine asks for DirectInput 8");

CWin32InputSystem::CWin32InputSystem(IDirectInput8W* directInput) : m_directInput(directInput) {}

CWin32InputSystem::~CWin32InputSystem()
{
    if (m_directInput)
        m_directInput->Release();
}

Result CWin32InputSystem::CreateDevice(EInputDevice which, std::unique_ptr<IInputDevice>& device)
{
    device.reset();
    const GUID& guid = which == EInputDevice::SystemMouse ? GUID_SysMouse : GUID_SysKeyboard;
    IDirectInputDevice8W* created = nullptr;
    const HRESULT result = m_directInput->CreateDevice(guid, &created, nullptr);
    if (FAILED(result) || !created)
        return FAILED(result) ? static_cast<Result>(result) : kFail;
    device = std::make_unique<CWin32InputDevice>(which, created);
    return kOk;
}

std::unique_ptr<IInputSystem> CreateWin32InputSystem(InstanceHandle instance, std::uint32_t version)
{
    void* created = nullptr;
    const HRESULT result =
        DirectInput8Create(ToHinstance(instance), version, IID_IDirectInput8W, &created, nullptr);
    if (FAILED(result) || !created)
        return nullptr;
    return std::make_unique<CWin32InputSystem>(static_cast<IDirectInput8W*>(created));
}

} // namespace Tess::Platform
