#include "Engine/Geometry/ModelLoader.h"

#include "Engine/Core/Vector.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <bit>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace Tess
{

namespace
{

// Offsets and record sizes of the file format, in bytes.
constexpr std::size_t kVersionOffset = 10;
constexpr std::size_t kVertexCountOffset = 14;
constexpr std::size_t kVertexSize = 15;
constexpr std::size_t kTriangleSize = 70;
constexpr std::size_t kMaterialSize = 361;
// Far beyond the largest geometry the format's 16-bit counts allow in practice; a larger file
// is not a model, and reading it whole would only exhaust memory.
constexpr std::uintmax_t kMaxFileSize = std::uintmax_t(1) << 30;

// Little-endian field reads; compilers turn these into plain loads on little-endian hosts.
std::uint16_t ReadU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ReadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

float ReadF32(const std::uint8_t* p)
{
    return std::bit_cast<float>(ReadU32(p));
}

Vector3 ReadVector3(const std::uint8_t* p)
{
    return {ReadF32(p), ReadF32(p + 4), ReadF32(p + 8)};
}

// Where the sections of a file lie. Every section is checked against the file size before a
// byte of it is read, so a truncated file or a count that overruns it is rejected.
struct SLayout
{
    std::uint16_t vertexCount = 0;
    std::uint16_t triangleCount = 0;
    const std::uint8_t* vertices = nullptr;
    const std::uint8_t* triangles = nullptr;
};

class CLayoutReader
{
public:
    CLayoutReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    EModelLoadResult Read(SLayout& layout)
    {
        if (m_size < kVertexCountOffset)
            return EModelLoadResult::Truncated;
        const std::int32_t version = static_cast<std::int32_t>(ReadU32(m_data + kVersionOffset));
        if (version != 3 && version != 4)
            return EModelLoadResult::WrongVersion;
        m_position = kVertexCountOffset;
        const bool whole = ReadCount(layout.vertexCount) && Skip(layout.vertexCount * kVertexSize, layout.vertices) &&
                           ReadCount(layout.triangleCount) &&
                           Skip(layout.triangleCount * kTriangleSize, layout.triangles) && SkipGroups() &&
                           SkipMaterials();
        return whole ? EModelLoadResult::Loaded : EModelLoadResult::Truncated;
    }

private:
    bool ReadCount(std::uint16_t& count)
    {
        if (m_size - m_position < 2)
            return false;
        count = ReadU16(m_data + m_position);
        m_position += 2;
        return true;
    }

    bool Skip(std::size_t bytes, const std::uint8_t*& start)
    {
        if (m_size - m_position < bytes)
            return false;
        start = m_data + m_position;
        m_position += bytes;
        return true;
    }

    bool SkipGroups()
    {
        std::uint16_t groupCount = 0;
        if (!ReadCount(groupCount))
            return false;
        const std::uint8_t* unused = nullptr;
        for (int g = 0; g < groupCount; ++g)
        {
            // flags (1) and name (32) come before the group's triangle count.
            std::uint16_t indexCount = 0;
            if (!Skip(33, unused) || !ReadCount(indexCount) || !Skip(indexCount * 2 + 1, unused))
                return false;
        }
        return true;
    }

    bool SkipMaterials()
    {
        std::uint16_t materialCount = 0;
        const std::uint8_t* unused = nullptr;
        return ReadCount(materialCount) && Skip(materialCount * kMaterialSize, unused);
    }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
};

bool IndicesAreValid(const SLayout& layout)
{
    for (std::size_t t = 0; t < layout.triangleCount; ++t)
    {
        const std::uint8_t* record = layout.triangles + t * kTriangleSize;
        for (int corner = 0; corner < 3; ++corner)
        {
            if (ReadU16(record + 2 + 2 * corner) >= layout.vertexCount)
                return false;
        }
    }
    return true;
}

CTriMesh* BuildMesh(const SLayout& layout)
{
    const int n = layout.vertexCount;
    auto position = std::make_unique<CVertexElement>("POSITION", 3, n, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION);
    auto texcoords = std::make_unique<CVertexElement>("TEXCOORDS0", 2, n, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD);
    auto normal = std::make_unique<CVertexElement>("NORMAL", 3, n, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL);

    // The file is right-handed; mirroring z brings it into the engine's left-handed space.
    float* p = position->GetData();
    for (int i = 0; i < n; ++i, p += 3)
    {
        const std::uint8_t* record = layout.vertices + i * kVertexSize;
        p[0] = ReadF32(record + 1);
        p[1] = ReadF32(record + 5);
        p[2] = -ReadF32(record + 9);
    }

    auto mesh = std::make_unique<CTriMesh>();
    mesh->ReserveTriangles(static_cast<int>(layout.triangleCount));
    float* uv = texcoords->GetData();
    float* normals = normal->GetData();
    for (std::size_t t = 0; t < layout.triangleCount; ++t)
    {
        const std::uint8_t* record = layout.triangles + t * kTriangleSize;
        const std::uint16_t corners[3] = {ReadU16(record + 2), ReadU16(record + 4), ReadU16(record + 6)};
        // Swapping the second and third corners keeps the faces front-facing after the mirror.
        mesh->AddTriangle(corners[0], corners[2], corners[1]);
        for (int c = 0; c < 3; ++c)
        {
            const Vector3 cornerNormal = ReadVector3(record + 8 + 12 * c);
            float* sum = normals + corners[c] * 3;
            sum[0] += cornerNormal.x;
            sum[1] += cornerNormal.y;
            sum[2] += cornerNormal.z;
            // A vertex shared by several triangles keeps the coordinates of the last one.
            uv[corners[c] * 2] = ReadF32(record + 44 + 4 * c);
            uv[corners[c] * 2 + 1] = ReadF32(record + 56 + 4 * c);
        }
    }

    // A vertex no triangle uses keeps (0,0,0) rather than the NaN of normalising it.
    for (float* sum = normals; sum != normals + 3 * n; sum += 3)
    {
        const Vector3 unit = Vector3{sum[0], sum[1], sum[2]}.NormalizedOrZero();
        sum[0] = unit.x;
        sum[1] = unit.y;
        sum[2] = unit.z;
    }

    mesh->AddElement(position.release());
    mesh->AddElement(texcoords.release());
    mesh->AddElement(normal.release());
    return mesh.release();
}

// The whole file in one read: Loaded, Missing when there is nothing at the path, Unreadable when
// it is not a regular file or cannot be read.
EModelLoadResult ReadWholeFile(const std::string& path, std::unique_ptr<std::uint8_t[]>& bytes, std::size_t& size)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return EModelLoadResult::Missing;
    // A directory opens fine on some systems and then reports a nonsensical size.
    if (status.type() != std::filesystem::file_type::regular)
        return EModelLoadResult::Unreadable;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return EModelLoadResult::Unreadable;
    // The size from the open file: one look-up of the path fewer than asking the file system.
    const long fileSize = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
    if (fileSize < 0 || std::uintmax_t(fileSize) > kMaxFileSize || std::fseek(file, 0, SEEK_SET) != 0)
    {
        std::fclose(file);
        return EModelLoadResult::Unreadable;
    }
    size = static_cast<std::size_t>(fileSize);
    bytes = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    // A file that shrank since its size was taken reads short and is rejected.
    const bool ok = std::fread(bytes.get(), 1, size, file) == size;
    std::fclose(file);
    return ok ? EModelLoadResult::Loaded : EModelLoadResult::Unreadable;
}

CTriMesh* Answer(CTriMesh* mesh, EModelLoadResult reason, EModelLoadResult* result)
{
    if (result)
        *result = reason;
    return mesh;
}

} // namespace

CTriMesh* LoadMeshMS3D(std::string path, EModelLoadResult* result)
{
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    const EModelLoadResult read = ReadWholeFile(path, bytes, size);
    if (read != EModelLoadResult::Loaded)
        return Answer(nullptr, read, result);
    return LoadMeshMS3DFromMemory(bytes.get(), size, result);
}

CTriMesh* LoadMeshMS3DFromMemory(const std::uint8_t* data, std::size_t size, EModelLoadResult* result)
{
    if (!data)
        return Answer(nullptr, EModelLoadResult::Truncated, result);
    SLayout layout;
    const EModelLoadResult read = CLayoutReader(data, size).Read(layout);
    if (read != EModelLoadResult::Loaded)
        return Answer(nullptr, read, result);
    if (!IndicesAreValid(layout))
        return Answer(nullptr, EModelLoadResult::IndexOutOfRange, result);
    return Answer(BuildMesh(layout), EModelLoadResult::Loaded, result);
}

const char* DescribeModelLoadResult(EModelLoadResult result)
{
    switch (result)
    {
    case EModelLoadResult::Loaded:
        return "read";
    case EModelLoadResult::Missing:
        return "no such file";
    case EModelLoadResult::Unreadable:
        return "not a readable file";
    case EModelLoadResult::WrongVersion:
        return "not a MilkShape 3D file of version 3 or 4";
    case EModelLoadResult::Truncated:
        return "the file is cut short";
    case EModelLoadResult::IndexOutOfRange:
        return "a triangle names a vertex the file does not have";
    }
    return "unknown";
}

} // namespace Tess
