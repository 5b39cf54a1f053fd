#pragma once
// CSDLInputDevice: the system keyboard or mouse on SDL. Both follow the same rules: a device
// set to the foreground level acquires only while its window has the input focus, and its
// first read after the focus went fails with kInputLost and unacquires it. A key or button
// that went down and up again since the last read still reads as down once.

#include "Engine/Platform/InputSystem.h"

namespace Tess::Platform
{

class CSDLInputDevice final : public IInputDevice
{
public:
    explicit CSDLInputDevice(EInputDevice kind);
    ~CSDLInputDevice() override;
    CSDLInputDevice(const CSDLInputDevice&) = delete;
    CSDLInputDevice& operator=(const CSDLInputDevice&) = delete;

    Result SetCooperativeLevel(WindowHandle window, std::uint32_t flags) override;
    Result SetDataFormat(EDataFormat format) override;
    Result Acquire() override;
    Result Unacquire() override;
    Result GetDeviceState(std::uint32_t size, void* data) override;

private:
    bool IsMouse() const { return m_kind == EInputDevice::SystemMouse; }
    bool HasFocus() const;
    void HoldMouse(bool hold);
    void DiscardPendingInput();
    void ReadKeyboard(std::uint8_t* keys);
    void ReadMouse(MouseState& state);

    EInputDevice m_kind;
    bool m_videoStarted = false;
    WindowHandle m_window = nullptr;
    std::uint32_t m_flags = 0;
    bool m_formatSet = false;
    bool m_acquired = false;
    bool m_holdingMouse = false;
};

} // namespace Tess::Platform
