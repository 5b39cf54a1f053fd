// The button in a dialog, driven frame by frame with a fake mouse and a hand-set clock: the fade
// between 0.7 and 1.0 and the alpha bytes it writes, the click latch that fires 257 on a release
// inside, the hidden button, and the one-pixel shift of the sprite and its caption.

#include "GuiTestSupport.h"

#include "Engine/GUI/Button.h"
#include "Engine/Views/RenderViewGUI.h"
#include "Engine/Views/Text.h"

namespace Tess
{
namespace
{

using Testing::FirstVertexColor;
using Testing::GuiTest;
using Testing::RectCorner;

constexpr int kButtonID = 201;

class ButtonTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        texture = renderer->LoadTexture("button_texture_4.dds");
        dialog = std::make_unique<CDialog>(*renderer, 0, 0, 400, 300, 0xA0808080, "", 0);
        // The button spans (100, 100) .. (200, 140).
        button = dialog->AddButton(kButtonID, "NEXT", 100, 100, 100, 40, texture);
        button->SetColor(0x000000FF);
        button->SetTextColor(0x00FFFFFF);
        Listen(*dialog);
        dialog->Show();
        // The cursor starts at the centre of the panel, (200, 150): outside the button.
    }

    const Vector2 inside{150, 120};
    const Vector2 elsewhere{300, 250};
    int texture = -1;
    std::unique_ptr<CDialog> dialog;
    CButton* button = nullptr;
};

TEST_F(ButtonTest, RestingButtonSettlesAtSevenTenthsOnItsFirstFrame)
{
    EXPECT_FLOAT_EQ(0.4f, button->GetAlpha());
    Frame(*dialog, 0.01f);
    EXPECT_FLOAT_EQ(0.7f, button->GetAlpha());
    // 0.7 x 255 = 178.5, truncated to 0xB2, in the colour and the text colour alike.
    EXPECT_EQ(0xB20000FFu, button->GetColor());
    EXPECT_EQ(0xB2FFFFFFu, button->GetTextColor());
    EXPECT_EQ(0xB2FFFFFFu, button->GetCaption()->GetColor());
    for (int i = 0; i < 10; ++i)
        Frame(*dialog, 0.05f);
    EXPECT_FLOAT_EQ(0.7f, button->GetAlpha());
}

TEST_F(ButtonTest, HoveringRaisesTheAlphaByTheFrameTimeUpToOne)
{
    Frame(*dialog, 0.01f);
    FrameWithCursorAt(*dialog, inside, 0.02f);
    for (int i = 0; i < 4; ++i)
        Frame(*dialog, 0.02f);
    // Five hovered frames of 0.02 s.
    EXPECT_NEAR(0.8f, button->GetAlpha(), 1e-5f);
    EXPECT_TRUE(button->IsMouseOver());
    // Fifteen frames of 0.02 s sum to a hair under the 0.3 s they make in exact arithmetic; the
    // next frame takes the alpha to one and it stays there.
    for (int i = 0; i < 10; ++i)
        Frame(*dialog, 0.02f);
    EXPECT_NEAR(1.0f, button->GetAlpha(), 1e-5f);
    Frame(*dialog, 0.02f);
    EXPECT_EQ(1.0f, button->GetAlpha());
    EXPECT_EQ(0xFF0000FFu, button->GetColor());
    EXPECT_EQ(0xFFFFFFFFu, button->GetCaption()->GetColor());
    Frame(*dialog, 0.5f);
    EXPECT_EQ(1.0f, button->GetAlpha());
}

TEST_F(ButtonTest, TheRiseIsTheFrameTimeAddedUpToOneWithNothingRoundedUp)
{
    Frame(*dialog, 0.01f);
    // 0.7 + 0.29995 stays below one: 254.99 truncates to 254, not 255.
    FrameWithCursorAt(*dialog, inside, 0.29995f);
    EXPECT_LT(button->GetAlpha(), 1.0f);
    EXPECT_EQ(0xFE0000FFu, button->GetColor());
    EXPECT_EQ(0xFEFFFFFFu, button->GetCaption()->GetColor());
    Frame(*dialog, 0.0001f);
    EXPECT_EQ(1.0f, button->GetAlpha());
    EXPECT_EQ(0xFF0000FFu, button->GetColor());
}

TEST_F(ButtonTest, LeavingLowersTheAlphaByTheFrameTimeDownToSevenTenths)
{
    FrameWithCursorAt(*dialog, inside, 0.5f);
    Frame(*dialog, 0.5f);
    ASSERT_FLOAT_EQ(1.0f, button->GetAlpha());
    FrameWithCursorAt(*dialog, elsewhere, 0.1f);
    EXPECT_NEAR(0.9f, button->GetAlpha(), 1e-5f);
    EXPECT_FALSE(button->IsMouseOver());
    Frame(*dialog, 0.1f);
    Frame(*dialog, 0.1f);
    EXPECT_NEAR(0.7f, button->GetAlpha(), 1e-5f);
    Frame(*dialog, 0.1f);
    Frame(*dialog, 0.1f);
    EXPECT_FLOAT_EQ(0.7f, button->GetAlpha());
}

TEST_F(ButtonTest, ALongFrameAfterHoverFloorsTheAlphaAtZeroForThatFrame)
{
    FrameWithCursorAt(*dialog, inside, 0.5f);
    Frame(*dialog, 0.5f);
    ASSERT_FLOAT_EQ(1.0f, button->GetAlpha());
    // 1.0 - 1.5 would be -0.5; its alpha byte is a float-cast overflow under UBSan.
    FrameWithCursorAt(*dialog, elsewhere, 1.5f);
    EXPECT_FLOAT_EQ(0.0f, button->GetAlpha());
    EXPECT_EQ(0x000000FFu, button->GetColor());
    EXPECT_EQ(0x00FFFFFFu, button->GetCaption()->GetColor());
    Frame(*dialog, 1.5f);
    EXPECT_FLOAT_EQ(0.7f, button->GetAlpha());
}

TEST_F(ButtonTest, PressAndReleaseInsideFiresOnceInTheFrameOfTheRelease)
{
    FrameWithCursorAt(*dialog, inside);
    PressLeft();
    Frame(*dialog, 0.02f);
    EXPECT_TRUE(button->IsPressed());
    Frame(*dialog, 0.02f);
    EXPECT_TRUE(events.empty());
    ReleaseLeft();
    Frame(*dialog, 0.02f);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{257, kButtonID}}), events);
    EXPECT_FALSE(button->IsPressed());
    Frame(*dialog, 0.02f);
    Frame(*dialog, 0.02f);
    EXPECT_EQ(1u, events.size());
}

TEST_F(ButtonTest, LeavingWhilePressedCancelsTheClick)
{
    FrameWithCursorAt(*dialog, inside);
    PressLeft();
    Frame(*dialog, 0.02f);
    FrameWithCursorAt(*dialog, elsewhere);
    EXPECT_FALSE(button->IsPressed());
    ReleaseLeft();
    Frame(*dialog, 0.02f);
    // Back inside with the button up: nothing is pending any more.
    FrameWithCursorAt(*dialog, inside);
    Frame(*dialog, 0.02f);
    EXPECT_TRUE(events.empty());
}

TEST_F(ButtonTest, PressBegunOutsideCountsFromTheFirstFrameInside)
{
    PressLeft();
    Frame(*dialog, 0.02f);
    FrameWithCursorAt(*dialog, inside);
    EXPECT_TRUE(button->IsPressed());
    ReleaseLeft();
    Frame(*dialog, 0.02f);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{257, kButtonID}}), events);
}

TEST_F(ButtonTest, HiddenButtonNeitherFadesNorFires)
{
    Frame(*dialog, 0.01f);
    button->SetVisible(false);
    FrameWithCursorAt(*dialog, inside);
    PressLeft();
    Frame(*dialog, 0.02f);
    ReleaseLeft();
    Frame(*dialog, 0.02f);
    EXPECT_TRUE(events.empty());
    EXPECT_FLOAT_EQ(0.7f, button->GetAlpha());
    EXPECT_FALSE(button->IsPressed());

    // It is still submitted and drawn: only a dialog's visibility hides its controls.
    CRenderViewGUI view(*renderer, 0);
    view.AddRootNode(dialog.get());
    recording->Clear();
    view.Draw(*renderer);
    EXPECT_EQ(1u, Count(EDeviceOp::DrawText));
}

TEST_F(ButtonTest, ButtonOutsideADialogDoesNothingOnUpdate)
{
    CButton loose(9, "loose", 0, 0, 10, 10, texture);
    Frame(*dialog, 0.1f);
    loose.Update(*timer);
    EXPECT_FLOAT_EQ(0.4f, loose.GetAlpha());
}

class ButtonDrawTest : public ButtonTest
{
protected:
    // Draws the dialog through a GUI view and returns the sprite's corner and the caption's
    // rectangle.
    std::pair<Vector2, Rect> DrawButton()
    {
        CRenderViewGUI view(*renderer, 0);
        view.AddRootNode(dialog.get());
        dialog->SetShowFrame(false);
        dialog->SetShowCursor(false);
        recording->Clear();
        view.Draw(*renderer);
        const auto sprites = CallsOf(EDeviceOp::DrawPrimitiveUP);
        const auto texts = CallsOf(EDeviceOp::DrawText);
        EXPECT_EQ(1u, sprites.size());
        EXPECT_EQ(1u, texts.size());
        if (sprites.empty() || texts.empty())
            return {};
        return {RectCorner(sprites[0]), texts[0].rect};
    }
};

TEST_F(ButtonDrawTest, RestingButtonAndCaptionSitOnePixelRightAndDown)
{
    Frame(*dialog, 0.02f);
    const auto [corner, text] = DrawButton();
    EXPECT_EQ(Vector2(101, 101), corner);
    EXPECT_EQ((Rect{101, 101, 201, 141}), text);
}

TEST_F(ButtonDrawTest, HoveredButtonStandsOnItsPosition)
{
    FrameWithCursorAt(*dialog, inside);
    const auto [corner, text] = DrawButton();
    EXPECT_EQ(Vector2(100, 100), corner);
    EXPECT_EQ((Rect{100, 100, 200, 140}), text);
}

TEST_F(ButtonDrawTest, PressedButtonGoesBackDown)
{
    FrameWithCursorAt(*dialog, inside);
    PressLeft();
    Frame(*dialog, 0.02f);
    const auto [corner, text] = DrawButton();
    EXPECT_EQ(Vector2(101, 101), corner);
    EXPECT_EQ((Rect{101, 101, 201, 141}), text);
}

TEST_F(ButtonDrawTest, SpriteUsesTheButtonTextureAndFadedColourInTheSpriteEffect)
{
    FrameWithCursorAt(*dialog, inside, 0.5f);
    Frame(*dialog, 0.5f);
    DrawButton();
    const auto sprites = CallsOf(EDeviceOp::DrawPrimitiveUP);
    ASSERT_EQ(1u, sprites.size());
    EXPECT_EQ(0xFF0000FFu, FirstVertexColor(sprites[0]));
    // Textured: the far corner carries texture coordinates (1, 1).
    const std::vector<float> floats = sprites[0].Floats();
    ASSERT_EQ(28u, floats.size());
    EXPECT_FLOAT_EQ(1.0f, floats[2 * 7 + 5]);
    EXPECT_FLOAT_EQ(1.0f, floats[2 * 7 + 6]);
    EXPECT_EQ(renderer->GetTexture(texture), renderer->GetTextureParameter(EFFECT_PARAMETER_COLOR_MAP0));
    EXPECT_EQ(renderer->LoadEffect("GUI_sprite.fx"), button->GetResourceHandle(CRenderViewGUI::kLayer));
    EXPECT_TRUE(recording->Errors().empty());
}

} // namespace
} // namespace Tess
