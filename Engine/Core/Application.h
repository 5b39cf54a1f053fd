#pragma once
// CApplication: the base of the one application object. A program defines a single global
// object of a class derived from it; its construction (before the entry routine runs) creates
// the frame timer and opens the log, and the entry routine (WinMain) then creates the window,
// the input engine, the renderer and the sound engine, calls Initialize, runs the message loop
// that calls Update once per iteration, and calls Shutdown.

#include "Engine/Platform/PlatformTypes.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Tess
{

class CTimer;
class CInput;
class CRenderer;
class CSound;

int WinMain(InstanceHandle instance, InstanceHandle previous, char* commandLine, int showCommand);

class CApplication
{
public:
    static constexpr int kTextLineCount = 16;
    static constexpr int kTextLineSize = 128;

    // Becomes the application object; creates the timer (updated once) and opens the log.
    CApplication(int width, int height, bool windowed);
    // Deletes the timer, then closes the log.
    virtual ~CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    // Called once by the entry routine before the message loop.
    virtual void Initialize();
    // Called once per message-loop iteration.
    virtual void Update();
    // Called once after the message loop: deletes the input engine, the renderer and the sound
    // engine, in this order. A derived Shutdown releases its own objects first, then calls it.
    virtual void Shutdown();
    // The fonts (face, size in points) Initialize loads: the entry routine hands them to the
    // renderer, which renders them while it makes the device. None by default.
    virtual std::vector<std::pair<std::string, int>> GetStartupFonts() const { return {}; }

    WindowHandle GetWindow() const { return m_window; }
    InstanceHandle GetInstance() const { return m_instance; }
    CTimer* GetTimer() const { return m_timer; }
    CInput* GetInput() const { return m_input; }
    CRenderer* GetRenderer() const { return m_renderer; }
    CSound* GetSound() const { return m_sound; }
    // The size the application asked for; the window and the back buffer may differ from it.
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    bool IsWindowed() const { return m_windowed; }

    // The size of the window's client area now; false without a live window.
    bool GetClientSize(int& width, int& height) const;
    // Call once per frame, before drawing: when the window's client area has changed size since
    // the last call and differs from the back buffer, gives the back buffer its size. True when
    // the back buffer changed size, so that the caller lays out again what depends on it (views'
    // viewports, projections, panels); false otherwise, also for a minimised window (an empty
    // client area) and a size the device refused, which is not tried again until the window
    // changes size. Allocates nothing while the size stays.
    bool FitBackBufferToWindow();

    // Writes text line `line` (0 to 15) with a bounded formatted print: at most 127 characters
    // are kept. Lines outside the table are ignored.
    void SetTextLine(int line, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Text line `line`, or "" outside the table.
    const char* GetTextLine(int line) const;

protected:
    friend int WinMain(InstanceHandle, InstanceHandle, char*, int);

    WindowHandle m_window = nullptr;
    InstanceHandle m_instance = nullptr;
    char m_text[kTextLineCount][kTextLineSize] = {};
    CTimer* m_timer = nullptr;
    CInput* m_input = nullptr;
    CRenderer* m_renderer = nullptr;
    CSound* m_sound = nullptr;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    bool m_windowed = true;

private:
    // The client size FitBackBufferToWindow saw last (0 x 0 before its first call).
    int m_fittedWidth = 0;
    int m_fittedHeight = 0;
};

// The application object, or null when the program defines none.
CApplication* GetApplication();

} // namespace Tess
