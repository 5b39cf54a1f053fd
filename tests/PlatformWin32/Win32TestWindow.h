#pragma once
// A shown, foreground window of the Win32 window system for the backend tests, and the journal
// of the messages its procedure received.

#include "Engine/Platform/Win32/Win32WindowSystem.h"

#include <cstdint>
#include <vector>

namespace Win32Test
{

struct ReceivedMessage
{
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// Everything the test windows' procedure received, in order.
std::vector<ReceivedMessage>& Received();

// The procedure of the test class: records, posts WM_QUIT with exit code 7 on WM_DESTROY, and
// leaves the rest to the default handling.
std::intptr_t RecordingProcedure(Tess::WindowHandle window, std::uint32_t message,
                                 std::uintptr_t wParam, std::intptr_t lParam);

// Registers the test class (once) and creates a window of it with a client area of 320 x 200,
// shown and in the foreground.
Tess::WindowHandle CreateShownWindow(const char* title = "Tesserant test");

// Removes every pending message, dispatching each, until the queue is empty or WM_QUIT came;
// returns whether WM_QUIT came.
bool DrainMessages();

} // namespace Win32Test
