#include "Engine/Platform/SDL/SDLAudioDevice.h"

#include <SDL.h>

namespace Tess::Platform
{

CSDLAudioDevice::CSDLAudioDevice()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return;
    m_audioStarted = true;
    SDL_AudioSpec wanted{};
    wanted.freq = 44100;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    SDL_AudioSpec obtained{};
    // A device opens paused: nothing is played until someone unpauses it.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, SDL_AUDIO_ALLOW_ANY_CHANGE);
}

CSDLAudioDevice::~CSDLAudioDevice()
{
    if (m_device != 0)
        SDL_CloseAudioDevice(m_device);
    if (m_audioStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

Result CSDLAudioDevice::SetCooperativeLevel(WindowHandle window, std::uint32_t level)
{
    m_window = window;
    m_level = level;
    return kOk;
}

std::unique_ptr<IAudioDevice> CreateSDLAudioDevice()
{
    auto device = std::make_unique<CSDLAudioDevice>();
    if (!device->IsOpen())
        return nullptr;
    return device;
}

} // namespace Tess::Platform
