// The control base and the static label: the strict rectangle test, the defaults the dialog and
// the draw list rely on, and the caption that follows the static's text, rectangle, colour,
// format and font.

#include "GuiTestSupport.h"

#include "Engine/GUI/Control.h"
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
using Testing::RectCorner;

TEST(ControlHitTest, EdgesAreOutsideAndPointsJustInsideAreIn)
{
    CControl control(1, "c", 10, 20, 100, 30);
    EXPECT_FALSE(control.HitTest({10, 25}));      // left edge
    EXPECT_TRUE(control.HitTest({10.5f, 25}));
    EXPECT_FALSE(control.HitTest({110, 25}));     // right edge
    EXPECT_TRUE(control.HitTest({109.9f, 49.9f}));
    EXPECT_FALSE(control.HitTest({50, 20}));      // top edge
    EXPECT_FALSE(control.HitTest({50, 50}));      // bottom edge
    EXPECT_FALSE(control.HitTest({9, 25}));
    EXPECT_FALSE(control.HitTest({50, 51}));
}

TEST(ControlHitTest, ZeroSizeControlContainsNoPoint)
{
    CControl flat(1, "", 10, 20, 0, 30);
    CControl thin(2, "", 10, 20, 100, 0);
    CControl empty(3, "", 10, 20, 0, 0);
    for (const Vector2 point : {Vector2(10, 20), Vector2(10, 25), Vector2(50, 20), Vector2(10.0001f, 20.0001f)})
    {
        EXPECT_FALSE(flat.HitTest(point));
        EXPECT_FALSE(thin.HitTest(point));
        EXPECT_FALSE(empty.HitTest(point));
    }
}

TEST(ControlHitTest, PointInRectIgnoresTheControlItIsCalledOn)
{
    CControl small(1, "", 0, 0, 1, 1);
    CControl large(2, "", -1000, -1000, 5000, 5000);
    const Vector2 corner(10, 20), size(100, 30);
    for (const Vector2 point : {Vector2(10, 25), Vector2(10.5f, 25), Vector2(0.5f, 0.5f), Vector2(60, 40)})
        EXPECT_EQ(small.PointInRect(point, corner, size), large.PointInRect(point, corner, size));
    EXPECT_TRUE(small.PointInRect({60, 40}, corner, size));
    EXPECT_FALSE(large.PointInRect({0.5f, 0.5f}, corner, size));
}

TEST(ControlDefaults, StartVisibleEnabledUnfocusedWithoutParentTextureOrFont)
{
    CControl control(42, "caption", 1, 2, 3, 4);
    EXPECT_EQ(42, control.GetControlID());
    EXPECT_EQ("caption", control.GetText());
    EXPECT_EQ(Vector2(1, 2), control.GetScreenPosition());
    EXPECT_EQ(Vector2(3, 4), control.GetSize());
    EXPECT_TRUE(control.IsVisible());
    EXPECT_TRUE(control.IsEnabled());
    EXPECT_FALSE(control.IsFocused());
    EXPECT_FALSE(control.IsMouseOver());
    EXPECT_FALSE(control.IsPressed());
    EXPECT_EQ(0x800000FFu, control.GetColor());
    EXPECT_EQ(0x80FFFF00u, control.GetTextColor());
    EXPECT_EQ(5, control.GetTextFormat());
    EXPECT_EQ(-1, control.GetTexture());
    EXPECT_EQ(0, control.GetFont());
    EXPECT_EQ(1, control.GetSortKey());
    EXPECT_EQ(nullptr, control.GetParent());
}

TEST(ControlDefaults, FlagSlotsSetAndClearTheirFlags)
{
    CControl control(1, "", 0, 0, 10, 10);
    control.SetMouseOver();
    EXPECT_TRUE(control.IsMouseOver());
    control.ClearMouseOver();
    EXPECT_FALSE(control.IsMouseOver());
    control.SetFocus();
    EXPECT_TRUE(control.IsFocused());
    control.KillFocus();
    EXPECT_FALSE(control.IsFocused());
    control.SetEnabled(false);
    EXPECT_FALSE(control.IsEnabled());
}

class StaticTest : public GuiTest
{
};

TEST_F(StaticTest, ControlIsQueuedWithoutCullingOnceForEverySubmit)
{
    CControl control(1, "", 5000, 5000, 10, 10);
    renderer->ClearDrawList();
    control.Submit(*renderer);
    control.Submit(*renderer);
    EXPECT_EQ(2, renderer->GetDrawListCount());
}

TEST_F(StaticTest, CaptionStartsWithTheTextAndRectangleAndDrawsInTheGUILayer)
{
    CStatic label(7, "PART NAME:", 10.5f, 20, 160, 30);
    CText* caption = label.GetCaption();
    ASSERT_NE(nullptr, caption);
    EXPECT_EQ(caption, label.GetChild(0));
    EXPECT_EQ(&label, caption->GetParent());
    EXPECT_EQ("PART NAME:", caption->GetText());
    EXPECT_EQ(Vector2(10.5f, 20), caption->GetTextPosition());
    EXPECT_EQ(Vector2(160, 30), caption->GetSize());
    EXPECT_EQ(0, caption->GetSortKey());
    EXPECT_EQ(renderer->LoadEffect("GUI_rect.fx"), label.GetResourceHandle(CRenderViewGUI::kLayer));
    EXPECT_EQ(-1, caption->GetResourceHandle(CRenderViewGUI::kLayer));
}

TEST_F(StaticTest, TextRectangleTextColourFormatAndFontGoToTheCaptionButTheFillColourDoesNot)
{
    CStatic label(7, "old", 0, 0, 10, 10);
    // Through the base, as a dialog or the application drives it.
    CControl& control = label;
    control.SetText("new text");
    control.SetPosition({30, 40});
    control.SetSize({200, 45});
    control.SetTextColor(0xA0FFFFFF);
    control.SetTextFormat(DT_WORDBREAK);
    control.SetFont(3);
    control.SetColor(0x80505050);

    const CText& caption = *label.GetCaption();
    EXPECT_EQ("new text", caption.GetText());
    EXPECT_EQ(Vector2(30, 40), caption.GetTextPosition());
    EXPECT_EQ(Vector2(200, 45), caption.GetSize());
    EXPECT_EQ(0xA0FFFFFFu, caption.GetColor());
    EXPECT_EQ(static_cast<std::int32_t>(DT_WORDBREAK), caption.GetFormat());
    EXPECT_EQ(3, caption.GetFont());
    EXPECT_EQ(0x80505050u, label.GetColor());
    // The control keeps the values too.
    EXPECT_EQ("new text", label.GetText());
    EXPECT_EQ(Vector2(30, 40), label.GetScreenPosition());
    EXPECT_EQ(3, label.GetFont());
}

TEST_F(StaticTest, DrawsItsFilledRectangleThenTheCaptionInTheGUIView)
{
    CStatic label(7, "MANUFACTURER:", 40, 50, 160, 30);
    label.SetColor(0x80505050);
    label.SetTextColor(0xA0FFFFFF);
    label.SetTextFormat(DT_VCENTER);
    CRenderViewGUI view(*renderer, 0);
    view.AddRootNode(&label);
    recording->Clear();

    view.Draw(*renderer);

    const auto quads = CallsOf(EDeviceOp::DrawPrimitiveUP);
    ASSERT_EQ(1u, quads.size());
    EXPECT_EQ(static_cast<std::uint32_t>(D3DPT_TRIANGLEFAN), quads[0].Arg(0));
    EXPECT_EQ(Vector2(40, 50), RectCorner(quads[0]));
    EXPECT_EQ(0x80505050u, FirstVertexColor(quads[0]));
    const auto texts = CallsOf(EDeviceOp::DrawText);
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ("MANUFACTURER:", texts[0].text);
    EXPECT_EQ((Rect{40, 50, 200, 80}), texts[0].rect);
    EXPECT_LT(recording->IndexOf(EDeviceOp::DrawPrimitiveUP), recording->IndexOf(EDeviceOp::DrawText));
}

TEST_F(StaticTest, TheCaptionOutlivesTheStaticUntilTheRegistryOrItsOwnerDeletesIt)
{
    const int before = GetEntityRegistry().GetCount();
    auto* label = new CStatic(1, "gone", 0, 0, 10, 10);
    CText* caption = label->GetCaption();
    EXPECT_EQ(before + 2, GetEntityRegistry().GetCount());
    delete label;
    // Parentless and still registered: the registry deletes it at exit.
    EXPECT_EQ(before + 1, GetEntityRegistry().GetCount());
    EXPECT_EQ(nullptr, caption->GetParent());
    // Its one deletion (a second one would be a double free under the sanitizers).
    delete caption;
    EXPECT_EQ(before, GetEntityRegistry().GetCount());
}

TEST_F(StaticTest, CaptionDestroyedElsewhereIsNoLongerReached)
{
    CStatic label(1, "text", 0, 0, 10, 10);
    delete label.GetCaption();
    EXPECT_EQ(nullptr, label.GetCaption());
    // Nothing is left to hand the values to, and nothing fails.
    label.SetText("later");
    label.SetPosition({1, 1});
    EXPECT_EQ("later", label.GetText());
}

} // namespace
} // namespace Tess
