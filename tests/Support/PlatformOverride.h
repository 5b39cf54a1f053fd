#pragma once
// Puts test services in place of the platform's for the lifetime of the object.

#include "Engine/Platform/Platform.h"

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

} // namespace TestSupport
