#pragma once
// The entry routine and the main window's procedure. WinMain drives the whole program: window,
// input, renderer and sound, the application's Initialize, the message loop that runs one frame
// per iteration and never waits for messages, and the application's Shutdown.

#include "Engine/Platform/PlatformTypes.h"

#include <cstdint>

namespace Tess
{

// Class name and title of the main window.
inline constexpr const char* kWindowClassName = "Tesserant";
inline constexpr const char* kWindowTitle = "Tesserant Game Engine v1.0";

// Runs the program. The previous instance, command line and show command are ignored. Returns
// 1 after a normal run and -1 when the program has no application object or no window.
int WinMain(InstanceHandle instance, InstanceHandle previous, char* commandLine, int showCommand);

// The main window's procedure: WM_DESTROY posts the quit message; WM_CREATE and WM_PAINT
// return 0 (the loop draws the frames); everything else goes to the default procedure.
std::intptr_t WndProc(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam);

// The outer size of the main window: room for the border and caption around a client area of
// the requested size when windowed, the requested size itself otherwise.
void GetOuterWindowSize(int width, int height, bool windowed, int& outerWidth, int& outerHeight);

} // namespace Tess
