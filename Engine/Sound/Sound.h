#pragma once
// CSound: the engine's sound singleton. It opens the sound device for the main window and owns
// the sound objects created through it. A machine without an audio device runs on silently:
// there is simply no device, and nothing is logged.

#include "Engine/Platform/AudioDevice.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Tess
{

class CSoundObject;

class CSound
{
public:
    // The device comes from `factory` in Initialize; by default the platform's.
    explicit CSound(AudioDeviceFactory factory = {});
    // Deletes every sound object in order, then releases the device.
    ~CSound();
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;

    // (Re)opens the default playback device for `window`. Always returns 0.
    int Initialize(WindowHandle window, std::uint32_t cooperativeLevel);

    // Takes ownership of a sound object; it is deleted with the engine.
    void AddSound(std::unique_ptr<CSoundObject> sound);
    int GetSoundCount() const { return static_cast<int>(m_sounds.size()); }
    bool HasDevice() const { return m_device != nullptr; }

private:
    AudioDeviceFactory m_factory;
    std::unique_ptr<IAudioDevice> m_device;
    std::vector<std::unique_ptr<CSoundObject>> m_sounds;
};

// The sound engine, or null while there is none.
CSound* GetSound();

} // namespace Tess
