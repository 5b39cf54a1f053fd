#include "Engine/Platform/SDL/SDLDisplayWatch.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <array>
#include <cstdio>

namespace Tess::Platform
{

namespace
{
struct WatchedWindow
{
    SDL_Window* sdlWindow = nullptr;
    Display* display = nullptr;
    ::Window xWindow = 0;
    // The display's first GLX error code, 0 without GLX.
    int glxFirstError = 0;
    bool lost = false;
};

// GLX's errors about a drawable that does not exist (the window's GL side).
constexpr int kGLXBadDrawable = 2;
constexpr int kGLXBadCurrentDrawable = 11;
constexpr int kGLXBadWindow = 12;

// Plain data with nothing to destroy: Xlib may call the handlers while static objects are being
// destroyed at exit, and the window system asks about its windows from its own destructor.
constexpr std::size_t kMaxWatched = 16;
std::array<WatchedWindow, kMaxWatched> g_watched;
bool g_anyLost = false;
bool g_errorHandlersInstalled = false;
XErrorHandler g_previousErrorHandler = nullptr;

void MarkLost(WatchedWindow& watched)
{
    watched.lost = true;
    g_anyLost = true;
}

bool IsWatchedDisplay(const Display* display)
{
    for (const WatchedWindow& watched : g_watched)
        if (watched.sdlWindow && watched.display == display)
            return true;
    return false;
}

// A request on a window that no longer exists: another client destroyed it.
bool SaysWindowIsGone(const WatchedWindow& watched, const XErrorEvent& error)
{
    const int code = error.error_code;
    if (code == BadWindow || code == BadDrawable)
        return true;
    const int glx = code - watched.glxFirstError;
    return watched.glxFirstError > 0 &&
           (glx == kGLXBadDrawable || glx == kGLXBadCurrentDrawable || glx == kGLXBadWindow);
}

int OnXError(Display* display, XErrorEvent* error)
{
    for (WatchedWindow& watched : g_watched)
    {
        if (!watched.sdlWindow || watched.display != display || watched.xWindow != error->resourceid)
            continue;
        // Once the window is known gone, whatever else fails on it (its GL drawable, say) is
        // part of the same loss.
        if (watched.lost || SaysWindowIsGone(watched, *error))
        {
            MarkLost(watched);
            return 0;
        }
    }
    // Any other error is handled as before (by default, the process ends).
    return g_previousErrorHandler ? g_previousErrorHandler(display, error) : 0;
}

int OnIOError(Display*)
{
    static bool reported = false;
    if (!reported)
        std::fprintf(stderr, "The connection to the X display was lost.\n");
    reported = true;
    // Returning hands over to the display's exit handler: ours for a watched display, Xlib's
    // (which ends the process) for any other.
    return 0;
}

// Called by Xlib after OnIOError instead of ending the process. The connection stays dead: every
// later Xlib call on it returns at once, failing.
void OnIOErrorExit(Display* display, void*)
{
    for (WatchedWindow& watched : g_watched)
        if (watched.sdlWindow && watched.display == display)
            MarkLost(watched);
}

WatchedWindow* Find(const SDL_Window* window)
{
    for (WatchedWindow& watched : g_watched)
        if (window && watched.sdlWindow == window)
            return &watched;
    return nullptr;
}
} // namespace

void CSDLDisplayWatch::Watch(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || Find(window) || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    WatchedWindow* slot = nullptr;
    for (WatchedWindow& watched : g_watched)
        if (!watched.sdlWindow)
        {
            slot = &watched;
            break;
        }
    if (!slot)
        return;
    if (!g_errorHandlersInstalled)
    {
        g_errorHandlersInstalled = true;
        g_previousErrorHandler = XSetErrorHandler(&OnXError);
        XSetIOErrorHandler(&OnIOError);
    }
    if (!IsWatchedDisplay(info.info.x11.display))
        XSetIOErrorExitHandler(info.info.x11.display, &OnIOErrorExit, nullptr);
    int glxOpcode = 0, glxFirstEvent = 0, glxFirstError = 0;
    if (!XQueryExtension(info.info.x11.display, "GLX", &glxOpcode, &glxFirstEvent, &glxFirstError))
        glxFirstError = 0;
    *slot = {window, info.info.x11.display, info.info.x11.window, glxFirstError, false};
}

void CSDLDisplayWatch::Forget(SDL_Window* window)
{
    if (WatchedWindow* watched = Find(window))
        *watched = {};
}

bool CSDLDisplayWatch::IsLost(SDL_Window* window)
{
    const WatchedWindow* watched = Find(window);
    return watched && watched->lost;
}

bool CSDLDisplayWatch::IsAnyLost()
{
    return g_anyLost;
}

} // namespace Tess::Platform
