#include "Engine/Geometry/VertexElement.h"

#include <algorithm>
#include <cstddef>

namespace Tess
{

CVertexElement::CVertexElement(int componentCount, int entryCount)
    : m_componentCount(std::max(componentCount, 0)), m_entryCount(std::max(entryCount, 0))
{
    const std::size_t floats = static_cast<std::size_t>(m_componentCount) * static_cast<std::size_t>(m_entryCount);
    // Zeroed rather than left undefined, so an entry nobody wrote reads the same every run.
    m_data = std::make_unique<float[]>(floats);
}

CVertexElement::CVertexElement(std::string name, int componentCount, int entryCount, std::int32_t declarationType,
                               std::int32_t declarationUsage)
    : CVertexElement(componentCount, entryCount)
{
    SetDeclaration(std::move(name), declarationType, 0, declarationUsage, 0);
}

CVertexElement::~CVertexElement() = default;

float* CVertexElement::GetEntry(int j)
{
    return const_cast<float*>(static_cast<const CVertexElement&>(*this).GetEntry(j));
}

const float* CVertexElement::GetEntry(int j) const
{
    if (m_entryCount == 0 || m_componentCount == 0)
        return nullptr;
    const int entry = std::clamp(j, 0, m_entryCount - 1);
    return m_data.get() + static_cast<std::size_t>(entry) * static_cast<std::size_t>(m_componentCount);
}

Vector3 CVertexElement::GetVector3(int j) const
{
    Vector3 v;
    if (const float* entry = GetEntry(j))
    {
        v.x = entry[0];
        v.y = m_componentCount > 1 ? entry[1] : 0.0f;
        v.z = m_componentCount > 2 ? entry[2] : 0.0f;
    }
    return v;
}

void CVertexElement::SetVector3(int j, const Vector3& v)
{
    float* entry = GetEntry(j);
    if (!entry)
        return;
    const float components[3] = {v.x, v.y, v.z};
    std::copy_n(components, std::min(m_componentCount, 3), entry);
}

void CVertexElement::SetDeclaration(std::string name, std::int32_t type, std::int32_t method, std::int32_t usage,
                                    std::int32_t usageIndex)
{
    m_semanticName = std::move(name);
    m_declarationType = type;
    m_declarationMethod = method;
    m_declarationUsage = usage;
    m_usageIndex = usageIndex;
}

} // namespace Tess
