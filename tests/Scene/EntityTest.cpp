// CObject and CEntity: IDs, movement and turning, matrices, damage, reports, controllers.

#include "SceneTestSupport.h"

#include "Engine/Scene/Entity.h"
#include "Engine/Scene/EntityRegistry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace Tess
{
namespace
{

using Testing::ExpectMatrixNear;
using Testing::ExpectVectorNear;

class CountingController : public IController
{
public:
    explicit CountingController(int& updates, int* destroyed = nullptr) : m_updates(updates), m_destroyed(destroyed) {}
    ~CountingController() override
    {
        if (m_destroyed)
            ++*m_destroyed;
    }
    void Update(CTimer&) override { ++m_updates; }

private:
    int& m_updates;
    int* m_destroyed;
};

TEST(EntityIdentity, IdsAreConsecutiveAndNeverReused)
{
    auto first = std::make_unique<CEntity>();
    const int id = first->GetID();
    first.reset();
    CEntity second;
    CEntity third;
    EXPECT_EQ(id + 1, second.GetID());
    EXPECT_EQ(id + 2, third.GetID());
}

TEST(EntityIdentity, NewEntityStartsWithTheDocumentedState)
{
    CEntity entity;
    EXPECT_EQ(Matrix4::Identity(), entity.GetLocalMatrix());
    EXPECT_EQ(Matrix4::Identity(), entity.GetWorldMatrix());
    EXPECT_EQ(100, entity.GetHitPoints());
    EXPECT_FALSE(entity.IsAlive());
    EXPECT_FALSE(entity.IsNoDraw());
    EXPECT_EQ(nullptr, entity.GetParent());
    EXPECT_FLOAT_EQ(10.0f, entity.GetMoveSpeed());
    EXPECT_EQ(0.0f, entity.GetBounds().GetRadius());
    for (int layer = 0; layer < CObject::kResourceHandleCount; ++layer)
        EXPECT_EQ(-1, entity.GetResourceHandle(layer));
    for (int i = 0; i < CObject::kObjectParameterCount; ++i)
        EXPECT_EQ(Vector4(), entity.GetObjectParameter(i));
}

TEST(EntityIdentity, RegistersWhileAlive)
{
    const int before = GetEntityRegistry().GetCount();
    {
        CEntity entity;
        EXPECT_EQ(before + 1, GetEntityRegistry().GetCount());
    }
    EXPECT_EQ(before, GetEntityRegistry().GetCount());
}

TEST(EntityTurning, PitchIsClampedPerFrameAndStartsAgainNextFrame)
{
    CEntity entity;
    entity.Pitch(2000.0f);
    EXPECT_FLOAT_EQ(1.4137168f, entity.GetRotationDelta().x);
    entity.Pitch(500.0f);
    EXPECT_FLOAT_EQ(1.4137168f, entity.GetRotationDelta().x);
    entity.Move(0.016f);
    EXPECT_EQ(Vector3(), entity.GetRotationDelta());
    entity.Pitch(-3000.0f);
    EXPECT_FLOAT_EQ(-1.4137168f, entity.GetRotationDelta().x);
    entity.Pitch(100.0f);
    EXPECT_NEAR(-1.3137168f, entity.GetRotationDelta().x, 1e-6f);
}

TEST(EntityTurning, YawIsNotClamped)
{
    CEntity entity;
    entity.Yaw(5000.0f);
    EXPECT_FLOAT_EQ(5.0f, entity.GetRotationDelta().y);
}

TEST(EntityMovement, MoveWithZeroElapsedAppliesTheTurnAndDropsTheVelocity)
{
    CEntity entity;
    entity.MoveForward();
    entity.Yaw(500.0f);
    entity.Move(0.0f);
    EXPECT_EQ(Vector3(), entity.GetPosition());
    EXPECT_EQ(Vector3(), entity.GetVelocity());
    EXPECT_EQ(Vector3(), entity.GetRotationDelta());
    const Matrix3 expected = RotationY(0.5f);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
        {
            EXPECT_NEAR(expected.m[r][c], entity.GetOrientation().m[r][c], 1e-6f);
            EXPECT_NEAR(expected.m[r][c], entity.GetLocalMatrix().m[r][c], 1e-6f);
        }
}

TEST(EntityMovement, PitchTurnsAboutTheOwnAxisAndYawAboutTheParentAxis)
{
    CEntity entity;
    entity.Yaw(1000.0f * 3.14159265f / 2.0f); // face +X
    entity.Move(0.0f);
    entity.Pitch(1000.0f * 0.5f);
    entity.Move(0.0f);
    // Pitching a yawed entity tilts its forward axis up or down but keeps its right axis level.
    ExpectVectorNear({0, 0, -1}, entity.GetLocalMatrix().Row3(0), 1e-5f);
    EXPECT_NEAR(-std::sin(0.5f), entity.GetLocalMatrix().m[2][1], 1e-5f);
    // A second yaw still turns about the vertical: the up axis keeps its height.
    const float upY = entity.GetLocalMatrix().m[1][1];
    entity.Yaw(700.0f);
    entity.Move(0.0f);
    EXPECT_NEAR(upY, entity.GetLocalMatrix().m[1][1], 1e-5f);
}

TEST(EntityMovement, MoveRequestsFollowTheWorldAxesAndSpeed)
{
    CEntity entity;
    entity.SetMoveSpeed(4.0f);
    entity.MoveForward();
    entity.MoveForward();
    entity.MoveLeft();
    entity.MoveUp();
    entity.MoveDown();
    EXPECT_EQ(Vector3(-4, 0, 8), entity.GetVelocity());
    entity.Move(0.5f);
    EXPECT_EQ(Vector3(-2, 0, 4), entity.GetPosition());
    EXPECT_EQ(Vector4(-2, 0, 4, 1), entity.GetLocalMatrix().Row(3));
    entity.MoveBackward();
    entity.MoveRight();
    EXPECT_EQ(Vector3(4, 0, -4), entity.GetVelocity());
}

TEST(EntityMovement, UpdateMovesByTheTimersFrameTimeAndComposesTheWorld)
{
    Testing::CSteppedTimer timer;
    CEntity entity;
    entity.MoveForward();
    entity.Update(timer.Step(0.25));
    ExpectVectorNear({0, 0, 2.5f}, entity.GetPosition());
    EXPECT_EQ(entity.GetLocalMatrix(), entity.GetWorldMatrix());
}

TEST(EntityMatrices, ViewMatrixLooksAlongTheLocalForwardAxis)
{
    CEntity entity;
    entity.GetPosition() = {0, 0, -100};
    entity.Move(0.0f);
    const Matrix4 view = entity.BuildViewMatrix();
    ExpectMatrixNear(MatrixLookAtLH({0, 0, -100}, {0, 0, -99}, {0, 1, 0}), view);
    // The origin lies 100 units ahead of the eye.
    const Vector3 origin = TransformCoord({0, 0, 0}, view);
    ExpectVectorNear({0, 0, 100}, origin, 1e-4f);

    Matrix4 out;
    EXPECT_EQ(&out, &entity.BuildViewMatrix(out));
    EXPECT_EQ(view, out);
}

TEST(EntityMatrices, ViewMatrixUsesTheLocalNotTheWorldMatrix)
{
    CEntity parent;
    parent.GetPosition() = {50, 0, 0};
    parent.Move(0.0f);
    parent.UpdateWorldMatrix();
    CEntity child;
    child.SetParent(&parent);
    child.GetPosition() = {0, 0, -10};
    child.Move(0.0f);
    child.UpdateWorldMatrix();
    EXPECT_FLOAT_EQ(50.0f, child.GetWorldMatrix().m[3][0]);
    ExpectVectorNear({0, 0, 10}, TransformCoord({0, 0, 0}, child.BuildViewMatrix()), 1e-4f);
}

TEST(EntityState, DamageClearsAliveAtZeroAndNegativeDamageHeals)
{
    CEntity entity;
    EXPECT_EQ(105, entity.Damage(-5));
    EXPECT_EQ(5, entity.Damage(100));
    EXPECT_EQ(0, entity.Damage(5));
    EXPECT_FALSE(entity.IsAlive());
    EXPECT_EQ(-10, entity.Damage(10));
}

TEST(EntityState, ObjectSlotsIgnoreIndicesOutOfRange)
{
    CEntity entity;
    entity.SetResourceHandle(8, 3);
    entity.SetResourceHandle(15, 9);
    entity.SetResourceHandle(-1, 9);
    EXPECT_EQ(3, entity.GetResourceHandle(8));
    EXPECT_EQ(-1, entity.GetResourceHandle(15));
    entity.SetObjectParameter(7, {1, 2, 3, 4});
    entity.SetObjectParameter(8, {9, 9, 9, 9});
    EXPECT_EQ(Vector4(1, 2, 3, 4), entity.GetObjectParameter(7));
    EXPECT_EQ(Vector4(), entity.GetObjectParameter(8));
}

TEST(EntityState, SortKeyOrdersSigned)
{
    CEntity a, b;
    a.SetSortKey(-1);
    b.SetSortKey(1);
    EXPECT_TRUE(a.IsLessThan(b));
    EXPECT_FALSE(b.IsLessThan(a));
    EXPECT_FALSE(a.IsLessThan(a));
}

TEST(EntityReport, ObjectReportHasNoLineBreak)
{
    CEntity entity;
    EXPECT_EQ("CObject", entity.CObject::GetReport());
}

TEST(EntityReport, DepthThreeReportHasTwoBarsAndACorner)
{
    CEntity a, b, c, d;
    b.SetParent(&a);
    c.SetParent(&b);
    d.SetParent(&c);
    EXPECT_EQ(3, d.GetDepth());
    EXPECT_EQ("| | +-CEntity : ID : " + std::to_string(d.GetID()) + "\n", d.GetReport());
    EXPECT_EQ("+-CEntity : ID : " + std::to_string(b.GetID()) + "\n", b.GetReport());
    EXPECT_EQ("CEntity : ID : " + std::to_string(a.GetID()) + "\n", a.GetReport());
}

TEST(EntityControllers, UpdateDoesNotRunControllersButUpdateControllersDoes)
{
    Testing::CSteppedTimer timer;
    int updates = 0, destroyed = 0;
    {
        CEntity entity;
        entity.AddController(new CountingController(updates, &destroyed));
        entity.AddController(nullptr);
        entity.AddController(new CountingController(updates, &destroyed));
        entity.Update(timer.Step(0.01));
        EXPECT_EQ(0, updates);
        entity.UpdateControllers(timer.Timer());
        EXPECT_EQ(2, updates);
    }
    EXPECT_EQ(2, destroyed);
}

} // namespace
} // namespace Tess
