#include "Engine/Platform/SDL/SDLInputDevice.h"

#include "Engine/Platform/SDL/SDLKeyCodes.h"
#include "Engine/Platform/SDL/SDLEvents.h"
#include "Engine/Platform/SDL/SDLHandles.h"

#include <SDL.h>

#include <cstring>

namespace Tess::Platform
{

namespace
{
constexpr std::uint8_t kDown = 0x80;

// SDL's button mask bit of button i of the mouse state.
constexpr Uint32 kButtonMasks[4] = {SDL_BUTTON_LMASK, SDL_BUTTON_RMASK, SDL_BUTTON_MMASK,
                                    SDL_BUTTON_X1MASK};
} // namespace

CSDLInputDevice::CSDLInputDevice(EInputDevice kind)
    : m_kind(kind), m_videoStarted(GetSDLEvents().StartVideo())
{
}

CSDLInputDevice::~CSDLInputDevice()
{
    Unacquire();
    if (m_videoStarted)
        GetSDLEvents().StopVideo();
}

Result CSDLInputDevice::SetCooperativeLevel(WindowHandle window, std::uint32_t flags)
{
    const bool oneAccess = ((flags & DISCL_EXCLUSIVE) != 0) != ((flags & DISCL_NONEXCLUSIVE) != 0);
    const bool oneScope = ((flags & DISCL_FOREGROUND) != 0) != ((flags & DISCL_BACKGROUND) != 0);
    if (!window || !oneAccess || !oneScope)
        return kInvalidParam;
    m_window = window;
    m_flags = flags;
    return kOk;
}

Result CSDLInputDevice::SetDataFormat(EDataFormat format)
{
    if (m_acquired)
        return kFail;
    if (format != (IsMouse() ? EDataFormat::Mouse : EDataFormat::Keyboard))
        return kInvalidParam;
    m_formatSet = true;
    return kOk;
}

Result CSDLInputDevice::Acquire()
{
    if (!m_formatSet || !m_videoStarted)
        return kInvalidParam;
    if (m_acquired)
        return kOk;
    GetSDLEvents().Pump();
    if (!HasFocus())
        return kOtherAppHasPriority;
    m_acquired = true;
    DiscardPendingInput();
    if (IsMouse() && (m_flags & DISCL_EXCLUSIVE))
        HoldMouse(true);
    return kOk;
}

Result CSDLInputDevice::Unacquire()
{
    if (!m_acquired)
        return kOk;
    m_acquired = false;
    HoldMouse(false);
    return kOk;
}

Result CSDLInputDevice::GetDeviceState(std::uint32_t size, void* data)
{
    const std::uint32_t expected = IsMouse() ? sizeof(MouseState) : kKeyboardStateSize;
    if (!data || size != expected)
        return kInvalidParam;
    if (!m_acquired)
        return kNotAcquired;
    GetSDLEvents().Pump();
    if (!HasFocus())
    {
        Unacquire();
        return kInputLost;
    }
    if (IsMouse())
        ReadMouse(*static_cast<MouseState*>(data));
    else
        ReadKeyboard(static_cast<std::uint8_t*>(data));
    return kOk;
}

bool CSDLInputDevice::HasFocus() const
{
    if (m_flags & DISCL_BACKGROUND)
        return true;
    return m_window && SDL_GetKeyboardFocus() == ToSDLWindow(m_window);
}

void CSDLInputDevice::HoldMouse(bool hold)
{
    if (hold == m_holdingMouse)
        return;
    m_holdingMouse = hold;
    // Relative mode hides the cursor, keeps the pointer in the window and reports raw motion.
    if (SDL_SetRelativeMouseMode(hold ? SDL_TRUE : SDL_FALSE) != 0)
        SDL_ShowCursor(hold ? SDL_DISABLE : SDL_ENABLE);
}

void CSDLInputDevice::DiscardPendingInput()
{
    // What happened before the device was acquired is not the program's input.
    CSDLEvents& events = GetSDLEvents();
    if (IsMouse())
    {
        SDL_GetRelativeMouseState(nullptr, nullptr);
        events.TakeButtonPresses();
        events.TakeWheel();
    }
    else
    {
        events.TakeKeyPresses();
    }
}

void CSDLInputDevice::ReadKeyboard(std::uint8_t* keys)
{
    int scancodeCount = 0;
    const Uint8* held = SDL_GetKeyboardState(&scancodeCount);
    const auto pressed = GetSDLEvents().TakeKeyPresses();
    std::memset(keys, 0, kKeyboardStateSize);
    for (int scancode = 0; scancode < scancodeCount && scancode < CSDLEvents::kScancodeCount;
         ++scancode)
    {
        if (!held[scancode] && !pressed[static_cast<std::size_t>(scancode)])
            continue;
        const std::uint8_t key = KeyCodeFromScancode(scancode);
        if (key != 0)
            keys[key] = kDown;
    }
}

void CSDLInputDevice::ReadMouse(MouseState& state)
{
    int dx = 0, dy = 0;
    SDL_GetRelativeMouseState(&dx, &dy);
    const Uint32 held = SDL_GetMouseState(nullptr, nullptr);
    const std::uint32_t pressed = GetSDLEvents().TakeButtonPresses();
    state.lX = dx;
    state.lY = dy;
    state.lZ = GetSDLEvents().TakeWheel();
    for (int i = 0; i < 4; ++i)
    {
        const bool down = (held & kButtonMasks[i]) != 0 || (pressed & (1u << i)) != 0;
        state.rgbButtons[i] = down ? kDown : 0;
    }
}

} // namespace Tess::Platform
