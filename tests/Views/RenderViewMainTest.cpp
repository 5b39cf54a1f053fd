// The 3D view on the recording device: what it is built with, the order of its steps, drawing
// with and without a camera, the camera hidden during its own flush, the viewport saved and
// restored, and the scene reached only through the world root.

#include "ViewsTestSupport.h"

#include "Engine/Views/CameraSpherical.h"
#include "Engine/Views/RenderViewGUI.h"
#include "Engine/Views/RenderViewMain.h"

namespace Tess
{
namespace
{

using Testing::NamesOf;
using Testing::ViewTest;
using Testing::WorldRoot;

constexpr Color kDarkGrey = 0x00404040;

Matrix4 Projection()
{
    return MatrixPerspectiveFovLH(0.7853982f, 4.0f / 3.0f, 1.0f, 2000.0f);
}

Viewport ViewportOf(const DeviceCall& call)
{
    return Viewport{call.Arg(0), call.Arg(1), call.Arg(2), call.Arg(3), call.FloatArg(4), call.FloatArg(5)};
}

class RenderViewMainTest : public ViewTest
{
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        ASSERT_EQ(&WorldRoot(), CEntity::GetWorldRoot());
    }

    // Puts an entity into the scene; it leaves the scene when it is destroyed.
    template <class T>
    T& InScene(std::unique_ptr<T> entity)
    {
        WorldRoot().AddChild(entity.get());
        T& result = *entity;
        m_owned.push_back(std::move(entity));
        return result;
    }

    std::vector<std::unique_ptr<CEntity>> m_owned;
};

TEST_F(RenderViewMainTest, IsBuiltForItsRenderTargetWithTheSharedDefaultEffect)
{
    const int effectsBefore = renderer->GetEffectCount();
    CRenderViewMain lowResolution(*renderer, 1);
    CRenderViewMain back(*renderer, 0);

    EXPECT_EQ(8, lowResolution.GetLayer());
    EXPECT_EQ(1, lowResolution.GetRenderTargetIndex());
    // "default.fx" was loaded by the renderer already: handle 0, and no new effect.
    EXPECT_EQ(0, lowResolution.GetDefaultEffect());
    EXPECT_EQ(effectsBefore, renderer->GetEffectCount());
    EXPECT_EQ((Viewport{0, 0, 320, 240, 0.0f, 1.0f}), lowResolution.GetViewport());
    EXPECT_EQ((Viewport{0, 0, 800, 600, 0.0f, 1.0f}), back.GetViewport());
    EXPECT_EQ(nullptr, back.GetCamera());
    EXPECT_EQ(0u, back.GetClearColor());
    EXPECT_EQ(Matrix4::Identity(), back.GetViewMatrix());
    EXPECT_EQ(Matrix4::Identity(), back.GetProjectionMatrix());
    EXPECT_EQ(Vector3(), back.GetEyePosition());
}

TEST_F(RenderViewMainTest, BackBufferOf1024By768GivesTheWholeScreenViewport)
{
    renderer.reset();
    config.windowWidth = 1024;
    config.windowHeight = 768;
    ASSERT_TRUE(CreateRenderer(1024, 768, true));
    CRenderViewMain view(*renderer, 0);
    EXPECT_EQ((Viewport{0, 0, 1024, 768, 0.0f, 1.0f}), view.GetViewport());
}

TEST_F(RenderViewMainTest, DrawRunsItsStepsInOrder)
{
    CCameraSpherical camera;
    CRenderViewMain view(*renderer, 1);
    view.SetClearColor(kDarkGrey);
    view.SetProjectionMatrix(Projection());
    view.SetCamera(&camera);
    auto& part = InScene(std::make_unique<Testing::CNotingEntity>(notes, "part"));
    std::vector<Viewport> viewportsWhileDrawing;
    part.onDraw = [&](CRenderer& r) {
        Viewport current;
        viewportsWhileDrawing.push_back(*r.GetViewport(&current));
    };

    view.Draw(*renderer);

    const auto calls = Calls();
    const int viewTransform = IndexOf(EDeviceOp::SetTransform);
    ASSERT_GE(viewTransform, 0);
    EXPECT_EQ(static_cast<std::uint32_t>(D3DTS_VIEW), calls[viewTransform].Arg(0));
    EXPECT_EQ(camera.BuildViewMatrix(), calls[viewTransform].matrix);
    const int projection = IndexOf(EDeviceOp::SetTransform, viewTransform + 1);
    ASSERT_GT(projection, viewTransform);
    EXPECT_EQ(static_cast<std::uint32_t>(D3DTS_PROJECTION), calls[projection].Arg(0));
    EXPECT_EQ(Projection(), calls[projection].matrix);
    const int target = IndexOf(EDeviceOp::SetRenderTarget);
    EXPECT_GT(target, projection);
    const int clear = IndexOf(EDeviceOp::Clear);
    ASSERT_GT(clear, target);
    EXPECT_EQ(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, calls[clear].Arg(0));
    EXPECT_EQ(kDarkGrey, calls[clear].Arg(1));
    EXPECT_EQ(1.0f, calls[clear].FloatArg(2));
    EXPECT_EQ(0u, calls[clear].Arg(3));

    const auto viewports = CallsOf(EDeviceOp::SetViewport);
    ASSERT_EQ(2u, viewports.size());
    EXPECT_GT(IndexOf(EDeviceOp::SetViewport), clear);
    EXPECT_EQ((Viewport{0, 0, 320, 240, 0.0f, 1.0f}), ViewportOf(viewports[0]));
    ASSERT_EQ(1u, viewportsWhileDrawing.size());
    EXPECT_EQ(view.GetViewport(), viewportsWhileDrawing[0]);
    ASSERT_EQ(1u, notes.size());
    EXPECT_EQ(0, renderer->GetDrawListCount());
    EXPECT_TRUE(Device().Errors().empty());
}

TEST_F(RenderViewMainTest, CameraViewAndEyeBecomeTheRenderersAndCullTheScene)
{
    CCameraSpherical camera;
    camera.SetTarget({10, 0, 0});
    camera.Move(0.0f);
    CRenderViewMain view(*renderer, 0);
    view.SetProjectionMatrix(Projection());
    view.SetCamera(&camera);
    InScene(std::make_unique<Testing::CNotingEntity>(notes, "in front", Vector3{10, 0, 0}));
    InScene(std::make_unique<Testing::CNotingEntity>(notes, "behind", Vector3{10, 0, -200}));

    view.Draw(*renderer);

    EXPECT_EQ(camera.BuildViewMatrix(), renderer->GetViewMatrix());
    EXPECT_EQ(Projection(), renderer->GetProjectionMatrix());
    const auto* eye = static_cast<const Vector4*>(renderer->GetParameterStorage(EFFECT_PARAMETER_VIEW_POSITION).source);
    ASSERT_NE(nullptr, eye);
    EXPECT_EQ(Vector4(10, 0, -100, 1), *eye);
    // The view keeps what it took from the camera.
    EXPECT_EQ(Vector3(10, 0, -100), view.GetEyePosition());
    EXPECT_EQ(camera.BuildViewMatrix(), view.GetViewMatrix());
    // Culling used the camera's frustum, set before the scene was submitted.
    EXPECT_EQ((std::vector<std::string>{"in front"}), NamesOf(notes));
}

TEST_F(RenderViewMainTest, WithoutCameraDrawsWithTheIdentityViewAndTheEyeAtTheOrigin)
{
    renderer->SetViewMatrix(MatrixLookAtLH({5, 5, 5}, {0, 0, 0}, {0, 1, 0}), {5, 5, 5});
    CRenderViewMain view(*renderer, 0);
    view.SetProjectionMatrix(Projection());
    InScene(std::make_unique<Testing::CNotingEntity>(notes, "part", Vector3{0, 0, 10}));
    recording->Clear();

    view.Draw(*renderer);

    EXPECT_EQ(Matrix4::Identity(), renderer->GetViewMatrix());
    const auto* eye = static_cast<const Vector4*>(renderer->GetParameterStorage(EFFECT_PARAMETER_VIEW_POSITION).source);
    EXPECT_EQ(Vector4(0, 0, 0, 1), *eye);
    EXPECT_EQ(1u, Count(EDeviceOp::Clear));
    EXPECT_EQ((std::vector<std::string>{"part"}), NamesOf(notes));

    // A stored view matrix is used while no camera is attached.
    const Matrix4 stored = MatrixLookAtLH({0, 0, -50}, {0, 0, 0}, {0, 1, 0});
    view.SetViewMatrix(stored, {0, 0, -50});
    view.Draw(*renderer);
    EXPECT_EQ(stored, renderer->GetViewMatrix());
    EXPECT_EQ(Vector4(0, 0, -50, 1), *eye);
}

TEST_F(RenderViewMainTest, CameraIsNotDrawnDuringItsOwnFlushAndIsVisibleAgainAfter)
{
    // A camera that stands in the scene: it looks along +Z from the origin, and its bounds lie
    // in front of it so that culling alone would let it through.
    auto& camera = InScene(std::make_unique<Testing::CNotingEntity>(notes, "camera", Vector3{0, 0, 5}));
    auto& part = InScene(std::make_unique<Testing::CNotingEntity>(notes, "part", Vector3{0, 0, 10}));
    bool hiddenWhileDrawing = false;
    part.onDraw = [&](CRenderer&) { hiddenWhileDrawing = camera.IsNoDraw(); };
    CRenderViewMain view(*renderer, 0);
    view.SetProjectionMatrix(Projection());
    view.SetCamera(&camera);

    view.Draw(*renderer);
    EXPECT_EQ((std::vector<std::string>{"part"}), NamesOf(notes));
    EXPECT_TRUE(hiddenWhileDrawing);
    EXPECT_FALSE(camera.IsNoDraw());

    // Another view, looking from elsewhere, draws it.
    notes.clear();
    CRenderViewMain other(*renderer, 0);
    other.SetProjectionMatrix(Projection());
    other.SetViewMatrix(MatrixLookAtLH({0, 0, -50}, {0, 0, 0}, {0, 1, 0}), {0, 0, -50});
    other.Draw(*renderer);
    EXPECT_EQ((std::vector<std::string>{"camera", "part"}), NamesOf(notes));
}

TEST_F(RenderViewMainTest, ViewportInForceBeforeDrawIsRestoredAfter)
{
    const Viewport before{10, 20, 100, 50, 0.25f, 0.75f};
    renderer->SetViewport(&before);
    CRenderViewMain view(*renderer, 0);
    recording->Clear();

    view.Draw(*renderer);

    const auto viewports = CallsOf(EDeviceOp::SetViewport);
    ASSERT_EQ(2u, viewports.size());
    EXPECT_EQ(view.GetViewport(), ViewportOf(viewports[0]));
    EXPECT_EQ(before, ViewportOf(viewports[1]));
    Viewport after;
    EXPECT_EQ(before, *renderer->GetViewport(&after));
}

TEST_F(RenderViewMainTest, DrawsOnlyTheWorldRootsSceneAndNothingLeftInTheDrawList)
{
    Testing::CNotingEntity* leftOver = &InScene(std::make_unique<Testing::CNotingEntity>(notes, "left over", Vector3{0, 0, -500}));
    renderer->AddToDrawList(leftOver);
    CNode detached;
    Testing::CNotingEntity detachedChild(notes, "detached", {0, 0, 10});
    detached.AddChild(&detachedChild);
    InScene(std::make_unique<Testing::CNotingEntity>(notes, "part", Vector3{0, 0, 10}));
    CRenderViewMain view(*renderer, 0);
    view.SetProjectionMatrix(Projection());
    view.AddRootNode(&detached);
    ASSERT_EQ(1, view.GetRootNodeCount());

    view.Draw(*renderer);

    // The entity queued before the pass is culled by this view and was not kept; the root
    // node outside the world root is not the main view's business.
    EXPECT_EQ((std::vector<std::string>{"part"}), NamesOf(notes));
    EXPECT_EQ(0, renderer->GetDrawListCount());
}

TEST_F(RenderViewMainTest, EntitiesDrawWithTheirLayerEightEffectOrTheDefault)
{
    auto& part = InScene(std::make_unique<Testing::CNotingEntity>(notes, "part", Vector3{0, 0, 10}));
    part.SetResourceHandle(8, sceneEffect);
    auto& guiOnly = InScene(std::make_unique<Testing::CNotingEntity>(notes, "gui only", Vector3{0, 0, 10}));
    guiOnly.SetResourceHandle(14, guiEffect);
    CRenderViewMain view(*renderer, 0);
    view.SetProjectionMatrix(Projection());

    view.Draw(*renderer);

    ASSERT_EQ(2u, notes.size());
    // Handle -1 sorts before a real handle.
    EXPECT_EQ("gui only", notes[0].name);
    EXPECT_EQ("default.fx", notes[0].effect);
    EXPECT_EQ("part", notes[1].name);
    EXPECT_EQ("scene.fx", notes[1].effect);
}

} // namespace
} // namespace Tess
