#pragma once
// CRigwright: the equipment viewer, the program's one application object (800 x 600, windowed).
//
// Initialize builds the scene: a root node (the first entity, so the world root the main view
// draws), the 3D view with its projection, the orbit camera, the part-information panel with its
// GUI view, and the equipment's parts as components with their outlines, as the equipment
// configuration script lists them (the main part alone without it); the camera starts with the
// whole equipment framed left of the panel. Each frame (Update) then runs, in order: timer and
// input; key M and the camera (the mouse orbits it while a button is held down, or it sits on the
// part in focus and glides to a newly focused part in 1.5 s); the panel takes the input and runs
// its buttons (NEXT, PREVIOUS, ZOOM IN, ZOOM OUT); the camera update; the outline's displacement
// (key A animates it) handed to the effects as "ViewParm0"; the scene update; the statistics and
// help lines; the main view queued, then the GUI view, drawn over it; the quit keys and key W
// (wireframe); the frame drawn with the text lines over it; key P (screenshot); presentation. Shutdown writes the profiler report and
// the frame statistics to the log and deletes what Initialize made, then the engine singletons.
//
// The frame allocates nothing: the text lines are fixed buffers rewritten in place, and only a
// screenshot request builds a file name.

#include "Engine/Core/Application.h"
#include "Engine/Core/Array.h"
#include "Engine/Core/Vector.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Tess
{
class CCameraSpherical;
class CComponent;
class CMainMenu;
class CNode;
class CPartCamera;
struct SPartDescription;
struct SPreparedPart;
class CEquipmentLoading;
class CRenderViewGUI;
class CRenderViewMain;
} // namespace Tess

class CRigwright : public Tess::CApplication
{
public:
    static constexpr float kStillDisplacement = 0.1f;
    static constexpr std::uint32_t kClearColor = 0x00404040;
    static constexpr std::uint32_t kTextColor = 0xFFFFFF00;
    static constexpr int kFirstDrawnLine = 1;
    static constexpr int kLastDrawnLine = 8;
    // The line naming the part in focus and its place among the parts.
    static constexpr int kPartLine = 8;
    // Mouse buttons: the left one drags the orbit unless it went down on a panel button; the
    // right one always does.
    static constexpr int kLeftButton = 0;
    static constexpr int kRightButton = 1;
    // The first view: the whole equipment from above and to the right (CPartCamera frames it).
    static constexpr float kStartPitch = 0.3f;
    static constexpr float kStartYaw = 0.5f;
    // The event a panel button fires when clicked.
    static constexpr int kClickEvent = 257;

    CRigwright();
    // Frees the component list (the components belong to the scene).
    ~CRigwright() override;

    // What Initialize shows in place of the usual equipment script: these model files (absolute
    // paths, AddAssembly of each), or this script with its models beside it. Set before it runs.
    void SetModelFiles(std::vector<std::string> files) { m_modelFiles = std::move(files); }
    void SetEquipmentScript(std::string script) { m_equipmentScript = std::move(script); }
    // Runs the equipment script and starts reading the equipment's files and preparing its
    // parts on worker threads, so that a program can overlap them with making its window and
    // device. Initialize does it when the program did not; files and a script set afterwards
    // are not read.
    void StartLoadingEquipment();

    void Initialize() override;
    void Update() override;
    void Shutdown() override;
    // The panel's title and control fonts.
    std::vector<std::pair<std::string, int>> GetStartupFonts() const override;

    // Focus the next or previous component of the list (wrapping around) and glide to it.
    void SelectNextComponent();
    void SelectPreviousComponent();

    // Bring the camera closer to or further from the part in focus, gliding like a change of
    // focus; the part keeps the new distance.
    void ZoomIn();
    void ZoomOut();
    // The panel's event callback: a click on NEXT, PREVIOUS, ZOOM IN or ZOOM OUT hands the camera
    // to the parts (as key M does) and runs the button's action. Returns 0.
    int HandleMenuEvent(int event, int controlID);

    // Places a component in the scene (under the root) and appends it to the component list.
    void AddComponent(Tess::CComponent* component, const Tess::Vector3& position);

    // The ambient colour ("ObjectParm0") of the part in focus, which sets it apart.
    static Tess::Vector4 GetHighlightColor();

    // The outline displacement for the current state: 0.1 while still, sin(clock) + 1.05 while
    // animated (between 0.05 and 2.05, one period every 2 pi seconds).
    static float ComputeDisplacement(bool animated, float clockSeconds);
    // Pixel position of drawn text line `line` (1 to 8) in the top-left corner.
    static Tess::Vector2 GetTextLinePosition(int line);

    Tess::CCameraSpherical* GetCamera() const { return m_camera; }
    // How the camera frames, glides and zooms; null before Initialize.
    Tess::CPartCamera* GetPartCamera() const { return m_partCamera.get(); }
    Tess::CRenderViewMain* GetMainView() const { return m_mainView; }
    Tess::CRenderViewGUI* GetGUIView() const { return m_guiView; }
    Tess::CMainMenu* GetMainMenu() const { return m_mainMenu; }
    Tess::CNode* GetSceneRoot() const { return m_sceneRoot; }
    int GetComponentCount() const { return m_components.GetCount(); }
    Tess::CComponent* GetComponent(int index) const { return m_components.Get(index); }
    int GetCurrentIndex() const { return m_currentIndex; }
    Tess::CComponent* GetCurrentComponent() const { return m_currentComponent; }
    Tess::CComponent* GetPreviousComponent() const { return m_previousComponent; }
    float GetGlideElapsed() const;
    bool IsManualCamera() const { return m_manualCamera; }
    // The mouse's movement orbits the camera in this frame (a button is held for it).
    bool IsOrbitDragging() const { return m_orbitDragging; }
    bool IsAnimatedDisplacement() const { return m_animatedDisplacement; }
    bool IsWireframe() const { return m_wireframe; }
    float GetAnimationClock() const { return m_animationClock; }

private:
    // Initialize's steps.
    void CreateMainView();
    void CreateMainMenu();
    void CreateEquipment();
    // Makes the prepared part on the device and adds it to the scene.
    void CreatePart(const Tess::SPartDescription& part, Tess::SPreparedPart&& prepared);
    void FocusFirstComponent();
    // Places the panel along the right edge and gives the camera the free area left of it, for a
    // picture of `width` x `height` pixels.
    void ApplyLayout(float width, float height);
    void ShowPartInformation();
    void WriteSceneReport();

    // Update's steps.
    void UpdateTimingAndInput();
    // A window of another size gets a picture of that size: the back buffer, the projection and
    // the layout follow it.
    void FollowWindowSize();
    void UpdateCamera();
    void TrackOrbitDrag();
    void OrbitWithMouse();
    void UpdateMainMenu();
    void UpdateDisplacement();
    void WriteStatisticsLines();
    void WriteHelpLines();
    void HandleQuitKey(int key);
    void HandleWireframeKey();
    void DrawFrame();
    void DrawTextLines();
    // Makes the outlines' buffers, left for after the first frame (see CreatePart).
    void MakeOutlineBuffers();
    bool KeyPressed(int key) const;

    void ChangeFocus(int index);
    void Select(Tess::CComponent& component);
    void Zoom(float factor);
    // Primitives and draw calls of the last frame drawn; none without a renderer.
    std::uint32_t GetPrimitiveCount() const;
    std::uint32_t GetDrawCallCount() const;

    Tess::CCameraSpherical* m_camera = nullptr;
    Tess::CRenderViewMain* m_mainView = nullptr;
    Tess::CRenderViewGUI* m_guiView = nullptr;
    Tess::CNode* m_sceneRoot = nullptr;
    Tess::CArray<Tess::CComponent*> m_components;
    std::int32_t m_currentIndex = 0;
    Tess::CComponent* m_currentComponent = nullptr;
    Tess::CComponent* m_previousComponent = nullptr;
    std::unique_ptr<Tess::CPartCamera> m_partCamera;
    // The equipment being read while Initialize makes the views; null outside Initialize.
    std::unique_ptr<Tess::CEquipmentLoading> m_equipmentLoading;
    // The frame step's switches and clock; one application object, so one set.
    bool m_manualCamera = true;
    bool m_leftDragOrbits = false;
    bool m_leftButtonWasDown = false;
    bool m_orbitDragging = false;
    bool m_animatedDisplacement = false;
    bool m_wireframe = false;
    bool m_firstFrameDrawn = false;
    bool m_outlineBuffersPending = false;
    float m_animationClock = 0.0f;
    // The size the picture is laid out for: the render target's, or the window's without one.
    float m_pictureWidth = 800.0f;
    float m_pictureHeight = 600.0f;
    std::vector<std::string> m_modelFiles;
    std::string m_equipmentScript;
    // Left to the entity registry at exit, like every GUI node.
    Tess::CMainMenu* m_mainMenu = nullptr;
};
