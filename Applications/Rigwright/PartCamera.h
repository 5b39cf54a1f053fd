#pragma once
// CPartCamera: how the viewer's orbit camera shows the equipment, at whatever size it comes.
//
// - The projection's axis runs through the middle of the free area left of the panel and below
//   the text lines, and every view looks at the centre of what it frames, so the framed model
//   stands in the free area and orbiting turns it about its own centre.
// - The first view frames the whole equipment, and a part without a view of its own in the
//   equipment script gets one that frames it alone, by the same rule (Framing.h). A window of
//   another size frames them again, each keeping how far it was zoomed.
// - A change of focus glides from the previous part's view to the new part's in 1.5 s; ZOOM IN
//   and OUT glide to 0.8 or 1.25 times the distance, which the part keeps; the wheel scales the
//   distance too. Both stay within limits set by the size of the part in focus.
// - The near and far planes follow the equipment's bounds and the camera's distance every frame,
//   so nothing is clipped and depth precision holds for a part of 0.02 units and an assembly of
//   5,000.

#include "Applications/Rigwright/Framing.h"

#include <vector>

namespace Tess
{

class CCameraSpherical;
class CComponent;
class CInput;

class CPartCamera
{
public:
    static constexpr float kGlideDuration = 1.5f;
    // Above the duration, so that no glide runs at start.
    static constexpr float kInitialGlideElapsed = 2.0f;
    static constexpr float kFieldOfView = 0.7853982f;
    // Every framed view: from above and to the right, a twentieth of the free area's width and
    // height kept clear on every side.
    static constexpr float kViewPitch = 0.3f;
    static constexpr float kViewYaw = 0.5f;
    static constexpr float kMargin = 0.05f;
    // ZOOM IN and ZOOM OUT scale the distance from the part in focus by these.
    static constexpr float kZoomInFactor = 0.8f;
    static constexpr float kZoomOutFactor = 1.25f;
    // Zooming keeps the camera between these shares of the size of the part in focus (its box
    // diagonal, or the equipment's when that is larger for the farthest) from its target.
    static constexpr float kClosestShare = 0.1f;
    static constexpr float kFarthestShare = 16.0f;
    // One notch of the wheel (120 counts) forward brings the camera to this share of its distance.
    static constexpr float kWheelNotchFactor = 0.95f;
    // The near plane stays at least this share of the far plane away, for the depth buffer's sake.
    static constexpr float kNearFarRatio = 1e-4f;

    explicit CPartCamera(CCameraSpherical& camera);

    // The picture's size in pixels and its free area. Parts framed by the camera, and the first
    // view while the camera is still on it, are framed again for the new layout.
    void SetLayout(float width, float height, const SScreenArea& freeArea);
    const SProjectionShape& GetShape() const { return m_shape; }
    const SScreenArea& GetFreeArea() const { return m_freeArea; }

    // Adds a part, standing where its position says. A part whose view the script did not give
    // gets one that frames it (or, without a mesh, looks at its position).
    void AddPart(CComponent& part, bool hasOwnView);
    // Puts the camera on the first view: the whole equipment framed.
    void FrameEquipment();

    // The glide's clock runs on by the frame time.
    void Advance(float elapsed) { m_glideElapsed += elapsed; }
    // A change of focus: the glide starts again from `from`'s stored view.
    void StartGlide(const CComponent& from);
    // The camera on the glide to `current`'s view, or on that view once the glide is over.
    void Follow(const CComponent& current);
    // Scales the part's view distance by `factor` within the limits, and glides there from
    // wherever the camera is, turning the short way round.
    void Zoom(CComponent& part, float factor);
    // The mouse's movement turns the camera (dragging it); the wheel scales its distance from
    // the target, within the limits of the part in focus.
    void Orbit(CInput& input, const CComponent& focus);
    void Wheel(int counts, const CComponent& focus);

    // The projection for the camera where it stands now: the clip planes just hold the
    // equipment's parts.
    Matrix4 BuildProjection() const;

    // The closest and farthest the camera may come to its target while `part` is in focus.
    float GetClosestDistance(const CComponent& part) const;
    float GetFarthestDistance(const CComponent& part) const;

    float GetGlideElapsed() const { return m_glideElapsed; }
    bool IsGliding() const { return m_glideElapsed < kGlideDuration; }

private:
    struct SPart
    {
        CComponent* part = nullptr;
        // The part's box where it stands in the scene (empty without a mesh).
        SBox box;
        bool framed = false;
        // The distance framing chose; a zoomed part's distance is a multiple of it.
        float framedDistance = 0.0f;
    };
    struct SCameraView
    {
        Vector3 target;
        float pitch = 0.0f;
        float yaw = 0.0f;
        float radius = 0.0f;
    };

    void FramePart(SPart& record);
    const SPart* Find(const CComponent& part) const;
    // The size zoom limits are shares of: the part's box diagonal, or the equipment's without one.
    float SizeOf(const CComponent& part) const;
    float ClampDistance(float radius, const CComponent& focus) const;

    CCameraSpherical& m_camera;
    SProjectionShape m_shape;
    SScreenArea m_freeArea;
    std::vector<SPart> m_parts;
    SBox m_equipment;
    SCameraView m_glideFrom;
    float m_glideElapsed = kInitialGlideElapsed;
    // The camera still shows the first view: nothing has moved it since it was framed.
    bool m_onFirstView = false;
};

} // namespace Tess
