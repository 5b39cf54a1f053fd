#include "Engine/Platform/Platform.h"

// The platform is chosen when the program is built: Win32 on Windows, SDL everywhere else.
#ifdef _WIN32
#include "Engine/Platform/Win32/Win32AudioDevice.h"
#include "Engine/Platform/Win32/Win32Clock.h"
#include "Engine/Platform/Win32/Win32InputSystem.h"
#include "Engine/Platform/Win32/Win32Screen.h"
#include "Engine/Platform/Win32/Win32WindowSystem.h"
#else
#include "Engine/Platform/SDL/SDLAudioDevice.h"
#include "Engine/Platform/SDL/SDLClock.h"
#include "Engine/Platform/SDL/SDLInputSystem.h"
#include "Engine/Platform/SDL/SDLWindowSystem.h"
#endif

namespace Tess
{

namespace
{
PlatformServices& Services()
{
    static PlatformServices services = GetDefaultPlatform();
    return services;
}

#ifndef _WIN32
// Any address unique to this program serves as its instance handle.
char g_instanceMarker;
#endif
} // namespace

PlatformServices GetDefaultPlatform()
{
    PlatformServices services;
#ifdef _WIN32
    services.windowSystem = &Platform::GetWin32WindowSystem();
    services.clock = &Platform::GetWin32Clock();
    services.createInputSystem = &Platform::CreateWin32InputSystem;
    services.createAudioDevice = &Platform::CreateWin32AudioDevice;
#else
    services.windowSystem = &Platform::GetSDLWindowSystem();
    services.clock = &Platform::GetSDLClock();
    services.createInputSystem = &Platform::CreateSDLInputSystem;
    services.createAudioDevice = &Platform::CreateSDLAudioDevice;
#endif
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
#ifdef _WIN32
    return Platform::GetWin32Instance();
#else
    return reinterpret_cast<InstanceHandle>(&g_instanceMarker);
#endif
}

} // namespace Tess
