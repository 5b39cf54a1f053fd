#include "Engine/Views/RenderView.h"

#include "Engine/Rendering/Renderer.h"
#include "Engine/Scene/Node.h"

namespace Tess
{

namespace
{
const char* const kDefaultEffectFile = "default.fx";

// A render-target size in whole pixels, truncated toward zero. A size that is not a positive
// number (no target, a failed one) gives an empty viewport rather than an out-of-range value.
std::uint32_t ToPixels(float size)
{
    constexpr float kLargest = 1.0e9f;
    if (!(size > 0.0f))
        return 0;
    return static_cast<std::uint32_t>(size < kLargest ? size : kLargest);
}
} // namespace

IRenderView::IRenderView() = default;

IRenderView::~IRenderView() = default;

void IRenderView::Initialize(CRenderer& renderer, std::int32_t layer, std::int32_t renderTargetIndex)
{
    m_layer = layer;
    m_renderTargetIndex = renderTargetIndex;
    // Loaded on the first request and shared by every later view.
    m_defaultEffect = renderer.LoadEffect(kDefaultEffectFile);
    m_viewport.X = 0;
    m_viewport.Y = 0;
    m_camera = nullptr;
    m_clearColor = 0;
    m_viewport.Width = ToPixels(renderer.GetRenderTargetWidth(renderTargetIndex));
    m_viewport.Height = ToPixels(renderer.GetRenderTargetHeight(renderTargetIndex));
    m_viewport.MinZ = 0.0f;
    m_viewport.MaxZ = 1.0f;
}

void IRenderView::SetViewMatrix(const Matrix4& view, const Vector3& eye)
{
    m_viewMatrix = view;
    m_eyePosition = eye;
}

void IRenderView::SetProjectionMatrix(const Matrix4& projection)
{
    m_projectionMatrix = projection;
}

void IRenderView::AddRootNode(CNode* node)
{
    if (node)
        m_rootNodes.Add(node);
}

CNode* IRenderView::GetRootNode(int i) const
{
    return m_rootNodes.Get(i);
}

void IRenderView::BeginViewport(CRenderer& renderer, Viewport& saved) const
{
    renderer.GetViewport(&saved);
    renderer.SetViewport(&m_viewport);
}

void IRenderView::FlushWithCameraHidden(CRenderer& renderer, std::int32_t layer) const
{
    if (m_camera)
        m_camera->SetNoDraw(true);
    renderer.FlushDrawList(m_defaultEffect, layer);
    if (m_camera)
        m_camera->SetNoDraw(false);
}

} // namespace Tess
