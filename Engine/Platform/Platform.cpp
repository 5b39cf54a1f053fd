#include "Engine/Platform/Platform.h"

#include "Engine/Platform/SDL/SDLAudioDevice.h"
#include "Engine/Platform/SDL/SDLClock.h"
#include "Engine/Platform/SDL/SDLInputSystem.h"
#include "Engine/Platform/SDL/SDLWindowSystem.h"

namespace Tess
{

namespace
{
PlatformServices& Services()
{
    static PlatformServices services = GetDefaultPlatform();
    return services;
}

// Any address unique to this program serves as its instance handle.
char g_instanceMarker;
} // namespace

PlatformServices GetDefaultPlatform()
{
    PlatformServices services;
    services.windowSystem = &Platform::GetSDLWindowSystem();
    services.clock = &Platform::GetSDLClock();
    services.createInputSystem = &Platform::CreateSDLInputSystem;
    services.createAudioDevice = &Platform::CreateSDLAudioDevice;
    services.createGraphicsSystem = &CreateGraphicsSystem;
    return services;
}

const PlatformServices& GetPlatform()
{
    return Services();
}

IWindowSystem& GetWindowSystem()
{
    return *Services().windowSystem;
}

IClock& GetClock()
{
    return *Services().clock;
}

PlatformServices SetPlatform(const PlatformServices& services)
{
    const PlatformServices defaults = GetDefaultPlatform();
    PlatformServices replaced = Services();
    PlatformServices& current = Services();
    current.windowSystem = services.windowSystem ? services.windowSystem : defaults.windowSystem;
    current.clock = services.clock ? services.clock : defaults.clock;
    current.createInputSystem =
        services.createInputSystem ? services.createInputSystem : defaults.createInputSystem;
    current.createAudioDevice =
        services.createAudioDevice ? services.createAudioDevice : defaults.createAudioDevice;
    current.createGraphicsSystem = services.createGraphicsSystem ? services.createGraphicsSystem
                                                                 : defaults.createGraphicsSystem;
    return replaced;
}

InstanceHandle GetCurrentInstance()
{
    return reinterpret_cast<InstanceHandle>(&g_instanceMarker);
}

} // namespace Tess
