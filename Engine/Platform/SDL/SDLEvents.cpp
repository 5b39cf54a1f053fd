#include "Engine/Platform/SDL/SDLEvents.h"

#include "Engine/Platform/SDL/HeapTuning.h"

#include <SDL.h>

namespace Tess::Platform
{

namespace
{
int ButtonIndex(std::uint8_t sdlButton)
{
    switch (sdlButton)
    {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    case SDL_BUTTON_X1: return 3;
    default: return -1;
    }
}

// Returns 0 for the events that stay out of the queue.
int SDLCALL FilterEvent(void* userData, SDL_Event* event)
{
    auto* events = static_cast<CSDLEvents*>(userData);
    switch (event->type)
    {
    case SDL_KEYDOWN:
        // Repeats of a held key are no new press: the state already shows it down.
        if (!event->key.repeat)
            events->RecordKeyPress(event->key.keysym.scancode);
        return 0;
    case SDL_MOUSEBUTTONDOWN:
        events->RecordButtonPress(ButtonIndex(event->button.button));
        return 0;
    case SDL_MOUSEWHEEL:
        events->RecordWheel(event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event->wheel.y
                                                                             : event->wheel.y);
        return 0;
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
    case SDL_TEXTEDITING:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONUP:
    case SDL_KEYMAPCHANGED:
        return 0;
    default:
        return 1;
    }
}
} // namespace

bool CSDLEvents::StartVideo()
{
    // A windowed program is about to load its models.
    KeepLargeBlocksInHeap();
    ChooseVisibleVideoDrivers();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        return false;
    // Set every time: SDL forgets the filter when its event subsystem stops.
    ++m_videoUsers;
    SDL_SetEventFilter(&FilterEvent, this);
    return true;
}

void CSDLEvents::StopVideo()
{
    if (m_videoUsers <= 0)
        return;
    --m_videoUsers;
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

void CSDLEvents::Pump()
{
    if (m_videoUsers > 0)
        SDL_PumpEvents();
}

void CSDLEvents::RecordKeyPress(int scancode)
{
    if (scancode >= 0 && scancode < kScancodeCount)
        m_keyPresses[static_cast<std::size_t>(scancode)] = true;
}

void CSDLEvents::RecordButtonPress(int button)
{
    if (button >= 0 && button < kButtonCount)
        m_buttonPresses |= 1u << button;
}

void CSDLEvents::RecordWheel(int notches)
{
    m_wheel += notches * kWheelDelta;
}

std::array<bool, CSDLEvents::kScancodeCount> CSDLEvents::TakeKeyPresses()
{
    const auto presses = m_keyPresses;
    m_keyPresses.fill(false);
    return presses;
}

std::uint32_t CSDLEvents::TakeButtonPresses()
{
    const std::uint32_t presses = m_buttonPresses;
    m_buttonPresses = 0;
    return presses;
}

std::int32_t CSDLEvents::TakeWheel()
{
    const std::int32_t wheel = m_wheel;
    m_wheel = 0;
    return wheel;
}

CSDLEvents& GetSDLEvents()
{
    static CSDLEvents events;
    return events;
}

void ChooseVisibleVideoDrivers()
{
    // Override priority: SDL_VIDEODRIVER in the environment does not change the choice.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11,wayland", SDL_HINT_OVERRIDE);
}

} // namespace Tess::Platform
