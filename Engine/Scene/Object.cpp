#include "Engine/Scene/Object.h"

namespace Tess
{

CObject::CObject()
{
    for (std::int32_t& handle : m_resourceHandles)
        handle = -1;
}

CObject::~CObject() = default;

void CObject::Update(CTimer&)
{
}

void CObject::HandleInput(CInput&)
{
}

bool CObject::IsLessThan(const CObject& other) const
{
    return m_sortKey < other.m_sortKey;
}

void CObject::UpdateControllers(CTimer& timer)
{
    // Indexed, because a controller may attach another one while it runs.
    for (std::size_t i = 0; i < m_controllers.size(); ++i)
        if (IController* controller = m_controllers[i].get())
            controller->Update(timer);
}

std::string CObject::GetReport() const
{
    return "CObject";
}

void CObject::AddController(IController* controller)
{
    m_controllers.emplace_back(controller);
}

std::int32_t CObject::GetResourceHandle(int layer) const
{
    if (layer < 0 || layer >= kResourceHandleCount)
        return -1;
    return m_resourceHandles[layer];
}

void CObject::SetResourceHandle(int layer, std::int32_t handle)
{
    if (layer >= 0 && layer < kResourceHandleCount)
        m_resourceHandles[layer] = handle;
}

Vector4 CObject::GetObjectParameter(int i) const
{
    if (i < 0 || i >= kObjectParameterCount)
        return {};
    return m_objectParameters[i];
}

void CObject::SetObjectParameter(int i, const Vector4& value)
{
    if (i >= 0 && i < kObjectParameterCount)
        m_objectParameters[i] = value;
}

} // namespace Tess
