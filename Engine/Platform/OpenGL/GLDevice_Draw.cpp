// CGLDevice: vertex declarations, vertex and index buffers, and the draw calls.

#include "Engine/Platform/OpenGL/GLDevice.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace Tess
{

namespace
{

// Indexed by EPrimitiveType (1..6).
constexpr GLenum kPrimitiveToGL[] = {GL_POINTS, GL_POINTS, GL_LINES, GL_LINE_STRIP,
                                     GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN};
static_assert(std::size(kPrimitiveToGL) == D3DPT_TRIANGLEFAN + 1);

// Vertices a draw of `count` primitives reads. 0 for an unknown type.
std::uint64_t VertexCount(EPrimitiveType type, std::uint32_t count)
{
    switch (type)
    {
    case D3DPT_POINTLIST: return count;
    case D3DPT_LINELIST: return 2ull * count;
    case D3DPT_LINESTRIP: return count ? count + 1ull : 0;
    case D3DPT_TRIANGLELIST: return 3ull * count;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return count ? count + 2ull : 0;
    }
    return 0;
}

struct AttributeFormat
{
    GLint size = 0;
    GLenum type = GL_FLOAT;
    GLboolean normalised = GL_FALSE;
    std::uint32_t bytes = 0;
};

AttributeFormat FormatOf(std::uint8_t declType)
{
    switch (declType)
    {
    case D3DDECLTYPE_FLOAT1: return {1, GL_FLOAT, GL_FALSE, 4};
    case D3DDECLTYPE_FLOAT2: return {2, GL_FLOAT, GL_FALSE, 8};
    case D3DDECLTYPE_FLOAT3: return {3, GL_FLOAT, GL_FALSE, 12};
    case D3DDECLTYPE_FLOAT4: return {4, GL_FLOAT, GL_FALSE, 16};
    // Bytes B, G, R, A in memory arrive as (red, green, blue, alpha).
    case D3DDECLTYPE_D3DCOLOR: return {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4};
    case D3DDECLTYPE_UBYTE4: return {4, GL_UNSIGNED_BYTE, GL_FALSE, 4};
    default: return {};
    }
}

} // namespace

// ---- Declarations -------------------------------------------------------------------------

DeclarationId CGLDevice::CreateVertexDeclaration(const VertexElement* elements)
{
    if (!elements)
        return {};
    GL::Declaration declaration;
    // A declaration longer than this has lost its terminator.
    constexpr std::size_t kMaxElements = 64;
    for (std::size_t i = 0; !(elements[i] == kDeclarationEnd); ++i)
    {
        if (i >= kMaxElements || elements[i].stream >= GL::kMaxStreams || FormatOf(elements[i].type).size == 0)
            return {};
        declaration.elements.push_back(elements[i]);
        if (elements[i].usage == D3DDECLUSAGE_POSITIONT)
            declaration.preTransformed = true;
    }
    const std::uint32_t id = NextId();
    m_declarations[id] = std::move(declaration);
    return DeclarationId{id};
}

Result CGLDevice::SetVertexDeclaration(DeclarationId declaration)
{
    if (declaration && !m_declarations.count(declaration.value))
        return kInvalidCall;
    if (m_declaration != declaration.value)
        MarkAttributesDirty();
    m_declaration = declaration.value;
    return kOk;
}

void CGLDevice::ReleaseVertexDeclaration(DeclarationId declaration)
{
    if (m_declarations.erase(declaration.value) && m_declaration == declaration.value)
    {
        m_declaration = 0;
        MarkAttributesDirty();
    }
}

// ---- Buffers ------------------------------------------------------------------------------

VertexBufferId CGLDevice::CreateVertexBuffer(std::uint32_t length, std::uint32_t, std::uint32_t, EPool)
{
    if (length == 0)
        return {};
    MakeContextCurrent();
    GL::Buffer buffer;
    buffer.length = length;
    glGenBuffers(1, &buffer.name);
    glBindBuffer(GL_ARRAY_BUFFER, buffer.name);
    // Contents are undefined until the first lock writes them, as on a Direct3D device.
    glBufferData(GL_ARRAY_BUFFER, length, nullptr, GL_STATIC_DRAW);
    const std::uint32_t id = NextId();
    m_buffers[id] = std::move(buffer);
    MarkAttributesDirty();
    return VertexBufferId{id};
}

IndexBufferId CGLDevice::CreateIndexBuffer(std::uint32_t length, std::uint32_t, EFormat format, EPool)
{
    if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
        return {};
    MakeContextCurrent();
    GL::Buffer buffer;
    buffer.index = true;
    buffer.indexFormat = format;
    buffer.length = length;
    buffer.data.assign(length, 0);
    glGenBuffers(1, &buffer.name);
    // Element buffers bind to the vertex array; ours is the only one and stays bound.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer.name);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, length, buffer.data.data(), GL_STATIC_DRAW);
    const std::uint32_t id = NextId();
    m_buffers[id] = std::move(buffer);
    if (const auto it = m_buffers.find(m_indices); it != m_buffers.end())
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, it->second.name);
    return IndexBufferId{id};
}

namespace
{

// Checks a lock of [offset, offset + size) (0, 0: the whole buffer) and marks the buffer locked.
GL::Buffer* BeginLock(std::unordered_map<std::uint32_t, GL::Buffer>& buffers, std::uint32_t id, bool index,
                      std::uint32_t& offset, std::uint32_t& size)
{
    auto it = buffers.find(id);
    if (it == buffers.end() || it->second.index != index || it->second.locked)
        return nullptr;
    GL::Buffer& buffer = it->second;
    if (offset == 0 && size == 0)
        size = buffer.length;
    if (size == 0 || std::uint64_t(offset) + size > buffer.length)
        return nullptr;
    buffer.locked = true;
    buffer.lockOffset = offset;
    buffer.lockSize = size;
    return &buffer;
}

} // namespace

void* CGLDevice::LockVertexBuffer(VertexBufferId id, std::uint32_t offset, std::uint32_t size)
{
    GL::Buffer* buffer = BeginLock(m_buffers, id.value, false, offset, size);
    if (!buffer)
        return nullptr;
    MakeContextCurrent();
    glBindBuffer(GL_ARRAY_BUFFER, buffer->name);
    // Read and write: a lock hands out the buffer's contents, as a managed Direct3D buffer does.
    void* mapped = glMapBufferRange(GL_ARRAY_BUFFER, offset, size, GL_MAP_READ_BIT | GL_MAP_WRITE_BIT);
    MarkAttributesDirty();
    if (!mapped)
        buffer->locked = false;
    return mapped;
}

void* CGLDevice::LockIndexBuffer(IndexBufferId id, std::uint32_t offset, std::uint32_t size)
{
    GL::Buffer* buffer = BeginLock(m_buffers, id.value, true, offset, size);
    return buffer ? buffer->data.data() + offset : nullptr;
}

Result CGLDevice::UnlockVertexBuffer(VertexBufferId id)
{
    auto it = m_buffers.find(id.value);
    if (it == m_buffers.end() || it->second.index || !it->second.locked)
        return kInvalidCall;
    MakeContextCurrent();
    GL::Buffer& buffer = it->second;
    glBindBuffer(GL_ARRAY_BUFFER, buffer.name);
    const bool intact = glUnmapBuffer(GL_ARRAY_BUFFER) == GL_TRUE;
    buffer.locked = false;
    MarkAttributesDirty();
    return intact ? kOk : kFail;
}

Result CGLDevice::UnlockIndexBuffer(IndexBufferId id)
{
    auto it = m_buffers.find(id.value);
    if (it == m_buffers.end() || !it->second.index || !it->second.locked)
        return kInvalidCall;
    MakeContextCurrent();
    GL::Buffer& buffer = it->second;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer.name);
    glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, buffer.lockOffset, buffer.lockSize, buffer.data.data() + buffer.lockOffset);
    buffer.locked = false;
    buffer.lastRange.valid = false;
    // Put back the element buffer the engine selected.
    const auto current = m_buffers.find(m_indices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, current != m_buffers.end() ? current->second.name : 0);
    return kOk;
}

void CGLDevice::ReleaseVertexBuffer(VertexBufferId id)
{
    auto it = m_buffers.find(id.value);
    if (it == m_buffers.end() || it->second.index)
        return;
    MakeContextCurrent();
    glDeleteBuffers(1, &it->second.name);
    m_buffers.erase(it);
    for (StreamBinding& stream : m_streams)
        if (stream.buffer == id.value)
            stream = StreamBinding{};
    MarkAttributesDirty();
}

void CGLDevice::ReleaseIndexBuffer(IndexBufferId id)
{
    auto it = m_buffers.find(id.value);
    if (it == m_buffers.end() || !it->second.index)
        return;
    MakeContextCurrent();
    glDeleteBuffers(1, &it->second.name);
    m_buffers.erase(it);
    if (m_indices == id.value)
        m_indices = 0;
}

Result CGLDevice::SetStreamSource(std::uint32_t stream, VertexBufferId buffer, std::uint32_t offset, std::uint32_t stride)
{
    if (stream >= GL::kMaxStreams)
        return kInvalidCall;
    if (buffer)
    {
        const auto it = m_buffers.find(buffer.value);
        if (it == m_buffers.end() || it->second.index)
            return kInvalidCall;
    }
    const StreamBinding binding{buffer.value, offset, stride};
    StreamBinding& current = m_streams[stream];
    if (current.buffer != binding.buffer || current.offset != binding.offset || current.stride != binding.stride)
        MarkAttributesDirty();
    current = binding;
    return kOk;
}

Result CGLDevice::SetIndices(IndexBufferId buffer)
{
    const auto it = m_buffers.find(buffer.value);
    if (buffer && (it == m_buffers.end() || !it->second.index))
        return kInvalidCall;
    m_indices = buffer.value;
    MakeContextCurrent();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer ? it->second.name : 0);
    return kOk;
}

// ---- Drawing --------------------------------------------------------------------------------

// Points every declared element at its stream; stream 0 may be overridden by the streaming
// buffer of a user-memory draw. Locations the declaration leaves out read their defaults.
void CGLDevice::SetupAttributes(GLuint streamZeroOverride, std::uint32_t strideOverride)
{
    if (!m_attributesDirty && !m_bypassStateCache && streamZeroOverride == 0)
        return;
    std::uint32_t enabled = 0;
    const auto declaration = m_declarations.find(m_declaration);
    if (declaration != m_declarations.end())
    {
        for (const VertexElement& element : declaration->second.elements)
        {
            const int location = AttributeLocation(element.usage, element.usageIndex);
            if (location < 0)
                continue;
            GLuint name = 0;
            std::uint32_t offset = 0, stride = 0;
            if (element.stream == 0 && streamZeroOverride)
            {
                name = streamZeroOverride;
                stride = strideOverride;
            }
            else
            {
                const StreamBinding& stream = m_streams[element.stream];
                const auto buffer = m_buffers.find(stream.buffer);
                if (buffer == m_buffers.end())
                    continue;
                name = buffer->second.name;
                offset = stream.offset;
                stride = stream.stride;
            }
            const AttributeFormat format = FormatOf(element.type);
            glBindBuffer(GL_ARRAY_BUFFER, name);
            glVertexAttribPointer(static_cast<GLuint>(location), format.size, format.type, format.normalised,
                                  static_cast<GLsizei>(stride),
                                  reinterpret_cast<const void*>(std::uintptr_t(offset) + element.offset));
            enabled |= 1u << location;
        }
    }
    EnableAttributes(enabled);
    // A user-memory draw's binding must not survive it.
    m_attributesDirty = streamZeroOverride != 0;
    CountStateChange();
}

// Turns on the arrays of the locations in `enabled` and turns off the others. A location read
// from an array by a draw has an undefined generic value afterwards, so a location whose array
// goes off gets its default written back; otherwise it could read a stale or zero value where
// the shader interface promises the default.
void CGLDevice::EnableAttributes(std::uint32_t enabled)
{
    const std::uint32_t changed = m_bypassStateCache ? 0xFFFFu : (m_enabledAttributes ^ enabled);
    for (GLuint location = 0; location < kAttributeLocationCount; ++location)
    {
        if (!((changed >> location) & 1u))
            continue;
        if ((enabled >> location) & 1u)
        {
            glEnableVertexAttribArray(location);
        }
        else
        {
            glDisableVertexAttribArray(location);
            WriteDefaultAttribute(location);
        }
    }
    m_enabledAttributes = enabled;
}

// What an input the declaration does not feed reads: (0, 0, 0, 1), and (1, 1, 1, 1) for COLOR0.
void CGLDevice::WriteDefaultAttribute(GLuint location)
{
    const float one = static_cast<int>(location) == AttributeLocation(D3DDECLUSAGE_COLOR, 0) ? 1.0f : 0.0f;
    glVertexAttrib4f(location, one, one, one, 1.0f);
}

// Whether every stream the declaration reads holds vertices first .. first + count - 1, so
// OpenGL never reads past the end of a buffer. A user-memory draw brings its own stream 0.
bool CGLDevice::StreamsCover(std::uint64_t first, std::uint64_t count, bool skipStreamZero) const
{
    const auto declaration = m_declarations.find(m_declaration);
    if (declaration == m_declarations.end())
        return false;
    for (const VertexElement& element : declaration->second.elements)
    {
        if (skipStreamZero && element.stream == 0)
            continue;
        const StreamBinding& stream = m_streams[element.stream];
        const auto buffer = m_buffers.find(stream.buffer);
        // Drawing from a stream with no buffer is an error, not a draw of default values.
        if (buffer == m_buffers.end())
            return false;
        // OpenGL reads a zero stride as "tightly packed", which walks further than the check
        // below assumes.
        if (stream.stride == 0 && count > 1)
            return false;
        const std::uint64_t end = stream.offset + (first + count - 1) * stream.stride + element.offset +
                                  FormatOf(element.type).bytes;
        // OpenGL draws from no buffer that is mapped.
        if (end > buffer->second.length || buffer->second.locked)
            return false;
    }
    return true;
}

// Whether every stream-0 element of the declaration lies inside one vertex of `stride` bytes:
// the last vertex of a user-memory draw would otherwise be read past the copied data.
bool CGLDevice::StreamZeroFitsStride(std::uint32_t stride) const
{
    const auto declaration = m_declarations.find(m_declaration);
    if (declaration == m_declarations.end())
        return false;
    for (const VertexElement& element : declaration->second.elements)
    {
        if (element.stream == 0 && std::uint64_t(element.offset) + FormatOf(element.type).bytes > stride)
            return false;
    }
    return true;
}

bool CGLDevice::PrepareDraw()
{
    MakeContextCurrent();
    GL::Program* program = GetProgram(m_vertexShader, m_pixelShader, nullptr, m_renderStates[D3DRS_ALPHATESTENABLE] != 0);
    if (!program)
        return false;
    ApplyDrawState();
    UseProgram(program->name);
    UploadConstants(*program);
    UploadBuiltInUniforms(*program);
    return true;
}

Result CGLDevice::DrawPrimitive(EPrimitiveType type, std::uint32_t startVertex, std::uint32_t primitiveCount)
{
    const std::uint64_t vertices = VertexCount(type, primitiveCount);
    if (vertices == 0 || vertices > 0x7FFFFFFF)
        return primitiveCount == 0 ? kOk : kInvalidCall;
    if (!StreamsCover(startVertex, vertices) || !PrepareDraw())
        return kInvalidCall;
    SetupAttributes(0, 0);
    glDrawArrays(kPrimitiveToGL[type], static_cast<GLint>(startVertex), static_cast<GLsizei>(vertices));
    return kOk;
}

std::pair<std::uint32_t, std::uint32_t> CGLDevice::IndexRangeOf(GL::Buffer& buffer, std::uint32_t startIndex,
                                                                 std::uint32_t count)
{
    GL::Buffer::IndexRange& range = buffer.lastRange;
    if (range.valid && range.start == startIndex && range.count == count)
        return {range.minIndex, range.maxIndex};
    const bool wide = buffer.indexFormat == D3DFMT_INDEX32;
    const std::uint8_t* raw = buffer.data.data() + std::uint64_t(startIndex) * (wide ? 4 : 2);
    std::uint32_t minIndex = 0xFFFFFFFFu, maxIndex = 0;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        std::uint32_t index = 0;
        if (wide)
            std::memcpy(&index, raw + 4 * std::uint64_t(i), 4);
        else
            index = std::uint32_t(raw[2 * std::uint64_t(i)]) | (std::uint32_t(raw[2 * std::uint64_t(i) + 1]) << 8);
        minIndex = std::min(minIndex, index);
        maxIndex = std::max(maxIndex, index);
    }
    range = {startIndex, count, minIndex, maxIndex, true};
    return {minIndex, maxIndex};
}

Result CGLDevice::DrawIndexedPrimitive(EPrimitiveType type, std::int32_t baseVertex, std::uint32_t,
                                       std::uint32_t, std::uint32_t startIndex, std::uint32_t primitiveCount)
{
    const std::uint64_t indices = VertexCount(type, primitiveCount);
    if (indices == 0 || indices > 0x7FFFFFFF)
        return primitiveCount == 0 ? kOk : kInvalidCall;
    const auto buffer = m_buffers.find(m_indices);
    if (buffer == m_buffers.end())
        return kInvalidCall;
    const bool wide = buffer->second.indexFormat == D3DFMT_INDEX32;
    const std::uint64_t indexBytes = wide ? 4 : 2;
    // Never let OpenGL read indices past the end of the buffer.
    if ((std::uint64_t(startIndex) + indices) * indexBytes > buffer->second.data.size())
        return kInvalidCall;
    const auto [minIndex, maxIndex] = IndexRangeOf(buffer->second, startIndex, static_cast<std::uint32_t>(indices));
    // With a negative base vertex the smallest index is the one that may point before the
    // first vertex.
    if (std::int64_t(minIndex) + baseVertex < 0 ||
        !StreamsCover(0, std::uint64_t(std::int64_t(maxIndex) + baseVertex) + 1) || !PrepareDraw())
        return kInvalidCall;
    SetupAttributes(0, 0);
    glDrawElementsBaseVertex(kPrimitiveToGL[type], static_cast<GLsizei>(indices),
                             wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                             reinterpret_cast<const void*>(std::uintptr_t(startIndex * indexBytes)), baseVertex);
    return kOk;
}

Result CGLDevice::DrawPrimitiveUP(EPrimitiveType type, std::uint32_t primitiveCount, const void* data, std::uint32_t stride)
{
    const std::uint64_t vertices = VertexCount(type, primitiveCount);
    if (!data || stride == 0 || vertices == 0 || vertices * stride > 0x7FFFFFFF)
        return (primitiveCount == 0 && data) ? kOk : kInvalidCall;
    // Without a declaration nothing is read from memory (every input keeps its default).
    const bool declared = m_declarations.count(m_declaration) != 0;
    if ((declared && (!StreamZeroFitsStride(stride) || !StreamsCover(0, vertices, true))) || !PrepareDraw())
        return kInvalidCall;
    // A fresh store each time lets the driver keep the previous draw's data in flight.
    glBindBuffer(GL_ARRAY_BUFFER, m_streamBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices * stride), data, GL_STREAM_DRAW);
    SetupAttributes(m_streamBuffer, stride);
    glDrawArrays(kPrimitiveToGL[type], 0, static_cast<GLsizei>(vertices));
    m_streams[0] = StreamBinding{};
    return kOk;
}

} // namespace Tess
