#include "PartViewer/PartViewer.h"

#include "PartViewer/MeshEntity.h"
#include "PartViewer/Sphere.h"

#include "Engine/Core/Log.h"
#include "Engine/Core/Matrix.h"
#include "Engine/Core/Timer.h"
#include "Engine/Geometry/ModelLoader.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Input/Input.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Scene/Node.h"
#include "Engine/Views/CameraSpherical.h"
#include "Engine/Views/RenderViewGUI.h"
#include "Engine/Views/RenderViewMain.h"
#include "Engine/Views/Text.h"

using namespace Tess;

namespace
{
constexpr Color kBackground = 0xFF203040;
constexpr Color kHelpColor = 0xFFFFFFFF;
const char* const kHelp = "Mouse: orbit   Wheel: zoom   P: screenshot   Escape: quit";
const char* const kPartEffect = "default_color.fx";
} // namespace

CPartViewer::CPartViewer() : CApplication(800, 600, true) {}

CPartViewer::~CPartViewer() = default;

void CPartViewer::Initialize()
{
    if (!m_renderer)
    {
        GetLog().Write(LOG_MAIN, "Part viewer: no renderer, nothing to show.");
        return;
    }
    CreateScene();
    CreateViews();
    LoadPart();
    PlaceCamera();
}

void CPartViewer::CreateScene()
{
    m_root = new CNode();
    m_camera = new CCameraSpherical();
    m_root->AddChild(m_camera);
}

void CPartViewer::CreateViews()
{
    m_sceneView = new CRenderViewMain(*m_renderer, 0);
    m_sceneView->SetClearColor(kBackground);
    m_sceneView->SetCamera(m_camera);
    m_sceneView->SetProjectionMatrix(MatrixPerspectiveFovLH(
        0.7853982f, static_cast<float>(m_width) / static_cast<float>(m_height), 1.0f, 5000.0f));

    // The help line lives in a node of its own that only the GUI view draws: the 3D view reaches
    // the scene through the world root, and the overlay is not part of that tree.
    m_overlay = new CNode();
    m_help = new CText(kHelp, 10.0f, static_cast<float>(m_height) - 30.0f, static_cast<float>(m_width) - 20.0f, 20.0f);
    m_help->SetColor(kHelpColor);
    m_help->SetFormat(DT_LEFT | DT_VCENTER);
    m_overlay->AddChild(m_help);
    m_guiView = new CRenderViewGUI(*m_renderer, 0);
    m_guiView->AddRootNode(m_overlay);
}

void CPartViewer::LoadPart()
{
    if (!m_modelPath.empty())
        m_mesh.reset(LoadMeshMS3D(m_modelPath));
    if (m_mesh)
    {
        // The file's normals may be missing or faceted; the lighting wants smooth ones.
        m_mesh->ComputeNormals();
        GetLog().Write(LOG_MAIN, "Part viewer: showing " + m_modelPath + ".");
    }
    else
    {
        if (!m_modelPath.empty())
            GetLog().Write(LOG_MAIN, "Part viewer: could not read " + m_modelPath + ", showing a sphere.");
        m_mesh.reset(MakeSphere(25.0f, 48, 24));
    }
    m_part = new CMeshEntity(*m_mesh, m_renderer->LoadEffect(kPartEffect));
    m_root->AddChild(m_part);
}

void CPartViewer::PlaceCamera()
{
    // Far enough back for the whole part to fit the 45-degree view with some room around it.
    const CBoundingSphere& bounds = m_part->GetBounds();
    m_camera->SetTarget(bounds.GetCentre());
    m_camera->SetRadius(-2.5f * bounds.GetRadius());
    m_camera->SetPitch(0.4f);
    m_camera->SetYaw(0.6f);
}

void CPartViewer::Update()
{
    if (m_timer)
        m_timer->Update();
    if (m_input)
        m_input->Update();
    if (!m_renderer || !m_root)
    {
        HandleKeys();
        return;
    }
    if (m_input)
        m_camera->HandleInput(*m_input);
    m_root->Update(*m_timer);
    HandleKeys();
    DrawFrame();
}

void CPartViewer::HandleKeys()
{
    if (!m_input)
        return;
    if (m_input->CheckKeyDown(DIK_P))
        m_screenshotRequested = true;
    // Destroying the window posts the quit message that ends the message loop.
    if (m_input->CheckKeyDown(DIK_ESCAPE))
        GetWindowSystem().PostMessage(m_window, WM_DESTROY, 0, 0);
}

void CPartViewer::DrawFrame()
{
    // Views are queued every frame; the renderer draws them in layer order (3D before GUI).
    m_renderer->ClearViewQueue();
    m_renderer->QueueView(m_guiView);
    m_renderer->QueueView(m_sceneView);
    m_renderer->BeginScene();
    m_renderer->DrawViewQueue();
    if (m_screenshotRequested)
    {
        m_renderer->SaveScreenshot("screen_shot_");
        m_screenshotRequested = false;
    }
    m_renderer->EndScene();
    m_renderer->Present();
}

void CPartViewer::Shutdown()
{
    // The views hold pointers into the scene, and the renderer may still queue them: views go
    // first, then the entities, which are ours to delete (the registry reports any left over).
    if (m_renderer)
        m_renderer->ClearViewQueue();
    delete m_guiView;
    delete m_sceneView;
    delete m_help;
    delete m_overlay;
    delete m_part;
    delete m_camera;
    delete m_root;
    m_guiView = nullptr;
    m_sceneView = nullptr;
    m_help = nullptr;
    m_overlay = nullptr;
    m_part = nullptr;
    m_camera = nullptr;
    m_root = nullptr;
    m_mesh.reset();
    CApplication::Shutdown();
}
