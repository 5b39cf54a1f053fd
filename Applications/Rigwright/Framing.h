#pragma once
// Framing for the orbit camera: the camera settings (target, pitch, yaw, radius) that show a set
// of points (a model's vertices) whole inside a given rectangle of the screen, as large as the
// rectangle's margins allow. The viewer starts with the whole equipment framed this way in the free area left
// of the part-information panel and below the text lines.

#include "Engine/Core/Vector.h"

#include <vector>

namespace Tess
{

// A rectangle of the screen in pixels, left and top inclusive.
struct SScreenArea
{
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

// What the camera must know of the projection: the screen's size in pixels, the vertical field of
// view in radians and the near plane's distance.
struct SProjectionShape
{
    float width = 800.0f;
    float height = 600.0f;
    float fieldOfView = 0.7853982f;
    float nearPlane = 1.0f;
};

struct SOrbitView
{
    Vector3 target;
    float pitch = 0.0f;
    float yaw = 0.0f;
    // Negative: the camera stands in front of the target, looking at it.
    float radius = -100.0f;
};

// The orbit view from `pitch` and `yaw` whose picture holds every point inside `area`, each side
// kept `margin` (a share of the area's width or height) clear, the picture centred in the area.
// The camera looks past the points' centre, as the parts' own views do, so the orbit turns about
// a point beside them. Points with a coordinate that is not finite are left out; without points,
// the orbit camera's starting view.
SOrbitView FramePoints(const std::vector<Vector3>& points, float pitch, float yaw, const SProjectionShape& shape,
                       const SScreenArea& area, float margin);

} // namespace Tess
