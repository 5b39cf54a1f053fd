#pragma once
// CMainMenu: the viewer's part-information panel, a dialog along the right edge of the screen.
// Four captions ("PART NAME:", "MANUFACTURER:", "PART NUMBER: ", "DESCRIPTION: ") each sit above
// a value static that the application fills with the texts of the part in focus, and four
// textured buttons below them ("NEXT", "PREVIOUS", "ZOOM IN", "ZOOM OUT") report their clicks
// through the dialog's event callback. Beyond its layout the menu has no behaviour of its own.
//
// Vertical positions scale with the screen width (the margin d is 2.5 % of it) and heights with
// the screen height, as the layout was drawn for a 4:3 screen.

#include "Engine/GUI/Dialog.h"

#include <string>

namespace Tess
{

class CMainMenu : public CDialog
{
public:
    // The face and size of the controls' texts.
    static constexpr const char* kControlFace = "Verdana";
    static constexpr int kControlFontSize = 10;

    // Control IDs.
    static constexpr int kPartNameCaption = 101;
    static constexpr int kPartName = 102;
    static constexpr int kManufacturerCaption = 103;
    static constexpr int kManufacturer = 104;
    static constexpr int kPartNumberCaption = 105;
    static constexpr int kPartNumber = 106;
    static constexpr int kDescriptionCaption = 107;
    static constexpr int kDescription = 108;
    static constexpr int kNext = 201;
    static constexpr int kPrevious = 202;
    static constexpr int kZoomIn = 203;
    static constexpr int kZoomOut = 204;

    static constexpr Color kBackgroundColor = 0xA0808080;
    static constexpr Color kCaptionColor = 0x00000000;
    static constexpr Color kValueColor = 0x80505050;
    static constexpr Color kButtonColor = 0xFF0000FF;
    static constexpr Color kCaptionTextColor = 0xA0FFFFFF;
    static constexpr Color kValueTextColor = 0xA0A0A050;
    static constexpr Color kButtonTextColor = 0x80FFFFFF;

    // The panel at (x, y) of width x height pixels, with the dialog font `fontName` at
    // `fontSize`; the controls are laid out against the size of the renderer's render target 0.
    CMainMenu(CRenderer& renderer, float x, float y, float width, float height, const std::string& fontName,
              int fontSize);
    ~CMainMenu() override;

    // Fills the four value statics. A part whose model could not be read says so (with
    // `modelProblem`, the reason) on the first line of its description box.
    void ShowPartInformation(const std::string& partName, const std::string& manufacturer,
                             const std::string& partNumber, const std::string& description,
                             const std::string& modelProblem = {});

    // The panel's cursor is over one of the four buttons.
    bool IsCursorOnButton() const;

private:
    void AddStatics(float d, float contentWidth, float captionHeight, float valueHeight, float descriptionHeight);
    void AddButtons(CRenderer& renderer, float d, float buttonWidth, float buttonHeight);
    void SetColors();
    void SetFonts(CRenderer& renderer);
    void SetValueText(int controlID, const std::string& text);
};

} // namespace Tess
