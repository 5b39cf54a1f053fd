#include "Engine/Core/Application.h"

#include "Engine/Core/Log.h"
#include "Engine/Core/Timer.h"
#include "Engine/Input/Input.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Sound/Sound.h"

#include <cstdarg>
#include <cstdio>

namespace Tess
{

namespace
{
// Constant-initialised, so it is null before any global object is constructed.
CApplication* g_application = nullptr;
} // namespace

CApplication* GetApplication()
{
    return g_application;
}

CApplication::CApplication(int width, int height, bool windowed)
{
    g_application = this;
    m_timer = new CTimer();
    m_timer->Update();
    GetLog().Open();
    m_width = width;
    m_height = height;
    m_windowed = windowed;
}

CApplication::~CApplication()
{
    delete m_timer;
    m_timer = nullptr;
    GetLog().Close();
    if (g_application == this)
        g_application = nullptr;
}

void CApplication::Initialize() {}

void CApplication::Update() {}

void CApplication::Shutdown()
{
    delete m_input;
    m_input = nullptr;
    delete m_renderer;
    m_renderer = nullptr;
    delete m_sound;
    m_sound = nullptr;
}

bool CApplication::GetClientSize(int& width, int& height) const
{
    return m_window && GetWindowSystem().GetClientSize(m_window, width, height);
}

// Polled rather than driven by WM_SIZE: the loop takes one message per frame, so a drag queues
// many sizes that would each cost a frame and a resize, while the window's size now is one call.
bool CApplication::FitBackBufferToWindow()
{
    int width = 0, height = 0;
    if (!m_renderer || !GetClientSize(width, height) || (width == m_fittedWidth && height == m_fittedHeight))
        return false;
    m_fittedWidth = width;
    m_fittedHeight = height;
    if (width == static_cast<int>(m_renderer->GetRenderTargetWidth(0)) &&
        height == static_cast<int>(m_renderer->GetRenderTargetHeight(0)))
        return false;
    return m_renderer->ResizeBackBuffer(width, height);
}

void CApplication::SetTextLine(int line, const char* format, ...)
{
    if (line < 0 || line >= kTextLineCount || !format)
        return;
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(m_text[line], kTextLineSize, format, arguments);
    va_end(arguments);
}

const char* CApplication::GetTextLine(int line) const
{
    return line >= 0 && line < kTextLineCount ? m_text[line] : "";
}

} // namespace Tess
