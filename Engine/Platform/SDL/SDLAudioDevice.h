#pragma once
// CSDLAudioDevice: the default playback device through SDL audio, opened paused (the engine
// plays nothing yet) and closed with the object.

#include "Engine/Platform/AudioDevice.h"

namespace Tess::Platform
{

class CSDLAudioDevice final : public IAudioDevice
{
public:
    // Use CreateSDLAudioDevice, which returns null when no device opens.
    CSDLAudioDevice();
    ~CSDLAudioDevice() override;
    CSDLAudioDevice(const CSDLAudioDevice&) = delete;
    CSDLAudioDevice& operator=(const CSDLAudioDevice&) = delete;

    Result SetCooperativeLevel(WindowHandle window, std::uint32_t level) override;

    bool IsOpen() const { return m_device != 0; }

private:
    bool m_audioStarted = false;
    std::uint32_t m_device = 0;
    WindowHandle m_window = nullptr;
    std::uint32_t m_level = 0;
};

std::unique_ptr<IAudioDevice> CreateSDLAudioDevice();

} // namespace Tess::Platform
