#pragma once
// CDeviceResource: the base of objects that create device objects straight on a graphics device
// (vertex and index buffers) instead of through the renderer's handle tables. Every live one is
// linked into one list, so that whoever destroys a device first has the resources on it release
// their device objects and let go of it. A buffer owned by an entity that outlives the renderer
// (the entity registry deletes the leftovers at process exit, after the renderer is gone) then
// has nothing left to release, and never reaches a deleted device.
//
// The list is intrusive: creating and destroying a resource allocates nothing.

#include <cstddef>

namespace Tess
{

class IGraphicsDevice;

class CDeviceResource
{
public:
    CDeviceResource(const CDeviceResource&) = delete;
    CDeviceResource& operator=(const CDeviceResource&) = delete;

    // The device the resource's objects live on; null when built without one or after the device
    // was released under it.
    IGraphicsDevice* GetDevice() const { return m_device; }

    // Has every live resource on `device` release its device objects and forget the device. The
    // resources stay usable on the CPU side and draw nothing. Call it before destroying a device.
    static void ReleaseAllOn(const IGraphicsDevice* device);
    // Live resources whose objects are on `device`.
    static std::size_t CountOn(const IGraphicsDevice* device);

protected:
    explicit CDeviceResource(IGraphicsDevice* device);
    // Leaves the list. A derived class has already released its objects (ReleaseDevice).
    virtual ~CDeviceResource();

    // Releases the derived class's device objects on GetDevice() and clears their ids. Called at
    // most once per device, only while there is one.
    virtual void ReleaseDeviceObjects() = 0;
    // Releases the device objects now, if there is still a device, and forgets the device. The
    // derived destructor calls it, while the derived part still exists.
    void ReleaseDevice();

private:
    IGraphicsDevice* m_device = nullptr;
    CDeviceResource* m_previous = nullptr;
    CDeviceResource* m_next = nullptr;
};

} // namespace Tess
