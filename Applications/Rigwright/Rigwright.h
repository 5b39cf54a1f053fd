#pragma once
// CRigwright: the equipment viewer, the program's one application object (800 x 600, windowed).
//
// Initialize builds the scene: a root node (the first entity, so the world root the main view
// draws), the 3D view with its projection, the orbit camera, and the gate valve's parts as
// components with their outlines, the main part first. Each frame (Update) then runs, in order:
// timer and input; key M and the camera (the mouse orbits it, or it sits on the part in focus
// and glides to a newly focused part in 1.5 s); the camera update; the outline's displacement
// (key A animates it) handed to the effects as "ViewParm0"; the scene update; the statistics and
// help lines; the main view queued; the quit keys and key W (wireframe); the frame drawn with the
// text lines over it; key P (screenshot); presentation. Shutdown writes the profiler report and
// the frame statistics to the log and deletes what Initialize made, then the engine singletons.
//
// The frame allocates nothing: the text lines are fixed buffers rewritten in place, and only a
// screenshot request builds a file name.

#include "Engine/Core/Application.h"
#include "Engine/Core/Array.h"
#include "Engine/Core/Vector.h"

#include <cstdint>

namespace Tess
{
class CCameraSpherical;
class CComponent;
class CNode;
class CRenderViewGUI;
class CRenderViewMain;
} // namespace Tess

class CRigwright : public Tess::CApplication
{
public:
    static constexpr float kGlideDuration = 1.5f;
    // Above the duration, so that no glide runs at start.
    static constexpr float kInitialGlideElapsed = 2.0f;
    static constexpr float kStillDisplacement = 0.1f;
    static constexpr std::uint32_t kClearColor = 0x00404040;
    static constexpr std::uint32_t kTextColor = 0xFFFFFF00;
    static constexpr int kFirstDrawnLine = 1;
    static constexpr int kLastDrawnLine = 5;

    CRigwright();
    // Frees the component list (the components belong to the scene).
    ~CRigwright() override;

    void Initialize() override;
    void Update() override;
    void Shutdown() override;

    // Focus the next or previous component of the list (wrapping around) and glide to it.
    void SelectNextComponent();
    void SelectPreviousComponent();

    // Places a component in the scene (under the root) and appends it to the component list.
    void AddComponent(Tess::CComponent* component, const Tess::Vector3& position);

    // The outline displacement for the current state: 0.1 while still, sin(clock) + 1.05 while
    // animated (between 0.05 and 2.05, one period every 2 pi seconds).
    static float ComputeDisplacement(bool animated, float clockSeconds);
    // Pixel position of drawn text line `line` (1 to 5) in the top-left corner.
    static Tess::Vector2 GetTextLinePosition(int line);

    Tess::CCameraSpherical* GetCamera() const { return m_camera; }
    Tess::CRenderViewMain* GetMainView() const { return m_mainView; }
    Tess::CNode* GetSceneRoot() const { return m_sceneRoot; }
    int GetComponentCount() const { return m_components.GetCount(); }
    Tess::CComponent* GetComponent(int index) const { return m_components.Get(index); }
    int GetCurrentIndex() const { return m_currentIndex; }
    Tess::CComponent* GetCurrentComponent() const { return m_currentComponent; }
    Tess::CComponent* GetPreviousComponent() const { return m_previousComponent; }
    float GetGlideElapsed() const { return m_glideElapsed; }
    bool IsManualCamera() const { return m_manualCamera; }
    bool IsAnimatedDisplacement() const { return m_animatedDisplacement; }
    bool IsWireframe() const { return m_wireframe; }
    float GetAnimationClock() const { return m_animationClock; }

private:
    // Initialize's steps.
    void CreateMainView();
    void CreateEquipment();
    void FocusFirstComponent();
    void WriteSceneReport();

    // Update's steps.
    void UpdateTimingAndInput();
    void UpdateCamera();
    void GlideCamera();
    void PlaceCameraOn(const Tess::CComponent& component);
    void UpdateDisplacement();
    void WriteStatisticsLines();
    void HandleQuitKey(int key);
    void HandleWireframeKey();
    void DrawFrame();
    void DrawTextLines();
    bool KeyPressed(int key) const;

    void ChangeFocus(int index);
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
    float m_glideDuration = kGlideDuration;
    float m_glideElapsed = kInitialGlideElapsed;
    // The frame step's switches and clock; one application object, so one set.
    bool m_manualCamera = true;
    bool m_animatedDisplacement = false;
    bool m_wireframe = false;
    float m_animationClock = 0.0f;
};
