#pragma once
// IGraphicsSystem: the graphics interface object a renderer starts from (the analogue of the
// Direct3D 9 object): device-type checks, capabilities, the desktop mode, device creation and
// the display's vertical pixel density for font sizes.

#include "Engine/Platform/GraphicsDevice.h"

#include <functional>
#include <memory>

namespace Tess
{

class IGraphicsSystem
{
public:
    virtual ~IGraphicsSystem() = default;

    // Whether a device of this type can present the formats on adapter `adapter`.
    virtual bool CheckDeviceType(std::uint32_t adapter, EDeviceType type, EFormat displayFormat,
                                 EFormat backBufferFormat, bool windowed) = 0;
    virtual bool GetDeviceCaps(std::uint32_t adapter, EDeviceType type, DeviceCaps& out) = 0;
    virtual bool GetAdapterDisplayMode(std::uint32_t adapter, DisplayMode& out) = 0;
    // Null when the device cannot be created.
    virtual std::unique_ptr<IGraphicsDevice> CreateDevice(std::uint32_t adapter, EDeviceType type,
                                                          WindowHandle focusWindow,
                                                          std::uint32_t behaviorFlags,
                                                          PresentParameters& parameters) = 0;
    // Vertical dots per inch of the screen (96 when the display does not say).
    virtual int GetScreenDpiY() = 0;
};

// Makes a graphics system for the given interface version; null when none is available. A
// renderer takes one, so tests can hand it a recording system of their own.
using GraphicsSystemFactory = std::function<std::unique_ptr<IGraphicsSystem>(std::uint32_t sdkVersion)>;

// The platform's own graphics system (OpenGL through SDL).
std::unique_ptr<IGraphicsSystem> CreateGraphicsSystem(std::uint32_t sdkVersion);

} // namespace Tess
