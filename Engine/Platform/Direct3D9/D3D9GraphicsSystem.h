#pragma once
// CD3D9GraphicsSystem: IGraphicsSystem on the Direct3D 9 object. Device-type checks,
// capabilities and the desktop mode are Direct3D's own answers; devices are CD3D9Device. The
// screen's pixel density comes from GDI.

#include "Engine/Platform/GraphicsSystem.h"

struct IDirect3D9;

namespace Tess
{

class CD3D9GraphicsSystem final : public IGraphicsSystem
{
public:
    // Null when Direct3D 9 is not there (no d3d9.dll, or a version it does not serve).
    static std::unique_ptr<CD3D9GraphicsSystem> Create(std::uint32_t sdkVersion);
    ~CD3D9GraphicsSystem() override;

    bool CheckDeviceType(std::uint32_t adapter, EDeviceType type, EFormat displayFormat,
                         EFormat backBufferFormat, bool windowed) override;
    bool GetDeviceCaps(std::uint32_t adapter, EDeviceType type, DeviceCaps& out) override;
    bool GetAdapterDisplayMode(std::uint32_t adapter, DisplayMode& out) override;
    std::unique_ptr<IGraphicsDevice> CreateDevice(std::uint32_t adapter, EDeviceType type,
                                                  WindowHandle focusWindow, std::uint32_t behaviorFlags,
                                                  PresentParameters& parameters) override;
    int GetScreenDpiY() override;

private:
    explicit CD3D9GraphicsSystem(IDirect3D9* direct3D) : m_direct3D(direct3D) {}

    IDirect3D9* m_direct3D = nullptr;
};

} // namespace Tess
