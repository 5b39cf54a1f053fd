// Screen text on the recording device: its rectangle in whole pixels, its defaults and setters,
// queued whatever the frustum, and an empty or hidden text drawing nothing.

#include "ViewsTestSupport.h"

#include "Engine/Views/Text.h"

namespace Tess
{
namespace
{

using Testing::ViewTest;

class TextTest : public ViewTest
{
protected:
    // Submits the text and flushes it as the GUI view does.
    void DrawThroughList(CText& text)
    {
        renderer->ClearDrawList();
        text.Submit(*renderer);
        renderer->FlushDrawList(0, 14);
    }
};

TEST_F(TextTest, RectangleEdgesAreTruncatedToWholePixels)
{
    CText text("Gearbox", 10.7f, 20.2f, 100.6f, 30.5f);
    DrawThroughList(text);
    const auto calls = CallsOf(EDeviceOp::DrawText);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ((Rect{10, 20, 111, 50}), calls[0].rect);
    EXPECT_EQ("Gearbox", calls[0].text);
    // The whole string, zero-terminated.
    EXPECT_EQ(0xFFFFFFFFu, calls[0].Arg(1));
}

TEST_F(TextTest, DrawsHalfTransparentYellowCentredWithTheDefaultFont)
{
    CText text("Pump", 0, 0, 50, 10);
    EXPECT_EQ(0, text.GetSortKey());
    DrawThroughList(text);
    const int bigger = renderer->LoadFont("Courier New", 20);
    ASSERT_EQ(1, bigger);
    text.SetFont(bigger);
    DrawThroughList(text);

    const auto calls = CallsOf(EDeviceOp::DrawText);
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(0x80FFFF00u, calls[0].Arg(3));
    EXPECT_EQ(DT_CENTER | DT_VCENTER, calls[0].Arg(2));
    EXPECT_NE(calls[0].Arg(0), calls[1].Arg(0)) << "font 0 and font 1 are different device fonts";
    EXPECT_TRUE(Device().Errors().empty());
}

TEST_F(TextTest, SettersTakeEffectAtTheNextDraw)
{
    CText text("old", 0, 0, 10, 10);
    text.SetText("Hydraulic valve");
    text.SetPosition({5, 6});
    text.SetSize({200, 40});
    text.SetColor(0xFF102030);
    text.SetFormat(DT_LEFT | DT_NOCLIP);
    DrawThroughList(text);

    const auto calls = CallsOf(EDeviceOp::DrawText);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("Hydraulic valve", calls[0].text);
    EXPECT_EQ((Rect{5, 6, 205, 46}), calls[0].rect);
    EXPECT_EQ(0xFF102030u, calls[0].Arg(3));
    EXPECT_EQ(DT_NOCLIP, calls[0].Arg(2));
}

TEST_F(TextTest, IsQueuedWhereverTheCameraLooks)
{
    // Looking away from the origin, where every entity's bounds start.
    renderer->SetProjectionMatrix(MatrixPerspectiveFovLH(0.7853982f, 4.0f / 3.0f, 1.0f, 2000.0f));
    renderer->SetViewMatrix(MatrixLookAtLH({0, 0, 100}, {0, 0, 200}, {0, 1, 0}), {0, 0, 100});
    CEntity plain;
    CText text("caption", 10, 10, 100, 20);
    ASSERT_FALSE(renderer->IsSphereVisible(text.GetBounds()));
    plain.Submit(*renderer);
    EXPECT_EQ(0, renderer->GetDrawListCount());
    text.Submit(*renderer);
    EXPECT_EQ(1, renderer->GetDrawListCount());
}

TEST_F(TextTest, EmptyTextDrawsNothingAndDoesNotFail)
{
    CText text("", 10, 10, 100, 20);
    DrawThroughList(text);
    const auto calls = CallsOf(EDeviceOp::DrawText);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ("", calls[0].text);
    EXPECT_EQ(0, renderer->DrawText("", {10, 10}, {100, 20}, 0xFFFFFFFF, 0, 0));
    EXPECT_TRUE(Device().Errors().empty());
}

TEST_F(TextTest, HiddenTextDrawsNothing)
{
    CText text("hidden", 10, 10, 100, 20);
    text.SetNoDraw(true);
    DrawThroughList(text);
    EXPECT_EQ(0u, Count(EDeviceOp::DrawText));
    text.SetNoDraw(false);
    DrawThroughList(text);
    EXPECT_EQ(1u, Count(EDeviceOp::DrawText));
}

} // namespace
} // namespace Tess
