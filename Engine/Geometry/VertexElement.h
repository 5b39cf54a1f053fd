#pragma once
// CVertexElement: one named per-vertex attribute stream of a mesh ("POSITION", "NORMAL", ...),
// with the declaration values a vertex buffer describes it with.

#include "Engine/Core/Vector.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Tess
{

class CVertexElement
{
public:
    // Room for componentCount x entryCount floats, all zero, and an empty name. Negative counts
    // are taken as 0.
    CVertexElement(int componentCount, int entryCount);
    // The same, named and declared (method DEFAULT, usage index 0), as the engine's own
    // elements are.
    CVertexElement(std::string name, int componentCount, int entryCount, std::int32_t declarationType,
                   std::int32_t declarationUsage);
    virtual ~CVertexElement();

    CVertexElement(const CVertexElement&) = delete;
    CVertexElement& operator=(const CVertexElement&) = delete;

    // The first float of entry j; j is clamped into 0 .. entry count - 1. Null without entries.
    float* GetEntry(int j);
    const float* GetEntry(int j) const;
    // All entries, entry-major (component count floats per entry).
    float* GetData() { return m_data.get(); }
    const float* GetData() const { return m_data.get(); }

    // Entry j (clamped) as a Vector3: its first three components, missing ones read as 0.
    // Nothing is read or written for an element without entries.
    Vector3 GetVector3(int j) const;
    void SetVector3(int j, const Vector3& v);

    int GetComponentCount() const { return m_componentCount; }
    int GetEntryCount() const { return m_entryCount; }

    const std::string& GetSemanticName() const { return m_semanticName; }
    void SetSemanticName(std::string name) { m_semanticName = std::move(name); }

    // Declaration values; only their low byte reaches a vertex declaration.
    std::int32_t GetDeclarationType() const { return m_declarationType; }
    std::int32_t GetDeclarationMethod() const { return m_declarationMethod; }
    std::int32_t GetDeclarationUsage() const { return m_declarationUsage; }
    std::int32_t GetUsageIndex() const { return m_usageIndex; }
    void SetDeclarationType(std::int32_t type) { m_declarationType = type; }
    void SetDeclarationMethod(std::int32_t method) { m_declarationMethod = method; }
    void SetDeclarationUsage(std::int32_t usage) { m_declarationUsage = usage; }
    void SetUsageIndex(std::int32_t index) { m_usageIndex = index; }
    // Name and the four declaration values at once.
    void SetDeclaration(std::string name, std::int32_t type, std::int32_t method, std::int32_t usage,
                        std::int32_t usageIndex);

private:
    std::string m_semanticName;
    std::int32_t m_declarationType = 0;
    std::int32_t m_declarationMethod = 0;
    std::int32_t m_declarationUsage = 0;
    std::int32_t m_usageIndex = 0;
    std::unique_ptr<float[]> m_data;
    int m_componentCount = 0;
    int m_entryCount = 0;
};

} // namespace Tess
