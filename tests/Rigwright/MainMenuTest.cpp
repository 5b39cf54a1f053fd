// The part-information panel on the recording device: its layout at 800 x 600 and 1024 x 768,
// the captions with their trailing blanks, the colours, formats and fonts of each kind of
// control, the value texts, and what it does when its texture or font cannot be loaded.

#include "Rendering/RendererTestSupport.h"

#include "Applications/Rigwright/MainMenu.h"
#include "Engine/GUI/Button.h"
#include "Engine/GUI/Static.h"
#include "Engine/Views/RenderViewGUI.h"
#include "Engine/Views/Text.h"

#include <memory>

namespace Tess
{
namespace
{

struct ExpectedControl
{
    int id;
    const char* text;
    // Relative to the panel.
    float x, y, width, height;
};

class MainMenuTest : public Testing::RendererTest
{
protected:
    void SetUp() override
    {
        scratch.Write("Data/Effects/GUI_rect.fx", Testing::SimpleEffect());
        scratch.Write("Data/Effects/GUI_sprite.fx", Testing::SimpleEffect());
    }

    // The menu as the application builds it: 0.675 W, 0.025 H, 0.3 W, 0.95 H of the back buffer.
    std::unique_ptr<CMainMenu> MakeMenu(int width, int height)
    {
        config.windowWidth = static_cast<std::uint32_t>(width);
        config.windowHeight = static_cast<std::uint32_t>(height);
        EXPECT_TRUE(CreateRenderer(width, height));
        const float w = renderer->GetRenderTargetWidth(0), h = renderer->GetRenderTargetHeight(0);
        EXPECT_EQ(static_cast<float>(width), w);
        return std::make_unique<CMainMenu>(*renderer, 0.675f * w, 0.025f * h, 0.3f * w, 0.95f * h, "Comic Sans MS",
                                           14);
    }

    void ExpectLayout(const CMainMenu& menu, const std::vector<ExpectedControl>& expected)
    {
        const Vector2 origin = menu.GetScreenPosition();
        ASSERT_EQ(static_cast<int>(expected.size()), menu.GetChildCount());
        for (std::size_t i = 0; i < expected.size(); ++i)
        {
            const ExpectedControl& e = expected[i];
            SCOPED_TRACE("control " + std::to_string(e.id));
            const CControl* control = menu.GetControl(e.id);
            ASSERT_NE(nullptr, control);
            // Added in this order.
            EXPECT_EQ(control, menu.GetChild(static_cast<int>(i)));
            EXPECT_EQ(e.text, control->GetText());
            EXPECT_NEAR(e.x, control->GetScreenPosition().x - origin.x, 1e-3);
            EXPECT_NEAR(e.y, control->GetScreenPosition().y - origin.y, 1e-3);
            EXPECT_NEAR(e.width, control->GetSize().x, 1e-3);
            EXPECT_NEAR(e.height, control->GetSize().y, 1e-3);
        }
    }
};

TEST_F(MainMenuTest, LayoutAt800By600)
{
    auto menu = MakeMenu(800, 600);
    EXPECT_NEAR(540.0f, menu->GetScreenPosition().x, 1e-3);
    EXPECT_NEAR(15.0f, menu->GetScreenPosition().y, 1e-3);
    EXPECT_NEAR(240.0f, menu->GetSize().x, 1e-3);
    EXPECT_NEAR(570.0f, menu->GetSize().y, 1e-3);
    // d = 20, content 200, caption 30, value 45, description 120, button 90 x 45.
    ExpectLayout(*menu, {
                            {101, "PART NAME:", 20, 0, 160, 30},
                            {102, "***", 20, 30, 200, 45},
                            {103, "MANUFACTURER:", 20, 90, 160, 30},
                            {104, "***", 20, 120, 200, 45},
                            {105, "PART NUMBER: ", 20, 180, 160, 30},
                            {106, "***", 20, 210, 200, 45},
                            {107, "DESCRIPTION: ", 20, 260, 160, 30},
                            {108, "***", 20, 290, 200, 120},
                            {201, "NEXT", 20, 440, 90, 45},
                            {202, "PREVIOUS", 130, 440, 90, 45},
                            {203, "ZOOM IN", 20, 500, 90, 45},
                            {204, "ZOOM OUT", 130, 500, 90, 45},
                        });
}

TEST_F(MainMenuTest, LayoutAt1024By768ScalesPositionsWithTheWidthAndHeightsWithTheHeight)
{
    auto menu = MakeMenu(1024, 768);
    EXPECT_NEAR(691.2f, menu->GetScreenPosition().x, 1e-3);
    EXPECT_NEAR(19.2f, menu->GetScreenPosition().y, 1e-3);
    EXPECT_NEAR(729.6f, menu->GetSize().y, 1e-3);
    // d = 25.6, content 256, caption 38.4, value 57.6, description 153.6, button 115.2 wide.
    ExpectLayout(*menu, {
                            {101, "PART NAME:", 25.6f, 0, 204.8f, 38.4f},
                            {102, "***", 25.6f, 38.4f, 256, 57.6f},
                            {103, "MANUFACTURER:", 25.6f, 115.2f, 204.8f, 38.4f},
                            {104, "***", 25.6f, 153.6f, 256, 57.6f},
                            {105, "PART NUMBER: ", 25.6f, 230.4f, 204.8f, 38.4f},
                            {106, "***", 25.6f, 268.8f, 256, 57.6f},
                            {107, "DESCRIPTION: ", 25.6f, 332.8f, 204.8f, 38.4f},
                            {108, "***", 25.6f, 371.2f, 256, 153.6f},
                            {201, "NEXT", 25.6f, 563.2f, 115.2f, 57.6f},
                            {202, "PREVIOUS", 166.4f, 563.2f, 115.2f, 57.6f},
                            {203, "ZOOM IN", 25.6f, 640, 115.2f, 57.6f},
                            {204, "ZOOM OUT", 166.4f, 640, 115.2f, 57.6f},
                        });
    // The lowest row still ends inside the panel.
    const CControl* zoomOut = menu->GetControl(204);
    EXPECT_LT(zoomOut->GetScreenPosition().y + zoomOut->GetSize().y,
              menu->GetScreenPosition().y + menu->GetSize().y);
}

TEST_F(MainMenuTest, CaptionsValuesAndButtonsTakeTheirColoursFormatsAndFonts)
{
    auto menu = MakeMenu(800, 600);
    const int dialogFont = renderer->LoadFont("Comic Sans MS", 14);
    const int controlFont = renderer->LoadFont("Verdana", 10);
    EXPECT_EQ(dialogFont, menu->GetFont());
    EXPECT_NE(dialogFont, controlFont);
    EXPECT_EQ(0xA0808080u, menu->GetColor());
    EXPECT_FALSE(menu->IsFrameShown());
    EXPECT_FALSE(menu->IsVisible());

    for (int id : {101, 103, 105, 107})
    {
        SCOPED_TRACE(id);
        const auto* caption = dynamic_cast<const CStatic*>(menu->GetControl(id));
        ASSERT_NE(nullptr, caption);
        EXPECT_EQ(nullptr, dynamic_cast<const CButton*>(caption));
        EXPECT_EQ(0x00000000u, caption->GetColor());
        EXPECT_EQ(0xA0FFFFFFu, caption->GetTextColor());
        EXPECT_EQ(static_cast<std::int32_t>(DT_VCENTER), caption->GetTextFormat());
        EXPECT_EQ(controlFont, caption->GetFont());
        EXPECT_EQ(0xA0FFFFFFu, caption->GetCaption()->GetColor());
        EXPECT_EQ(controlFont, caption->GetCaption()->GetFont());
    }
    for (int id : {102, 104, 106, 108})
    {
        SCOPED_TRACE(id);
        const auto* value = dynamic_cast<const CStatic*>(menu->GetControl(id));
        ASSERT_NE(nullptr, value);
        EXPECT_EQ(0x80505050u, value->GetColor());
        EXPECT_EQ(0xA0A0A050u, value->GetTextColor());
        EXPECT_EQ(static_cast<std::int32_t>(DT_WORDBREAK), value->GetCaption()->GetFormat());
        EXPECT_EQ(controlFont, value->GetFont());
    }
    const int texture = renderer->LoadTexture("button_texture_4.dds");
    EXPECT_GE(texture, 0);
    for (int id : {201, 202, 203, 204})
    {
        SCOPED_TRACE(id);
        const auto* button = dynamic_cast<const CButton*>(menu->GetControl(id));
        ASSERT_NE(nullptr, button);
        EXPECT_EQ(0xFF0000FFu, button->GetColor());
        EXPECT_EQ(0x80FFFFFFu, button->GetTextColor());
        EXPECT_EQ(static_cast<std::int32_t>(DT_CENTER | DT_VCENTER), button->GetTextFormat());
        EXPECT_EQ(controlFont, button->GetFont());
        EXPECT_EQ(texture, button->GetTexture());
    }
}

TEST_F(MainMenuTest, PartInformationFillsTheValuesAndTheirCaptions)
{
    auto menu = MakeMenu(800, 600);
    menu->ShowPartInformation("Handwheel", "Rigwright Valve Works", "GV-100-05", "Painted steel handwheel.");
    const int ids[] = {102, 104, 106, 108};
    const char* texts[] = {"Handwheel", "Rigwright Valve Works", "GV-100-05", "Painted steel handwheel."};
    for (int i = 0; i < 4; ++i)
    {
        const auto* value = dynamic_cast<const CStatic*>(menu->GetControl(ids[i]));
        EXPECT_EQ(texts[i], value->GetText());
        EXPECT_EQ(texts[i], value->GetCaption()->GetText());
    }
    // The captions are untouched.
    EXPECT_EQ("PART NUMBER: ", menu->GetControl(105)->GetText());
}

TEST_F(MainMenuTest, MissingTextureAndFontStillBuildEveryControl)
{
    config.failingTextureFiles.insert("button_texture_4.dds");
    config.failingFontFaces.insert("Verdana");
    auto menu = MakeMenu(800, 600);
    EXPECT_EQ(12, menu->GetChildCount());
    EXPECT_EQ(-1, menu->GetControl(201)->GetTexture());
    EXPECT_EQ(0, menu->GetControl(102)->GetFont());
    EXPECT_EQ(0, menu->GetControl(204)->GetFont());
}

TEST_F(MainMenuTest, ShownMenuDrawsItsControlsAndCaptionsButNoFrame)
{
    auto menu = MakeMenu(800, 600);
    menu->Show();
    CRenderViewGUI view(*renderer, 0);
    view.AddRootNode(menu.get());
    recording->Clear();
    view.Draw(*renderer);
    // Eight statics, four buttons and the cursor; no background or edge.
    EXPECT_EQ(13u, Count(EDeviceOp::DrawPrimitiveUP));
    const auto texts = CallsOf(EDeviceOp::DrawText);
    ASSERT_EQ(12u, texts.size());
    EXPECT_EQ("PART NAME:", texts[0].text);
    EXPECT_EQ("ZOOM OUT", texts[11].text);
    EXPECT_TRUE(recording->Errors().empty());
}

} // namespace
} // namespace Tess
