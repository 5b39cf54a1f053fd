#include "Engine/Views/RenderViewMain.h"

#include "Engine/Rendering/Renderer.h"
#include "Engine/Scene/Entity.h"

namespace Tess
{

namespace
{
constexpr float kClearDepth = 1.0f;
} // namespace

CRenderViewMain::CRenderViewMain(CRenderer& renderer, int renderTargetIndex)
{
    Initialize(renderer, kLayer, renderTargetIndex);
}

void CRenderViewMain::Reserved1(int)
{
}

void CRenderViewMain::Draw(CRenderer& renderer)
{
    TakeCameraView();
    SetTransforms(renderer);
    renderer.SetRenderTarget(m_renderTargetIndex);
    renderer.Clear(m_clearColor, kClearDepth);

    Viewport saved;
    BeginViewport(renderer, saved);
    renderer.ClearDrawList();
    SubmitWorld(renderer);
    FlushWithCameraHidden(renderer, kLayer);
    renderer.SetViewport(&saved);
}

void CRenderViewMain::TakeCameraView()
{
    // Without a camera the view keeps the matrix and eye it already has.
    if (!m_camera)
        return;
    const Vector3 eye = m_camera->GetPosition();
    SetViewMatrix(m_camera->BuildViewMatrix(), eye);
}

void CRenderViewMain::SetTransforms(CRenderer& renderer) const
{
    renderer.SetViewMatrix(m_viewMatrix, m_eyePosition);
    renderer.SetProjectionMatrix(m_projectionMatrix);
}

void CRenderViewMain::SubmitWorld(CRenderer& renderer)
{
    if (CEntity* root = CEntity::GetWorldRoot())
        root->Submit(renderer);
}

} // namespace Tess
