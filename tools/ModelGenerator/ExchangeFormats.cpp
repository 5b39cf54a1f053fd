#include "ExchangeFormats.h"

#include "ByteWriter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>

namespace ModelGenerator
{

namespace
{

// Numbers in text formats: enough digits to give back the float exactly, the same on every run.
std::string Number(float value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", static_cast<double>(value));
    return text;
}

std::array<float, 3> FaceNormal(const SExchangeMesh& mesh, const std::array<std::uint32_t, 3>& t)
{
    const auto& a = mesh.positions[t[0]];
    const auto& b = mesh.positions[t[1]];
    const auto& c = mesh.positions[t[2]];
    const double e1[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
    const double e2[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
    const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length == 0.0)
        return {0.0f, 0.0f, 0.0f};
    return {float(n[0] / length), float(n[1] / length), float(n[2] / length)};
}

std::string Base64(const std::vector<std::uint8_t>& bytes)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3)
    {
        const std::uint32_t chunk = (std::uint32_t(bytes[i]) << 16) |
                                    (i + 1 < bytes.size() ? std::uint32_t(bytes[i + 1]) << 8 : 0u) |
                                    (i + 2 < bytes.size() ? std::uint32_t(bytes[i + 2]) : 0u);
        out += kAlphabet[(chunk >> 18) & 63];
        out += kAlphabet[(chunk >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(chunk >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[chunk & 63] : '=';
    }
    return out;
}

// The glTF document and its one binary buffer.
struct SGltf
{
    std::string json;
    std::vector<std::uint8_t> buffer;
};

std::string JsonArray(const std::array<float, 3>& v)
{
    return "[" + Number(v[0]) + "," + Number(v[1]) + "," + Number(v[2]) + "]";
}

class CGltfBuilder
{
public:
    // The binary container's buffer is its second chunk; a text file embeds it as base64.
    SGltf Build(const std::vector<SExchangeMesh>& meshes, const std::string& rootName, bool embedBuffer)
    {
        std::string nodes = "{\"name\":\"" + rootName + "\",\"children\":[";
        for (std::size_t m = 0; m < meshes.size(); ++m)
            nodes += (m ? "," : "") + std::to_string(m + 1);
        nodes += "]}";
        std::string meshList;
        for (std::size_t m = 0; m < meshes.size(); ++m)
        {
            const std::array<float, 3> centre = BoxCentre(meshes[m]);
            nodes += ",{\"name\":\"" + meshes[m].name + "\",\"mesh\":" + std::to_string(m) +
                     ",\"translation\":" + JsonArray(centre) + "}";
            meshList += std::string(m ? "," : "") + "{\"name\":\"" + meshes[m].name +
                        "\",\"primitives\":[" + AddPrimitive(meshes[m], centre) + "]}";
        }
        const std::size_t length = m_buffer.Bytes().size();
        std::string buffer = "{\"byteLength\":" + std::to_string(length);
        if (embedBuffer)
            buffer += ",\"uri\":\"data:application/octet-stream;base64," + Base64(m_buffer.Bytes()) + "\"";
        buffer += "}";
        SGltf out;
        out.json = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"rigwright_models\"},\"scene\":0,"
                   "\"scenes\":[{\"nodes\":[0]}],\"nodes\":[" +
                   nodes + "],\"meshes\":[" + meshList + "],\"buffers\":[" + buffer + "],\"bufferViews\":[" +
                   m_views + "],\"accessors\":[" + m_accessors + "]}\n";
        out.buffer = m_buffer.Bytes();
        return out;
    }

private:
    static std::array<float, 3> BoxCentre(const SExchangeMesh& mesh)
    {
        std::array<float, 3> low{}, high{};
        low.fill(std::numeric_limits<float>::max());
        high.fill(std::numeric_limits<float>::lowest());
        for (const auto& p : mesh.positions)
            for (int a = 0; a < 3; ++a)
            {
                low[a] = std::min(low[a], p[a]);
                high[a] = std::max(high[a], p[a]);
            }
        return {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2};
    }

    std::string AddPrimitive(const SExchangeMesh& mesh, const std::array<float, 3>& centre)
    {
        std::vector<std::array<float, 3>> local;
        for (const auto& p : mesh.positions)
            local.push_back({p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]});
        const int position = AddVec3(local, true);
        const int normal = AddVec3(mesh.normals, false);
        const int texcoord = AddVec2(mesh.texcoords);
        const int indices = AddIndices(mesh.triangles);
        return "{\"attributes\":{\"POSITION\":" + std::to_string(position) + ",\"NORMAL\":" + std::to_string(normal) +
               ",\"TEXCOORD_0\":" + std::to_string(texcoord) + "},\"indices\":" + std::to_string(indices) +
               ",\"mode\":4}";
    }

    int AddView(std::size_t offset, std::size_t length, int target)
    {
        m_views += std::string(m_viewCount ? "," : "") + "{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
                   ",\"byteLength\":" + std::to_string(length) + ",\"target\":" + std::to_string(target) + "}";
        return m_viewCount++;
    }

    int AddAccessor(int view, int componentType, std::size_t count, const char* type, const std::string& bounds)
    {
        m_accessors += std::string(m_accessorCount ? "," : "") + "{\"bufferView\":" + std::to_string(view) +
                       ",\"componentType\":" + std::to_string(componentType) + ",\"count\":" +
                       std::to_string(count) + ",\"type\":\"" + type + "\"" + bounds + "}";
        return m_accessorCount++;
    }

    int AddVec3(const std::vector<std::array<float, 3>>& values, bool withBounds)
    {
        const std::size_t offset = m_buffer.Bytes().size();
        std::array<float, 3> low{}, high{};
        low.fill(std::numeric_limits<float>::max());
        high.fill(std::numeric_limits<float>::lowest());
        for (const auto& v : values)
            for (int a = 0; a < 3; ++a)
            {
                m_buffer.F32(v[a]);
                low[a] = std::min(low[a], v[a]);
                high[a] = std::max(high[a], v[a]);
            }
        const int view = AddView(offset, m_buffer.Bytes().size() - offset, kArrayBuffer);
        // Positions must carry their bounds.
        const std::string bounds = withBounds ? ",\"min\":" + JsonArray(low) + ",\"max\":" + JsonArray(high) : "";
        return AddAccessor(view, kFloat, values.size(), "VEC3", bounds);
    }

    int AddVec2(const std::vector<std::array<float, 2>>& values)
    {
        const std::size_t offset = m_buffer.Bytes().size();
        for (const auto& v : values)
        {
            m_buffer.F32(v[0]);
            m_buffer.F32(v[1]);
        }
        const int view = AddView(offset, m_buffer.Bytes().size() - offset, kArrayBuffer);
        return AddAccessor(view, kFloat, values.size(), "VEC2", "");
    }

    int AddIndices(const std::vector<std::array<std::uint32_t, 3>>& triangles)
    {
        const std::size_t offset = m_buffer.Bytes().size();
        for (const auto& t : triangles)
            for (std::uint32_t index : t)
                m_buffer.U32(index);
        const int view = AddView(offset, m_buffer.Bytes().size() - offset, kElementArrayBuffer);
        return AddAccessor(view, kUnsignedInt, triangles.size() * 3, "SCALAR", "");
    }

    static constexpr int kArrayBuffer = 34962;
    static constexpr int kElementArrayBuffer = 34963;
    static constexpr int kFloat = 5126;
    static constexpr int kUnsignedInt = 5125;

    CByteWriter m_buffer;
    std::string m_views;
    std::string m_accessors;
    int m_viewCount = 0;
    int m_accessorCount = 0;
};

} // namespace

std::vector<SExchangeMesh> SplitIntoMeshes(const SMS3DModel& model, float scale)
{
    std::vector<SExchangeMesh> meshes;
    for (const SMS3DGroup& group : model.groups)
    {
        SExchangeMesh mesh;
        mesh.name = group.name;
        std::map<std::uint16_t, std::uint32_t> local;
        for (std::uint16_t t : group.triangles)
        {
            const SMS3DTriangle& triangle = model.triangles[t];
            std::array<std::uint32_t, 3> corners{};
            for (int c = 0; c < 3; ++c)
            {
                const std::uint16_t vertex = triangle.vertices[c];
                auto [it, added] = local.try_emplace(vertex, static_cast<std::uint32_t>(mesh.positions.size()));
                if (added)
                {
                    const auto& p = model.vertices[vertex].position;
                    mesh.positions.push_back({p[0] * scale, p[1] * scale, p[2] * scale});
                    mesh.normals.push_back({});
                    mesh.texcoords.push_back({});
                }
                // The last triangle using a vertex gives its normal and coordinates.
                mesh.normals[it->second] = triangle.normals[c];
                mesh.texcoords[it->second] = {triangle.s[c], triangle.t[c]};
                corners[c] = it->second;
            }
            mesh.triangles.push_back(corners);
        }
        if (!mesh.triangles.empty())
            meshes.push_back(std::move(mesh));
    }
    return meshes;
}

std::vector<std::uint8_t> WriteSTL(const std::vector<SExchangeMesh>& meshes)
{
    CByteWriter out;
    std::string header = "rigwright_models binary STL";
    header.resize(80, ' ');
    out.Text(header);
    std::uint32_t count = 0;
    for (const SExchangeMesh& mesh : meshes)
        count += static_cast<std::uint32_t>(mesh.triangles.size());
    out.U32(count);
    for (const SExchangeMesh& mesh : meshes)
        for (const auto& t : mesh.triangles)
        {
            for (float v : FaceNormal(mesh, t))
                out.F32(v);
            for (std::uint32_t corner : t)
                for (float v : mesh.positions[corner])
                    out.F32(v);
            out.U16(0);
        }
    return out.Bytes();
}

std::vector<std::uint8_t> WriteOBJ(const std::vector<SExchangeMesh>& meshes)
{
    CByteWriter out;
    out.Text("# rigwright_models\n");
    // OBJ counts every vertex of the file from 1.
    std::size_t base = 1;
    for (const SExchangeMesh& mesh : meshes)
    {
        std::string text = "o " + mesh.name + "\n";
        for (const auto& p : mesh.positions)
            text += "v " + Number(p[0]) + " " + Number(p[1]) + " " + Number(p[2]) + "\n";
        for (const auto& uv : mesh.texcoords)
            text += "vt " + Number(uv[0]) + " " + Number(uv[1]) + "\n";
        for (const auto& n : mesh.normals)
            text += "vn " + Number(n[0]) + " " + Number(n[1]) + " " + Number(n[2]) + "\n";
        for (const auto& t : mesh.triangles)
        {
            text += "f";
            for (std::uint32_t corner : t)
            {
                const std::string index = std::to_string(base + corner);
                text += " " + index + "/" + index + "/" + index;
            }
            text += "\n";
        }
        base += mesh.positions.size();
        out.Text(text);
    }
    return out.Bytes();
}

std::vector<std::uint8_t> WritePLY(const std::vector<SExchangeMesh>& meshes)
{
    std::size_t vertices = 0, triangles = 0;
    for (const SExchangeMesh& mesh : meshes)
    {
        vertices += mesh.positions.size();
        triangles += mesh.triangles.size();
    }
    CByteWriter out;
    out.Text("ply\nformat binary_little_endian 1.0\ncomment rigwright_models\nelement vertex " +
             std::to_string(vertices) +
             "\nproperty float x\nproperty float y\nproperty float z\nproperty float nx\nproperty float ny\n"
             "property float nz\nproperty float s\nproperty float t\nelement face " +
             std::to_string(triangles) + "\nproperty list uchar uint vertex_indices\nend_header\n");
    for (const SExchangeMesh& mesh : meshes)
        for (std::size_t v = 0; v < mesh.positions.size(); ++v)
        {
            for (float value : mesh.positions[v])
                out.F32(value);
            for (float value : mesh.normals[v])
                out.F32(value);
            out.F32(mesh.texcoords[v][0]);
            out.F32(mesh.texcoords[v][1]);
        }
    std::uint32_t base = 0;
    for (const SExchangeMesh& mesh : meshes)
    {
        for (const auto& t : mesh.triangles)
        {
            out.U8(3);
            for (std::uint32_t corner : t)
                out.U32(base + corner);
        }
        base += static_cast<std::uint32_t>(mesh.positions.size());
    }
    return out.Bytes();
}

std::vector<std::uint8_t> WriteGLTF(const std::vector<SExchangeMesh>& meshes, const std::string& rootName)
{
    const SGltf gltf = CGltfBuilder().Build(meshes, rootName, true);
    return {gltf.json.begin(), gltf.json.end()};
}

std::vector<std::uint8_t> WriteGLB(const std::vector<SExchangeMesh>& meshes, const std::string& rootName)
{
    const SGltf gltf = CGltfBuilder().Build(meshes, rootName, false);
    CByteWriter json;
    json.Text(gltf.json);
    json.PadTo4(' ');
    CByteWriter binary;
    binary.Append(gltf.buffer);
    binary.PadTo4(0);
    CByteWriter out;
    constexpr std::uint32_t kMagic = 0x46546C67;     // "glTF"
    constexpr std::uint32_t kJsonChunk = 0x4E4F534A; // "JSON"
    constexpr std::uint32_t kBinaryChunk = 0x004E4942; // "BIN\0"
    out.U32(kMagic);
    out.U32(2);
    out.U32(static_cast<std::uint32_t>(12 + 8 + json.Bytes().size() + 8 + binary.Bytes().size()));
    out.U32(static_cast<std::uint32_t>(json.Bytes().size()));
    out.U32(kJsonChunk);
    out.Append(json.Bytes());
    out.U32(static_cast<std::uint32_t>(binary.Bytes().size()));
    out.U32(kBinaryChunk);
    out.Append(binary.Bytes());
    return out.Bytes();
}

} // namespace ModelGenerator
