#pragma once
// CGLGraphicsSystem: IGraphicsSystem on OpenGL 3.3 core through SDL2. A probe context tells
// whether the OpenGL implementation is hardware-accelerated (the hardware device type) or a
// software rasteriser (only the reference type); devices are CGLDevice.

#include "Engine/Platform/GraphicsSystem.h"

#include <string>

namespace Tess
{

class CGLGraphicsSystem final : public IGraphicsSystem
{
public:
    // Null when SDL's video subsystem cannot start (no display).
    static std::unique_ptr<CGLGraphicsSystem> Create();
    ~CGLGraphicsSystem() override;

    bool CheckDeviceType(std::uint32_t adapter, EDeviceType type, EFormat displayFormat,
                         EFormat backBufferFormat, bool windowed) override;
    bool GetDeviceCaps(std::uint32_t adapter, EDeviceType type, DeviceCaps& out) override;
    bool GetAdapterDisplayMode(std::uint32_t adapter, DisplayMode& out) override;
    std::unique_ptr<IGraphicsDevice> CreateDevice(std::uint32_t adapter, EDeviceType type,
                                                  WindowHandle focusWindow, std::uint32_t behaviorFlags,
                                                  PresentParameters& parameters) override;
    int GetScreenDpiY() override;

    // Whether a renderer string names a software rasteriser.
    static bool IsSoftwareRenderer(const std::string& renderer);

private:
    CGLGraphicsSystem() = default;
    // Makes a throw-away context once and records what it offers.
    void Probe();

    bool m_probed = false;
    bool m_contextAvailable = false;
    bool m_hardware = false;
    std::string m_renderer;
    int m_maxTextureSize = 0;
    int m_maxTextureUnits = 0;
};

} // namespace Tess
