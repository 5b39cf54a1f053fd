#pragma once
// CObject: the root of every scene class. It carries what the renderer and the effects read of
// any drawable thing (sort key, effect handle per render layer, per-object effect parameters)
// and a list of owned controllers. IController is the behaviour interface those hold.

#include "Engine/Core/Vector.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Tess
{

class CTimer;
class CInput;

class IController
{
public:
    virtual ~IController() = default;
    virtual void Update(CTimer& timer) = 0;
};

class CObject
{
public:
    // Effect handle slots: a render view draws an object with the handle at its layer index
    // (8 for the 3D view, 14 for the GUI view).
    static constexpr int kResourceHandleCount = 15;
    // Per-object effect parameters, "ObjectParm0".."ObjectParm7".
    static constexpr int kObjectParameterCount = 8;

    CObject();
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    // Deletes the controllers.
    virtual ~CObject();
    virtual void Update(CTimer& timer);
    virtual void HandleInput(CInput& input);
    // Orders by sort key (signed).
    virtual bool IsLessThan(const CObject& other) const;
    // Updates every controller, in the order they were attached.
    virtual void UpdateControllers(CTimer& timer);
    // "CObject", without a line break.
    virtual std::string GetReport() const;

    // Takes ownership; a null controller is kept as an empty entry and skipped.
    void AddController(IController* controller);
    int GetControllerCount() const { return static_cast<int>(m_controllers.size()); }

    std::int32_t GetSortKey() const { return m_sortKey; }
    void SetSortKey(std::int32_t key) { m_sortKey = key; }

    // Effect handle at a layer; -1 for a layer outside 0..14.
    std::int32_t GetResourceHandle(int layer) const;
    // Ignored for a layer outside 0..14.
    void SetResourceHandle(int layer, std::int32_t handle);

    // Object parameter i; a zero vector for an index outside 0..7.
    Vector4 GetObjectParameter(int i) const;
    // Ignored for an index outside 0..7.
    void SetObjectParameter(int i, const Vector4& value);

protected:
    std::vector<std::unique_ptr<IController>> m_controllers;
    std::int32_t m_sortKey = 0;
    std::int32_t m_resourceHandles[kResourceHandleCount];
    Vector4 m_objectParameters[kObjectParameterCount];
};

} // namespace Tess
