#pragma once
// A shown, foreground window of the Win32 window system for the backend tests, and the journal
// of the messages its procedure received.

#include "Engine/Platform/Win32/Win32WindowSystem.h"

#include <cstdint>
#include <vector>

namespace Win32Test
{

// Every message the test windows' procedure received (number, wParam, lParam), in order. The
// procedure posts WM_QUIT with exit code 7 on WM_DESTROY and leaves the rest to the default.
std::vector<Tess::WindowMessage>& Received();

// A window of the test class with a client area of 320 x 200, shown and in the foreground.
Tess::WindowHandle CreateShownWindow(const char* title = "Tesserant test");

// Presses or releases a key by its scan code, as the keyboard would.
void SendKey(std::uint8_t scanCode, bool down);

// Dispatches every pending message until the queue is empty or WM_QUIT came (true then).
bool DrainMessages();

} // namespace Win32Test
