#pragma once
// CSDLEvents: what the SDL backends share about SDL's event stream. It starts SDL's video and
// event subsystems on a count (the graphics backend starts its own as well), and installs the
// one event filter. The filter keeps keys, mouse buttons, motion and the wheel out of the window
// message queue: SDL has already updated its key and mouse state when the filter sees an event,
// so the input backend reads the state directly and nothing piles up in the queue while the
// main loop takes one message a frame. What the state alone would lose is kept here: a key or a
// button pressed and released between two reads, and the wheel, which has no state.

#include <array>
#include <cstdint>

namespace Tess::Platform
{

class CSDLEvents
{
public:
    static constexpr int kScancodeCount = 512;
    static constexpr int kButtonCount = 4;
    // Wheel movement per notch, as the mouse state reports it.
    static constexpr int kWheelDelta = 120;

    // Starts video and events (counted); false when no display can be opened.
    bool StartVideo();
    // Balances one successful StartVideo.
    void StopVideo();
    bool IsVideoRunning() const { return m_videoUsers > 0; }
    // Lets SDL read the system's events (state updates and window events).
    void Pump();

    // Called by the filter for what it keeps out of the queue.
    void RecordKeyPress(int scancode);
    void RecordButtonPress(int button);
    void RecordWheel(int notches);

    // Keys pressed since the last call (indexed by scancode); clears them.
    std::array<bool, kScancodeCount> TakeKeyPresses();
    // Buttons pressed since the last call, bit i for button i; clears them.
    std::uint32_t TakeButtonPresses();
    // Wheel movement since the last call, kWheelDelta per notch; clears it.
    std::int32_t TakeWheel();

private:
    int m_videoUsers = 0;
    std::array<bool, kScancodeCount> m_keyPresses{};
    std::uint32_t m_buttonPresses = 0;
    std::int32_t m_wheel = 0;
};

CSDLEvents& GetSDLEvents();

// Limits SDL to the video drivers that show a window to a person (X11, then Wayland), whatever
// the environment names: without a display the program must fail to open its window instead of
// running unseen on a driver that needs none. Called before every start of SDL's video.
void ChooseVisibleVideoDrivers();

} // namespace Tess::Platform
