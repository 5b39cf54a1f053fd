#include "Engine/Rendering/DeviceResource.h"

namespace Tess
{

namespace
{
// Constant-initialised, so resources built during static initialisation find it ready.
CDeviceResource* g_first = nullptr;
} // namespace

CDeviceResource::CDeviceResource(IGraphicsDevice* device) : m_device(device)
{
    m_next = g_first;
    if (g_first)
        g_first->m_previous = this;
    g_first = this;
}

CDeviceResource::~CDeviceResource()
{
    if (m_previous)
        m_previous->m_next = m_next;
    else
        g_first = m_next;
    if (m_next)
        m_next->m_previous = m_previous;
}

void CDeviceResource::ReleaseDevice()
{
    if (!m_device)
        return;
    ReleaseDeviceObjects();
    m_device = nullptr;
}

void CDeviceResource::ReleaseAllOn(const IGraphicsDevice* device)
{
    if (!device)
        return;
    // Releasing changes no links, so the walk is safe.
    for (CDeviceResource* resource = g_first; resource; resource = resource->m_next)
        if (resource->m_device == device)
            resource->ReleaseDevice();
}

std::size_t CDeviceResource::CountOn(const IGraphicsDevice* device)
{
    std::size_t count = 0;
    for (const CDeviceResource* resource = g_first; resource; resource = resource->m_next)
        count += device && resource->m_device == device ? 1 : 0;
    return count;
}

} // namespace Tess
