#include "Applications/Rigwright/MainMenu.h"

#include "Engine/GUI/Control.h"
#include "Engine/Rendering/Renderer.h"

namespace Tess
{

namespace
{
constexpr int kCaptionIDs[] = {CMainMenu::kPartNameCaption, CMainMenu::kManufacturerCaption,
                               CMainMenu::kPartNumberCaption, CMainMenu::kDescriptionCaption};
constexpr int kValueIDs[] = {CMainMenu::kPartName, CMainMenu::kManufacturer, CMainMenu::kPartNumber,
                             CMainMenu::kDescription};
constexpr int kButtonIDs[] = {CMainMenu::kNext, CMainMenu::kPrevious, CMainMenu::kZoomIn, CMainMenu::kZoomOut};

const char* const kButtonTexture = "button_texture_4.dds";
const char* const kEmptyValue = "***";
} // namespace

CMainMenu::CMainMenu(CRenderer& renderer, float x, float y, float width, float height, const std::string& fontName,
                     int fontSize)
    : CDialog(renderer, x, y, width, height, kBackgroundColor, fontName, fontSize)
{
    const float screenWidth = renderer.GetRenderTargetWidth(0);
    const float screenHeight = renderer.GetRenderTargetHeight(0);
    // The margin, and the unit of every vertical position.
    const float d = 0.025f * screenWidth;
    const float contentWidth = width - 2.0f * d;
    const float valueHeight = 0.075f * screenHeight;
    AddStatics(d, contentWidth, 0.05f * screenHeight, valueHeight, 0.2f * screenHeight);
    AddButtons(renderer, d, (contentWidth - d) / 2.0f, valueHeight);
    SetColors();
    SetFonts(renderer);
    SetShowFrame(false);
}

CMainMenu::~CMainMenu() = default;

void CMainMenu::AddStatics(float d, float contentWidth, float captionHeight, float valueHeight,
                           float descriptionHeight)
{
    AddStatic(kPartNameCaption, "PART NAME:", d, 0.0f, 8.0f * d, captionHeight);
    AddStatic(kPartName, kEmptyValue, d, 1.5f * d, contentWidth, valueHeight);
    AddStatic(kManufacturerCaption, "MANUFACTURER:", d, 4.5f * d, 8.0f * d, captionHeight);
    AddStatic(kManufacturer, kEmptyValue, d, 6.0f * d, contentWidth, valueHeight);
    AddStatic(kPartNumberCaption, "PART NUMBER: ", d, 9.0f * d, 8.0f * d, captionHeight);
    AddStatic(kPartNumber, kEmptyValue, d, 10.5f * d, contentWidth, valueHeight);
    AddStatic(kDescriptionCaption, "DESCRIPTION: ", d, 13.0f * d, 8.0f * d, captionHeight);
    AddStatic(kDescription, kEmptyValue, d, 14.5f * d, contentWidth, descriptionHeight);
}

void CMainMenu::AddButtons(CRenderer& renderer, float d, float buttonWidth, float buttonHeight)
{
    const int texture = renderer.LoadTexture(kButtonTexture);
    const float width = GetSize().x;
    // The two buttons of a row are a margin apart and end a margin before the right edge.
    const float right = (d + width) / 2.0f;
    AddButton(kNext, "NEXT", d, 22.0f * d, buttonWidth, buttonHeight, texture);
    AddButton(kPrevious, "PREVIOUS", right, 22.0f * d, buttonWidth, buttonHeight, texture);
    AddButton(kZoomIn, "ZOOM IN", d, 25.0f * d, buttonWidth, buttonHeight, texture);
    AddButton(kZoomOut, "ZOOM OUT", right, 25.0f * d, buttonWidth, buttonHeight, texture);
}

void CMainMenu::SetColors()
{
    for (int id : kCaptionIDs)
    {
        CControl* caption = GetControl(id);
        caption->SetColor(kCaptionColor);
        caption->SetTextColor(kCaptionTextColor);
        caption->SetTextFormat(DT_VCENTER);
    }
    for (int id : kValueIDs)
    {
        CControl* value = GetControl(id);
        value->SetColor(kValueColor);
        value->SetTextColor(kValueTextColor);
        value->SetTextFormat(DT_WORDBREAK);
    }
    for (int id : kButtonIDs)
    {
        CControl* button = GetControl(id);
        button->SetColor(kButtonColor);
        button->SetTextColor(kButtonTextColor);
    }
}

void CMainMenu::SetFonts(CRenderer& renderer)
{
    const int staticFont = renderer.LoadFont(kControlFace, kControlFontSize);
    for (int id : kCaptionIDs)
        GetControl(id)->SetFont(staticFont);
    for (int id : kValueIDs)
        GetControl(id)->SetFont(staticFont);
    // The same face and size again: the renderer hands back the same font.
    const int buttonFont = renderer.LoadFont(kControlFace, kControlFontSize);
    for (int id : kButtonIDs)
        GetControl(id)->SetFont(buttonFont);
}

void CMainMenu::ShowPartInformation(const std::string& partName, const std::string& manufacturer,
                                    const std::string& partNumber, const std::string& description,
                                    const std::string& modelProblem)
{
    SetValueText(kPartName, partName);
    SetValueText(kManufacturer, manufacturer);
    SetValueText(kPartNumber, partNumber);
    // An empty part looks like a part out of view; the panel is where the user looks for why.
    if (modelProblem.empty())
    {
        SetValueText(kDescription, description);
        return;
    }
    const std::string problem = "Model not read: " + modelProblem;
    SetValueText(kDescription, description.empty() ? problem : problem + "\n" + description);
}

void CMainMenu::SetValueText(int controlID, const std::string& text)
{
    if (CControl* value = GetControl(controlID))
        value->SetText(text);
}

bool CMainMenu::IsCursorOnButton() const
{
    for (int id : {kNext, kPrevious, kZoomIn, kZoomOut})
    {
        const CControl* button = GetControl(id);
        if (button && button->IsVisible() && button->HitTest(GetCursor()))
            return true;
    }
    return false;
}

} // namespace Tess
