// CD3D9Device: vertex declarations, vertex and index buffers, and the draw calls.

#include "Engine/Platform/Direct3D9/D3D9Device.h"

namespace Tess
{

namespace
{

std::uint32_t ElementBytes(std::uint8_t declType)
{
    switch (declType)
    {
    case D3DDECLTYPE_FLOAT1: return 4;
    case D3DDECLTYPE_FLOAT2: return 8;
    case D3DDECLTYPE_FLOAT3: return 12;
    case D3DDECLTYPE_FLOAT4: return 16;
    case D3DDECLTYPE_D3DCOLOR:
    case D3DDECLTYPE_UBYTE4: return 4;
    default: return 0;
    }
}

// Checks a lock of [offset, offset + size) (0, 0: the whole buffer).
bool LockRange(const D3D9::Buffer& buffer, std::uint32_t offset, std::uint32_t& size)
{
    if (buffer.locked)
        return false;
    if (offset == 0 && size == 0)
        size = buffer.length;
    return size != 0 && std::uint64_t(offset) + size <= buffer.length;
}

} // namespace

// ---- Declarations -------------------------------------------------------------------------

DeclarationId CD3D9Device::CreateVertexDeclaration(const VertexElement* elements)
{
    if (!elements)
        return {};
    // The engine's element is laid out as Direct3D's; a declaration longer than this has lost
    // its terminator.
    static_assert(sizeof(VertexElement) == sizeof(D3DVERTEXELEMENT9));
    constexpr std::size_t kMaxElements = 64;
    D3D9::Declaration declaration;
    std::vector<D3DVERTEXELEMENT9> d3d;
    for (std::size_t i = 0; !(elements[i] == kDeclarationEnd); ++i)
    {
        const VertexElement& e = elements[i];
        if (i >= kMaxElements || e.stream >= D3D9::kMaxStreams || ElementBytes(e.type) == 0)
            return {};
        declaration.elements.push_back(e);
        d3d.push_back(D3DVERTEXELEMENT9{e.stream, e.offset, e.type, e.method, e.usage, e.usageIndex});
    }
    d3d.push_back(D3DVERTEXELEMENT9 D3DDECL_END());
    if (FAILED(m_device->CreateVertexDeclaration(d3d.data(), &declaration.object)))
        return {};
    const std::uint32_t id = NextId();
    m_declarations[id] = std::move(declaration);
    return DeclarationId{id};
}

Result CD3D9Device::SetVertexDeclaration(DeclarationId declaration)
{
    const auto it = m_declarations.find(declaration.value);
    if (declaration && it == m_declarations.end())
        return kInvalidCall;
    if (FAILED(m_device->SetVertexDeclaration(declaration ? it->second.object : nullptr)))
        return kInvalidCall;
    m_declaration = declaration.value;
    m_fvf = 0;
    return kOk;
}

void CD3D9Device::ReleaseVertexDeclaration(DeclarationId declaration)
{
    const auto it = m_declarations.find(declaration.value);
    if (it == m_declarations.end())
        return;
    if (m_declaration == declaration.value)
    {
        m_device->SetVertexDeclaration(nullptr);
        m_declaration = 0;
    }
    D3D9::SafeRelease(it->second.object);
    m_declarations.erase(it);
}

// ---- Buffers ------------------------------------------------------------------------------

// Buffers are managed whatever pool was asked for: they can be locked at any time and survive
// a Reset, which is what the engine expects of every pool.
VertexBufferId CD3D9Device::CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf, EPool)
{
    if (length == 0)
        return {};
    D3D9::Buffer buffer;
    buffer.length = length;
    if (FAILED(m_device->CreateVertexBuffer(length, usage & D3DUSAGE_WRITEONLY, fvf, ::D3DPOOL_MANAGED,
                                            &buffer.vertices, nullptr)))
        return {};
    const std::uint32_t id = NextId();
    m_buffers[id] = buffer;
    return VertexBufferId{id};
}

IndexBufferId CD3D9Device::CreateIndexBuffer(std::uint32_t length, std::uint32_t usage, EFormat format, EPool)
{
    if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
        return {};
    D3D9::Buffer buffer;
    buffer.length = length;
    if (FAILED(m_device->CreateIndexBuffer(length, usage & D3DUSAGE_WRITEONLY, D3DFORMAT(format), ::D3DPOOL_MANAGED,
                                           &buffer.indices, nullptr)))
        return {};
    const std::uint32_t id = NextId();
    m_buffers[id] = buffer;
    return IndexBufferId{id};
}

void* CD3D9Device::LockVertexBuffer(VertexBufferId id, std::uint32_t offset, std::uint32_t size)
{
    const auto it = m_buffers.find(id.value);
    if (it == m_buffers.end() || !it->second.vertices || !LockRange(it->second, offset, size))
        return nullptr;
    void* data = nullptr;
    if (FAILED(it->second.vertices->Lock(offset, size, &data, 0)))
        return nullptr;
    it->second.locked = true;
    return data;
}

void* CD3D9Device::LockIndexBuffer(IndexBufferId id, std::uint32_t offset, std::uint32_t size)
{
    const auto it = m_buffers.find(id.value);
    if (it == m_buffers.end() || !it->second.indices || !LockRange(it->second, offset, size))
        return nullptr;
    void* data = nullptr;
    if (FAILED(it->second.indices->Lock(offset, size, &data, 0)))
        return nullptr;
    it->second.locked = true;
    return data;
}

Result CD3D9Device::UnlockVertexBuffer(VertexBufferId id)
{
    const auto it = m_buffers.find(id.value);
    if (it == m_buffers.end() || !it->second.vertices || !it->second.locked)
        return kInvalidCall;
    it->second.locked = false;
    return SUCCEEDED(it->second.vertices->Unlock()) ? kOk : kFail;
}

Result CD3D9Device::UnlockIndexBuffer(IndexBufferId id)
{
    const auto it = m_buffers.find(id.value);
    if (it == m_buffers.end() || !it->second.indices || !it->second.locked)
        return kInvalidCall;
    it->second.locked = false;
    return SUCCEEDED(it->second.indices->Unlock()) ? kOk : kFail;
}

void CD3D9Device::ReleaseVertexBuffer(VertexBufferId id)
{
    const auto it = m_buffers.find(id.value);
    if (it == m_buffers.end() || !it->second.vertices)
        return;
    for (std::uint32_t stream = 0; stream < D3D9::kMaxStreams; ++stream)
    {
        if (m_streams[stream].buffer == id.value)
        {
            m_streams[stream] = StreamBinding{};
            m_device->SetStreamSource(stream, nullptr, 0, 0);
        }
    }
    D3D9::SafeRelease(it->second.vertices);
    m_buffers.erase(it);
}

void CD3D9Device::ReleaseIndexBuffer(IndexBufferId id)
{
    const auto it = m_buffers.find(id.value);
    if (it == m_buffers.end() || !it->second.indices)
        return;
    if (m_indices == id.value)
    {
        m_indices = 0;
        m_device->SetIndices(nullptr);
    }
    D3D9::SafeRelease(it->second.indices);
    m_buffers.erase(it);
}

Result CD3D9Device::SetStreamSource(std::uint32_t stream, VertexBufferId buffer, std::uint32_t offset, std::uint32_t stride)
{
    if (stream >= D3D9::kMaxStreams)
        return kInvalidCall;
    const auto it = m_buffers.find(buffer.value);
    if (buffer && (it == m_buffers.end() || !it->second.vertices))
        return kInvalidCall;
    if (FAILED(m_device->SetStreamSource(stream, buffer ? it->second.vertices : nullptr, offset, stride)))
        return kInvalidCall;
    m_streams[stream] = StreamBinding{buffer.value, offset, stride};
    return kOk;
}

Result CD3D9Device::SetIndices(IndexBufferId buffer)
{
    const auto it = m_buffers.find(buffer.value);
    if (buffer && (it == m_buffers.end() || !it->second.indices))
        return kInvalidCall;
    if (FAILED(m_device->SetIndices(buffer ? it->second.indices : nullptr)))
        return kInvalidCall;
    m_indices = buffer.value;
    return kOk;
}

// ---- Drawing --------------------------------------------------------------------------------

// Whether every stream the declaration reads holds vertices first .. first + count - 1: a driver
// reading past the end of a buffer may read anything, or fault.
bool CD3D9Device::StreamsCover(std::uint64_t first, std::uint64_t count) const
{
    const auto declaration = m_declarations.find(m_declaration);
    if (declaration == m_declarations.end())
        return m_fvf != 0; // a vertex format's single stream is the engine's own business
    for (const VertexElement& element : declaration->second.elements)
    {
        const StreamBinding& stream = m_streams[element.stream];
        const auto buffer = m_buffers.find(stream.buffer);
        if (buffer == m_buffers.end() || buffer->second.locked)
            return false;
        const std::uint64_t end =
            stream.offset + (first + count - 1) * stream.stride + element.offset + ElementBytes(element.type);
        if (end > buffer->second.length)
            return false;
    }
    return true;
}

Result CD3D9Device::DrawPrimitive(EPrimitiveType type, std::uint32_t startVertex, std::uint32_t primitiveCount)
{
    const std::uint32_t vertices = VertexCountOf(type, primitiveCount);
    if (vertices == 0 || !StreamsCover(startVertex, vertices))
        return kInvalidCall;
    return SUCCEEDED(m_device->DrawPrimitive(D3DPRIMITIVETYPE(type), startVertex, primitiveCount)) ? kOk : kInvalidCall;
}

Result CD3D9Device::DrawIndexedPrimitive(EPrimitiveType type, std::int32_t baseVertex, std::uint32_t minIndex,
                                         std::uint32_t vertexCount, std::uint32_t startIndex,
                                         std::uint32_t primitiveCount)
{
    const std::uint32_t indices = VertexCountOf(type, primitiveCount);
    const auto buffer = m_buffers.find(m_indices);
    if (indices == 0 || vertexCount == 0 || buffer == m_buffers.end() || buffer->second.locked)
        return kInvalidCall;
    D3DINDEXBUFFER_DESC desc{};
    buffer->second.indices->GetDesc(&desc);
    const std::uint32_t indexBytes = desc.Format == ::D3DFMT_INDEX32 ? 4u : 2u;
    if ((std::uint64_t(startIndex) + indices) * indexBytes > buffer->second.length ||
        std::int64_t(baseVertex) + std::int64_t(minIndex) < 0 ||
        !StreamsCover(std::uint64_t(std::int64_t(baseVertex) + minIndex), vertexCount))
        return kInvalidCall;
    return SUCCEEDED(m_device->DrawIndexedPrimitive(D3DPRIMITIVETYPE(type), baseVertex, minIndex, vertexCount,
                                                    startIndex, primitiveCount))
               ? kOk
               : kInvalidCall;
}

Result CD3D9Device::DrawPrimitiveUP(EPrimitiveType type, std::uint32_t primitiveCount, const void* data,
                                    std::uint32_t stride)
{
    if (!data || stride == 0 || VertexCountOf(type, primitiveCount) == 0)
        return kInvalidCall;
    const HRESULT hr = m_device->DrawPrimitiveUP(D3DPRIMITIVETYPE(type), primitiveCount, data, stride);
    // Direct3D leaves stream 0 unbound after drawing from caller memory.
    m_streams[0] = StreamBinding{};
    return SUCCEEDED(hr) ? kOk : kInvalidCall;
}

} // namespace Tess
