#include "Applications/Rigwright/PartCamera.h"

#include "Applications/Rigwright/Component.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Input/Input.h"
#include "Engine/Views/CameraSpherical.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace Tess
{

namespace
{

constexpr float kPi = 3.14159265f;
// One notch of a mouse wheel.
constexpr float kWheelNotch = 120.0f;
// A size for limits and planes when nothing in the scene has one.
constexpr float kSizeWithoutParts = 100.0f;
// Clip planes a little beyond the bounds, so that rounding never shaves a part.
constexpr float kPlaneSlack = 0.01f;

std::span<const Vector3> PositionsOf(const CComponent& part)
{
    const CTriMesh* mesh = part.GetMesh();
    const CVertexElement* positions = mesh ? mesh->FindElement("POSITION") : nullptr;
    if (!positions || positions->GetComponentCount() != 3)
        return {};
    return {reinterpret_cast<const Vector3*>(positions->GetData()), static_cast<std::size_t>(positions->GetEntryCount())};
}

SBox SceneBoxOf(const CComponent& part)
{
    SBox box;
    const CTriMesh* mesh = part.GetMesh();
    if (!mesh || mesh->GetTriangleCount() == 0)
        return box;
    const Vector3& position = part.GetPosition();
    box.Add(position + mesh->GetBounds().min);
    box.Add(position + mesh->GetBounds().max);
    return box;
}

float Blend(float from, float to, float s, float t)
{
    return from * s + to * t;
}

// `angle` moved by whole turns to within half a turn of `reference`, so a glide between them
// takes the short way round.
float NearestAngle(float angle, float reference)
{
    const float turns = std::round((reference - angle) / (2.0f * kPi));
    return angle + turns * 2.0f * kPi;
}

} // namespace

CPartCamera::CPartCamera(CCameraSpherical& camera) : m_camera(camera) {}

void CPartCamera::SetLayout(float width, float height, const SScreenArea& freeArea)
{
    m_freeArea = freeArea;
    m_shape = ShapeCentredOn(freeArea, width, height, kFieldOfView);
    for (SPart& record : m_parts)
    {
        if (!record.framed)
            continue;
        // A zoomed part keeps its zoom: the same multiple of the new framing distance.
        const float radius = record.part->GetViewRadius();
        const float zoom = record.framedDistance > 0.0f ? std::fabs(radius) / record.framedDistance : 1.0f;
        FramePart(record);
        const CComponent& part = *record.part;
        record.part->SetView(part.GetViewTarget(), part.GetViewPitch(), part.GetViewYaw(), part.GetViewRadius() * zoom);
    }
    if (m_onFirstView)
        FrameEquipment();
}

void CPartCamera::AddPart(CComponent& part, bool hasOwnView)
{
    SPart record{&part, SceneBoxOf(part), !hasOwnView};
    m_equipment.Add(record.box);
    if (record.framed)
        FramePart(record);
    m_parts.push_back(record);
}

void CPartCamera::FramePart(SPart& record)
{
    CComponent& part = *record.part;
    const std::span<const Vector3> points = PositionsOf(part);
    if (record.box.IsEmpty() || points.empty())
    {
        // An empty part still gets a view: the camera looks at where the part should be.
        const float distance = std::max(m_equipment.Radius(), kSizeWithoutParts * 0.5f) * 2.5f;
        part.SetView(part.GetPosition(), kViewPitch, kViewYaw, -distance);
        record.framedDistance = distance;
        return;
    }
    const SOrbitView view = FramePoints(points, part.GetPosition(), kViewPitch, kViewYaw, m_shape, m_freeArea, kMargin);
    part.SetView(view.target, view.pitch, view.yaw, view.radius);
    record.framedDistance = std::fabs(view.radius);
}

void CPartCamera::FrameEquipment()
{
    // Every vertex of every part where it stands; nothing to frame without one.
    std::vector<Vector3> points;
    for (const SPart& record : m_parts)
    {
        const Vector3& position = record.part->GetPosition();
        for (const Vector3& p : PositionsOf(*record.part))
            points.push_back(p + position);
    }
    if (points.empty())
        return;
    const SOrbitView view = FramePoints(points, Vector3(), kViewPitch, kViewYaw, m_shape, m_freeArea, kMargin);
    m_camera.SetTarget(view.target);
    m_camera.SetPitch(view.pitch);
    m_camera.SetYaw(view.yaw);
    m_camera.SetRadius(view.radius);
    m_onFirstView = true;
}

void CPartCamera::StartGlide(const CComponent& from)
{
    m_glideElapsed = 0.0f;
    m_glideFrom = {from.GetViewTarget(), from.GetViewPitch(), from.GetViewYaw(), from.GetViewRadius()};
}

void CPartCamera::Follow(const CComponent& current)
{
    m_onFirstView = false;
    if (!IsGliding())
    {
        // Every frame, so the camera is back on the part as soon as the mouse lets go of it.
        m_camera.SetTarget(current.GetViewTarget());
        m_camera.SetPitch(current.GetViewPitch());
        m_camera.SetYaw(current.GetViewYaw());
        m_camera.SetRadius(current.GetViewRadius());
        return;
    }
    // Linear from where the glide started (s = 1) to the current part's view (t = 1).
    const float s = (kGlideDuration - m_glideElapsed) / kGlideDuration;
    const float t = 1.0f - s;
    m_camera.SetTarget(m_glideFrom.target * s + current.GetViewTarget() * t);
    m_camera.SetPitch(Blend(m_glideFrom.pitch, current.GetViewPitch(), s, t));
    m_camera.SetYaw(Blend(m_glideFrom.yaw, current.GetViewYaw(), s, t));
    m_camera.SetRadius(Blend(m_glideFrom.radius, current.GetViewRadius(), s, t));
}

void CPartCamera::Zoom(CComponent& part, float factor)
{
    // The glide starts from what the camera shows now, wherever a glide or the mouse left it,
    // turning the short way round to the part's angles.
    m_glideFrom = {m_camera.GetTarget(), NearestAngle(m_camera.GetPitch(), part.GetViewPitch()),
                   NearestAngle(m_camera.GetYaw(), part.GetViewYaw()), m_camera.GetRadius()};
    part.SetView(part.GetViewTarget(), part.GetViewPitch(), part.GetViewYaw(),
                 ClampDistance(part.GetViewRadius() * factor, part));
    m_glideElapsed = 0.0f;
}

void CPartCamera::Orbit(CInput& input, const CComponent& focus)
{
    // The camera turns by the mouse as the orbit camera does; its own wheel step is a fixed
    // number of units, which is replaced by one that follows the part's size.
    const float radius = m_camera.GetRadius();
    m_camera.HandleInput(input);
    m_camera.SetRadius(radius);
    Wheel(input.GetDeltaZ(), focus);
    m_onFirstView = false;
}

void CPartCamera::Wheel(int counts, const CComponent& focus)
{
    if (counts == 0)
        return;
    const float radius = m_camera.GetRadius();
    m_camera.SetRadius(ClampDistance(radius * std::pow(kWheelNotchFactor, static_cast<float>(counts) / kWheelNotch), focus));
    m_onFirstView = false;
}

float CPartCamera::ClampDistance(float radius, const CComponent& focus) const
{
    const float distance = std::clamp(std::fabs(radius), GetClosestDistance(focus), GetFarthestDistance(focus));
    // The camera stays on the side of the target it was on (in front of it for a radius of 0).
    return radius > 0.0f ? distance : -distance;
}

const CPartCamera::SPart* CPartCamera::Find(const CComponent& part) const
{
    for (const SPart& record : m_parts)
        if (record.part == &part)
            return &record;
    return nullptr;
}

float CPartCamera::SizeOf(const CComponent& part) const
{
    const SPart* record = Find(part);
    if (record && !record->box.IsEmpty() && record->box.Radius() > 0.0f)
        return 2.0f * record->box.Radius();
    return m_equipment.Radius() > 0.0f ? 2.0f * m_equipment.Radius() : kSizeWithoutParts;
}

float CPartCamera::GetClosestDistance(const CComponent& part) const
{
    return kClosestShare * SizeOf(part);
}

float CPartCamera::GetFarthestDistance(const CComponent& part) const
{
    return kFarthestShare * std::max(SizeOf(part), 2.0f * m_equipment.Radius());
}

Matrix4 CPartCamera::BuildProjection() const
{
    const Vector3& eye = m_camera.GetPosition();
    float nearest = 0.0f, farthest = 0.0f;
    bool any = false;
    for (const SPart& record : m_parts)
    {
        if (record.box.IsEmpty())
            continue;
        const float distance = (record.box.Centre() - eye).Length();
        const float radius = record.box.Radius();
        nearest = any ? std::min(nearest, distance - radius) : distance - radius;
        farthest = any ? std::max(farthest, distance + radius) : distance + radius;
        any = true;
    }
    if (!any || !std::isfinite(farthest) || !(farthest > 0.0f))
    {
        // Nothing to hold: planes for the size a part is assumed to have.
        nearest = kSizeWithoutParts * 0.01f;
        farthest = kSizeWithoutParts * 20.0f;
    }
    farthest *= 1.0f + kPlaneSlack;
    nearest = std::max(nearest * (1.0f - kPlaneSlack), farthest * kNearFarRatio);
    return Tess::BuildProjection(m_shape, nearest, farthest);
}

} // namespace Tess
