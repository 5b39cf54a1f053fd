// CRecordingDevice: vertex and index data, drawing, textures and fonts.

#include "Support/RecordingDevice.h"
#include "Support/RecordingHelpers.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace Tess
{

using namespace Recording;

// ---- Vertex and index data -----------------------------------------------------------------

DeclarationId CRecordingDevice::CreateVertexDeclaration(const VertexElement* elements)
{
    std::vector<VertexElement> declaration;
    for (std::uint32_t i = 0; elements && i < kMaxDeclarationElements; ++i)
    {
        declaration.push_back(elements[i]);
        if (elements[i].stream == 0xFF)
            break;
    }
    DeviceCall call = MakeCall(EDeviceOp::CreateVertexDeclaration);
    call.bytes = BytesOf(declaration.data(), declaration.size());
    Record(std::move(call));
    if (declaration.empty() || declaration.back().stream != 0xFF)
    {
        Error("CreateVertexDeclaration: no end marker");
        return {};
    }
    const DeclarationId id{NextId()};
    m_declarations[id.value] = std::move(declaration);
    return id;
}

Result CRecordingDevice::SetVertexDeclaration(DeclarationId declaration)
{
    Record(MakeCall(EDeviceOp::SetVertexDeclaration, {declaration.value}));
    if (declaration && !m_declarations.count(declaration.value))
        Error("SetVertexDeclaration: unknown declaration");
    m_declaration = declaration;
    return kOk;
}

void CRecordingDevice::ReleaseVertexDeclaration(DeclarationId declaration)
{
    Record(MakeCall(EDeviceOp::ReleaseVertexDeclaration, {declaration.value}));
    if (!m_declarations.erase(declaration.value))
        Error("ReleaseVertexDeclaration: unknown declaration");
    if (m_declaration == declaration)
        m_declaration = {};
}

VertexBufferId CRecordingDevice::CreateVertexBuffer(std::uint32_t length, std::uint32_t usage,
                                                    std::uint32_t fvf, EPool pool)
{
    Record(MakeCall(EDeviceOp::CreateVertexBuffer, {length, usage, fvf, pool}));
    if (length == 0)
    {
        Error("CreateVertexBuffer: zero length");
        return {};
    }
    const VertexBufferId id{NextId()};
    Buffer buffer;
    buffer.data.assign(length, 0);
    buffer.usage = usage;
    m_vertexBuffers[id.value] = std::move(buffer);
    return id;
}

namespace
{
void* LockRange(CRecordingLog& log, std::vector<std::uint8_t>& data, bool& locked, std::uint32_t offset, std::uint32_t size, const char* what)
{
    if (locked)
        log.AddError(std::string(what) + ": already locked");
    const std::size_t length = data.size();
    const std::size_t end = size == 0 ? length : static_cast<std::size_t>(offset) + size;
    if (offset > length || end > length)
    {
        log.AddError(std::string(what) + ": range outside the buffer");
        return nullptr;
    }
    locked = true;
    return data.data() + offset;
}
} // namespace

void* CRecordingDevice::LockVertexBuffer(VertexBufferId id, std::uint32_t offset, std::uint32_t size)
{
    Record(MakeCall(EDeviceOp::LockVertexBuffer, {id.value, offset, size}));
    const auto it = m_vertexBuffers.find(id.value);
    if (it == m_vertexBuffers.end())
    {
        Error("LockVertexBuffer: unknown buffer");
        return nullptr;
    }
    return LockRange(*m_log, it->second.data, it->second.locked, offset, size, "LockVertexBuffer");
}

Result CRecordingDevice::UnlockVertexBuffer(VertexBufferId id)
{
    Record(MakeCall(EDeviceOp::UnlockVertexBuffer, {id.value}));
    const auto it = m_vertexBuffers.find(id.value);
    if (it == m_vertexBuffers.end() || !it->second.locked)
    {
        Error("UnlockVertexBuffer: buffer not locked");
        return kInvalidCall;
    }
    it->second.locked = false;
    return kOk;
}

void CRecordingDevice::ReleaseVertexBuffer(VertexBufferId id)
{
    Record(MakeCall(EDeviceOp::ReleaseVertexBuffer, {id.value}));
    if (!m_vertexBuffers.erase(id.value))
        Error("ReleaseVertexBuffer: unknown buffer");
    if (m_stream == id)
        m_stream = {};
}

IndexBufferId CRecordingDevice::CreateIndexBuffer(std::uint32_t length, std::uint32_t usage, EFormat format,
                                                  EPool pool)
{
    Record(MakeCall(EDeviceOp::CreateIndexBuffer, {length, usage, format, pool}));
    if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
    {
        Error("CreateIndexBuffer: zero length or not an index format");
        return {};
    }
    const IndexBufferId id{NextId()};
    Buffer buffer;
    buffer.data.assign(length, 0);
    buffer.usage = usage;
    buffer.format = format;
    m_indexBuffers[id.value] = std::move(buffer);
    return id;
}

void* CRecordingDevice::LockIndexBuffer(IndexBufferId id, std::uint32_t offset, std::uint32_t size)
{
    Record(MakeCall(EDeviceOp::LockIndexBuffer, {id.value, offset, size}));
    const auto it = m_indexBuffers.find(id.value);
    if (it == m_indexBuffers.end())
    {
        Error("LockIndexBuffer: unknown buffer");
        return nullptr;
    }
    return LockRange(*m_log, it->second.data, it->second.locked, offset, size, "LockIndexBuffer");
}

Result CRecordingDevice::UnlockIndexBuffer(IndexBufferId id)
{
    Record(MakeCall(EDeviceOp::UnlockIndexBuffer, {id.value}));
    const auto it = m_indexBuffers.find(id.value);
    if (it == m_indexBuffers.end() || !it->second.locked)
    {
        Error("UnlockIndexBuffer: buffer not locked");
        return kInvalidCall;
    }
    it->second.locked = false;
    return kOk;
}

void CRecordingDevice::ReleaseIndexBuffer(IndexBufferId id)
{
    Record(MakeCall(EDeviceOp::ReleaseIndexBuffer, {id.value}));
    if (!m_indexBuffers.erase(id.value))
        Error("ReleaseIndexBuffer: unknown buffer");
    if (m_indices == id)
        m_indices = {};
}

Result CRecordingDevice::SetStreamSource(std::uint32_t stream, VertexBufferId buffer, std::uint32_t offset,
                                         std::uint32_t stride)
{
    Record(MakeCall(EDeviceOp::SetStreamSource, {stream, buffer.value, offset, stride}));
    if (stream != 0)
    {
        Error("SetStreamSource: only stream 0 is used");
        return kInvalidCall;
    }
    if (buffer && !m_vertexBuffers.count(buffer.value))
        Error("SetStreamSource: unknown buffer");
    m_stream = buffer;
    m_streamStride = stride;
    return kOk;
}

Result CRecordingDevice::SetIndices(IndexBufferId buffer)
{
    Record(MakeCall(EDeviceOp::SetIndices, {buffer.value}));
    if (buffer && !m_indexBuffers.count(buffer.value))
        Error("SetIndices: unknown buffer");
    m_indices = buffer;
    return kOk;
}

// ---- Drawing -------------------------------------------------------------------------------

void CRecordingDevice::CheckDrawState(const char* what, bool needsStream, bool needsIndices)
{
    if (!m_declaration)
        Error(std::string(what) + ": no vertex declaration set");
    if (needsStream && !m_stream)
        Error(std::string(what) + ": no vertex buffer on stream 0");
    if (needsIndices && !m_indices)
        Error(std::string(what) + ": no index buffer set");
    for (const auto& [id, buffer] : m_vertexBuffers)
        if (buffer.locked)
            Error(std::string(what) + ": a vertex buffer is still locked");
}

Result CRecordingDevice::DrawPrimitive(EPrimitiveType type, std::uint32_t startVertex,
                                       std::uint32_t primitiveCount)
{
    Record(MakeCall(EDeviceOp::DrawPrimitive, {type, startVertex, primitiveCount}));
    CheckDrawState("DrawPrimitive", true, false);
    const auto it = m_vertexBuffers.find(m_stream.value);
    if (it != m_vertexBuffers.end() && m_streamStride > 0)
    {
        const std::size_t needed =
            (static_cast<std::size_t>(startVertex) + VertexCountOf(type, primitiveCount)) * m_streamStride;
        if (needed > it->second.data.size())
            Error("DrawPrimitive: vertices beyond the end of the buffer");
    }
    return kOk;
}

Result CRecordingDevice::DrawIndexedPrimitive(EPrimitiveType type, std::int32_t baseVertex,
                                              std::uint32_t minIndex, std::uint32_t vertexCount,
                                              std::uint32_t startIndex, std::uint32_t primitiveCount)
{
    Record(MakeCall(EDeviceOp::DrawIndexedPrimitive,
                    {type, static_cast<std::uint32_t>(baseVertex), minIndex, vertexCount, startIndex,
                     primitiveCount}));
    CheckDrawState("DrawIndexedPrimitive", true, true);
    const auto indices = m_indexBuffers.find(m_indices.value);
    const auto vertices = m_vertexBuffers.find(m_stream.value);
    if (indices == m_indexBuffers.end() || vertices == m_vertexBuffers.end() || m_streamStride == 0)
        return kOk;

    // Every index read must name a vertex inside the bound buffer.
    const std::size_t indexSize = indices->second.format == D3DFMT_INDEX16 ? 2 : 4;
    const std::size_t count = VertexCountOf(type, primitiveCount);
    const std::vector<std::uint8_t>& indexData = indices->second.data;
    if ((static_cast<std::size_t>(startIndex) + count) * indexSize > indexData.size())
    {
        Error("DrawIndexedPrimitive: indices beyond the end of the index buffer");
        return kOk;
    }
    const std::size_t vertexTotal = vertices->second.data.size() / m_streamStride;
    for (std::size_t i = 0; i < count; ++i)
    {
        std::uint32_t index = 0;
        std::memcpy(&index, indexData.data() + (startIndex + i) * indexSize, indexSize);
        if (static_cast<std::int64_t>(index) + baseVertex >= static_cast<std::int64_t>(vertexTotal))
        {
            Error("DrawIndexedPrimitive: index " + std::to_string(index) + " beyond the vertex buffer");
            break;
        }
    }
    return kOk;
}

Result CRecordingDevice::DrawPrimitiveUP(EPrimitiveType type, std::uint32_t primitiveCount, const void* data,
                                         std::uint32_t stride)
{
    DeviceCall call = MakeCall(EDeviceOp::DrawPrimitiveUP, {type, primitiveCount, stride});
    const std::size_t length = static_cast<std::size_t>(VertexCountOf(type, primitiveCount)) * stride;
    if (data && length > 0)
        call.bytes = BytesOf(static_cast<const std::uint8_t*>(data), length);
    Record(std::move(call));
    CheckDrawState("DrawPrimitiveUP", false, false);
    if (!data && length > 0)
        Error("DrawPrimitiveUP: no vertex data");
    // Drawing from caller memory leaves stream 0 unbound, as the original device did.
    m_stream = {};
    m_streamStride = 0;
    return kOk;
}

// ---- Textures ------------------------------------------------------------------------------

TextureId CRecordingDevice::AddTexture(Texture texture)
{
    const std::uint32_t faces = texture.cube ? 6 : 1;
    texture.texels.resize(faces);
    for (auto& levels : texture.texels)
    {
        levels.resize(texture.levels);
        for (std::uint32_t level = 0; level < texture.levels; ++level)
            levels[level].assign(static_cast<std::size_t>(LevelExtent(texture.width, level)) *
                                     LevelExtent(texture.height, level),
                                 0u);
    }
    const TextureId id{NextId()};
    m_textureObjects[id.value] = std::move(texture);
    return id;
}

TextureId CRecordingDevice::CreateTextureFromFile(const std::string& path)
{
    DeviceCall call = MakeCall(EDeviceOp::CreateTextureFromFile);
    call.text = path;
    Record(std::move(call));
    std::error_code error;
    const bool exists = std::filesystem::is_regular_file(path, error);
    const bool failing = m_config.failingTextureFiles.count(path) ||
                         m_config.failingTextureFiles.count(BaseName(path));
    if (failing || (!exists && !m_config.texturesAlwaysLoad))
        return {};
    Texture texture;
    texture.width = texture.height = 1;
    texture.format = D3DFMT_A8R8G8B8;
    texture.pool = D3DPOOL_MANAGED;
    texture.path = path;
    const TextureId id = AddTexture(std::move(texture));
    m_textureObjects[id.value].texels[0][0][0] = 0xFFFFFFFFu;
    return id;
}

TextureId CRecordingDevice::CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                          std::uint32_t usage, EFormat format, EPool pool)
{
    Record(MakeCall(EDeviceOp::CreateTexture, {width, height, levels, usage, format, pool}));
    if (m_config.failCreateTexture || width == 0 || height == 0)
        return {};
    Texture texture;
    texture.width = width;
    texture.height = height;
    texture.levels = levels == 0 ? FullMipCount(width, height) : levels;
    texture.usage = usage;
    texture.format = format;
    texture.pool = pool;
    return AddTexture(std::move(texture));
}

TextureId CRecordingDevice::CreateCubeTexture(std::uint32_t edge, std::uint32_t levels, std::uint32_t usage,
                                              EFormat format, EPool pool)
{
    Record(MakeCall(EDeviceOp::CreateCubeTexture, {edge, levels, usage, format, pool}));
    if (m_config.failCreateCubeTexture || edge == 0)
        return {};
    Texture texture;
    texture.cube = true;
    texture.width = texture.height = edge;
    texture.levels = levels == 0 ? FullMipCount(edge, edge) : levels;
    texture.usage = usage;
    texture.format = format;
    texture.pool = pool;
    return AddTexture(std::move(texture));
}

bool CRecordingDevice::GetLevelDesc(TextureId id, std::uint32_t level, SurfaceDesc& out) const
{
    const auto it = m_textureObjects.find(id.value);
    if (it == m_textureObjects.end() || level >= it->second.levels)
        return false;
    const Texture& texture = it->second;
    out = SurfaceDesc{};
    out.format = texture.format;
    out.type = D3DRTYPE_SURFACE;
    out.usage = texture.usage;
    out.pool = texture.pool;
    out.width = LevelExtent(texture.width, level);
    out.height = LevelExtent(texture.height, level);
    return true;
}

LockedRect CRecordingDevice::LockRect(TextureId id, ECubeFace face, std::uint32_t level)
{
    Record(MakeCall(EDeviceOp::LockRect, {id.value, face, level}));
    const auto it = m_textureObjects.find(id.value);
    if (it == m_textureObjects.end() || level >= it->second.levels || (it->second.cube && face > 5))
    {
        Error("LockRect: unknown texture, face or level");
        return {};
    }
    Texture& texture = it->second;
    const std::uint32_t faceIndex = texture.cube ? static_cast<std::uint32_t>(face) : 0u;
    if (!texture.locked.insert({faceIndex, level}).second)
        Error("LockRect: level already locked");
    LockedRect locked;
    locked.pitch = static_cast<std::int32_t>(LevelExtent(texture.width, level) * 4);
    locked.bits = texture.texels[faceIndex][level].data();
    return locked;
}

Result CRecordingDevice::UnlockRect(TextureId id, ECubeFace face, std::uint32_t level)
{
    Record(MakeCall(EDeviceOp::UnlockRect, {id.value, face, level}));
    const auto it = m_textureObjects.find(id.value);
    const std::uint32_t faceIndex = it != m_textureObjects.end() && it->second.cube ? static_cast<std::uint32_t>(face) : 0u;
    if (it == m_textureObjects.end() || !it->second.locked.erase({faceIndex, level}))
    {
        Error("UnlockRect: level not locked");
        return kInvalidCall;
    }
    return kOk;
}

SurfaceId CRecordingDevice::GetSurfaceLevel(TextureId id, std::uint32_t level)
{
    Record(MakeCall(EDeviceOp::GetSurfaceLevel, {id.value, level}));
    const auto it = m_textureObjects.find(id.value);
    if (it == m_textureObjects.end() || it->second.cube || level >= it->second.levels)
    {
        Error("GetSurfaceLevel: unknown 2D texture or level");
        return {};
    }
    for (auto& [surfaceId, surface] : m_surfaces)
        if (surface.kind == Surface::Kind::TextureLevel && surface.texture == id && surface.level == level)
        {
            ++surface.references;
            return SurfaceId{surfaceId};
        }
    Surface surface;
    surface.kind = Surface::Kind::TextureLevel;
    surface.texture = id;
    surface.level = level;
    surface.references = 1;
    return AddSurface(surface);
}

void CRecordingDevice::ReleaseTexture(TextureId id)
{
    Record(MakeCall(EDeviceOp::ReleaseTexture, {id.value}));
    if (!m_textureObjects.erase(id.value))
        Error("ReleaseTexture: unknown texture");
    for (TextureId& bound : m_textures)
        if (bound == id)
            bound = {};
}

Result CRecordingDevice::SaveSurfaceToFile(const std::string& path, EImageFileFormat format, SurfaceId surface)
{
    DeviceCall call = MakeCall(EDeviceOp::SaveSurfaceToFile, {format, surface.value});
    call.text = path;
    Record(std::move(call));
    SurfaceDesc desc;
    if (!GetSurfaceDesc(surface, desc))
    {
        Error("SaveSurfaceToFile: unknown surface");
        return kInvalidCall;
    }
    return kOk;
}

// ---- Fonts ---------------------------------------------------------------------------------

FontId CRecordingDevice::CreateFont(std::int32_t height, std::uint32_t width, std::uint32_t weight,
                                    std::uint32_t mipLevels, bool italic, std::uint32_t charSet,
                                    std::uint32_t outputPrecision, std::uint32_t quality,
                                    std::uint32_t pitchAndFamily, const std::string& faceName)
{
    DeviceCall call = MakeCall(EDeviceOp::CreateFont,
                               {static_cast<std::uint32_t>(height), width, weight, mipLevels,
                                italic ? 1u : 0u, charSet, outputPrecision, quality, pitchAndFamily});
    call.text = faceName;
    Record(std::move(call));
    if (m_config.failingFontFaces.count(faceName) || height == 0)
        return {};
    const FontId id{NextId()};
    m_fonts[id.value] = Font{height, faceName};
    return id;
}

std::int32_t CRecordingDevice::DrawText(FontId font, const char* text, std::int32_t count, const Rect& rect,
                                        std::uint32_t format, Color color)
{
    std::string drawn;
    if (text)
    {
        const std::size_t length = std::strlen(text);
        drawn.assign(text, count < 0 ? length : std::min<std::size_t>(length, static_cast<std::size_t>(count)));
    }
    DeviceCall call = MakeCall(EDeviceOp::DrawText,
                               {font.value, static_cast<std::uint32_t>(count), format, color});
    call.text = drawn;
    call.rect = rect;
    Record(std::move(call));
    const auto it = m_fonts.find(font.value);
    if (it == m_fonts.end())
    {
        Error("DrawText: unknown font");
        return 0;
    }
    if (drawn.empty())
        return 0;
    const auto lines = 1 + std::count(drawn.begin(), drawn.end(), '\n');
    return static_cast<std::int32_t>(lines) * std::abs(it->second.height);
}

void CRecordingDevice::ReleaseFont(FontId font)
{
    Record(MakeCall(EDeviceOp::ReleaseFont, {font.value}));
    if (!m_fonts.erase(font.value))
        Error("ReleaseFont: unknown font");
}

} // namespace Tess
