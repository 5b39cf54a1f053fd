#include "Engine/Platform/Win32/Win32AudioDevice.h"

// The engine's normal cooperative level, read before <dsound.h> makes its name a macro.
namespace
{
constexpr std::uint32_t kEngineNormalLevel = Tess::DSSCL_NORMAL;
} // namespace

#include "Engine/Platform/Win32/Win32Api.h"

#include <mmsystem.h>
#include <dsound.h>

namespace Tess::Platform
{

static_assert(kEngineNormalLevel == DSSCL_NORMAL, "cooperative levels are DirectSound's");

CWin32AudioDevice::CWin32AudioDevice(IDirectSound8* device) : m_device(device) {}

CWin32AudioDevice::~CWin32AudioDevice()
{
    m_device->Release();
}

Result CWin32AudioDevice::SetCooperativeLevel(WindowHandle window, std::uint32_t level)
{
    return static_cast<Result>(m_device->SetCooperativeLevel(ToHwnd(window), level));
}

std::unique_ptr<IAudioDevice> CreateWin32AudioDevice()
{
    IDirectSound8* device = nullptr;
    if (FAILED(DirectSoundCreate8(nullptr, &device, nullptr)) || !device)
        return nullptr;
    return std::make_unique<CWin32AudioDevice>(device);
}

} // namespace Tess::Platform
