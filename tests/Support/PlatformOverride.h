#pragma once
// Puts test services in place of the platform's for the lifetime of the object.

#include "Engine/Platform/Platform.h"
#include "FakeClock.h"
#include "FakeInput.h"
#include "FakeWindowSystem.h"

#include <memory>

namespace TestSupport
{

class PlatformOverride
{
public:
    explicit PlatformOverride(const Tess::PlatformServices& services)
        : m_previous(Tess::SetPlatform(services))
    {
    }
    ~PlatformOverride() { Tess::SetPlatform(m_previous); }
    PlatformOverride(const PlatformOverride&) = delete;
    PlatformOverride& operator=(const PlatformOverride&) = delete;

private:
    Tess::PlatformServices m_previous;
};

// Services made of the fakes: their window system, clock and input, no audio device, and the
// given graphics system factory.
inline Tess::PlatformServices MakeFakePlatform(FakeWindowSystem& windows, FakeClock& clock, FakeInputState& input,
                                               Tess::GraphicsSystemFactory createGraphicsSystem)
{
    Tess::PlatformServices services;
    services.windowSystem = &windows;
    services.clock = &clock;
    services.createInputSystem = MakeFakeInputFactory(input);
    services.createAudioDevice = [] { return std::unique_ptr<Tess::IAudioDevice>(); };
    services.createGraphicsSystem = std::move(createGraphicsSystem);
    return services;
}

} // namespace TestSupport
