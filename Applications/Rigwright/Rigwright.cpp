#include "Applications/Rigwright/Rigwright.h"

#include "Applications/Rigwright/Component.h"
#include "Applications/Rigwright/EquipmentConfiguration.h"
#include "Applications/Rigwright/EquipmentLoading.h"
#include "Applications/Rigwright/Framing.h"
#include "Applications/Rigwright/MainMenu.h"
#include "Applications/Rigwright/PartCamera.h"
#include "Applications/Rigwright/PartPreparation.h"
#include "Engine/Core/Log.h"
#include "Engine/Core/Matrix.h"
#include "Engine/Core/Profiler.h"
#include "Engine/Core/Timer.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Input/Input.h"
#include "Engine/Platform/KeyCodes.h"
#include "Engine/Platform/Platform.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Scene/Node.h"
#include "Engine/Views/CameraSpherical.h"
#include "Engine/Views/RenderViewGUI.h"
#include "Engine/Views/RenderViewMain.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

using namespace Tess;

namespace
{
// Profiler samples: the whole frame first, as record 0 is the total the others are shares of.
const std::string kFrameSample = "Frame";
const std::string kInputSample = "Timer and input";
const std::string kSceneSample = "Scene update";
const std::string kDrawSample = "Drawing";

constexpr float kDisplacementOffset = 1.05f;
constexpr float kTextBoxWidth = 100.0f;
constexpr float kTextBoxHeight = 30.0f;
constexpr float kTextLeft = 10.0f;
constexpr float kTextTop = 30.0f;
constexpr float kTextLineSpacing = 15.0f;
// The first view keeps the equipment this far below the last text line.
constexpr float kGapBelowText = 7.5f;
constexpr std::uint32_t kTextFormat = 0x100; // DT_NOCLIP
constexpr int kDefaultFont = 0;
const char* const kScreenshotPrefix = "screen_shot_";

// The part-information panel: along the right edge, over 30 % of the width and 95 % of the height
// of the 800 x 600 picture the viewer opens with; it keeps that size in a window of any other.
constexpr float kMenuLeft = 0.675f;
constexpr float kMenuTop = 0.025f;
constexpr float kMenuWidth = 0.3f;
constexpr float kMenuHeight = 0.95f;
const char* const kMenuFace = "Comic Sans MS";
constexpr int kMenuFontSize = 14;

// A warm amber: the part in focus stands out from the grey of the others.
constexpr Vector4 kHighlightColor(0.95f, 0.6f, 0.15f, 1.0f);

void DescribePart(CComponent& component, const SPartDescription& part)
{
    component.SetPartName(part.partName);
    component.SetManufacturer(part.manufacturer);
    component.SetPartNumber(part.partNumber);
    component.SetDescription(part.description);
}

// The centre of the part's box in the scene (its position without a mesh).
Vector3 BoxCentreInScene(const CComponent& component, const Vector3& position)
{
    const CTriMesh* mesh = component.GetMesh();
    if (!mesh)
        return position;
    const CTriMesh::Bounds& box = mesh->GetBounds();
    return position + (box.min + box.max) * 0.5f;
}
} // namespace

CRigwright::CRigwright() : CApplication(800, 600, true) {}

// The part camera is only declared in the header.
CRigwright::~CRigwright() = default;

// ---- Initialize --------------------------------------------------------------------------------

void CRigwright::Initialize()
{
    // The first entity ever made becomes the world root, through which the main view draws.
    m_sceneRoot = new CNode();
    // The parts are read and prepared while the views and the panel are made, if the program
    // did not start that before it made the window.
    StartLoadingEquipment();
    CreateMainView();
    m_mainView->AddRootNode(m_sceneRoot);
    SetTextLine(0, "Rigwright v" RIGWRIGHT_VERSION);
    m_camera = new CCameraSpherical();
    m_partCamera = std::make_unique<CPartCamera>(*m_camera);
    CreateMainMenu();
    ApplyLayout(m_pictureWidth, m_pictureHeight);
    CreateEquipment();
    FocusFirstComponent();
    m_partCamera->FrameEquipment();
    ShowPartInformation();
    WriteSceneReport();
}

std::vector<std::pair<std::string, int>> CRigwright::GetStartupFonts() const
{
    return {{kMenuFace, kMenuFontSize}, {CMainMenu::kControlFace, CMainMenu::kControlFontSize}};
}

void CRigwright::StartLoadingEquipment()
{
    if (m_equipmentLoading)
        return;
    m_equipmentLoading = std::make_unique<CEquipmentLoading>();
    m_equipmentLoading->Start(m_modelFiles, m_equipmentScript);
}

void CRigwright::CreateMainView()
{
    m_mainView = new CRenderViewMain(*m_renderer, 0);
    m_mainView->SetClearColor(kClearColor);
    const float width = m_renderer->GetRenderTargetWidth(0);
    const float height = m_renderer->GetRenderTargetHeight(0);
    // Without a device there is no render target to measure; the window's shape stands in.
    const bool measured = width > 0.0f && height > 0.0f;
    m_pictureWidth = measured ? width : static_cast<float>(m_width);
    m_pictureHeight = measured ? height : static_cast<float>(m_height);
}

void CRigwright::CreateMainMenu()
{
    const float width = m_renderer->GetRenderTargetWidth(0);
    const float height = m_renderer->GetRenderTargetHeight(0);
    // Laid out for the picture the viewer opens with; ApplyLayout moves it to the right edge.
    m_mainMenu = new CMainMenu(*m_renderer, kMenuLeft * width, kMenuTop * height, kMenuWidth * width,
                               kMenuHeight * height, kMenuFace, kMenuFontSize);
    m_mainMenu->SetEventCallback([this](int event, int controlID) { return HandleMenuEvent(event, controlID); });
    // A hidden dialog takes no input.
    m_mainMenu->Show();
    m_guiView = new CRenderViewGUI(*m_renderer, 0);
    m_guiView->SetClearColor(kClearColor);
    m_guiView->AddRootNode(m_mainMenu);
}

void CRigwright::CreateEquipment()
{
    std::vector<SPartDescription> parts;
    std::vector<SPreparedPart> prepared;
    m_equipmentLoading->Finish(parts, prepared);
    m_equipmentLoading.reset();
    for (std::size_t index = 0; index < parts.size(); ++index)
        CreatePart(parts[index], std::move(prepared[index]));
    // Without a description of the equipment the viewer shows the main part alone, nameless,
    // from the orbit camera's starting view.
    if (m_components.IsEmpty())
    {
        auto* component = new CComponent(*m_renderer);
        AddComponent(component, Vector3(0.0f, 0.0f, 0.0f));
        m_partCamera->AddPart(*component, false);
    }
}

void CRigwright::CreatePart(const SPartDescription& part, SPreparedPart&& prepared)
{
    // A part whose model is missing or rejected stays in the list, empty: its texts still tell
    // the user which part it is.
    // The outline's buffers are made after the first frame: uploading every band and compiling
    // the outline's shader variant would hold that frame back by about a third.
    auto* component = new CComponent(*m_renderer, std::move(prepared), CComponentOutline::EBuffers::Later);
    m_outlineBuffersPending = true;
    if (part.fileColours && part.hasColour)
        component->SetBaseColour(part.colour);
    DescribePart(*component, part);
    AddComponent(component, part.position);
    if (part.hasView)
    {
        const Vector3 target = part.hasViewTarget ? part.viewTarget : BoxCentreInScene(*component, part.position);
        component->SetView(target, part.viewPitch, part.viewYaw, part.viewRadius);
    }
    m_partCamera->AddPart(*component, part.hasView);
}

void CRigwright::AddComponent(CComponent* component, const Vector3& position)
{
    if (!component)
        return;
    component->GetPosition() = position;
    m_sceneRoot->AddChild(component);
    m_components.Add(component);
}

void CRigwright::FocusFirstComponent()
{
    m_currentIndex = 0;
    m_currentComponent = m_components.Get(0);
    m_previousComponent = m_currentComponent;
    Select(*m_currentComponent);
}

void CRigwright::ApplyLayout(float width, float height)
{
    m_pictureWidth = width;
    m_pictureHeight = height;
    // The panel keeps its size and its margins to the top and right edges.
    const Vector2 panelSize = m_mainMenu->GetSize();
    const Vector2 panelCorner(width - panelSize.x - (1.0f - kMenuLeft - kMenuWidth) * static_cast<float>(m_width),
                              kMenuTop * static_cast<float>(m_height));
    m_mainMenu->MoveTo(panelCorner);
    // The free area: left of the panel, below the text lines.
    const SScreenArea freeArea{0.0f, GetTextLinePosition(kLastDrawnLine).y + kTextLineSpacing + kGapBelowText,
                               panelCorner.x, height};
    m_partCamera->SetLayout(width, height, freeArea);
}

void CRigwright::Select(CComponent& component)
{
    component.SetSelected(true);
    // A selected part keeps its ambient colour; the others go back to grey in their update.
    component.SetObjectParameter(0, kHighlightColor);
}

Vector4 CRigwright::GetHighlightColor()
{
    return kHighlightColor;
}

void CRigwright::ShowPartInformation()
{
    if (!m_mainMenu || !m_currentComponent)
        return;
    m_mainMenu->ShowPartInformation(m_currentComponent->GetPartName(), m_currentComponent->GetManufacturer(),
                                    m_currentComponent->GetPartNumber(), m_currentComponent->GetDescription(),
                                    m_currentComponent->GetModelProblem());
}

void CRigwright::WriteSceneReport()
{
    GetLog().Write(LOG_NONE, "\n" + m_sceneRoot->GetReport());
}

// ---- Update ------------------------------------------------------------------------------------

void CRigwright::Update()
{
    CProfiler& profiler = GetProfiler();
    profiler.StartSample(kFrameSample);

    profiler.StartSample(kInputSample);
    UpdateTimingAndInput();
    profiler.StopSample(kInputSample);
    // A screenshot shows the outlines even when asked for in the first frame.
    if (m_outlineBuffersPending && (m_firstFrameDrawn || KeyPressed(DIK_P)))
        MakeOutlineBuffers();

    FollowWindowSize();
    m_partCamera->Advance(m_timer->GetElapsedTime());
    if (KeyPressed(DIK_M))
        m_manualCamera = !m_manualCamera;
    TrackOrbitDrag();
    UpdateCamera();
    UpdateMainMenu();
    m_camera->Update(*m_timer);
    // The clip planes hold the equipment as seen from where the camera now stands.
    m_mainView->SetProjectionMatrix(m_partCamera->BuildProjection());

    m_animationClock += m_timer->GetElapsedTime();
    if (KeyPressed(DIK_A))
        m_animatedDisplacement = !m_animatedDisplacement;
    UpdateDisplacement();
    m_renderer->ClearViewQueue();

    profiler.StartSample(kSceneSample);
    m_sceneRoot->Update(*m_timer);
    profiler.StopSample(kSceneSample);

    WriteStatisticsLines();
    m_mainView->SetCamera(m_camera);
    m_renderer->QueueView(m_mainView);
    // The GUI view's higher layer draws it after the main view, over the scene.
    m_renderer->QueueView(m_guiView);
    HandleQuitKey(DIK_ESCAPE);
    HandleWireframeKey();
    HandleQuitKey(DIK_SLASH);

    profiler.StartSample(kDrawSample);
    DrawFrame();
    profiler.StopSample(kDrawSample);

    profiler.StopSample(kFrameSample);
}

void CRigwright::UpdateTimingAndInput()
{
    m_timer->Update();
    if (m_input)
        m_input->Update();
}

bool CRigwright::KeyPressed(int key) const
{
    return m_input && m_input->CheckKeyDown(key);
}

void CRigwright::FollowWindowSize()
{
    if (!FitBackBufferToWindow())
        return;
    const float width = m_renderer->GetRenderTargetWidth(0);
    const float height = m_renderer->GetRenderTargetHeight(0);
    Viewport whole;
    whole.Width = static_cast<std::uint32_t>(width);
    whole.Height = static_cast<std::uint32_t>(height);
    whole.MaxZ = 1.0f;
    m_mainView->SetViewport(whole);
    m_guiView->SetViewport(whole);
    ApplyLayout(width, height);
}

void CRigwright::UpdateCamera()
{
    if (m_manualCamera)
        OrbitWithMouse();
    else
        m_partCamera->Follow(*m_currentComponent);
}

void CRigwright::TrackOrbitDrag()
{
    const bool left = m_input && m_input->CheckMouseButton(kLeftButton);
    const bool right = m_input && m_input->CheckMouseButton(kRightButton);
    // Decided when the button goes down, so a drag that passes over a button keeps orbiting and
    // a click on a button never turns the model.
    if (left && !m_leftButtonWasDown)
        m_leftDragOrbits = !(m_mainMenu && m_mainMenu->IsCursorOnButton());
    if (!left)
        m_leftDragOrbits = false;
    m_leftButtonWasDown = left;
    m_orbitDragging = m_leftDragOrbits || right;
}

void CRigwright::OrbitWithMouse()
{
    if (!m_input)
        return;
    // The same movement also steers the panel's cursor: only a drag orbits, so reaching a button
    // leaves the model where it is. The wheel moves no cursor: it zooms without a drag.
    if (m_orbitDragging)
        m_partCamera->Orbit(*m_input, *m_currentComponent);
    else
        m_partCamera->Wheel(m_input->GetDeltaZ(), *m_currentComponent);
}

void CRigwright::UpdateMainMenu()
{
    // The panel's cursor and buttons first, then its buttons' fade and clicks, which may change
    // the focus or the zoom before the camera moves.
    if (m_input)
        m_mainMenu->HandleInput(*m_input);
    m_mainMenu->Update(*m_timer);
}

float CRigwright::ComputeDisplacement(bool animated, float clockSeconds)
{
    return animated ? std::sin(clockSeconds) + kDisplacementOffset : kStillDisplacement;
}

void CRigwright::UpdateDisplacement()
{
    const float value = ComputeDisplacement(m_animatedDisplacement, m_animationClock);
    m_renderer->SetViewParameter(0, Vector4(value, 0.0f, 0.0f, 0.0f));
}

void CRigwright::WriteStatisticsLines()
{
    // The renderer resets its counts when a frame begins: these are the previous frame's.
    SetTextLine(1, "FPS: %u", m_timer->GetFPS());
    SetTextLine(2, "TPF: %u", GetPrimitiveCount());
    SetTextLine(3, "DPC: %u", GetDrawCallCount());
    SetTextLine(4, "Press 'A' to toggle animated edge displacement");
    SetTextLine(5, "Press 'W' to toggle wireframe");
    WriteHelpLines();
}

void CRigwright::WriteHelpLines()
{
    SetTextLine(6, "Press 'M' for the mouse (drag, wheel) or part camera");
    SetTextLine(7, "Press 'P' for a screenshot, 'Escape' to quit");
    if (m_currentComponent)
        SetTextLine(kPartLine, "Part %d of %d: %s", m_currentIndex + 1, m_components.GetCount(),
                    m_currentComponent->GetPartName().c_str());
}

void CRigwright::HandleQuitKey(int key)
{
    // Destroying the window posts the quit message that ends the loop, as the close box does.
    if (KeyPressed(key))
        GetWindowSystem().PostMessage(m_window, WM_DESTROY, 0, 0);
}

void CRigwright::HandleWireframeKey()
{
    if (!KeyPressed(DIK_W))
        return;
    if (IGraphicsDevice* device = m_renderer->GetDevice())
        device->SetRenderState(D3DRS_FILLMODE, m_wireframe ? D3DFILL_SOLID : D3DFILL_WIREFRAME);
    m_wireframe = !m_wireframe;
}

void CRigwright::DrawFrame()
{
    m_renderer->BeginScene();
    m_renderer->DrawViewQueue();
    DrawTextLines();
    if (KeyPressed(DIK_P))
        m_renderer->SaveScreenshot(kScreenshotPrefix);
    m_renderer->EndScene();
    m_renderer->Present();
    m_firstFrameDrawn = true;
}

void CRigwright::MakeOutlineBuffers()
{
    m_outlineBuffersPending = false;
    for (int index = 0; index < m_components.GetCount(); ++index)
        if (CComponentOutline* outline = m_components.Get(index)->GetOutline())
            outline->MakeBuffers(*m_renderer);
}

Vector2 CRigwright::GetTextLinePosition(int line)
{
    return Vector2(kTextLeft, kTextTop + kTextLineSpacing * static_cast<float>(line - kFirstDrawnLine));
}

void CRigwright::DrawTextLines()
{
    const Vector2 box(kTextBoxWidth, kTextBoxHeight);
    for (int line = kFirstDrawnLine; line <= kLastDrawnLine; ++line)
        m_renderer->DrawText(GetTextLine(line), GetTextLinePosition(line), box, kTextColor, kTextFormat,
                             kDefaultFont);
}

// ---- Focus -------------------------------------------------------------------------------------

void CRigwright::SelectNextComponent()
{
    const int count = m_components.GetCount();
    ChangeFocus(m_currentIndex + 1 >= count ? 0 : m_currentIndex + 1);
}

void CRigwright::SelectPreviousComponent()
{
    const int count = m_components.GetCount();
    ChangeFocus(m_currentIndex == 0 ? count - 1 : m_currentIndex - 1);
}

void CRigwright::ChangeFocus(int index)
{
    if (m_components.IsEmpty())
        return;
    m_previousComponent = m_currentComponent;
    m_currentIndex = index;
    m_currentComponent = m_components.Get(m_currentIndex);
    // The glide restarts from the previous part's stored view, not from where the camera is.
    m_partCamera->StartGlide(*m_previousComponent);
    m_previousComponent->SetSelected(false);
    Select(*m_currentComponent);
    ShowPartInformation();
}

void CRigwright::ZoomIn()
{
    Zoom(CPartCamera::kZoomInFactor);
}

void CRigwright::ZoomOut()
{
    Zoom(CPartCamera::kZoomOutFactor);
}

void CRigwright::Zoom(float factor)
{
    if (!m_currentComponent)
        return;
    m_partCamera->Zoom(*m_currentComponent, factor);
    m_previousComponent = m_currentComponent;
}

float CRigwright::GetGlideElapsed() const
{
    return m_partCamera ? m_partCamera->GetGlideElapsed() : CPartCamera::kInitialGlideElapsed;
}

int CRigwright::HandleMenuEvent(int event, int controlID)
{
    if (event != kClickEvent)
        return 0;
    switch (controlID)
    {
    case CMainMenu::kNext:
    case CMainMenu::kPrevious:
    case CMainMenu::kZoomIn:
    case CMainMenu::kZoomOut:
        // The buttons show parts: the mouse lets go of the camera so that the glide is seen.
        m_manualCamera = false;
        break;
    default:
        return 0;
    }
    if (controlID == CMainMenu::kNext)
        SelectNextComponent();
    else if (controlID == CMainMenu::kPrevious)
        SelectPreviousComponent();
    else if (controlID == CMainMenu::kZoomIn)
        ZoomIn();
    else
        ZoomOut();
    return 0;
}

// ---- Shutdown ----------------------------------------------------------------------------------

void CRigwright::Shutdown()
{
    GetProfiler().Report();
    GetLog().Write(LOG_NONE, "FPS at exit: " + std::to_string(m_timer->GetFPS()) + " -- " + "TPF at exit: " +
                                 std::to_string(GetPrimitiveCount()) + " -- " + "DPC at exit: " +
                                 std::to_string(GetDrawCallCount()));
    m_partCamera.reset();
    delete m_camera;
    m_camera = nullptr;
    delete m_sceneRoot;
    m_sceneRoot = nullptr;
    delete m_mainView;
    m_mainView = nullptr;
    delete m_guiView;
    m_guiView = nullptr;
    CApplication::Shutdown();
}

std::uint32_t CRigwright::GetPrimitiveCount() const
{
    return m_renderer ? static_cast<std::uint32_t>(m_renderer->GetPrimitiveCount()) : 0u;
}

std::uint32_t CRigwright::GetDrawCallCount() const
{
    return m_renderer ? static_cast<std::uint32_t>(m_renderer->GetDrawCallCount()) : 0u;
}
