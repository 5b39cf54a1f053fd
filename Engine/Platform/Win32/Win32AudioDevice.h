#pragma once
// CWin32AudioDevice: the default playback device through DirectSound 8. The engine plays nothing
// yet, so the device is only created, given its window and cooperative level, and released.

#include "Engine/Platform/AudioDevice.h"

struct IDirectSound8;

namespace Tess::Platform
{

class CWin32AudioDevice final : public IAudioDevice
{
public:
    // Takes over a device; use CreateWin32AudioDevice to make one.
    explicit CWin32AudioDevice(IDirectSound8* device);
    ~CWin32AudioDevice() override;
    CWin32AudioDevice(const CWin32AudioDevice&) = delete;
    CWin32AudioDevice& operator=(const CWin32AudioDevice&) = delete;

    Result SetCooperativeLevel(WindowHandle window, std::uint32_t level) override;

private:
    IDirectSound8* m_device = nullptr;
};

// DirectSoundCreate8 on the default playback device; null when there is none (a machine
// without a sound card).
std::unique_ptr<IAudioDevice> CreateWin32AudioDevice();

} // namespace Tess::Platform
