#pragma once
// CSoundObject: the base of every sound the sound engine owns. The engine deletes its sounds
// through this base, so every kind of sound releases its own data.

namespace Tess
{

class CSoundObject
{
public:
    CSoundObject() = default;
    virtual ~CSoundObject() = default;
    CSoundObject(const CSoundObject&) = delete;
    CSoundObject& operator=(const CSoundObject&) = delete;
};

} // namespace Tess
