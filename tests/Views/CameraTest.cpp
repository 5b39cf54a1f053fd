// The free camera and the orbit camera driven through the input engine on a fake keyboard and
// mouse, frame by frame as the application drives them: poll, HandleInput, Update.

#include "Engine/Core/Log.h"
#include "Engine/Input/Input.h"
#include "Engine/Views/Camera.h"
#include "Engine/Views/CameraSpherical.h"
#include "Scene/SceneTestSupport.h"
#include "Support/FakeInput.h"
#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace Tess
{
namespace
{

using Testing::ExpectVectorNear;

constexpr float kPi = 3.14159265358979f;

class CameraTest : public ::testing::Test
{
protected:
    CameraTest()
    {
        GetLog().Open();
        input = std::make_unique<CInput>(TestSupport::MakeFakeInputFactory(fake));
        input->Initialize(nullptr, reinterpret_cast<WindowHandle>(0x2000));
    }
    ~CameraTest() override
    {
        input.reset();
        GetLog().Close();
    }

    // One frame of `seconds`: the devices are read, the camera takes the input and moves.
    void Frame(CEntity& camera, double seconds = 0.1)
    {
        input->Update();
        camera.HandleInput(*input);
        camera.Update(timer.Step(seconds));
    }
    // One frame with this mouse movement; the mouse rests again afterwards.
    void MouseFrame(CEntity& camera, int dx, int dy, int dz)
    {
        fake.mouse.lX = dx;
        fake.mouse.lY = dy;
        fake.mouse.lZ = dz;
        Frame(camera);
        fake.mouse = MouseState{};
    }

    TestSupport::TempWorkDir dir;
    TestSupport::FakeInputState fake;
    std::unique_ptr<CInput> input;
    Testing::CSteppedTimer timer;
};

// ---- Orbit camera ------------------------------------------------------------------------------

TEST_F(CameraTest, NewOrbitCameraStandsBehindTheOriginLookingAtIt)
{
    CCameraSpherical camera;
    ExpectVectorNear({0, 0, -100}, camera.GetPosition());
    Testing::ExpectMatrixNear(MatrixLookAtLH({0, 0, -100}, {0, 0, 0}, {0, 1, 0}), camera.BuildViewMatrix());
    // Its world matrix follows the local one from the start.
    EXPECT_EQ(camera.GetLocalMatrix(), camera.GetWorldMatrix());
}

TEST_F(CameraTest, MouseRightTurnsTheOrbitByOneRadianPerHundredCounts)
{
    CCameraSpherical camera;
    MouseFrame(camera, 100, 0, 0);
    EXPECT_EQ(1.0f, camera.GetYaw());
    EXPECT_EQ(0.0f, camera.GetPitch());
    ExpectVectorNear({-84.15f, 0.0f, -54.03f}, camera.GetPosition(), 0.01f);
    // Still looking at the target.
    const Vector3 forward = camera.GetLocalMatrix().Row3(2);
    ExpectVectorNear({std::sin(1.0f), 0.0f, std::cos(1.0f)}, forward);
}

TEST_F(CameraTest, OrbitAnglesAddMouseCountsInDoublePrecision)
{
    CCameraSpherical camera;
    // In float arithmetic five steps of 0.01 fall one unit in the last place short of 0.05,
    // and 33 counts land above 0.33.
    for (int frame = 0; frame < 5; ++frame)
        MouseFrame(camera, 1, 0, 0);
    EXPECT_EQ(0.05f, camera.GetYaw());
    MouseFrame(camera, 0, 33, 0);
    EXPECT_EQ(0.33f, camera.GetPitch());
}

TEST_F(CameraTest, WheelNotchMovesTheOrbitCameraSixUnitsCloser)
{
    CCameraSpherical camera;
    MouseFrame(camera, 0, 0, 120);
    EXPECT_EQ(-94.0f, camera.GetRadius());
    ExpectVectorNear({0, 0, -94}, camera.GetPosition());
    MouseFrame(camera, 0, 0, -240);
    EXPECT_EQ(-106.0f, camera.GetRadius());
}

TEST_F(CameraTest, OrbitPitchIsNotClampedAndAtPiTheCameraIsUpsideDown)
{
    CCameraSpherical camera;
    // 314 counts ask for 3.14 radians in one frame; the free camera would be held at 0.45 pi.
    MouseFrame(camera, 0, 314, 0);
    EXPECT_NEAR(3.14f, camera.GetPitch(), 1e-6f);

    camera.SetPitch(kPi);
    Frame(camera);
    ExpectVectorNear({0, -1, 0}, camera.GetLocalMatrix().Row3(1));
    // Looking back along -Z from the other side of the target.
    ExpectVectorNear({0, 0, 100}, camera.GetPosition(), 1e-3f);
}

TEST_F(CameraTest, OrbitCameraWithRadiusZeroStandsOnItsTarget)
{
    CCameraSpherical camera;
    camera.SetTarget({3, 4, 5});
    camera.SetYaw(0.7f);
    camera.SetPitch(-0.3f);
    camera.SetRadius(0.0f);
    Frame(camera);
    ExpectVectorNear({3, 4, 5}, camera.GetPosition());
    // Crossing zero puts it on the far side of the target.
    camera.SetYaw(0.0f);
    camera.SetPitch(0.0f);
    camera.SetRadius(10.0f);
    Frame(camera);
    ExpectVectorNear({3, 4, 15}, camera.GetPosition());
}

TEST_F(CameraTest, OrbitSettersAloneDoNotMoveTheCamera)
{
    CCameraSpherical camera;
    camera.SetTarget({50, 0, 0});
    camera.SetYaw(1.0f);
    camera.SetPitch(0.5f);
    camera.SetRadius(-10.0f);
    ExpectVectorNear({0, 0, -100}, camera.GetPosition());
    EXPECT_EQ(MatrixLookAtLH({0, 0, -100}, {0, 0, 0}, {0, 1, 0}), camera.BuildViewMatrix());

    camera.Update(timer.Step(0.1));
    const Vector3 forward{std::cos(0.5f) * std::sin(1.0f), -std::sin(0.5f), std::cos(0.5f) * std::cos(1.0f)};
    ExpectVectorNear(Vector3{50, 0, 0} + forward * -10.0f, camera.GetPosition());
    ExpectVectorNear({std::sin(0.5f) * std::sin(1.0f), std::cos(0.5f), std::sin(0.5f) * std::cos(1.0f)},
                     camera.GetLocalMatrix().Row3(1));
}

TEST_F(CameraTest, OrbitCameraIgnoresKeysAndTheEntitysMoveRequests)
{
    CCameraSpherical camera;
    fake.Press(DIK_W);
    fake.Press(DIK_D);
    Frame(camera, 1.0);
    ExpectVectorNear({0, 0, -100}, camera.GetPosition());

    // Requests made on the entity are neither applied nor cleared by the orbit placement.
    camera.MoveForward();
    camera.Yaw(500.0f);
    const Vector3 velocity = camera.GetVelocity();
    camera.Update(timer.Step(1.0));
    ExpectVectorNear({0, 0, -100}, camera.GetPosition());
    EXPECT_EQ(velocity, camera.GetVelocity());
    EXPECT_EQ(0.5f, camera.GetRotationDelta().y);
}

// ---- Free camera -------------------------------------------------------------------------------

TEST_F(CameraTest, FreeCameraMovesFiveUnitsPerSecondWhileWIsHeld)
{
    CCamera camera;
    EXPECT_EQ(5.0f, camera.GetMoveSpeed());
    EXPECT_EQ(Matrix4::Identity(), camera.GetLocalMatrix());
    fake.Press(DIK_W);
    // Two seconds of frames; each frame's request moves it in the same frame's Update.
    for (int frame = 0; frame < 20; ++frame)
        Frame(camera, 0.1);
    ExpectVectorNear({0, 0, 10}, camera.GetPosition(), 1e-4f);

    fake.Release(DIK_W);
    Frame(camera, 0.5);
    ExpectVectorNear({0, 0, 10}, camera.GetPosition(), 1e-4f);
}

TEST_F(CameraTest, FreeCameraWithOppositeKeysHeldTogetherStandsStill)
{
    CCamera camera;
    for (auto [a, b] : {std::pair{DIK_W, DIK_S}, {DIK_D, DIK_A}, {DIK_HOME, DIK_END}})
    {
        fake.Press(a);
        fake.Press(b);
        for (int frame = 0; frame < 10; ++frame)
            Frame(camera, 0.1);
        fake.Release(a);
        fake.Release(b);
        ExpectVectorNear({0, 0, 0}, camera.GetPosition());
    }
}

TEST_F(CameraTest, EachMovementKeyMovesAlongItsOwnAxis)
{
    struct Case
    {
        KeyCode key;
        Vector3 direction;
    };
    for (const Case& c : {Case{DIK_W, {0, 0, 1}}, Case{DIK_S, {0, 0, -1}}, Case{DIK_D, {1, 0, 0}},
                          Case{DIK_A, {-1, 0, 0}}, Case{DIK_HOME, {0, 1, 0}}, Case{DIK_END, {0, -1, 0}}})
    {
        CCamera camera;
        fake.Press(c.key);
        Frame(camera, 1.0);
        fake.Release(c.key);
        ExpectVectorNear(c.direction * 5.0f, camera.GetPosition());
    }
}

TEST_F(CameraTest, FreeCameraMovesAlongWhereItLooks)
{
    CCamera camera;
    // A quarter turn to the right: 1000 counts are one radian.
    MouseFrame(camera, static_cast<int>(std::lround(kPi / 2 * 1000.0f)), 0, 0);
    fake.Press(DIK_W);
    Frame(camera, 1.0);
    ExpectVectorNear({5, 0, 0}, camera.GetPosition(), 2e-3f);
}

TEST_F(CameraTest, FreeCameraTurnsWithTheMouseAndHoldsAFramesPitchAtTheLimit)
{
    CCamera camera;
    MouseFrame(camera, 0, 2000, 0);
    // Pitch down by the frame's limit: forward = (0, -sin p, cos p).
    const float limit = CEntity::kMaxPitchPerFrame;
    ExpectVectorNear({0, -std::sin(limit), std::cos(limit)}, camera.GetLocalMatrix().Row3(2));

    // The wheel does nothing.
    const Matrix4 before = camera.GetLocalMatrix();
    MouseFrame(camera, 0, 0, 120);
    EXPECT_EQ(before, camera.GetLocalMatrix());
}

} // namespace
} // namespace Tess
