// The dialog with a fake mouse and keyboard: its cursor (centred by Show, confined to the panel,
// ignored while hidden, drawn over everything else), Tab focus cycling, control lookup, events,
// its frame, and the controls it owns.

#include "GuiTestSupport.h"

#include "Engine/GUI/Button.h"
#include "Engine/GUI/Static.h"
#include "Engine/Scene/EntityRegistry.h"
#include "Engine/Views/RenderViewGUI.h"
#include "Engine/Views/Text.h"

namespace Tess
{
namespace
{

using Testing::FirstVertexColor;
using Testing::GuiTest;
using Testing::LinePoints;
using Testing::RectCorner;

class DialogTest : public GuiTest
{
protected:
    // A 200 x 100 panel at (50, 50).
    std::unique_ptr<CDialog> MakeDialog()
    {
        return std::make_unique<CDialog>(*renderer, 50, 50, 200, 100, 0xA0808080, "Verdana", 10);
    }
};

TEST_F(DialogTest, StartsHiddenAndShowCentresTheCursorOnlyWhenHidden)
{
    auto dialog = MakeDialog();
    EXPECT_FALSE(dialog->IsVisible());
    dialog->Show();
    EXPECT_TRUE(dialog->IsVisible());
    EXPECT_EQ(Vector2(150, 100), dialog->GetCursor());
    Frame(*dialog, 0.02f, 30, -20);
    EXPECT_EQ(Vector2(180, 80), dialog->GetCursor());
    dialog->Show();
    EXPECT_EQ(Vector2(180, 80), dialog->GetCursor());
    dialog->Hide();
    dialog->Show();
    EXPECT_EQ(Vector2(150, 100), dialog->GetCursor());
}

TEST_F(DialogTest, HiddenDialogIgnoresTheMouse)
{
    auto dialog = MakeDialog();
    PressLeft();
    Frame(*dialog, 0.02f, 40, 10);
    EXPECT_EQ(Vector2(0, 0), dialog->GetCursor());
    EXPECT_FALSE(dialog->IsLeftButtonDown());
    dialog->Show();
    Frame(*dialog, 0.02f, 40, 10);
    EXPECT_EQ(Vector2(190, 110), dialog->GetCursor());
    EXPECT_TRUE(dialog->IsLeftButtonDown());
    dialog->Hide();
    Frame(*dialog, 0.02f, -40, -10);
    EXPECT_EQ(Vector2(190, 110), dialog->GetCursor());
}

TEST_F(DialogTest, CursorIsConfinedToThePanelEdgesIncluded)
{
    auto dialog = MakeDialog();
    dialog->Show();
    Frame(*dialog, 0.02f, -1000, 0);
    EXPECT_EQ(Vector2(50, 100), dialog->GetCursor());
    Frame(*dialog, 0.02f, 5000, 5000);
    EXPECT_EQ(Vector2(250, 150), dialog->GetCursor());
    Frame(*dialog, 0.02f, -5000, -5000);
    EXPECT_EQ(Vector2(50, 50), dialog->GetCursor());
    // A control flush with the panel's left edge is never under the confined cursor there.
    CButton* edge = dialog->AddButton(1, "edge", 0, 0, 50, 100, -1);
    Frame(*dialog, 0.02f, -1000, 20);
    EXPECT_FALSE(edge->IsMouseOver());
    Frame(*dialog, 0.02f, 1, 0);
    EXPECT_TRUE(edge->IsMouseOver());
}

TEST_F(DialogTest, MouseButtonsAreRecordedEachFrame)
{
    auto dialog = MakeDialog();
    dialog->Show();
    fake.mouse.rgbButtons[1] = 0x80;
    Frame(*dialog, 0.02f);
    EXPECT_FALSE(dialog->IsLeftButtonDown());
    EXPECT_TRUE(dialog->IsRightButtonDown());
    fake.mouse.rgbButtons[1] = 0;
    PressLeft();
    Frame(*dialog, 0.02f);
    EXPECT_TRUE(dialog->IsLeftButtonDown());
    EXPECT_FALSE(dialog->IsRightButtonDown());
}

class DialogFocusTest : public DialogTest
{
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        dialog = MakeDialog();
        a = dialog->AddStatic(11, "a", 0, 0, 10, 10);
        b = dialog->AddButton(12, "b", 0, 20, 10, 10, -1);
        c = dialog->AddStatic(13, "c", 0, 40, 10, 10);
        dialog->Show();
    }

    // Presses Tab (with `other` too, when given) for one frame and releases them in the next.
    void PressTab(int other = 0)
    {
        fake.Press(DIK_TAB);
        if (other)
            fake.Press(other);
        Frame(*dialog, 0.02f);
        fake.Release(DIK_TAB);
        if (other)
            fake.Release(other);
        Frame(*dialog, 0.02f);
    }

    std::unique_ptr<CDialog> dialog;
    CControl* a = nullptr;
    CControl* b = nullptr;
    CControl* c = nullptr;
};

TEST_F(DialogFocusTest, TabCyclesThroughTheControlsAndWraps)
{
    EXPECT_EQ(-1, dialog->GetFocusID());
    std::vector<int> focus;
    for (int i = 0; i < 4; ++i)
    {
        PressTab();
        focus.push_back(dialog->GetFocusID());
    }
    EXPECT_EQ((std::vector<int>{11, 12, 13, 11}), focus);
    EXPECT_TRUE(a->IsFocused());
    EXPECT_FALSE(b->IsFocused());
    EXPECT_FALSE(c->IsFocused());
}

TEST_F(DialogFocusTest, HeldTabCyclesOnce)
{
    fake.Press(DIK_TAB);
    for (int i = 0; i < 5; ++i)
        Frame(*dialog, 0.02f);
    EXPECT_EQ(11, dialog->GetFocusID());
}

TEST_F(DialogFocusTest, UnknownFocusIDChangesNothing)
{
    PressTab();
    dialog->SetFocusID(99);
    PressTab();
    EXPECT_EQ(99, dialog->GetFocusID());
    EXPECT_TRUE(a->IsFocused());
    EXPECT_FALSE(b->IsFocused());
}

TEST_F(DialogFocusTest, TabCountsOnlyWhenItIsTheLowestNewKey)
{
    // Escape (0x01) is lower than Tab (0x0F): Tab is not the first key pressed.
    PressTab(DIK_ESCAPE);
    EXPECT_EQ(-1, dialog->GetFocusID());
    // Q (0x10) is higher.
    PressTab(DIK_Q);
    EXPECT_EQ(11, dialog->GetFocusID());
    // A key held from before is not new and does not hide Tab.
    fake.Press(DIK_1);
    Frame(*dialog, 0.02f);
    PressTab();
    EXPECT_EQ(12, dialog->GetFocusID());
}

TEST_F(DialogFocusTest, SingleControlLosesAndRegainsTheFocus)
{
    auto single = MakeDialog();
    CControl* only = single->AddStatic(5, "only", 0, 0, 10, 10);
    single->CycleFocus();
    EXPECT_EQ(5, single->GetFocusID());
    single->CycleFocus();
    EXPECT_EQ(5, single->GetFocusID());
    EXPECT_TRUE(only->IsFocused());

    auto empty = MakeDialog();
    empty->CycleFocus();
    EXPECT_EQ(-1, empty->GetFocusID());
}

TEST_F(DialogFocusTest, DestroyedControlIsSkipped)
{
    delete b;
    dialog->CycleFocus();
    dialog->CycleFocus();
    EXPECT_EQ(13, dialog->GetFocusID());
    EXPECT_EQ(nullptr, dialog->GetControl(12));
}

TEST_F(DialogTest, GetControlReturnsTheFirstControlAddedWithTheID)
{
    auto dialog = MakeDialog();
    CStatic* first = dialog->AddStatic(7, "first", 0, 0, 10, 10);
    dialog->AddStatic(8, "other", 0, 0, 10, 10);
    dialog->AddButton(7, "second", 0, 0, 10, 10, -1);
    EXPECT_EQ(first, dialog->GetControl(7));
    EXPECT_EQ("other", dialog->GetControl(8)->GetText());
    EXPECT_EQ(nullptr, dialog->GetControl(9));
}

TEST_F(DialogTest, ControlsArePlacedRelativeToThePanelAndTakeItsFont)
{
    auto dialog = MakeDialog();
    const int font = dialog->GetFont();
    EXPECT_EQ(renderer->LoadFont("Verdana", 10), font);
    EXPECT_GT(font, 0);
    CStatic* label = dialog->AddStatic(1, "label", 20, 30, 100, 25);
    CButton* button = dialog->AddButton(2, "button", 5, 60, 90, 30, 4);
    EXPECT_EQ(Vector2(70, 80), label->GetScreenPosition());
    EXPECT_EQ(Vector2(70, 80), label->GetCaption()->GetTextPosition());
    EXPECT_EQ(Vector2(55, 110), button->GetScreenPosition());
    EXPECT_EQ(Vector2(90, 30), button->GetSize());
    EXPECT_EQ(4, button->GetTexture());
    EXPECT_EQ(font, label->GetFont());
    EXPECT_EQ(font, label->GetCaption()->GetFont());
    EXPECT_EQ(font, button->GetFont());
    EXPECT_EQ(dialog.get(), label->GetParent());
    EXPECT_EQ(dialog.get(), button->GetParent());
}

TEST_F(DialogTest, WithoutAFontSizeTheControlsUseFontZero)
{
    CDialog dialog(*renderer, 0, 0, 10, 10, 0, "Verdana", 0);
    EXPECT_EQ(0, dialog.GetFont());
    EXPECT_EQ(0, dialog.AddStatic(1, "", 0, 0, 1, 1)->GetFont());
}

TEST_F(DialogTest, FireEventReachesTheCallbackAndReturnsItsResult)
{
    auto dialog = MakeDialog();
    EXPECT_EQ(0, dialog->FireEvent(257, 1));
    std::vector<std::pair<int, int>> seen;
    dialog->SetEventCallback([&](int event, int id) {
        seen.emplace_back(event, id);
        return 17;
    });
    EXPECT_EQ(17, dialog->FireEvent(257, 203));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{257, 203}}), seen);
}

TEST_F(DialogTest, DrawsTheBackgroundTheShadowEdgeAndTheCursor)
{
    auto dialog = MakeDialog();
    dialog->Show();
    Frame(*dialog, 0.02f, 10, -5);
    recording->Clear();
    dialog->Draw(*renderer);
    dialog->DrawCursor(*renderer);

    const auto draws = CallsOf(EDeviceOp::DrawPrimitiveUP);
    ASSERT_EQ(3u, draws.size());
    EXPECT_EQ(static_cast<std::uint32_t>(D3DPT_TRIANGLEFAN), draws[0].Arg(0));
    EXPECT_EQ(Vector2(50, 50), RectCorner(draws[0]));
    EXPECT_EQ(0xA0808080u, FirstVertexColor(draws[0]));

    EXPECT_EQ(static_cast<std::uint32_t>(D3DPT_LINESTRIP), draws[1].Arg(0));
    EXPECT_EQ(2u, draws[1].Arg(1));
    EXPECT_EQ((std::vector<Vector2>{{52.5f, 150.5f}, {250.5f, 150.5f}, {250.5f, 52.5f}}), LinePoints(draws[1]));
    EXPECT_EQ(0x40FFFFFFu, FirstVertexColor(draws[1]));

    // The cursor at (160, 95).
    EXPECT_EQ(static_cast<std::uint32_t>(D3DPT_LINELIST), draws[2].Arg(0));
    EXPECT_EQ(2u, draws[2].Arg(1));
    EXPECT_EQ((std::vector<Vector2>{{160, 99}, {160, 90}, {156, 95}, {165, 95}}), LinePoints(draws[2]));
    EXPECT_EQ(0xFF00FFFFu, FirstVertexColor(draws[2]));
}

TEST_F(DialogTest, FrameAndCursorCanBeSwitchedOffAndAHiddenDialogDrawsNothing)
{
    auto dialog = MakeDialog();
    dialog->Draw(*renderer);
    dialog->DrawCursor(*renderer);
    EXPECT_EQ(0u, Count(EDeviceOp::DrawPrimitiveUP));
    dialog->Show();
    dialog->SetShowFrame(false);
    dialog->Draw(*renderer);
    dialog->DrawCursor(*renderer);
    const auto draws = CallsOf(EDeviceOp::DrawPrimitiveUP);
    ASSERT_EQ(1u, draws.size());
    EXPECT_EQ(static_cast<std::uint32_t>(D3DPT_LINELIST), draws[0].Arg(0));
    dialog->SetShowCursor(false);
    recording->Clear();
    dialog->DrawCursor(*renderer);
    renderer->ClearDrawList();
    dialog->Submit(*renderer);
    EXPECT_EQ(0u, Count(EDeviceOp::DrawPrimitiveUP));
    // Only the panel is queued.
    EXPECT_EQ(1, renderer->GetDrawListCount());
}

TEST_F(DialogTest, InTheGUIViewThePanelAndItsControlsComeBeforeTheCaptions)
{
    auto dialog = MakeDialog();
    dialog->AddStatic(1, "first", 0, 0, 50, 20);
    dialog->AddButton(2, "second", 0, 30, 50, 20, -1);
    CRenderViewGUI view(*renderer, 0);
    view.AddRootNode(dialog.get());
    view.Draw(*renderer);
    EXPECT_EQ(0u, Count(EDeviceOp::DrawPrimitiveUP) + Count(EDeviceOp::DrawText));

    dialog->Show();
    recording->Clear();
    view.Draw(*renderer);
    std::vector<EDeviceOp> ops;
    for (const DeviceCall& call : Calls())
        if (call.op == EDeviceOp::DrawPrimitiveUP || call.op == EDeviceOp::DrawText)
            ops.push_back(call.op);
    // Panel, shadow edge, static, button, both captions, and the cursor over all of them.
    EXPECT_EQ((std::vector<EDeviceOp>{EDeviceOp::DrawPrimitiveUP, EDeviceOp::DrawPrimitiveUP,
                                      EDeviceOp::DrawPrimitiveUP, EDeviceOp::DrawPrimitiveUP,
                                      EDeviceOp::DrawText, EDeviceOp::DrawText, EDeviceOp::DrawPrimitiveUP}),
              ops);
    const auto draws = CallsOf(EDeviceOp::DrawPrimitiveUP);
    EXPECT_EQ(static_cast<std::uint32_t>(D3DPT_LINELIST), draws.back().Arg(0));
    EXPECT_EQ(0xFF00FFFFu, FirstVertexColor(draws.back()));
    EXPECT_TRUE(recording->Errors().empty());

    // The cursor is drawn in a pass of the panel's own effect, begun again after the captions:
    // the shaders in force at the cursor are those of the panel, set after the last caption.
    std::vector<std::uint32_t> shaders;
    std::size_t panelShader = 0, lastCaption = 0, cursorShader = 0;
    for (const DeviceCall& call : Calls())
    {
        if (call.op == EDeviceOp::SetVertexShader)
            shaders.push_back(call.Arg(0));
        else if (call.op == EDeviceOp::DrawText)
            lastCaption = shaders.size();
        else if (call.op == EDeviceOp::DrawPrimitiveUP)
        {
            panelShader = panelShader ? panelShader : shaders.size();
            cursorShader = shaders.size();
        }
    }
    ASSERT_GT(panelShader, 0u);
    EXPECT_GT(cursorShader, lastCaption);
    EXPECT_EQ(shaders[panelShader - 1], shaders[cursorShader - 1]);
}

TEST_F(DialogTest, DestroyingTheDialogDestroysItsControlsAndLeavesTheirCaptionsToTheRegistry)
{
    const int before = GetEntityRegistry().GetCount();
    auto dialog = MakeDialog();
    dialog->AddStatic(1, "a", 0, 0, 10, 10);
    dialog->AddButton(2, "b", 0, 0, 10, 10, -1);
    // The panel, two controls and their captions: the cursor is drawn by the panel, it is no
    // entity that would take an ID of its own.
    EXPECT_EQ(before + 5, GetEntityRegistry().GetCount());
    dialog.reset();
    // The captions are the registry's to delete at exit.
    EXPECT_EQ(before + 2, GetEntityRegistry().GetCount());
}

} // namespace
} // namespace Tess
