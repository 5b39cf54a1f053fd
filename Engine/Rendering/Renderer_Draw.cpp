// CRenderer: the frame bracket, transforms and culling, the draw list, and the screen-space
// and world-space drawing from user memory.

#include "Engine/Rendering/Renderer.h"

#include "Engine/Geometry/IndexBuffer.h"
#include "Engine/Geometry/VertexBuffer.h"
#include "Engine/Rendering/Effect.h"
#include "Engine/Rendering/StateManager.h"
#include "Engine/Scene/Entity.h"

#include <algorithm>
#include <cmath>

namespace Tess
{

namespace
{
// Truncation toward zero, saturated so that no float (not even NaN) converts out of range.
std::int32_t TruncateToPixel(float value)
{
    constexpr float kLimit = 1.0e9f;
    if (!(value > -kLimit))
        return value != value ? 0 : -static_cast<std::int32_t>(kLimit);
    if (value > kLimit)
        return static_cast<std::int32_t>(kLimit);
    return static_cast<std::int32_t>(value);
}
} // namespace

// ---- Frame ---------------------------------------------------------------------------------

void CRenderer::BeginScene()
{
    // State set outside the manager (effect begin and end, the fixed-function draws) is
    // forgotten once per frame, so no frame starts from a stale cache.
    if (m_stateManager)
        m_stateManager->InvalidateCache();
    m_primitiveCount = 0;
    m_drawCallCount = 0;
    if (m_device)
        m_device->BeginScene();
}

void CRenderer::Clear(Color color, float depth)
{
    if (m_device)
        m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, depth, 0);
}

void CRenderer::EndScene()
{
    if (m_device)
        m_device->EndScene();
}

void CRenderer::Present()
{
    if (m_device)
        m_device->Present();
}

// ---- Transforms ----------------------------------------------------------------------------

void CRenderer::UpdateDerivedMatrices(bool viewOrProjectionChanged)
{
    if (viewOrProjectionChanged)
    {
        m_viewProjection = m_view * m_projection;
        m_frustum.Build(m_viewProjection, true);
    }
    m_worldViewProjection = m_world * m_viewProjection;
}

void CRenderer::SetWorldMatrix(const Matrix4& world)
{
    m_world = world;
    UpdateDerivedMatrices(false);
    if (m_device)
        m_device->SetTransform(D3DTS_WORLD, world);
}

void CRenderer::SetViewMatrix(const Matrix4& view, const Vector3& eye)
{
    m_view = view;
    UpdateDerivedMatrices(true);
    m_viewPosition = Vector4(eye, 1.0f);
    if (m_device)
        m_device->SetTransform(D3DTS_VIEW, view);
}

void CRenderer::SetProjectionMatrix(const Matrix4& projection)
{
    m_projection = projection;
    UpdateDerivedMatrices(true);
    if (m_device)
        m_device->SetTransform(D3DTS_PROJECTION, projection);
}

bool CRenderer::IsSphereVisible(const CBoundingSphere& sphere) const
{
    return m_frustum.AcceptsSphere(sphere);
}

const Viewport* CRenderer::GetViewport(Viewport* out) const
{
    if (m_device && out)
        m_device->GetViewport(*out);
    return out;
}

void CRenderer::SetViewport(const Viewport* viewport)
{
    if (m_device && viewport)
        m_device->SetViewport(*viewport);
}

// ---- Draw list -----------------------------------------------------------------------------

void CRenderer::AddToDrawList(CEntity* entity)
{
    if (entity)
        m_drawList.push_back(entity);
}

void CRenderer::ClearDrawList()
{
    m_drawList.clear();
}

void CRenderer::ForgetEntity(const CEntity* entity)
{
    for (CEntity*& entry : m_drawList)
        if (entry == entity)
            entry = nullptr;
}

void CRenderer::FlushDrawList(int defaultEffect, int layer)
{
    // Entries of entities destroyed since they were queued read null.
    m_drawList.erase(std::remove(m_drawList.begin(), m_drawList.end(), nullptr), m_drawList.end());
    SortDrawList(layer);

    // Groups are fixed before anything is drawn: an entity's Draw may queue more entities
    // (dropped with the list) or destroy one (its entry turns null and is skipped). The group
    // and order lists are members, so a frame that draws what the last one drew allocates nothing.
    m_drawGroups.clear();
    for (std::size_t i = 0; i < m_drawList.size(); ++i)
    {
        const int handle = m_drawList[i]->GetResourceHandle(layer);
        if (m_drawGroups.empty() || m_drawGroups.back().handle != handle)
            m_drawGroups.push_back({handle, i, i + 1});
        else
            m_drawGroups.back().end = i + 1;
    }
    // By index and by value: a Draw that flushes the list itself leaves these lists changed.
    for (std::size_t g = 0; g < m_drawGroups.size(); ++g)
    {
        const DrawListGroup group = m_drawGroups[g];
        DrawGroup(group.handle == -1 ? defaultEffect : group.handle, group.first, group.end);
    }
    m_drawList.clear();
}

void CRenderer::SortDrawList(int layer)
{
    // Higher sort keys first; equal keys grouped by effect handle, smaller first; equal handles
    // in the order they were queued. The queue position makes the order total, so an unstable
    // sort (which needs no buffer) keeps it.
    m_drawOrder.clear();
    for (std::size_t i = 0; i < m_drawList.size(); ++i)
        m_drawOrder.push_back({m_drawList[i], m_drawList[i]->GetSortKey(), m_drawList[i]->GetResourceHandle(layer), i});
    std::sort(m_drawOrder.begin(), m_drawOrder.end(), [](const DrawListEntry& a, const DrawListEntry& b) {
        if (a.sortKey != b.sortKey)
            return a.sortKey > b.sortKey;
        if (a.handle != b.handle)
            return a.handle < b.handle;
        return a.position < b.position;
    });
    for (std::size_t i = 0; i < m_drawOrder.size(); ++i)
        m_drawList[i] = m_drawOrder[i].entity;
}

void CRenderer::DrawGroup(int effectHandle, std::size_t first, std::size_t end)
{
    if (effectHandle < 0)
        effectHandle = 0;
    CEffect* effect = GetEffect(effectHandle);
    if (!effect)
        return;
    effect->Begin();
    const unsigned passCount = effect->GetPassCount();
    for (unsigned pass = 0; pass < passCount; ++pass)
    {
        effect->BeginPass(pass);
        for (std::size_t i = first; i < end && i < m_drawList.size(); ++i)
            if (CEntity* entity = m_drawList[i])
                entity->Draw(*this);
        effect->EndPass();
    }
    effect->End();
}

void CRenderer::QueueView(IRenderView* view)
{
    if (view)
        m_viewQueue.push_back(view);
}

void CRenderer::ClearViewQueue()
{
    m_viewQueue.clear();
}

// ---- Buffer drawing ------------------------------------------------------------------------

void CRenderer::SetStream(VertexBufferId buffer, std::uint32_t stride)
{
    if (buffer == m_streamBuffer && m_streamOffset == 0 && stride == m_streamStride)
        return;
    m_streamBuffer = buffer;
    m_streamOffset = 0;
    m_streamStride = stride;
    m_device->SetStreamSource(0, buffer, 0, stride);
}

void CRenderer::DrawVertexBuffer(CVertexBuffer& vb)
{
    if (!m_device)
        return;
    SetDeclaration(vb.GetDeclaration());
    SetStream(vb.GetBuffer(), static_cast<std::uint32_t>(vb.GetStride()));
    const auto primitives = static_cast<std::uint32_t>(vb.GetPrimitiveCount());
    m_device->DrawPrimitive(vb.GetPrimitiveType(), static_cast<std::uint32_t>(vb.GetStartVertex()), primitives);
    m_primitiveCount += static_cast<int>(primitives);
    ++m_drawCallCount;
}

void CRenderer::DrawIndexed(CVertexBuffer& vb, CIndexBuffer& ib)
{
    if (!m_device)
        return;
    SetDeclaration(vb.GetDeclaration());
    SetStream(vb.GetBuffer(), static_cast<std::uint32_t>(vb.GetStride()));
    m_device->SetIndices(ib.GetBuffer());
    const auto primitives = static_cast<std::uint32_t>(ib.GetPrimitiveCount());
    m_device->DrawIndexedPrimitive(ib.GetPrimitiveType(), 0, 0, static_cast<std::uint32_t>(vb.GetVertexCount()), 0,
                                   primitives);
    m_primitiveCount += static_cast<int>(primitives);
    ++m_drawCallCount;
}

// ---- User-memory drawing -------------------------------------------------------------------

void CRenderer::SetDeclaration(DeclarationId declaration)
{
    if (declaration == m_currentDeclaration)
        return;
    m_currentDeclaration = declaration;
    m_device->SetVertexDeclaration(declaration);
}

void CRenderer::DrawUserPrimitives(EPrimitiveType type, std::uint32_t primitiveCount, const void* vertices,
                                   std::uint32_t stride, DeclarationId declaration)
{
    SetDeclaration(declaration);
    if (primitiveCount > 0)
        m_device->DrawPrimitiveUP(type, primitiveCount, vertices, stride);
    // Drawing from user memory leaves stream 0 unbound on the device.
    m_streamBuffer = VertexBufferId{};
    ++m_drawCallCount;
}

void CRenderer::DrawScreenQuad(const Vector2& pos, const Vector2& size, Color color, bool textured)
{
    if (!m_device)
        return;
    // The half-pixel shift lands texel centres exactly on pixel centres.
    const float left = pos.x - 0.5f, top = pos.y - 0.5f;
    const float right = pos.x + size.x - 0.5f, bottom = pos.y + size.y - 0.5f;
    const float u1 = textured ? 1.0f : 0.0f, v1 = textured ? 1.0f : 0.0f;
    const ScreenVertex quad[4] = {
        {left, top, 0.5f, 1.0f, color, 0.0f, 0.0f},
        {right, top, 0.5f, 1.0f, color, u1, 0.0f},
        {right, bottom, 0.5f, 1.0f, color, u1, v1},
        {left, bottom, 0.5f, 1.0f, color, 0.0f, v1},
    };
    DrawUserPrimitives(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex), m_screenDeclaration);
}

void CRenderer::DrawScreenRect(const Vector2& pos, const Vector2& size, Color color)
{
    DrawScreenQuad(pos, size, color, false);
}

void CRenderer::DrawTexturedScreenRect(const Vector2& pos, const Vector2& size, Color color)
{
    DrawScreenQuad(pos, size, color, true);
}

void CRenderer::DrawScreenLines(EPrimitiveType type, const Vector2* points, int pointCount,
                                std::uint32_t lineCount, Color color)
{
    if (!m_device)
        return;
    // The lines show their vertex colour; the stage states stay set afterwards.
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    // The vertices go through member storage that keeps its capacity, so that lines drawn every
    // frame (a dialog's edge and cursor) allocate nothing once it has grown.
    std::vector<ScreenVertex>& vertices = m_screenLineVertices;
    vertices.clear();
    if (points && pointCount > 0)
    {
        vertices.resize(static_cast<std::size_t>(pointCount));
        for (int i = 0; i < pointCount; ++i)
            vertices[i] = {points[i].x, points[i].y, 0.5f, 1.0f, color, 0.0f, 0.0f};
    }
    else
    {
        lineCount = 0;
    }
    DrawUserPrimitives(type, lineCount, vertices.data(), sizeof(ScreenVertex), m_screenDeclaration);
}

void CRenderer::DrawLineStrip(const Vector2* points, int count, Color color)
{
    const std::uint32_t lines = count > 1 ? static_cast<std::uint32_t>(count - 1) : 0;
    DrawScreenLines(D3DPT_LINESTRIP, points, count, lines, color);
}

void CRenderer::DrawLineList(const Vector2* points, int lineCount, Color color)
{
    const int pointCount = lineCount > 0 ? 2 * lineCount : 0;
    DrawScreenLines(D3DPT_LINELIST, points, pointCount, static_cast<std::uint32_t>(pointCount / 2), color);
}

int CRenderer::DrawText(const char* text, const Vector2& pos, const Vector2& size, Color color,
                        std::uint32_t format, int font)
{
    m_textRect.left = TruncateToPixel(pos.x);
    m_textRect.top = TruncateToPixel(pos.y);
    m_textRect.right = TruncateToPixel(pos.x + size.x);
    m_textRect.bottom = TruncateToPixel(pos.y + size.y);
    if (!m_device || !text || m_fonts.IsEmpty())
        return 0;
    const FontRecord& record = *m_fonts[Clamp(font, m_fonts.GetCount())];
    return m_device->DrawText(record.font, text, -1, m_textRect, format, color);
}

void CRenderer::DrawLines(const LineVertex* vertices, int lineCount)
{
    if (!m_device)
        return;
    // No line is drawn, but the call is counted, as every other draw call is.
    if (!vertices || lineCount <= 0)
        lineCount = 0;
    DrawUserPrimitives(D3DPT_LINELIST, static_cast<std::uint32_t>(lineCount), vertices, sizeof(LineVertex),
                       m_lineDeclaration);
}

} // namespace Tess
