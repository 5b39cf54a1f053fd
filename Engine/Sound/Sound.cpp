#include "Engine/Sound/Sound.h"

#include "Engine/Platform/Platform.h"
#include "Engine/Sound/SoundObject.h"

namespace Tess
{

namespace
{
CSound* g_sound = nullptr;
}

CSound* GetSound()
{
    return g_sound;
}

CSound::CSound(AudioDeviceFactory factory) : m_factory(std::move(factory))
{
    g_sound = this;
}

CSound::~CSound()
{
    for (auto& sound : m_sounds)
        sound.reset();
    m_sounds.clear();
    m_device.reset();
    m_sounds.shrink_to_fit();
    if (g_sound == this)
        g_sound = nullptr;
}

int CSound::Initialize(WindowHandle window, std::uint32_t cooperativeLevel)
{
    m_device.reset();
    const AudioDeviceFactory& create = m_factory ? m_factory : GetPlatform().createAudioDevice;
    m_device = create ? create() : nullptr;
    if (m_device)
        m_device->SetCooperativeLevel(window, cooperativeLevel);
    return 0;
}

void CSound::AddSound(std::unique_ptr<CSoundObject> sound)
{
    if (sound)
        m_sounds.push_back(std::move(sound));
}

} // namespace Tess
