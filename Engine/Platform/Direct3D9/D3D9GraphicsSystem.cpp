#include "Engine/Platform/Direct3D9/D3D9GraphicsSystem.h"

#include "Engine/Core/Log.h"
#include "Engine/Platform/Direct3D9/D3D9Device.h"

#include <algorithm>

namespace Tess
{

namespace
{

constexpr int kDefaultDpi = 96;

} // namespace

std::unique_ptr<IGraphicsSystem> CreateGraphicsSystem(std::uint32_t sdkVersion)
{
    return CD3D9GraphicsSystem::Create(sdkVersion);
}

std::unique_ptr<CD3D9GraphicsSystem> CD3D9GraphicsSystem::Create(std::uint32_t sdkVersion)
{
    if (sdkVersion != kSdkVersion)
        return nullptr;
    IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!direct3D)
    {
        GetLog().Write(LOG_RENDERER, "Direct3D 9 is not available");
        return nullptr;
    }
    return std::unique_ptr<CD3D9GraphicsSystem>(new CD3D9GraphicsSystem(direct3D));
}

CD3D9GraphicsSystem::~CD3D9GraphicsSystem()
{
    D3D9::SafeRelease(m_direct3D);
}

bool CD3D9GraphicsSystem::CheckDeviceType(std::uint32_t adapter, EDeviceType type, EFormat displayFormat,
                                          EFormat backBufferFormat, bool windowed)
{
    return SUCCEEDED(m_direct3D->CheckDeviceType(adapter, D3DDEVTYPE(type), D3DFORMAT(displayFormat),
                                                 D3DFORMAT(backBufferFormat), windowed ? TRUE : FALSE));
}

bool CD3D9GraphicsSystem::GetDeviceCaps(std::uint32_t adapter, EDeviceType type, DeviceCaps& out)
{
    D3DCAPS9 caps{};
    if (FAILED(m_direct3D->GetDeviceCaps(adapter, D3DDEVTYPE(type), &caps)))
        return false;
    out = DeviceCaps{};
    out.deviceType = type;
    out.vertexProcessingCaps = (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) ? caps.VertexProcessingCaps | 1u : 0u;
    out.maxTextureWidth = caps.MaxTextureWidth;
    out.maxTextureHeight = caps.MaxTextureHeight;
    out.maxSimultaneousTextures = std::min<std::uint32_t>(caps.MaxSimultaneousTextures, kMaxTextureStages);
    return true;
}

bool CD3D9GraphicsSystem::GetAdapterDisplayMode(std::uint32_t adapter, DisplayMode& out)
{
    D3DDISPLAYMODE mode{};
    if (FAILED(m_direct3D->GetAdapterDisplayMode(adapter, &mode)))
        return false;
    out.width = mode.Width;
    out.height = mode.Height;
    out.refreshRate = mode.RefreshRate;
    out.format = EFormat(mode.Format);
    return true;
}

std::unique_ptr<IGraphicsDevice> CD3D9GraphicsSystem::CreateDevice(std::uint32_t adapter, EDeviceType type,
                                                                   WindowHandle focusWindow,
                                                                   std::uint32_t behaviorFlags,
                                                                   PresentParameters& parameters)
{
    D3DPRESENT_PARAMETERS d3d{};
    d3d.BackBufferWidth = parameters.backBufferWidth;
    d3d.BackBufferHeight = parameters.backBufferHeight;
    d3d.BackBufferFormat = D3DFORMAT(parameters.backBufferFormat);
    d3d.BackBufferCount = parameters.backBufferCount;
    d3d.MultiSampleType = D3DMULTISAMPLE_TYPE(parameters.multiSampleType);
    d3d.SwapEffect = parameters.swapEffect ? D3DSWAPEFFECT(parameters.swapEffect) : ::D3DSWAPEFFECT_DISCARD;
    d3d.hDeviceWindow = reinterpret_cast<HWND>(parameters.deviceWindow);
    d3d.Windowed = parameters.windowed ? TRUE : FALSE;
    d3d.EnableAutoDepthStencil = parameters.enableAutoDepthStencil ? TRUE : FALSE;
    d3d.AutoDepthStencilFormat = D3DFORMAT(parameters.autoDepthStencilFormat);
    d3d.Flags = parameters.flags;
    d3d.FullScreen_RefreshRateInHz = parameters.windowed ? 0 : parameters.fullScreenRefreshRate;
    d3d.PresentationInterval = parameters.presentationInterval;
    // The engine's numbers in doubles (scripts, timers) must keep their precision: Direct3D
    // would otherwise switch the FPU to single precision.
    const DWORD flags = behaviorFlags | D3DCREATE_FPU_PRESERVE;
    IDirect3DDevice9* device = nullptr;
    const HRESULT hr = m_direct3D->CreateDevice(adapter, D3DDEVTYPE(type), reinterpret_cast<HWND>(focusWindow), flags,
                                                &d3d, &device);
    if (FAILED(hr) || !device)
    {
        GetLog().Write(LOG_RENDERER, "Direct3D 9 CreateDevice failed");
        return nullptr;
    }
    std::unique_ptr<CD3D9Device> result = CD3D9Device::Create(device, d3d);
    device->Release();
    if (!result)
        return nullptr;
    // Report the back buffer the device made, as Direct3D fills them in.
    parameters.backBufferWidth = d3d.BackBufferWidth;
    parameters.backBufferHeight = d3d.BackBufferHeight;
    parameters.backBufferFormat = EFormat(d3d.BackBufferFormat);
    parameters.backBufferCount = d3d.BackBufferCount;
    return result;
}

int CD3D9GraphicsSystem::GetScreenDpiY()
{
    HDC screen = GetDC(nullptr);
    if (!screen)
        return kDefaultDpi;
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

} // namespace Tess
