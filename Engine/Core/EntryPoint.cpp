#include "Engine/Core/EntryPoint.h"

#include "Engine/Core/Application.h"
#include "Engine/Core/Log.h"
#include "Engine/Input/Input.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Sound/Sound.h"

#include <string>

namespace Tess
{

namespace
{
void WriteMain(const char* text)
{
    // Flushed, so the lines are in the file even if the program is killed.
    GetLog().Write(LOG_MAIN, std::string(text));
}

void RegisterMainWindowClass(IWindowSystem& windows, InstanceHandle instance)
{
    WindowClass windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.procedure = &WndProc;
    windowClass.instance = instance;
    windowClass.className = kWindowClassName;
    windows.RegisterClass(windowClass);
}

WindowHandle CreateMainWindow(IWindowSystem& windows, const CApplication& application,
                              InstanceHandle instance)
{
    int outerWidth = 0, outerHeight = 0;
    GetOuterWindowSize(application.GetWidth(), application.GetHeight(), application.IsWindowed(),
                       outerWidth, outerHeight);
    const WindowHandle window = windows.CreateWindow(kWindowClassName, kWindowTitle,
                                                     WS_OVERLAPPEDWINDOW, 0, 0, outerWidth,
                                                     outerHeight, instance);
    windows.ShowWindow(window, SW_SHOW);
    windows.UpdateWindow(window);
    return window;
}

// Each iteration takes at most one message and then runs exactly one frame; WM_QUIT ends the
// loop before that frame.
void RunMessageLoop(IWindowSystem& windows, CApplication& application)
{
    for (;;)
    {
        WindowMessage message;
        if (windows.PeekMessage(message))
        {
            if (message.message == WM_QUIT)
                break;
            windows.TranslateMessage(message);
            windows.DispatchMessage(message);
        }
        application.Update();
    }
}
} // namespace

void GetOuterWindowSize(int width, int height, bool windowed, int& outerWidth, int& outerHeight)
{
    outerWidth = windowed ? width + kWindowFrameWidth : width;
    outerHeight = windowed ? height + kWindowFrameHeight : height;
}

int WinMain(InstanceHandle instance, InstanceHandle, char*, int)
{
    WriteMain("WinMain started.");
    CApplication* application = GetApplication();
    if (!application)
    {
        WriteMain("There was no instance of the application.");
        return -1;
    }

    IWindowSystem& windows = GetWindowSystem();
    RegisterMainWindowClass(windows, instance);
    const WindowHandle window = CreateMainWindow(windows, *application, instance);
    // Without its window nothing can be seen and nothing can end the program (no close box, no
    // keys): it stops here, and the log says why, rather than running on unseen.
    if (!window)
    {
        WriteMain("The window could not be created.");
        return -1;
    }
    application->m_window = window;
    application->m_instance = instance;

    application->m_input = new CInput();
    application->m_input->Initialize(instance, window);

    // The renderer reads its own configuration script and may choose another presentation mode;
    // the window keeps the size it was created with.
    application->m_renderer = new CRenderer(GetPlatform().createGraphicsSystem);
    application->m_renderer->SetStartupFonts(application->GetStartupFonts());
    application->m_renderer->Create(window, application->GetWidth(), application->GetHeight(),
                                    application->IsWindowed());

    application->m_sound = new CSound();
    application->m_sound->Initialize(window, DSSCL_NORMAL);

    application->Initialize();

    WriteMain("Entering the message loop.");
    RunMessageLoop(windows, *application);
    WriteMain("Exiting the message loop.");

    application->Shutdown();
    return 1;
}

std::intptr_t WndProc(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam)
{
    switch (message)
    {
    case WM_CREATE:
        return 0;
    case WM_PAINT:
        // Nothing is painted here: the message loop draws every frame.
        return 0;
    case WM_DESTROY:
        GetWindowSystem().PostQuitMessage(0);
        return 0;
    default:
        return GetWindowSystem().DefWindowProc(window, message, wParam, lParam);
    }
}

} // namespace Tess
