#pragma once
// Internal to the SDL backends of the platform layer: how the opaque platform handles map to
// SDL objects. A WindowHandle is the SDL_Window* itself.

#include "Engine/Platform/PlatformTypes.h"

#include <SDL.h>

namespace Tess::Platform
{

inline SDL_Window* ToSDLWindow(WindowHandle window)
{
    return reinterpret_cast<SDL_Window*>(window);
}

inline WindowHandle FromSDLWindow(SDL_Window* window)
{
    return reinterpret_cast<WindowHandle>(window);
}

} // namespace Tess::Platform
