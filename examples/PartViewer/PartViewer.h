#pragma once
// CPartViewer: a small viewer on the Tesserant engine. It shows one part (a MilkShape 3D model,
// or a generated sphere) in a 3D view through an orbiting camera, with a line of help drawn by
// a GUI view over it. The mouse orbits, the wheel zooms, P saves a screenshot and Escape quits.
//
// Its frame is the engine's frame in small: timer and input, camera control, the scene tree's
// update, the views queued, then the scene bracket in which the renderer draws the view queue.

#include "Engine/Core/Application.h"

#include <memory>
#include <string>

namespace Tess
{
class CCameraSpherical;
class CNode;
class CRenderViewGUI;
class CRenderViewMain;
class CText;
class CTriMesh;
} // namespace Tess

class CMeshEntity;

class CPartViewer : public Tess::CApplication
{
public:
    // 800 x 600, windowed. The model is read at Initialize.
    CPartViewer();
    ~CPartViewer() override;

    // The MilkShape 3D file to show; a sphere is shown when it is empty or cannot be read.
    void SetModelPath(std::string path) { m_modelPath = std::move(path); }

    void Initialize() override;
    void Update() override;
    void Shutdown() override;

private:
    void CreateScene();
    void CreateViews();
    void LoadPart();
    void PlaceCamera();
    void HandleKeys();
    void DrawFrame();

    std::string m_modelPath;
    // The scene root must be the program's first entity: it is the world root the 3D view draws.
    Tess::CNode* m_root = nullptr;
    Tess::CCameraSpherical* m_camera = nullptr;
    Tess::CRenderViewMain* m_sceneView = nullptr;
    Tess::CRenderViewGUI* m_guiView = nullptr;
    Tess::CNode* m_overlay = nullptr;
    Tess::CText* m_help = nullptr;
    std::unique_ptr<Tess::CTriMesh> m_mesh;
    CMeshEntity* m_part = nullptr;
    bool m_screenshotRequested = false;
};
