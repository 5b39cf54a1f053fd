#pragma once
// The input system on SDL2: a keyboard read from SDL's key state through the scancode table,
// and a mouse read in SDL's relative mode, which an exclusive mouse holds (the system cursor is
// hidden and the pointer cannot leave the window) while its window has the input focus.

#include "Engine/Platform/InputSystem.h"

namespace Tess::Platform
{

class CSDLInputSystem final : public IInputSystem
{
public:
    // Use CreateSDLInputSystem, which returns null when SDL's video cannot start.
    CSDLInputSystem();
    ~CSDLInputSystem() override;
    CSDLInputSystem(const CSDLInputSystem&) = delete;
    CSDLInputSystem& operator=(const CSDLInputSystem&) = delete;

    Result CreateDevice(EInputDevice which, std::unique_ptr<IInputDevice>& device) override;

    bool IsRunning() const { return m_videoStarted; }

private:
    bool m_videoStarted = false;
};

std::unique_ptr<IInputSystem> CreateSDLInputSystem(InstanceHandle instance, std::uint32_t version);

} // namespace Tess::Platform
