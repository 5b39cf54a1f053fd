#pragma once
// A window system without a display: a plain message queue with Win32's order (posted messages,
// then WM_QUIT, then WM_PAINT), one window procedure per class, and a journal of what happened
// ("create 808x634", "dispatch 0x000F", "post 0x0002", "destroy", ...) that tests compare with
// the frames the application records into the same journal.

#include "Engine/Platform/WindowSystem.h"

#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace TestSupport
{

class FakeWindowSystem final : public Tess::IWindowSystem
{
public:
    std::vector<std::string>* journal = nullptr;
    std::string title;
    int outerWidth = 0;
    int outerHeight = 0;
    int x = -1;
    int y = -1;
    bool shown = false;
    bool alive = false;
    bool failCreation = false;
    bool needsPaint = false;
    int peeks = 0;
    // Called at the start of every peek with the peek's number (1, 2, ...): the loop peeks once
    // before each frame, so a test can change the world between frames here.
    std::function<void(int peek)> beforePeek;

    static Tess::WindowHandle Handle() { return reinterpret_cast<Tess::WindowHandle>(0x1000); }

    void Note(const std::string& entry)
    {
        if (journal)
            journal->push_back(entry);
    }
    static std::string Hex(std::uint32_t message)
    {
        char text[16];
        std::snprintf(text, sizeof text, "0x%04X", message);
        return text;
    }

    bool RegisterClass(const Tess::WindowClass& windowClass) override
    {
        m_classes[windowClass.className] = windowClass;
        Note("register " + windowClass.className);
        return true;
    }
    Tess::WindowHandle CreateWindow(const std::string& className, const std::string& titleIn,
                                    std::uint32_t, int xIn, int yIn, int width, int height,
                                    Tess::InstanceHandle) override
    {
        Note("create " + std::to_string(width) + "x" + std::to_string(height));
        const auto found = m_classes.find(className);
        if (failCreation || found == m_classes.end())
            return nullptr;
        m_procedure = found->second.procedure;
        title = titleIn;
        outerWidth = width;
        outerHeight = height;
        x = xIn;
        y = yIn;
        alive = true;
        m_procedure(Handle(), Tess::WM_CREATE, 0, 0);
        return Handle();
    }
    bool ShowWindow(Tess::WindowHandle window, int) override
    {
        Note("show");
        shown = window == Handle() && alive;
        needsPaint = shown;
        return shown;
    }
    bool GetClientSize(Tess::WindowHandle window, int& width, int& height) override
    {
        if (window != Handle() || !alive)
            return false;
        width = outerWidth - Tess::kWindowFrameWidth;
        height = outerHeight - Tess::kWindowFrameHeight;
        return true;
    }
    bool UpdateWindow(Tess::WindowHandle window) override
    {
        Note("update-window");
        if (window != Handle() || !alive)
            return false;
        if (needsPaint)
        {
            needsPaint = false;
            m_procedure(Handle(), Tess::WM_PAINT, 0, 0);
        }
        return true;
    }
    bool PeekMessage(Tess::WindowMessage& message) override
    {
        ++peeks;
        if (beforePeek)
            beforePeek(peeks);
        if (!queue.empty())
        {
            message = queue.front();
            queue.pop_front();
            return true;
        }
        if (m_quit)
        {
            m_quit = false;
            message = {nullptr, Tess::WM_QUIT, static_cast<std::uintptr_t>(quitCode), 0};
            return true;
        }
        if (needsPaint && alive)
        {
            needsPaint = false;
            message = {Handle(), Tess::WM_PAINT, 0, 0};
            return true;
        }
        return false;
    }
    bool TranslateMessage(const Tess::WindowMessage&) override { return false; }
    std::intptr_t DispatchMessage(const Tess::WindowMessage& message) override
    {
        Note("dispatch " + Hex(message.message));
        if (message.window != Handle() || !alive)
            return 0;
        return m_procedure(message.window, message.message, message.wParam, message.lParam);
    }
    bool PostMessage(Tess::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override
    {
        Note("post " + Hex(message));
        if (window && (window != Handle() || !alive))
            return false;
        queue.push_back({window, message, wParam, lParam});
        return true;
    }
    void PostQuitMessage(int exitCode) override
    {
        Note("post-quit");
        m_quit = true;
        quitCode = exitCode;
    }
    std::intptr_t DefWindowProc(Tess::WindowHandle window, std::uint32_t message, std::uintptr_t,
                                std::intptr_t) override
    {
        Note("default " + Hex(message));
        if (message == Tess::WM_CLOSE)
            DestroyWindow(window);
        return 0;
    }
    bool DestroyWindow(Tess::WindowHandle window) override
    {
        if (window != Handle() || !alive)
            return false;
        Note("destroy");
        alive = false;
        std::erase_if(queue, [](const Tess::WindowMessage& m) { return m.window == Handle(); });
        m_procedure(window, Tess::WM_DESTROY, 0, 0);
        return true;
    }

    // Lets a test queue a message as the display would, without the journal entry of a post.
    void Queue(std::uint32_t message) { queue.push_back({Handle(), message, 0, 0}); }

    std::deque<Tess::WindowMessage> queue;
    int quitCode = 0;

private:
    std::map<std::string, Tess::WindowClass> m_classes;
    Tess::WindowProcedure m_procedure = nullptr;
    bool m_quit = false;
};

} // namespace TestSupport
