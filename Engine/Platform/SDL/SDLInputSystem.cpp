#include "Engine/Platform/SDL/SDLInputSystem.h"

#include "Engine/Platform/SDL/SDLEvents.h"
#include "Engine/Platform/SDL/SDLInputDevice.h"

namespace Tess::Platform
{

CSDLInputSystem::CSDLInputSystem() : m_videoStarted(GetSDLEvents().StartVideo()) {}

CSDLInputSystem::~CSDLInputSystem()
{
    if (m_videoStarted)
        GetSDLEvents().StopVideo();
}

Result CSDLInputSystem::CreateDevice(EInputDevice which, std::unique_ptr<IInputDevice>& device)
{
    device.reset();
    if (!m_videoStarted)
        return kFail;
    device = std::make_unique<CSDLInputDevice>(which);
    return kOk;
}

std::unique_ptr<IInputSystem> CreateSDLInputSystem(InstanceHandle, std::uint32_t version)
{
    if (version > kInputVersion)
        return nullptr;
    auto system = std::make_unique<CSDLInputSystem>();
    if (!system->IsRunning())
        return nullptr;
    return system;
}

} // namespace Tess::Platform
