// The GUI view on the recording device: it draws its own root nodes over the target, without
// clearing or touching the transforms, hidden dialogs contribute nothing, controls come before
// captions, and the viewport is set and restored even with nothing to draw.

#include "ViewsTestSupport.h"

#include "Engine/Views/RenderViewGUI.h"
#include "Engine/Views/Text.h"

namespace Tess
{
namespace
{

using Testing::CNotingEntity;
using Testing::CPanelNode;
using Testing::NamesOf;
using Testing::ViewTest;

class RenderViewGUITest : public ViewTest
{
};

TEST_F(RenderViewGUITest, WithoutRootNodesSetsAndRestoresTheViewportAndDrawsNothing)
{
    CRenderViewGUI view(*renderer, 1);
    EXPECT_EQ(14, view.GetLayer());
    EXPECT_EQ((Viewport{0, 0, 320, 240, 0.0f, 1.0f}), view.GetViewport());
    // Something queued before the pass is not drawn by it.
    CNotingEntity stray(notes, "stray");
    renderer->AddToDrawList(&stray);
    const Viewport before{5, 6, 70, 80, 0.0f, 1.0f};
    renderer->SetViewport(&before);
    recording->Clear();

    view.Draw(*renderer);

    // Selecting target 1 resets the device's viewport to the whole target, which is what the
    // view saves.
    EXPECT_EQ(1u, Count(EDeviceOp::SetRenderTarget));
    const auto viewports = CallsOf(EDeviceOp::SetViewport);
    ASSERT_EQ(2u, viewports.size());
    EXPECT_EQ(320u, viewports[0].Arg(2));
    EXPECT_EQ(240u, viewports[0].Arg(3));
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(0, renderer->GetDrawListCount());
    EXPECT_EQ(0u, Count(EDeviceOp::DrawPrimitiveUP) + Count(EDeviceOp::DrawIndexedPrimitive) +
                      Count(EDeviceOp::DrawPrimitive) + Count(EDeviceOp::DrawText));
}

TEST_F(RenderViewGUITest, ViewportInForceBeforeDrawIsRestoredAfter)
{
    CRenderViewGUI view(*renderer, 0);
    const Viewport before{5, 6, 70, 80, 0.1f, 0.9f};
    renderer->SetViewport(&before);
    CPanelNode panel(notes, "panel");
    view.AddRootNode(&panel);
    Viewport during;
    panel.SetResourceHandle(14, guiEffect);
    CNotingEntity button(notes, "button");
    button.onDraw = [&](CRenderer& r) { r.GetViewport(&during); };
    panel.AddChild(&button);

    view.Draw(*renderer);

    EXPECT_EQ(view.GetViewport(), during);
    Viewport after;
    EXPECT_EQ(before, *renderer->GetViewport(&after));
}

TEST_F(RenderViewGUITest, HiddenDialogContributesNothingNotEvenItsControls)
{
    CRenderViewGUI view(*renderer, 0);
    CPanelNode hidden(notes, "hidden dialog"), shown(notes, "shown dialog");
    hidden.visible = false;
    CText hiddenCaption("hidden caption", 10, 10, 100, 20);
    CText shownCaption("shown caption", 10, 40, 100, 20);
    hidden.AddChild(&hiddenCaption);
    shown.AddChild(&shownCaption);
    view.AddRootNode(&hidden);
    view.AddRootNode(&shown);

    view.Draw(*renderer);

    EXPECT_EQ((std::vector<std::string>{"shown dialog"}), NamesOf(notes));
    const auto texts = CallsOf(EDeviceOp::DrawText);
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ("shown caption", texts[0].text);

    // Shown again, it draws with its caption.
    hidden.visible = true;
    notes.clear();
    recording->Clear();
    view.Draw(*renderer);
    EXPECT_EQ((std::vector<std::string>{"hidden dialog", "shown dialog"}), NamesOf(notes));
    EXPECT_EQ(2u, Count(EDeviceOp::DrawText));
}

TEST_F(RenderViewGUITest, DrawsOverTheTargetWithoutClearingOrTouchingTheTransforms)
{
    const Matrix4 view3D = MatrixLookAtLH({0, 0, -50}, {0, 0, 0}, {0, 1, 0});
    const Matrix4 projection = MatrixPerspectiveFovLH(0.7853982f, 4.0f / 3.0f, 1.0f, 2000.0f);
    renderer->SetViewMatrix(view3D, {0, 0, -50});
    renderer->SetProjectionMatrix(projection);
    CRenderViewGUI view(*renderer, 0);
    // Matrices the view holds are not handed on.
    view.SetViewMatrix(Matrix4::Identity(), {1, 2, 3});
    view.SetProjectionMatrix(Matrix4::Identity());
    view.SetClearColor(0xFF00FF00);
    CPanelNode panel(notes, "panel");
    view.AddRootNode(&panel);
    recording->Clear();

    view.Draw(*renderer);

    EXPECT_EQ((std::vector<std::string>{"panel"}), NamesOf(notes));
    EXPECT_EQ(0u, Count(EDeviceOp::Clear));
    EXPECT_EQ(0u, Count(EDeviceOp::SetTransform));
    EXPECT_EQ(view3D, renderer->GetViewMatrix());
    EXPECT_EQ(projection, renderer->GetProjectionMatrix());
}

TEST_F(RenderViewGUITest, ControlsComeBeforeCaptionsEachWithItsLayerFourteenEffect)
{
    CRenderViewGUI view(*renderer, 0);
    CPanelNode dialog(notes, "dialog");
    dialog.SetResourceHandle(14, guiEffect);
    // Slot 8 is the 3D view's business.
    dialog.SetResourceHandle(8, sceneEffect);
    CNotingEntity caption(notes, "caption");
    caption.SetSortKey(0);
    CNotingEntity button(notes, "button");
    button.SetSortKey(1);
    button.SetResourceHandle(14, guiEffect);
    dialog.AddChild(&caption);
    dialog.AddChild(&button);
    view.AddRootNode(&dialog);

    view.Draw(*renderer);

    ASSERT_EQ(3u, notes.size());
    EXPECT_EQ((std::vector<std::string>{"dialog", "button", "caption"}), NamesOf(notes));
    EXPECT_EQ("gui.fx", notes[0].effect);
    EXPECT_EQ("gui.fx", notes[1].effect);
    EXPECT_EQ("default.fx", notes[2].effect);
}

TEST_F(RenderViewGUITest, RootNodesAreSubmittedInOrderOnceForEachTimeTheyWereAdded)
{
    CRenderViewGUI view(*renderer, 0);
    CPanelNode first(notes, "first"), second(notes, "second");
    view.AddRootNode(&first);
    view.AddRootNode(nullptr);
    view.AddRootNode(&second);
    view.AddRootNode(&first);
    EXPECT_EQ(3, view.GetRootNodeCount());

    view.Draw(*renderer);

    EXPECT_EQ((std::vector<std::string>{"first", "second", "first"}), NamesOf(notes));
}

TEST_F(RenderViewGUITest, AttachedCameraIsHiddenDuringTheFlushOnly)
{
    CRenderViewGUI view(*renderer, 0);
    CPanelNode dialog(notes, "dialog");
    CPanelNode pointer(notes, "pointer");
    dialog.AddChild(&pointer);
    view.AddRootNode(&dialog);
    view.SetCamera(&pointer);

    view.Draw(*renderer);

    EXPECT_EQ((std::vector<std::string>{"dialog"}), NamesOf(notes));
    EXPECT_FALSE(pointer.IsNoDraw());
}

} // namespace
} // namespace Tess
