#pragma once
// The platform services the engine starts from: the window system, the clock, and the factories
// of the input system, the audio device and the graphics system. By default they are the SDL and
// OpenGL backends; a test swaps in fakes with SetPlatform (and puts the previous services back
// afterwards). A fake window system needs a graphics system that does not take its window
// handles for SDL windows: the recording one.

#include "Engine/Platform/AudioDevice.h"
#include "Engine/Platform/Clock.h"
#include "Engine/Platform/GraphicsSystem.h"
#include "Engine/Platform/InputSystem.h"
#include "Engine/Platform/WindowSystem.h"

namespace Tess
{

struct PlatformServices
{
    IWindowSystem* windowSystem = nullptr;
    IClock* clock = nullptr;
    InputSystemFactory createInputSystem;
    AudioDeviceFactory createAudioDevice;
    // What the entry routine hands the renderer it creates.
    GraphicsSystemFactory createGraphicsSystem;
};

// The services in use. Backends are created on first use, so a program that replaces them
// before touching them never starts SDL.
const PlatformServices& GetPlatform();
IWindowSystem& GetWindowSystem();
IClock& GetClock();

// Replaces the services in use and returns the ones replaced. A member left empty (null) is
// taken from the defaults.
PlatformServices SetPlatform(const PlatformServices& services);

// The platform's own backends: SDL and OpenGL, or on Windows Win32 and Direct3D 9.
PlatformServices GetDefaultPlatform();

// The handle of the running program, handed to the entry routine.
InstanceHandle GetCurrentInstance();

} // namespace Tess
