// The viewer with its part-information panel, run through the entry routine on fake platform
// services: the panel is built, shown, filled and drawn over the scene every frame; the fake
// mouse reaches and clicks its buttons (NEXT and PREVIOUS change the focus and glide the camera,
// ZOOM IN and ZOOM OUT glide it closer and further); the part in focus is highlighted; and the
// equipment comes from the configuration script, with the main part alone without one.

#include "RigwrightTestSupport.h"

#include "Applications/Rigwright/Component.h"
#include "Applications/Rigwright/MainMenu.h"
#include "Applications/Rigwright/PartCamera.h"
#include "Engine/GUI/Button.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Views/RenderViewGUI.h"

namespace
{

// The centres of the buttons at 800 x 600 (panel at (540, 15), buttons 90 x 45).
const Vector2 kNextCentre(540 + 20 + 45, 15 + 440 + 22);
const Vector2 kPreviousCentre(540 + 130 + 45, 15 + 440 + 22);
const Vector2 kZoomInCentre(540 + 20 + 45, 15 + 500 + 22);
const Vector2 kZoomOutCentre(540 + 130 + 45, 15 + 500 + 22);

class ViewerPanelTest : public RigwrightTest
{
protected:
    std::string ValueText(CRigwright& viewer, int id) const
    {
        const CControl* control = viewer.GetMainMenu()->GetControl(id);
        return control ? control->GetText() : "<none>";
    }

    // Frame by frame from `first` on: the mouse moves the panel's cursor onto `point`, the left
    // button goes down, then up. Returns true in the frame that follows the release.
    bool ClickAt(int frame, int first, CRigwright& viewer, const Vector2& point)
    {
        if (frame == first)
        {
            const Vector2 cursor = viewer.GetMainMenu()->GetCursor();
            input.mouse.lX = static_cast<int>(point.x - cursor.x);
            input.mouse.lY = static_cast<int>(point.y - cursor.y);
        }
        if (frame == first + 1)
        {
            input.mouse.lX = 0;
            input.mouse.lY = 0;
            input.mouse.rgbButtons[0] = 0x80;
        }
        if (frame == first + 2)
            input.mouse.rgbButtons[0] = 0;
        return frame == first + 3;
    }
};

TEST_F(ViewerPanelTest, PanelIsBuiltShownAndFilledWithTheFirstPartBeforeTheFirstFrame)
{
    UseRepositoryData();
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame != 1)
                return;
            CMainMenu* menu = viewer.GetMainMenu();
            ASSERT_NE(menu, nullptr);
            EXPECT_TRUE(menu->IsVisible());
            EXPECT_NEAR(menu->GetScreenPosition().x, 540.0f, 1e-3f);
            EXPECT_NEAR(menu->GetScreenPosition().y, 15.0f, 1e-3f);
            EXPECT_NEAR(menu->GetSize().x, 240.0f, 1e-3f);
            EXPECT_NEAR(menu->GetSize().y, 570.0f, 1e-3f);
            ASSERT_NE(viewer.GetGUIView(), nullptr);
            EXPECT_EQ(viewer.GetGUIView()->GetRootNode(0), menu);
            EXPECT_EQ(viewer.GetGUIView()->GetClearColor(), 0x00404040u);
            const CComponent& part = *viewer.GetComponent(0);
            EXPECT_EQ(ValueText(viewer, CMainMenu::kPartName), part.GetPartName());
            EXPECT_EQ(ValueText(viewer, CMainMenu::kManufacturer), part.GetManufacturer());
            EXPECT_EQ(ValueText(viewer, CMainMenu::kPartNumber), part.GetPartNumber());
            EXPECT_EQ(ValueText(viewer, CMainMenu::kDescription), part.GetDescription());
            EXPECT_EQ(ValueText(viewer, CMainMenu::kPartName), "Gate valve body");
        },
        1);
}

TEST_F(ViewerPanelTest, PanelIsDrawnOverTheSceneInEveryFrame)
{
    UseRepositoryData();
    bool drawsScene = false;
    Run([&](int, CRigwright& viewer) { drawsScene = DrawsItsScene(viewer); }, 3);
    const auto& calls = graphics.log->Calls();
    // Per frame: the scene's draws, then the panel's rectangles and captions, then the text
    // lines, before the frame ends.
    int frames = 0;
    std::size_t frameStart = 0;
    for (std::size_t i = 0; i < calls.size(); ++i)
    {
        if (calls[i].op != EDeviceOp::EndScene)
            continue;
        ++frames;
        int panelRects = 0, captions = 0;
        std::size_t lastScene = frameStart, firstPanel = i;
        for (std::size_t j = frameStart; j < i; ++j)
        {
            if (calls[j].op == EDeviceOp::DrawIndexedPrimitive)
                lastScene = j;
            if (calls[j].op == EDeviceOp::DrawPrimitiveUP)
            {
                ++panelRects;
                firstPanel = std::min(firstPanel, j);
            }
            if (calls[j].op == EDeviceOp::DrawText && calls[j].text == "NEXT")
                ++captions;
        }
        EXPECT_EQ(panelRects, 13) << "frame " << frames;
        EXPECT_EQ(captions, 1) << "frame " << frames;
        if (drawsScene)
        {
            EXPECT_LT(lastScene, firstPanel) << "frame " << frames;
        }
        frameStart = i + 1;
    }
    EXPECT_EQ(frames, 3);
    EXPECT_TRUE(graphics.log->Errors().empty());
}

TEST_F(ViewerPanelTest, ClickingNextWithTheMouseFocusesTheNextPartAndGlidesTheCameraToIt)
{
    UseRepositoryData();
    bool clicked = false;
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame == 2)
            {
                EXPECT_TRUE(viewer.IsManualCamera());
                EXPECT_EQ(viewer.GetCurrentIndex(), 0);
            }
            if (ClickAt(frame, 2, viewer, kNextCentre))
            {
                clicked = true;
                auto* next = dynamic_cast<CButton*>(viewer.GetMainMenu()->GetControl(CMainMenu::kNext));
                EXPECT_TRUE(next->IsMouseOver());
                // The release fired the click in the last frame.
                EXPECT_EQ(viewer.GetCurrentIndex(), 1);
                EXPECT_EQ(ValueText(viewer, CMainMenu::kPartName), viewer.GetComponent(1)->GetPartName());
                EXPECT_EQ(ValueText(viewer, CMainMenu::kPartNumber), viewer.GetComponent(1)->GetPartNumber());
                EXPECT_FALSE(viewer.IsManualCamera()) << "the camera is handed to the parts";
                EXPECT_LT(viewer.GetGlideElapsed(), 0.02f);
                frameSeconds = 0.75;
            }
            if (frame == 6)
            {
                ExpectCameraBetween(*viewer.GetCamera(), *viewer.GetComponent(0), *viewer.GetComponent(1), 0.5f);
                frameSeconds = 1.0;
            }
            if (frame == 7)
                ExpectCameraOnView(*viewer.GetCamera(), *viewer.GetComponent(1));
        },
        7);
    EXPECT_TRUE(clicked);
}

TEST_F(ViewerPanelTest, PreviousGoesBackAndAPressThatLeavesTheButtonDoesNothing)
{
    UseRepositoryData();
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame == 2)
                viewer.SelectNextComponent();
            if (ClickAt(frame, 3, viewer, kPreviousCentre))
            {
                EXPECT_EQ(viewer.GetCurrentIndex(), 0);
                EXPECT_EQ(ValueText(viewer, CMainMenu::kPartName), viewer.GetComponent(0)->GetPartName());
            }
            // Pressed on NEXT, moved off it, released elsewhere.
            if (frame == 7)
            {
                const Vector2 cursor = viewer.GetMainMenu()->GetCursor();
                input.mouse.lX = static_cast<int>(kNextCentre.x - cursor.x);
                input.mouse.lY = static_cast<int>(kNextCentre.y - cursor.y);
            }
            if (frame == 8)
            {
                input.mouse.lX = 0;
                input.mouse.lY = 0;
                input.mouse.rgbButtons[0] = 0x80;
            }
            if (frame == 9)
                input.mouse.lY = -200;
            if (frame == 10)
            {
                input.mouse.lY = 0;
                input.mouse.rgbButtons[0] = 0;
            }
            if (frame == 12)
            {
                EXPECT_EQ(viewer.GetCurrentIndex(), 0);
            }
        },
        12);
}

TEST_F(ViewerPanelTest, ZoomInAndOutGlideTheCameraCloserToAndFurtherFromThePartInFocus)
{
    UseRepositoryData();
    float radius = 0.0f;
    float startRadius = 0.0f;
    Run(
        [&](int frame, CRigwright& viewer) {
            CComponent& part = *viewer.GetCurrentComponent();
            if (frame == 2)
            {
                radius = part.GetViewRadius();
                startRadius = viewer.GetCamera()->GetRadius();
            }
            if (ClickAt(frame, 2, viewer, kZoomInCentre))
            {
                EXPECT_FALSE(viewer.IsManualCamera());
                EXPECT_NEAR(part.GetViewRadius(), radius * 0.8f, 1e-4f);
                EXPECT_EQ(viewer.GetCurrentIndex(), 0);
                frameSeconds = 0.75;
            }
            if (frame == 6)
            {
                // Half-way from where the camera was (still under the mouse, so at the distance
                // of the starting view) to the nearer view.
                EXPECT_NEAR(viewer.GetCamera()->GetRadius(), (startRadius + radius * 0.8f) * 0.5f, 1e-3f);
                frameSeconds = 1.0;
            }
            if (frame == 7)
            {
                ExpectCameraOnView(*viewer.GetCamera(), part);
                frameSeconds = 0.01;
            }
            if (ClickAt(frame, 7, viewer, kZoomOutCentre))
            {
                EXPECT_NEAR(part.GetViewRadius(), radius, 1e-3f);
                frameSeconds = 2.0;
            }
            if (frame == 12)
            {
                EXPECT_NEAR(viewer.GetCamera()->GetRadius(), radius, 1e-3f);
            }
        },
        12);
}

TEST_F(ViewerPanelTest, ZoomKeepsTheCameraBetweenItsLimitsAndOnItsSideOfThePart)
{
    UseRepositoryData();
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame != 2)
                return;
            CComponent& part = *viewer.GetCurrentComponent();
            const CPartCamera& camera = *viewer.GetPartCamera();
            const float closest = camera.GetClosestDistance(part);
            const float farthest = camera.GetFarthestDistance(part);
            // Limits from the part's size: the body is about 90 units across, the valve 160.
            EXPECT_GT(closest, 5.0f);
            EXPECT_LT(closest, 15.0f);
            EXPECT_GT(farthest, 1500.0f);
            EXPECT_LT(farthest, 4000.0f);
            for (int i = 0; i < 50; ++i)
                viewer.ZoomIn();
            EXPECT_FLOAT_EQ(part.GetViewRadius(), -closest);
            for (int i = 0; i < 50; ++i)
                viewer.ZoomOut();
            EXPECT_FLOAT_EQ(part.GetViewRadius(), -farthest);
            part.SetView(part.GetViewTarget(), 0.0f, 0.0f, 40.0f);
            viewer.ZoomIn();
            EXPECT_FLOAT_EQ(part.GetViewRadius(), 32.0f);
            part.SetView(part.GetViewTarget(), 0.0f, 0.0f, 0.0f);
            viewer.ZoomOut();
            EXPECT_FLOAT_EQ(part.GetViewRadius(), -closest);
        },
        2);
}

TEST_F(ViewerPanelTest, ZoomGlideStartsFromTheCameraAndTurnsTheShortWayRound)
{
    UseRepositoryData();
    float startRadius = 0.0f;
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame == 2)
            {
                startRadius = viewer.GetCamera()->GetRadius();
                // Dragged 6.28 radians of yaw: a whole turn.
                input.mouse.lX = 628;
                input.mouse.rgbButtons[CRigwright::kRightButton] = 0x80;
            }
            if (frame == 3)
            {
                input.mouse.lX = 0;
                input.mouse.rgbButtons[CRigwright::kRightButton] = 0;
                EXPECT_NEAR(viewer.GetCamera()->GetYaw(), CRigwright::kStartYaw + 6.28f, 1e-4f);
                viewer.HandleMenuEvent(CRigwright::kClickEvent, CMainMenu::kZoomIn);
                frameSeconds = 0.0;
            }
            if (frame == 4)
            {
                // The glide starts where the camera is, one whole turn taken off its yaw.
                EXPECT_NEAR(viewer.GetCamera()->GetYaw(), CRigwright::kStartYaw + 6.28f - 2.0f * 3.14159265f, 1e-4f);
                EXPECT_NEAR(viewer.GetCamera()->GetRadius(), startRadius, 1e-4f);
            }
        },
        4);
}

TEST_F(ViewerPanelTest, OtherEventsAndControlsChangeNothing)
{
    UseRepositoryData();
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame != 2)
                return;
            EXPECT_EQ(viewer.HandleMenuEvent(256, CMainMenu::kNext), 0);
            EXPECT_EQ(viewer.HandleMenuEvent(257, CMainMenu::kPartName), 0);
            EXPECT_EQ(viewer.HandleMenuEvent(257, 9999), 0);
            EXPECT_EQ(viewer.GetCurrentIndex(), 0);
            EXPECT_TRUE(viewer.IsManualCamera());
            viewer.HandleMenuEvent(257, CMainMenu::kPrevious);
            EXPECT_EQ(viewer.GetCurrentIndex(), viewer.GetComponentCount() - 1);
        },
        2);
}

TEST_F(ViewerPanelTest, ThePartInFocusIsHighlightedAndTheOthersGoBackToGrey)
{
    UseRepositoryData();
    const Vector4 highlight = CRigwright::GetHighlightColor();
    const Vector4 grey(0.4f, 0.4f, 0.4f, 0.4f);
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame == 2)
            {
                EXPECT_EQ(viewer.GetComponent(0)->GetObjectParameter(0), highlight);
                EXPECT_EQ(viewer.GetComponent(1)->GetObjectParameter(0), grey);
                viewer.SelectNextComponent();
            }
            if (frame == 3)
            {
                EXPECT_EQ(viewer.GetComponent(0)->GetObjectParameter(0), grey);
                EXPECT_EQ(viewer.GetComponent(1)->GetObjectParameter(0), highlight);
            }
        },
        3);
    EXPECT_NE(highlight, grey);
}

// ---- The equipment script ------------------------------------------------------------------

TEST_F(ViewerPanelTest, ScriptPartsBecomeComponentsInOrderWithTextsPositionsAndViews)
{
    UseEquipment(R"(
        AddComponent("Valve_Handwheel.ms3d", "Wheel", "Maker A", "W-1", "Turns the stem.", 0, 78, 0)
        AddComponent("Valve_Flange_Inlet.ms3d", "Flange", "Maker B", "F-2", "Bolts on.", -30, 0, 0,
                     0.1, 0.2, -60)
        AddComponent("Edge_Mesh.ms3d", "Body", "Maker C", "B-3", "Holds it all.", 5, 6, 7,
                     0.1, 0.2, -60, 1, 2, 3)
    )",
                 {"Valve_Handwheel.ms3d", "Valve_Flange_Inlet.ms3d", "Edge_Mesh.ms3d"});
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame != 1)
                return;
            ASSERT_EQ(viewer.GetComponentCount(), 3);
            const CComponent& wheel = *viewer.GetComponent(0);
            const CComponent& flange = *viewer.GetComponent(1);
            const CComponent& body = *viewer.GetComponent(2);
            EXPECT_EQ(wheel.GetPartName(), "Wheel");
            EXPECT_EQ(wheel.GetManufacturer(), "Maker A");
            EXPECT_EQ(flange.GetPartNumber(), "F-2");
            EXPECT_EQ(body.GetDescription(), "Holds it all.");
            EXPECT_EQ(flange.GetPosition(), Vector3(-30, 0, 0));
            EXPECT_EQ(body.GetPosition(), Vector3(5, 6, 7));
            for (int i = 0; i < 3; ++i)
                EXPECT_TRUE(viewer.GetComponent(i)->HasGeometry()) << i;
            // Framed from its box: the centre of the wheel's box in the scene, from its size.
            EXPECT_NEAR(wheel.GetViewTarget().y, 78.35f, 0.05f);
            EXPECT_NEAR(wheel.GetViewTarget().x, 0.0f, 0.05f);
            EXPECT_LT(wheel.GetViewRadius(), -36.0f);
            EXPECT_GT(wheel.GetViewRadius(), -200.0f);
            // The script's view, looking at the box centre...
            EXPECT_FLOAT_EQ(flange.GetViewPitch(), 0.1f);
            EXPECT_FLOAT_EQ(flange.GetViewYaw(), 0.2f);
            EXPECT_FLOAT_EQ(flange.GetViewRadius(), -60.0f);
            EXPECT_NEAR(flange.GetViewTarget().x, -29.8f, 0.05f);
            // ...or at the target it names.
            EXPECT_EQ(body.GetViewTarget(), Vector3(1, 2, 3));
            EXPECT_EQ(ValueText(viewer, CMainMenu::kPartName), "Wheel");
            EXPECT_EQ(viewer.GetSceneRoot()->GetChildCount(), 3);
        },
        1);
}

TEST_F(ViewerPanelTest, APartOfTheTableFormIsTurnedByItsUpAxisAndRotationBeforeItIsFramed)
{
    UseEquipment(R"(
        AddComponent("Valve_Handwheel.ms3d", "Flat", "m", "1", "d", 0, 0, 0)
        AddComponent{ model = "Valve_Handwheel.ms3d", name = "On edge", position = {0, 78, 0}, up = "z",
                      rotation = {0, 0, 90}, scale = 2 }
    )",
                 {"Valve_Handwheel.ms3d"});
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame != 1)
                return;
            ASSERT_EQ(viewer.GetComponentCount(), 2);
            const CTriMesh& flat = *viewer.GetComponent(0)->GetMesh();
            const CTriMesh& turned = *viewer.GetComponent(1)->GetMesh();
            // Z up brings the loaded mesh's -z up; the quarter turn about z then lays that to -x.
            EXPECT_FLOAT_EQ(turned.GetMinX(), 2.0f * flat.GetMinZ());
            EXPECT_FLOAT_EQ(turned.GetMaxY(), 2.0f * flat.GetMaxX());
            EXPECT_FLOAT_EQ(turned.GetMaxZ(), 2.0f * flat.GetMaxY());
            // The framing follows the turned box.
            const Vector3 target = viewer.GetComponent(1)->GetViewTarget();
            EXPECT_NEAR(target.x, turned.GetMinX() / 2.0f + turned.GetMaxX() / 2.0f, 1e-3f);
            EXPECT_NEAR(target.y, 78.0f + turned.GetMinY() / 2.0f + turned.GetMaxY() / 2.0f, 1e-3f);
        },
        1);
}

TEST_F(ViewerPanelTest, PartWithAMissingModelStaysEmptyAndTheOthersWork)
{
    UseEquipment(R"(
        AddComponent("Edge_Mesh.ms3d", "Body", "m", "1", "d", 0, 0, 0)
        AddComponent("Missing_Part.ms3d", "Lost part", "m", "2", "d", 10, 0, 0)
        AddComponent("Valve_Handwheel.ms3d", "Wheel", "m", "3", "d", 0, 78, 0)
    )",
                 {"Edge_Mesh.ms3d", "Valve_Handwheel.ms3d"});
    bool drawsScene = false;
    Run(
        [&](int frame, CRigwright& viewer) {
            drawsScene = DrawsItsScene(viewer);
            if (frame == 1)
            {
                ASSERT_EQ(viewer.GetComponentCount(), 3);
                EXPECT_TRUE(viewer.GetComponent(0)->HasGeometry());
                EXPECT_FALSE(viewer.GetComponent(1)->HasGeometry());
                EXPECT_TRUE(viewer.GetComponent(2)->HasGeometry());
                // The empty part keeps its texts and a view at its position.
                EXPECT_EQ(viewer.GetComponent(1)->GetPartName(), "Lost part");
                EXPECT_EQ(viewer.GetComponent(1)->GetViewTarget(), Vector3(10, 0, 0));
                EXPECT_LT(viewer.GetComponent(1)->GetViewRadius(), 0.0f);
                viewer.SelectNextComponent();
                EXPECT_EQ(ValueText(viewer, CMainMenu::kPartName), "Lost part");
                // The panel says why it is empty, in the log's words, before its description.
                EXPECT_EQ(ValueText(viewer, CMainMenu::kDescription), "Model not read: no such file\nd");
            }
            if (frame == 2)
                viewer.SelectNextComponent();
            if (frame == 3)
            {
                EXPECT_EQ(ValueText(viewer, CMainMenu::kPartName), "Wheel");
                EXPECT_EQ(ValueText(viewer, CMainMenu::kDescription), "d");
            }
        },
        4);
    // Two parts each frame, with their outlines from the second frame: 2 + 3 x 4 draws (none
    // when another viewer in this process owns the world root).
    EXPECT_EQ(graphics.log->Count(EDeviceOp::DrawIndexedPrimitive), drawsScene ? 14u : 0u);
    EXPECT_TRUE(graphics.log->Errors().empty());
}

TEST_F(ViewerPanelTest, WithoutTheScriptTheMainPartStandsAloneWithEmptyTexts)
{
    UseEquipment("", {"Edge_Mesh.ms3d"});
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame != 1)
                return;
            ASSERT_EQ(viewer.GetComponentCount(), 1);
            const CComponent& part = *viewer.GetComponent(0);
            EXPECT_TRUE(part.HasGeometry());
            EXPECT_EQ(part.GetPartName(), "");
            EXPECT_EQ(part.GetDescription(), "");
            // Framed like any part without a view of its own: the camera looks at its centre.
            const CTriMesh& mesh = *part.GetMesh();
            EXPECT_NEAR(part.GetViewTarget().y, (mesh.GetMinY() + mesh.GetMaxY()) * 0.5f, 1e-3f);
            EXPECT_LT(part.GetViewRadius(), 0.0f);
            EXPECT_EQ(ValueText(viewer, CMainMenu::kPartName), "");
            EXPECT_EQ(ValueText(viewer, CMainMenu::kManufacturer), "");
        },
        1);
}

TEST_F(ViewerPanelTest, ScriptThatAddsNoPartGivesTheMainPartAlone)
{
    UseEquipment("-- nothing described yet\n", {"Edge_Mesh.ms3d"});
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame == 1)
            {
                EXPECT_EQ(viewer.GetComponentCount(), 1);
            }
        },
        1);
}

TEST_F(ViewerPanelTest, ScriptWithAnErrorAfterTwoPartsKeepsTheTwo)
{
    UseEquipment(R"(
        AddComponent("Edge_Mesh.ms3d", "First", "m", "1", "d", 0, 0, 0)
        AddComponent("Valve_Handwheel.ms3d", "Second", "m", "2", "d", 0, 78, 0)
        error("a mistake in the description")
        AddComponent("Edge_Mesh.ms3d", "Third", "m", "3", "d", 0, 0, 0)
    )",
                 {"Edge_Mesh.ms3d", "Valve_Handwheel.ms3d"});
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame != 1)
                return;
            ASSERT_EQ(viewer.GetComponentCount(), 2);
            EXPECT_EQ(viewer.GetComponent(0)->GetPartName(), "First");
            EXPECT_EQ(viewer.GetComponent(1)->GetPartName(), "Second");
        },
        1);
    const auto lines = ReadLines("Log.txt");
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Main     | Equipment: Data/Scripts/Equipment_Configuration.lua stopped with an error "
                        "after 2 parts"),
              lines.end());
}

} // namespace
