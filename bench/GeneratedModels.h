#pragma once
// Model files for the geometry benchmarks: tori of a chosen triangle count, written in memory as
// MilkShape 3D files, with their vertices far enough apart (over 0.5 units) that the outline
// joins each edge with exactly one other, as on a well-built model.

#include "tools/ModelGenerator/MS3DFile.h"

#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace GeometryBench
{

// A torus of around x around segments (2 x around x segments triangles), plus `extra` separate
// triangles far from it, to reach counts such as 65,535 that no grid gives.
inline std::vector<std::uint8_t> TorusModel(int around, int segments, int extra = 0)
{
    using namespace ModelGenerator;
    const double major = 40.0, minor = 15.0;
    SMS3DModel model;
    for (int i = 0; i < around; ++i)
    {
        for (int j = 0; j < segments; ++j)
        {
            const double a = 2.0 * std::numbers::pi * i / around;
            const double b = 2.0 * std::numbers::pi * j / segments;
            const double r = major + minor * std::cos(b);
            model.vertices.push_back({0, {float(r * std::cos(a)), float(minor * std::sin(b)), float(r * std::sin(a))}, -1, 6});
        }
    }
    auto index = [&](int i, int j) { return static_cast<std::uint16_t>((i % around) * segments + (j % segments)); };
    auto add = [&](std::uint16_t a, std::uint16_t b, std::uint16_t c) {
        SMS3DTriangle t;
        t.vertices = {a, b, c};
        t.normals = {{{0, 1, 0}, {0, 1, 0}, {0, 1, 0}}};
        model.triangles.push_back(t);
    };
    for (int i = 0; i < around; ++i)
    {
        for (int j = 0; j < segments; ++j)
        {
            add(index(i, j), index(i + 1, j), index(i + 1, j + 1));
            add(index(i, j), index(i + 1, j + 1), index(i, j + 1));
        }
    }
    for (int e = 0; e < extra; ++e)
    {
        const auto first = static_cast<std::uint16_t>(model.vertices.size());
        const float x = 100.0f + 3.0f * e;
        model.vertices.push_back({0, {x, 0, 0}, -1, 1});
        model.vertices.push_back({0, {x + 1, 0, 0}, -1, 1});
        model.vertices.push_back({0, {x, 1, 0}, -1, 1});
        add(first, static_cast<std::uint16_t>(first + 1), static_cast<std::uint16_t>(first + 2));
    }
    SMS3DGroup group;
    group.name = "torus";
    for (std::size_t t = 0; t < model.triangles.size(); ++t)
        group.triangles.push_back(static_cast<std::uint16_t>(t));
    model.groups.push_back(group);
    model.materials.resize(1);
    return WriteMS3D(model);
}

// 151 x 217 quads give 65,534 triangles; one more makes the most a file can hold.
inline std::vector<std::uint8_t> LargestModel()
{
    return TorusModel(217, 151, 1);
}

// A torus of 2 x around x segments triangles, 300 units across, as an STL file comes in: every
// triangle with three vertices of its own, joined to its neighbours only by position. Positions
// only; the caller computes normals.
inline Tess::CTriMesh* TorusSoup(int around, int segments)
{
    const double major = 110.0, minor = 40.0;
    auto at = [&](int i, int j) {
        const double a = 2.0 * std::numbers::pi * i / around;
        const double b = 2.0 * std::numbers::pi * j / segments;
        const double r = major + minor * std::cos(b);
        return Tess::Vector3(float(r * std::cos(a)), float(minor * std::sin(b)), float(r * std::sin(a)));
    };
    const int triangles = 2 * around * segments;
    auto* position = new Tess::CVertexElement("POSITION", 3, 3 * triangles, Tess::D3DDECLTYPE_FLOAT3,
                                              Tess::D3DDECLUSAGE_POSITION);
    auto* mesh = new Tess::CTriMesh;
    mesh->ReserveTriangles(triangles);
    int next = 0;
    for (int i = 0; i < around; ++i)
    {
        for (int j = 0; j < segments; ++j)
        {
            for (const Tess::Vector3& corner : {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j), at(i + 1, j + 1), at(i, j + 1)})
                position->SetVector3(next++, corner);
            mesh->AddTriangle(next - 6, next - 5, next - 4);
            mesh->AddTriangle(next - 3, next - 2, next - 1);
        }
    }
    mesh->AddElement(position);
    return mesh;
}

} // namespace GeometryBench
