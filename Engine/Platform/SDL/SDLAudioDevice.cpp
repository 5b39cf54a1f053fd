#include "Engine/Platform/SDL/SDLAudioDevice.h"

#include <SDL.h>
#include <dlfcn.h>

namespace Tess::Platform
{

namespace
{

// ALSA's error handler type, declared here so that the build needs no ALSA headers.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int error, const char* format,
                                  ...);

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// SDL reaches the sound card through ALSA, which writes every step of a failed search for a card
// to standard error: eight lines at each start on a machine without one. SDL loads the same
// shared library, so a handler set here silences it; the missing device still shows as no device.
// The library stays loaded, so that the handler outlives SDL's own use of it.
void SilenceAlsaErrors()
{
    static void* library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return;
    using SetHandler = int (*)(AlsaErrorHandler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(library, "snd_lib_error_set_handler")))
        set(&IgnoreAlsaError);
}

// Keeps the audio subsystem of the first failed device up for the rest of the program. It is
// not stopped at exit either: stopping it waits, as above, for the watcher thread's 100 ms
// sleep to end, which made every exit on a machine without a sound card up to a tenth of a
// second slower. No device is open, and the process ends the sleeping thread with itself.
void KeepAudioSubsystemUntilExit()
{
    // A second failed device gives its own reference back at once.
    static bool kept = false;
    if (kept)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    kept = true;
}

} // namespace

CSDLAudioDevice::CSDLAudioDevice()
{
    SilenceAlsaErrors();
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
    // Without a device the subsystem stays up until the program ends: stopping it now waits for
    // the sound-card watcher thread of SDL's ALSA driver to wake from its 100 ms sleep, which
    // would add a tenth of a second to every start on a machine without a sound card.
    if (m_device == 0)
    {
        KeepAudioSubsystemUntilExit();
        m_audioStarted = false;
    }
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
