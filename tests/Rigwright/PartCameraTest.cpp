// The camera at any size: a part a fiftieth of a unit across and an assembly of thousands are
// framed alike, their clip planes hold them with the depth range a 24-bit buffer resolves, and
// the wheel steps by a share of the distance, within limits set by the part.

#include "RigwrightTestSupport.h"

#include "Applications/Rigwright/PartCamera.h"
#include "Engine/Core/Matrix.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Views/RenderViewMain.h"

namespace
{

struct SSeen
{
    float nearest = 1.0f;
    float farthest = 0.0f;
    float nearPlane = 0.0f;
    float farPlane = 0.0f;
    float radius = 0.0f;
    // The closest the camera may come to the part in focus, and the part's box diagonal.
    float closestAllowed = 0.0f;
    float diagonal = 0.0f;
};

// Where the corners of the part's box lie in the depth range, and the planes the projection has.
SSeen Look(const CRigwright& viewer)
{
    const CRenderViewMain& view = *viewer.GetMainView();
    const Matrix4& projection = view.GetProjectionMatrix();
    const Matrix4 viewProjection = viewer.GetCamera()->BuildViewMatrix() * projection;
    const CComponent& part = *viewer.GetComponent(0);
    const CTriMesh::Bounds& box = part.GetMesh()->GetBounds();
    SSeen seen;
    for (int corner = 0; corner < 8; ++corner)
    {
        const Vector3 p(corner & 1 ? box.max.x : box.min.x, corner & 2 ? box.max.y : box.min.y,
                        corner & 4 ? box.max.z : box.min.z);
        const float depth = TransformCoord(p + part.GetPosition(), viewProjection).z;
        seen.nearest = std::min(seen.nearest, depth);
        seen.farthest = std::max(seen.farthest, depth);
    }
    // A left-handed projection's depth row: z' = z f / (f - n) - n f / (f - n).
    seen.nearPlane = -projection.m[3][2] / projection.m[2][2];
    seen.farPlane = projection.m[3][2] / (1.0f - projection.m[2][2]);
    seen.radius = viewer.GetCamera()->GetRadius();
    seen.closestAllowed = viewer.GetPartCamera()->GetClosestDistance(part);
    seen.diagonal = (box.max - box.min).Length();
    return seen;
}

class PartCameraTest : public RigwrightTest
{
protected:
    PartCameraTest() { UseEquipment("", {"Valve_Handwheel.ms3d"}); }

    // The handwheel (about 70 units across) scaled by `scale`, alone, with the wheel turned by
    // `wheel` counts in frame 2: what frame 3 shows.
    SSeen WheelAtScale(const std::string& scale, int wheel = 0)
    {
        dir.WriteFile("Data/Scripts/Equipment_Configuration.lua",
                      "AddComponent(\"Valve_Handwheel.ms3d\", \"Wheel\", \"\", \"\", \"\", 0, 0, 0, " + scale + ")");
        SSeen seen;
        // Counted here: the fake window system numbers frames across the runs of a test.
        int frame = 0;
        Run(
            [&](int, CRigwright& viewer) {
                ++frame;
                input.mouse.lZ = frame == 2 ? wheel : 0;
                if (frame != 3)
                    return;
                seen = Look(viewer);
                windows.PostQuitMessage(0);
            },
            1 << 30);
        return seen;
    }
};

} // namespace

TEST_F(PartCameraTest, TinyPartsAndHugeAssembliesAreFramedAndHeldByTheClipPlanes)
{
    const SSeen tiny = WheelAtScale("0.0003");
    const SSeen huge = WheelAtScale("70");
    for (const SSeen* seen : {&tiny, &huge})
    {
        EXPECT_GT(seen->nearest, 0.0f);
        EXPECT_LT(seen->farthest, 1.0f);
        // Enough of the depth range for the part itself: its outline's bands and its faces stay
        // apart in a 24-bit buffer.
        EXPECT_GT(seen->farthest - seen->nearest, 0.01f);
        EXPECT_LE(seen->farPlane / seen->nearPlane, 1.0001e4f);
    }
    // The same picture: the camera stands as many of the part's sizes away.
    EXPECT_NEAR(huge.radius / tiny.radius, 70.0f / 0.0003f, 70.0f / 0.0003f * 1e-3f);
}

TEST_F(PartCameraTest, TheWheelStepsByAShareOfTheDistanceWithinThePartsLimits)
{
    const float still = WheelAtScale("0.0003").radius;
    const float notch = WheelAtScale("0.0003", 120).radius;
    EXPECT_NEAR(notch / still, CPartCamera::kWheelNotchFactor, 1e-4f);
    // Far more notches than the limits allow: the camera stops a tenth of the part's size away,
    // never passing through it.
    const SSeen closest = WheelAtScale("0.0003", 120 * 1000);
    EXPECT_FLOAT_EQ(closest.radius, -closest.closestAllowed);
    EXPECT_NEAR(closest.closestAllowed, 0.1f * closest.diagonal, 1e-3f * closest.diagonal);
}
