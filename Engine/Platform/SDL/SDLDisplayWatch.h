#pragma once
// CSDLDisplayWatch: notices when an SDL window on an X11 display is taken away from outside, as
// the close box never does it: the X server closes our connection (the server ends, or another
// client kills ours, as `xdotool windowkill` does), or another client destroys the window. Xlib's
// default handlers end the process on the spot with status 1, and the exit-time destructors then
// wait forever for answers from the dead connection. The handlers installed here note the loss
// instead, so that the window system can close the window the ordinary way and the program end
// normally.
//
// A lost window must not be hidden or destroyed through SDL any more: SDL waits for the server
// to confirm both, and no confirmation comes. Windows on other drivers (Wayland) are not watched
// and never reported lost.

struct SDL_Window;

namespace Tess::Platform
{

class CSDLDisplayWatch
{
public:
    // Starts watching the window when it lives on an X11 display; installs the handlers once.
    static void Watch(SDL_Window* window);
    // Stops watching a window SDL is about to destroy.
    static void Forget(SDL_Window* window);
    // True once the window's X window is gone or the connection to its display is lost.
    static bool IsLost(SDL_Window* window);
    // True once any watched window is lost: SDL's video must then not be shut down, as that
    // destroys the lost windows too.
    static bool IsAnyLost();
};

} // namespace Tess::Platform
