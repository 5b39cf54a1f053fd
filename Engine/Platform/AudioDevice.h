#pragma once
// IAudioDevice: the sound device the sound engine opens for the main window. Nothing is played
// through it yet; it is opened (paused) and released. A machine without audio has no device.

#include "Engine/Platform/PlatformTypes.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace Tess
{

// The cooperative level of an ordinary application.
constexpr std::uint32_t DSSCL_NORMAL = 1;

class IAudioDevice
{
public:
    virtual ~IAudioDevice() = default;

    virtual Result SetCooperativeLevel(WindowHandle window, std::uint32_t level) = 0;
};

// Opens the default playback device; null when there is none.
using AudioDeviceFactory = std::function<std::unique_ptr<IAudioDevice>()>;

} // namespace Tess
