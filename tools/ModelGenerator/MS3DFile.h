#pragma once
// The contents of a MilkShape 3D model file (version 3 or 4) and their byte layout: header,
// vertices, triangles with corner normals and texture coordinates, groups, materials, and the
// animation block with its joint count. Header-only, so the generator, the tests and the
// benchmarks can all write files without another library.

#include "ByteWriter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace ModelGenerator
{

struct SMS3DVertex
{
    std::uint8_t flags = 0;
    std::array<float, 3> position{};
    std::int8_t boneId = -1;
    std::uint8_t referenceCount = 0;
};

struct SMS3DTriangle
{
    std::uint16_t flags = 0;
    std::array<std::uint16_t, 3> vertices{};
    std::array<std::array<float, 3>, 3> normals{};
    std::array<float, 3> s{};
    std::array<float, 3> t{};
    std::uint8_t smoothingGroup = 1;
    std::uint8_t groupIndex = 0;
};

struct SMS3DGroup
{
    std::uint8_t flags = 0;
    std::string name;
    std::vector<std::uint16_t> triangles;
    std::int8_t materialIndex = -1;
};

struct SMS3DMaterial
{
    std::string name;
    std::array<float, 4> ambient{};
    std::array<float, 4> diffuse{};
    std::array<float, 4> specular{};
    std::array<float, 4> emissive{};
    float shininess = 0.0f;
    float transparency = 1.0f;
    std::uint8_t mode = 0;
    std::string texture;
    std::string alphaMap;
};

struct SMS3DModel
{
    std::int32_t version = 4;
    std::vector<SMS3DVertex> vertices;
    std::vector<SMS3DTriangle> triangles;
    std::vector<SMS3DGroup> groups;
    std::vector<SMS3DMaterial> materials;
    float animationFps = 24.0f;
    float currentTime = 0.0f;
    std::int32_t totalFrames = 30;
    // Bytes written after the joint count (comments, extra sections).
    std::vector<std::uint8_t> trailing;
};

// The file's bytes; empty when a count does not fit the format's 16-bit counts.
inline std::vector<std::uint8_t> WriteMS3D(const SMS3DModel& model)
{
    constexpr std::size_t kMaxCount = 65535;
    if (model.vertices.size() > kMaxCount || model.triangles.size() > kMaxCount ||
        model.groups.size() > kMaxCount || model.materials.size() > kMaxCount)
        return {};

    CByteWriter out;
    // The identifier: 10 bytes, no terminator.
    const char kIdentifier[] = "MS3D000000";
    out.Bytes().insert(out.Bytes().end(), kIdentifier, kIdentifier + 10);
    out.U32(static_cast<std::uint32_t>(model.version));

    out.U16(static_cast<std::uint16_t>(model.vertices.size()));
    for (const SMS3DVertex& v : model.vertices)
    {
        out.U8(v.flags);
        for (float c : v.position)
            out.F32(c);
        out.U8(static_cast<std::uint8_t>(v.boneId));
        out.U8(v.referenceCount);
    }

    out.U16(static_cast<std::uint16_t>(model.triangles.size()));
    for (const SMS3DTriangle& t : model.triangles)
    {
        out.U16(t.flags);
        for (std::uint16_t index : t.vertices)
            out.U16(index);
        for (const auto& normal : t.normals)
            for (float c : normal)
                out.F32(c);
        for (float s : t.s)
            out.F32(s);
        for (float v : t.t)
            out.F32(v);
        out.U8(t.smoothingGroup);
        out.U8(t.groupIndex);
    }

    out.U16(static_cast<std::uint16_t>(model.groups.size()));
    for (const SMS3DGroup& g : model.groups)
    {
        if (g.triangles.size() > kMaxCount)
            return {};
        out.U8(g.flags);
        out.Text(g.name, 32);
        out.U16(static_cast<std::uint16_t>(g.triangles.size()));
        for (std::uint16_t index : g.triangles)
            out.U16(index);
        out.U8(static_cast<std::uint8_t>(g.materialIndex));
    }

    out.U16(static_cast<std::uint16_t>(model.materials.size()));
    for (const SMS3DMaterial& m : model.materials)
    {
        out.Text(m.name, 32);
        for (const auto* colour : {&m.ambient, &m.diffuse, &m.specular, &m.emissive})
            for (float c : *colour)
                out.F32(c);
        out.F32(m.shininess);
        out.F32(m.transparency);
        out.U8(m.mode);
        out.Text(m.texture, 128);
        out.Text(m.alphaMap, 128);
    }

    out.F32(model.animationFps);
    out.F32(model.currentTime);
    out.U32(static_cast<std::uint32_t>(model.totalFrames));
    out.U16(0); // joints
    out.Bytes().insert(out.Bytes().end(), model.trailing.begin(), model.trailing.end());
    return std::move(out.Bytes());
}

} // namespace ModelGenerator
