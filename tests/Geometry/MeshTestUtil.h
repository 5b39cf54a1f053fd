#pragma once
// Small helpers the geometry tests share: meshes from plain lists, and element comparison.

#include "Engine/Core/Vector.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace GeometryTest
{

inline Tess::CVertexElement* MakeElement(const std::string& name, int components, const std::vector<float>& values,
                                         std::int32_t type, std::int32_t usage)
{
    const int entries = components > 0 ? static_cast<int>(values.size()) / components : 0;
    auto* element = new Tess::CVertexElement(components, entries);
    element->SetDeclaration(name, type, Tess::D3DDECLMETHOD_DEFAULT, usage, 0);
    if (!values.empty())
        std::memcpy(element->GetData(), values.data(), values.size() * sizeof(float));
    return element;
}

inline Tess::CVertexElement* MakeVector3Element(const std::string& name, const std::vector<Tess::Vector3>& values,
                                                std::int32_t usage)
{
    std::vector<float> flat;
    for (const Tess::Vector3& v : values)
        flat.insert(flat.end(), {v.x, v.y, v.z});
    return MakeElement(name, 3, flat, Tess::D3DDECLTYPE_FLOAT3, usage);
}

struct STri
{
    int a, b, c;
};

// A mesh with "POSITION" and, when normals are given, "NORMAL".
inline Tess::CTriMesh* MakeMesh(const std::vector<Tess::Vector3>& positions, const std::vector<STri>& triangles,
                                const std::vector<Tess::Vector3>& normals = {})
{
    auto* mesh = new Tess::CTriMesh;
    mesh->AddElement(MakeVector3Element("POSITION", positions, Tess::D3DDECLUSAGE_POSITION));
    if (!normals.empty())
        mesh->AddElement(MakeVector3Element("NORMAL", normals, Tess::D3DDECLUSAGE_NORMAL));
    for (const STri& t : triangles)
        mesh->AddTriangle(t.a, t.b, t.c);
    return mesh;
}

inline void ExpectVectorNear(const Tess::Vector3& actual, const Tess::Vector3& expected, float tolerance = 1e-6f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// Element by element (names, declaration values, counts, every float bit for bit) and
// triangle by triangle; the first difference is reported and ends the comparison.
inline ::testing::AssertionResult SameMesh(const Tess::CTriMesh& a, const Tess::CTriMesh& b)
{
    if (a.GetElementCount() != b.GetElementCount())
        return ::testing::AssertionFailure() << "element counts " << a.GetElementCount() << " and "
                                             << b.GetElementCount();
    for (int i = 0; i < a.GetElementCount(); ++i)
    {
        const Tess::CVertexElement& ea = *a.GetElement(i);
        const Tess::CVertexElement& eb = *b.GetElement(i);
        if (ea.GetSemanticName() != eb.GetSemanticName() || ea.GetComponentCount() != eb.GetComponentCount() ||
            ea.GetEntryCount() != eb.GetEntryCount() || ea.GetDeclarationType() != eb.GetDeclarationType() ||
            ea.GetDeclarationMethod() != eb.GetDeclarationMethod() ||
            ea.GetDeclarationUsage() != eb.GetDeclarationUsage() || ea.GetUsageIndex() != eb.GetUsageIndex())
            return ::testing::AssertionFailure() << "element " << i << " (" << ea.GetSemanticName() << " / "
                                                 << eb.GetSemanticName() << ") is declared differently";
        const std::size_t floats = static_cast<std::size_t>(ea.GetComponentCount()) * ea.GetEntryCount();
        for (std::size_t f = 0; f < floats; ++f)
        {
            if (std::memcmp(&ea.GetData()[f], &eb.GetData()[f], sizeof(float)) != 0)
                return ::testing::AssertionFailure()
                       << ea.GetSemanticName() << " differs at entry " << f / ea.GetComponentCount() << ": "
                       << ea.GetData()[f] << " vs " << eb.GetData()[f];
        }
    }
    if (a.GetTriangleCount() != b.GetTriangleCount())
        return ::testing::AssertionFailure() << "triangle counts " << a.GetTriangleCount() << " and "
                                             << b.GetTriangleCount();
    for (int t = 0; t < a.GetTriangleCount(); ++t)
    {
        const auto& ta = a.GetTriangle(t);
        const auto& tb = b.GetTriangle(t);
        if (!(ta == tb))
            return ::testing::AssertionFailure() << "triangle " << t << " is (" << ta.i0 << ", " << ta.i1 << ", "
                                                 << ta.i2 << ") vs (" << tb.i0 << ", " << tb.i1 << ", " << tb.i2
                                                 << ")";
    }
    if (a.GetEdgeCount() != b.GetEdgeCount())
        return ::testing::AssertionFailure() << "edge counts " << a.GetEdgeCount() << " and " << b.GetEdgeCount();
    return ::testing::AssertionSuccess();
}

inline std::string TestData(const std::string& name)
{
    return std::string(TESS_TEST_DATA_DIR) + "/" + name;
}

} // namespace GeometryTest
