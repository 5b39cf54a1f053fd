#include "RigwrightTestSupport.h"

#include "Applications/Rigwright/Component.h"
#include "Applications/Rigwright/ComponentOutline.h"
#include "Engine/Geometry/IndexBuffer.h"
#include "Engine//Geometry/EdgeMeshBuilder.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Views/RenderViewMain.h"

using namespace Tess;
using namespace TestSupport;

// ---- Quitting --------------------------------------------------------------------------------

TEST_F(RigwrightTest, EscapePostsOneDestroyToTheWindowAndTheViewerQuits)
{
    // Escape goes down before frame 3 and stays down.
    EXPECT_EQ(Run([&](int frame, CRigwright&) {
                  if (frame == 3)
                      input.Press(DIK_ESCAPE);
              }),
              1);
    EXPECT_EQ(Posts(WM_DESTROY), 1);
    // Frame 3 posts; frame 4 follows the destroy; the quit is retrieved before frame 5.
    EXPECT_EQ(frames, 5);
    EXPECT_FALSE(windows.queue.size() > 0);
}

TEST_F(RigwrightTest, SlashQuitsLikeEscape)
{
    Run([&](int frame, CRigwright&) {
        if (frame == 2)
            input.Press(DIK_SLASH);
    });
    EXPECT_EQ(Posts(WM_DESTROY), 1);
    EXPECT_EQ(frames, 4);
}

TEST_F(RigwrightTest, OtherKeysDoNotQuit)
{
    Run(
        [&](int frame, CRigwright&) {
            if (frame == 2)
                input.Press(DIK_W);
            if (frame == 5)
                input.Press(DIK_Q);
        },
        40);
    EXPECT_EQ(Posts(WM_DESTROY), 0);
    EXPECT_EQ(frames, 41);
}

// ---- Scene -------------------------------------------------------------------------------------

TEST_F(RigwrightTest, TheSceneHoldsTheValvePartsWithTheMainPartInFocus)
{
    UseRepositoryData();
    int rootId = -1;
    Run(
        [&](int frame, CRigwright& viewer) {
            // Made at the start of the second frame.
            if (frame == 3)
            {
                for (int i = 0; i < viewer.GetComponentCount(); ++i)
                    EXPECT_TRUE(viewer.GetComponent(i)->GetOutline()->HasGeometry()) << i;
            }
            if (frame != 1)
                return;
            rootId = viewer.GetSceneRoot()->GetID();
            ASSERT_EQ(viewer.GetComponentCount(), 5);
            // Each part hangs from the root with its outline as its first child.
            for (int i = 0; i < viewer.GetComponentCount(); ++i)
            {
                CComponent* part = viewer.GetComponent(i);
                EXPECT_EQ(part->GetParent(), viewer.GetSceneRoot());
                EXPECT_EQ(part->GetChild(0), part->GetOutline());
                EXPECT_TRUE(part->HasGeometry()) << i;
                // The outlines' buffers are made once the first frame is on screen.
                EXPECT_TRUE(part->GetOutline()->HasPendingBuffers()) << i;
                EXPECT_FALSE(part->GetOutline()->HasGeometry()) << i;
                EXPECT_EQ(part->IsSelected(), i == 0);
                EXPECT_FALSE(part->GetPartName().empty());
            }
            EXPECT_EQ(viewer.GetCurrentComponent(), viewer.GetComponent(0));
            EXPECT_EQ(viewer.GetPreviousComponent(), viewer.GetComponent(0));
            // The camera starts under the mouse, on the view that frames the whole equipment; the
            // main part has the view the equipment script gives it.
            EXPECT_TRUE(viewer.IsManualCamera());
            EXPECT_FLOAT_EQ(viewer.GetCamera()->GetPitch(), CRigwright::kStartPitch);
            EXPECT_FLOAT_EQ(viewer.GetCamera()->GetYaw(), CRigwright::kStartYaw);
            EXPECT_LT(viewer.GetCamera()->GetRadius(), 0.0f);
            EXPECT_LT(viewer.GetComponent(0)->GetViewRadius(), 0.0f);
            EXPECT_EQ(viewer.GetComponent(2)->GetPosition(), Vector3(30.0f, 0.0f, 0.0f));
            // The other parts are framed in their own views.
            EXPECT_NEAR(viewer.GetComponent(4)->GetViewTarget().y, 78.0f, 10.0f);
            EXPECT_LT(viewer.GetComponent(4)->GetViewRadius(), 0.0f);
        },
        3);
    EXPECT_EQ(text[0], "Rigwright v1.0.0");

    // The scene report follows the effect loading and precedes the message loop.
    const auto lines = ReadLines("Log.txt");
    const auto at = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) - lines.begin(); };
    const auto root = at("CNode : ID : " + std::to_string(rootId));
    ASSERT_LT(root, static_cast<long>(lines.size())) << "no scene report";
    EXPECT_EQ(lines[root + 1].rfind("+-CNode : ID : ", 0), 0u) << lines[root + 1];
    EXPECT_EQ(lines[root + 2].rfind("| +-CEntity : ID : ", 0), 0u) << lines[root + 2];
    EXPECT_LT(at("         | Effect file :: default_color.fx successfully loaded."), root);
    EXPECT_LT(root, at("Main     | Entering the message loop."));
}

TEST_F(RigwrightTest, WithoutModelsTheViewerRunsAnEmptySceneAndQuitsNormally)
{
    // Only the effects: every model file is missing.
    std::filesystem::create_directories(dir.Path() / "Data");
    std::filesystem::copy(std::filesystem::path(TESS_SOURCE_DIR) / "Data" / "Effects", dir.Path() / "Data" / "Effects");
    bool drawsScene = false;
    EXPECT_EQ(Run(
                  [&](int frame, CRigwright& viewer) {
                      drawsScene = DrawsItsScene(viewer);
                      if (frame == 5)
                          input.Press(DIK_ESCAPE);
                      if (frame == 2)
                      {
                          // The main part stays, empty; the others are left out.
                          ASSERT_EQ(viewer.GetComponentCount(), 1);
                          EXPECT_FALSE(viewer.GetComponent(0)->HasGeometry());
                          EXPECT_FALSE(viewer.GetComponent(0)->GetOutline()->HasGeometry());
                          viewer.SelectNextComponent();
                          EXPECT_EQ(viewer.GetCurrentComponent(), viewer.GetComponent(0));
                      }
                  },
                  50),
              1);
    EXPECT_EQ(frames, 7);
    EXPECT_EQ(graphics.log->Count(EDeviceOp::DrawIndexedPrimitive), 0u);
    EXPECT_EQ(graphics.log->Count(EDeviceOp::Present), 6u);
    EXPECT_EQ(text[2], "TPF: 0");
    EXPECT_TRUE(graphics.log->Errors().empty());
    if (drawsScene)
    {
        EXPECT_GE(graphics.log->Count(EDeviceOp::Clear), 6u) << "the empty scene is still cleared each frame";
    }
}

TEST_F(RigwrightTest, WithoutAGraphicsDeviceTheViewerRunsOnAndQuitsNormally)
{
    UseRepositoryData();
    graphics.config.deviceCreatable = false;
    bool finiteProjection = false;
    EXPECT_EQ(Run(
                  [&](int frame, CRigwright& viewer) {
                      if (frame == 2)
                      {
                          const Matrix4& projection = viewer.GetMainView()->GetProjectionMatrix();
                          finiteProjection = std::isfinite(projection.m[0][0]) && std::isfinite(projection.m[1][1]);
                          input.Press(DIK_W);
                          input.Press(DIK_P);
                      }
                      if (frame == 4)
                          input.Press(DIK_ESCAPE);
                  },
                  50),
              1);
    EXPECT_EQ(frames, 6);
    // The window's shape stands in for the missing back buffer.
    EXPECT_TRUE(finiteProjection);
    EXPECT_EQ(text[2], "TPF: 0");
    EXPECT_EQ(graphics.log->Count(EDeviceOp::Present), 0u);
}

// ---- Statistics and text -----------------------------------------------------------------------

TEST_F(RigwrightTest, TheFirstFrameShowsZeroStatisticsAndLaterFramesThePreviousFramesCounts)
{
    UseRepositoryData();
    std::vector<std::string> afterFirstFrame;
    bool drawsScene = false;
    Run(
        [&](int frame, CRigwright& viewer) {
            drawsScene = DrawsItsScene(viewer);
            if (frame == 2)
                for (int line = 1; line <= 3; ++line)
                    afterFirstFrame.push_back(viewer.GetTextLine(line));
        },
        3);
    EXPECT_EQ(afterFirstFrame, (std::vector<std::string>{"FPS: 0", "TPF: 0", "DPC: 0"}));
    EXPECT_EQ(text[4], "Press 'A' to toggle animated edge displacement");
    EXPECT_EQ(text[5], "Press 'W' to toggle wireframe");
    if (!drawsScene)
        GTEST_SKIP() << "another viewer in this process owns the world root";

    // The first frame draws the five parts; the outlines follow from the second: ten indexed
    // draws a frame from then on.
    const auto draws = graphics.log->CallsOf(EDeviceOp::DrawIndexedPrimitive);
    ASSERT_EQ(draws.size(), 25u);
    std::uint32_t primitives = 0;
    for (std::size_t i = 5; i < 15; ++i)
        primitives += draws[i].Arg(5);
    EXPECT_EQ(text[2], "TPF: " + std::to_string(primitives));
    // Ten draw calls of the scene and those of the part-information panel drawn over it.
    const std::size_t panelDraws = graphics.log->Count(EDeviceOp::DrawPrimitiveUP) / 3;
    EXPECT_EQ(panelDraws, 13u) << "eight statics, four buttons and the cursor";
    EXPECT_EQ(text[3], "DPC: " + std::to_string(10 + panelDraws));
}

TEST_F(RigwrightTest, EightYellowTextLinesAreDrawnInTheTopLeftCornerEveryFrame)
{
    UseRepositoryData();
    Run(nullptr, 2);
    // The text lines are the unclipped yellow ones; the panel's captions draw too.
    std::vector<DeviceCall> texts;
    for (const DeviceCall& call : graphics.log->CallsOf(EDeviceOp::DrawText))
        if (call.Arg(2) == 0x100u && call.Arg(3) == 0xFFFFFF00u)
            texts.push_back(call);
    ASSERT_EQ(texts.size(), 16u);
    // Below the statistics and the two help lines: every other key, and the part in focus.
    EXPECT_EQ(texts[13].text, "Press 'M' for the mouse (drag, wheel) or part camera");
    EXPECT_EQ(texts[14].text, "Press 'P' for a screenshot, 'Escape' to quit");
    EXPECT_EQ(texts[15].text, "Part 1 of 5: Gate valve body");
    for (int i = 0; i < 8; ++i)
    {
        const DeviceCall& call = texts[8 + i];
        EXPECT_EQ(call.text, text[1 + i]);
        EXPECT_EQ(call.rect.left, 10);
        EXPECT_EQ(call.rect.top, 30 + 15 * i);
        EXPECT_EQ(call.rect.right, 110);
        EXPECT_EQ(call.rect.bottom, 60 + 15 * i);
    }
    // The help line sits in the box from (10, 75) to (110, 105) whatever the window size.
    EXPECT_EQ(texts[11].rect.top, 75);
    EXPECT_EQ(texts[11].rect.bottom, 105);
    // Text comes after the scene and before the frame is presented.
    const int lastText = graphics.log->IndexOf(EDeviceOp::DrawText, static_cast<std::size_t>(
                                                                        graphics.log->IndexOf(EDeviceOp::Present) + 1));
    EXPECT_LT(lastText, graphics.log->IndexOf(EDeviceOp::EndScene, static_cast<std::size_t>(lastText)));
}

// ---- Keys --------------------------------------------------------------------------------------

TEST_F(RigwrightTest, HoldingAOrWForManyFramesTogglesOnce)
{
    UseRepositoryData();
    bool animatedAfterHold = false;
    bool wireframeAfterHold = false;
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame == 2)
            {
                input.Press(DIK_A);
                input.Press(DIK_W);
            }
            if (frame == 30)
            {
                animatedAfterHold = viewer.IsAnimatedDisplacement();
                wireframeAfterHold = viewer.IsWireframe();
            }
        },
        30);
    EXPECT_TRUE(animatedAfterHold);
    EXPECT_TRUE(wireframeAfterHold);
    EXPECT_EQ(FillModesSet(), std::vector<std::uint32_t>{D3DFILL_WIREFRAME});
}

TEST_F(RigwrightTest, PressingWTwiceReturnsToSolidFill)
{
    UseRepositoryData();
    std::uint32_t fillAfterFirst = 0;
    Run(
        [&](int frame, CRigwright&) {
            if (frame == 2 || frame == 6)
                input.Press(DIK_W);
            if (frame == 4 || frame == 8)
                input.Release(DIK_W);
            if (frame == 5)
                fillAfterFirst = graphics.Device()->GetRenderState(D3DRS_FILLMODE);
        },
        10);
    EXPECT_EQ(fillAfterFirst, static_cast<std::uint32_t>(D3DFILL_WIREFRAME));
    EXPECT_EQ(FillModesSet(), (std::vector<std::uint32_t>{D3DFILL_WIREFRAME, D3DFILL_SOLID}));
}

TEST_F(RigwrightTest, UnderWireframeTheOutlinesDrawEveryBand)
{
    UseRepositoryData();
    const auto shownTriangles = [](const CRigwright& viewer) {
        return std::stoul(std::string(viewer.GetTextLine(2)).substr(std::string("TPF: ").size()));
    };
    unsigned long solid = 0, wireframe = 0, partsAndEveryBand = 0;
    bool drawsScene = false;
    Run(
        [&](int frame, CRigwright& viewer) {
            drawsScene = DrawsItsScene(viewer);
            if (frame == 3)
            {
                solid = shownTriangles(viewer);
                input.Press(DIK_W);
            }
            if (frame != 6)
                return;
            wireframe = shownTriangles(viewer);
            for (int i = 0; i < viewer.GetComponentCount(); ++i)
            {
                const CComponent& part = *viewer.GetComponent(i);
                partsAndEveryBand += static_cast<unsigned long>(part.GetMesh()->GetTriangleCount()) +
                                     part.GetOutline()->GetIndexBuffer()->GetCapacity() / 3;
            }
        },
        7);
    if (!drawsScene)
        GTEST_SKIP() << "another viewer in this process owns the world root";
    // Filled, the outlines leave out the bands that cannot open from the eye; in wireframe a band
    // at rest still shows its edges, so all of them are drawn.
    EXPECT_LT(solid, partsAndEveryBand);
    EXPECT_GE(wireframe, partsAndEveryBand);
}

TEST_F(RigwrightTest, PSavesOneScreenshotPerPress)
{
    UseRepositoryData();
    Run(
        [&](int frame, CRigwright&) {
            if (frame == 2 || frame == 6)
                input.Press(DIK_P);
            if (frame == 4)
                input.Release(DIK_P);
        },
        10);
    const auto saves = graphics.log->CallsOf(EDeviceOp::SaveSurfaceToFile);
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[0].text, "screen_shot_100001.bmp");
    EXPECT_EQ(saves[1].text, "screen_shot_100002.bmp");
}

TEST_F(RigwrightTest, AScreenshotAskedForInTheFirstFrameShowsTheOutlines)
{
    UseRepositoryData();
    bool drawsScene = false;
    Run(
        [&](int frame, CRigwright& viewer) {
            drawsScene = DrawsItsScene(viewer);
            if (frame == 1)
                input.Press(DIK_P);
        },
        1);
    ASSERT_EQ(graphics.log->CallsOf(EDeviceOp::SaveSurfaceToFile).size(), 1u);
    if (!drawsScene)
        GTEST_SKIP() << "another viewer in this process owns the world root";
    EXPECT_EQ(graphics.log->CallsOf(EDeviceOp::DrawIndexedPrimitive).size(), 10u) << "five parts, five outlines";
}

// ---- The outline displacement ------------------------------------------------------------------

TEST_F(RigwrightTest, TheDisplacementIsStillUntilAAnimatesItWithTheClock)
{
    UseRepositoryData();
    std::vector<float> still;
    std::vector<std::pair<float, float>> animated; // (clock, value)
    Run(
        [&](int frame, CRigwright& viewer) {
            const float value = GetRenderer()->GetViewParameter(0).x;
            EXPECT_EQ(GetRenderer()->GetViewParameter(0).y, 0.0f);
            if (frame >= 2 && frame <= 10)
                still.push_back(value);
            if (frame == 10)
            {
                input.Press(DIK_A);
                frameSeconds = 0.25;
            }
            if (frame >= 12)
                animated.push_back({viewer.GetAnimationClock(), value});
        },
        40);
    for (float value : still)
        EXPECT_FLOAT_EQ(value, 0.1f);
    ASSERT_FALSE(animated.empty());
    float lowest = 10.0f, highest = -10.0f;
    for (const auto& [clockSeconds, value] : animated)
    {
        EXPECT_NEAR(value, std::sin(clockSeconds) + 1.05f, 1e-5f) << "at " << clockSeconds << " s";
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
    }
    // Seven seconds of animation sweep most of the range 0.05 .. 2.05.
    EXPECT_LT(lowest, 0.2f);
    EXPECT_GT(highest, 1.9f);
    EXPECT_NEAR(CRigwright::ComputeDisplacement(true, 3.14159265f * 1.5f), 0.05f, 1e-6f);
    EXPECT_FLOAT_EQ(CRigwright::ComputeDisplacement(false, 1.0f), 0.1f);
}

// ---- Camera and focus --------------------------------------------------------------------------

TEST_F(RigwrightTest, TheMouseOrbitsTheCameraWhileDraggedUntilMHandsItToThePartInTheSameFrame)
{
    UseRepositoryData();
    Run(
        [&](int frame, CRigwright& viewer) {
            CCameraSpherical& camera = *viewer.GetCamera();
            if (frame == 1)
                input.mouse.lX = 100;
            if (frame == 2)
            {
                // A move without a button only steers the panel's cursor.
                EXPECT_FLOAT_EQ(camera.GetYaw(), CRigwright::kStartYaw);
                input.mouse.rgbButtons[CRigwright::kRightButton] = 0x80;
            }
            if (frame == 3)
            {
                // Frame 2 turned the camera by the dragged mouse: 100 counts, 1 radian.
                EXPECT_TRUE(viewer.IsManualCamera());
                EXPECT_NEAR(camera.GetYaw(), CRigwright::kStartYaw + 1.0f, 1e-6f);
                input.mouse.lX = 0;
                input.mouse.rgbButtons[CRigwright::kRightButton] = 0;
                input.Press(DIK_M);
            }
            if (frame == 4)
            {
                // Frame 3 took M: the camera already sits on the main part's view, and stands
                // where that view puts it.
                EXPECT_FALSE(viewer.IsManualCamera());
                ExpectCameraOnView(camera, *viewer.GetCurrentComponent());
                const CComponent& part = *viewer.GetCurrentComponent();
                const float p = part.GetViewPitch(), y = part.GetViewYaw();
                const Vector3 forward(std::cos(p) * std::sin(y), -std::sin(p), std::cos(p) * std::cos(y));
                const Vector3 expected = part.GetViewTarget() + forward * part.GetViewRadius();
                EXPECT_NEAR(camera.GetPosition().x, expected.x, 1e-3f);
                EXPECT_NEAR(camera.GetPosition().y, expected.y, 1e-3f);
                EXPECT_NEAR(camera.GetPosition().z, expected.z, 1e-3f);
                input.mouse.lX = 300;
            }
            // The mouse no longer steers.
            if (frame == 5)
                ExpectCameraOnView(camera, *viewer.GetCurrentComponent());
        },
        5);
}

TEST_F(RigwrightTest, TheGlideRunsLinearlyFromThePreviousPartToTheCurrentOneIn1Point5Seconds)
{
    UseRepositoryData();
    Run(
        [&](int frame, CRigwright& viewer) {
            CCameraSpherical& camera = *viewer.GetCamera();
            CComponent& first = *viewer.GetComponent(0);
            CComponent& second = *viewer.GetComponent(1);
            switch (frame)
            {
            case 2:
                input.Press(DIK_M);
                break;
            case 3:
                viewer.SelectNextComponent();
                EXPECT_EQ(viewer.GetGlideElapsed(), 0.0f);
                // The next frame takes no time: the glide's start.
                frameSeconds = 0.0;
                break;
            case 4:
                ExpectCameraBetween(camera, first, second, 1.0f);
                frameSeconds = 0.75;
                break;
            case 5:
                // Half-way.
                ExpectCameraBetween(camera, first, second, 0.5f);
                break;
            case 6:
                // 1.5 s: the glide is over and the camera rests on the current part.
                EXPECT_FLOAT_EQ(viewer.GetGlideElapsed(), 1.5f);
                ExpectCameraOnView(camera, second);
                frameSeconds = 0.01;
                break;
            case 7:
                ExpectCameraOnView(camera, second);
                break;
            }
        },
        7);
}

TEST_F(RigwrightTest, NextHalfWayRestartsTheGlideFromTheNewPreviousPartsStoredView)
{
    UseRepositoryData();
    Run(
        [&](int frame, CRigwright& viewer) {
            CCameraSpherical& camera = *viewer.GetCamera();
            switch (frame)
            {
            case 2:
                input.Press(DIK_M);
                break;
            case 3:
                viewer.SelectNextComponent();
                frameSeconds = 0.75;
                break;
            case 4:
                // Half-way from part 0 to part 1, then on to part 2.
                ExpectCameraBetween(camera, *viewer.GetComponent(0), *viewer.GetComponent(1), 0.5f);
                viewer.SelectNextComponent();
                EXPECT_EQ(viewer.GetPreviousComponent(), viewer.GetComponent(1));
                frameSeconds = 0.0;
                break;
            case 5:
                // Not from where the camera was, but from part 1's own view.
                ExpectCameraBetween(camera, *viewer.GetComponent(1), *viewer.GetComponent(2), 1.0f);
                break;
            }
        },
        5);
}

TEST_F(RigwrightTest, SwitchingTheMouseBackOffPutsTheCameraOnTheGlideInTheSameFrame)
{
    UseRepositoryData();
    Run(
        [&](int frame, CRigwright& viewer) {
            CCameraSpherical& camera = *viewer.GetCamera();
            if (frame == 2)
            {
                viewer.SelectNextComponent();
                frameSeconds = 0.75;
                input.mouse.lY = 50;
                input.mouse.rgbButtons[CRigwright::kRightButton] = 0x80;
            }
            if (frame == 3)
            {
                // Half-way through the glide, but the mouse has the camera.
                EXPECT_NEAR(camera.GetPitch(), CRigwright::kStartPitch + 0.5f, 1e-6f);
                input.mouse.lY = 0;
                input.mouse.rgbButtons[CRigwright::kRightButton] = 0;
                input.Press(DIK_M);
                frameSeconds = 0.0;
            }
            if (frame == 4)
                ExpectCameraBetween(camera, *viewer.GetComponent(0), *viewer.GetComponent(1), 0.5f);
        },
        4);
}

TEST_F(RigwrightTest, NextAndPreviousWrapAroundTheListAndMoveTheSelection)
{
    UseRepositoryData();
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame != 2)
                return;
            const int count = viewer.GetComponentCount();
            ASSERT_EQ(count, 5);
            viewer.SelectPreviousComponent();
            EXPECT_EQ(viewer.GetCurrentIndex(), count - 1);
            EXPECT_EQ(viewer.GetCurrentComponent(), viewer.GetComponent(count - 1));
            EXPECT_EQ(viewer.GetPreviousComponent(), viewer.GetComponent(0));
            EXPECT_FALSE(viewer.GetComponent(0)->IsSelected());
            EXPECT_TRUE(viewer.GetComponent(count - 1)->IsSelected());

            viewer.SelectNextComponent();
            EXPECT_EQ(viewer.GetCurrentIndex(), 0);
            EXPECT_TRUE(viewer.GetComponent(0)->IsSelected());
            EXPECT_FALSE(viewer.GetComponent(count - 1)->IsSelected());

            for (int i = 0; i < count; ++i)
                viewer.SelectNextComponent();
            EXPECT_EQ(viewer.GetCurrentIndex(), 0);
            int selected = 0;
            for (int i = 0; i < count; ++i)
                selected += viewer.GetComponent(i)->IsSelected() ? 1 : 0;
            EXPECT_EQ(selected, 1);
        },
        2);
}

TEST_F(RigwrightTest, ASingleComponentGlidesToItselfAndTheViewStays)
{
    // The main part alone: the others' model files are missing.
    std::filesystem::create_directories(dir.Path() / "Data" / "Models");
    std::filesystem::copy(std::filesystem::path(TESS_SOURCE_DIR) / "Data" / "Effects", dir.Path() / "Data" / "Effects");
    std::filesystem::copy_file(std::filesystem::path(TESS_SOURCE_DIR) / "Data" / "Models" / "Edge_Mesh.ms3d",
                               dir.Path() / "Data" / "Models" / "Edge_Mesh.ms3d");
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame == 2)
            {
                input.Press(DIK_M);
                // Only the parts that could be loaded are in the list.
                ASSERT_EQ(viewer.GetComponentCount(), 1);
                EXPECT_TRUE(viewer.GetComponent(0)->HasGeometry());
            }
            if (frame == 3)
            {
                const Vector3 before = viewer.GetCamera()->GetPosition();
                viewer.SelectNextComponent();
                viewer.SelectPreviousComponent();
                EXPECT_EQ(viewer.GetCurrentIndex(), 0);
                frameSeconds = 0.75;
                EXPECT_EQ(before, viewer.GetCamera()->GetPosition());
            }
            if (frame == 4)
            {
                // Half-way through the glide from the part's view to itself: on that view.
                ExpectCameraOnView(*viewer.GetCamera(), *viewer.GetComponent(0));
            }
        },
        4);
}

// ---- Shutdown ----------------------------------------------------------------------------------

TEST_F(RigwrightTest, ShutdownWritesTheProfilerReportAndTheExitStatisticsBeforeReleasingInput)
{
    // 250 frames of 10 ms: the window that closed at 2 s counted 99 frames (the closing update
    // of a window is counted in neither).
    clock.stepPerRead = 10;
    Run(nullptr, 250);
    const auto lines = ReadLines("Log.txt");
    const auto at = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) - lines.begin();
    };
    const auto header = at("         |           Tesserant Profiler           ");
    const auto statistics = at("         | FPS at exit: 99 -- TPF at exit: 0 -- DPC at exit: 0");
    ASSERT_LT(statistics, static_cast<long>(lines.size())) << "exit statistics line missing";
    EXPECT_LT(at("Main     | Exiting the message loop."), header);
    EXPECT_LT(header, statistics);
    EXPECT_LT(statistics, at("Input    | Keyboard has been released."));
    EXPECT_LT(at("Input    | Input engine deconstructed."), at("Renderer | Renderer has been destructed."));

    // The frame is record 0, the total; the input phase is a share of it.
    const std::regex frameLine(R"(         \| +[0-9.]+ \| 1\.000000 \| Frame)");
    const std::regex inputLine(R"(         \| +[0-9.]+ \| 0\.[0-9]{6} \| Timer and input)");
    EXPECT_TRUE(std::regex_match(lines[header + 4], frameLine)) << lines[header + 4];
    EXPECT_TRUE(std::regex_match(lines[header + 5], inputLine)) << lines[header + 5];
}

TEST_F(RigwrightTest, ShutdownDeletesTheCameraRootAndViewButThePartsLiveOnInert)
{
    UseRepositoryData();
    CComponent* part = nullptr;
    Run(
        [&](int frame, CRigwright& viewer) {
            if (frame == 1)
                part = viewer.GetComponent(0);
        },
        3);
    ASSERT_NE(part, nullptr);
    // The parts belong to the scene until the registry deletes them at exit; the renderer is
    // gone, and their buffers let go of its device when it went.
    EXPECT_EQ(GetRenderer(), nullptr);
    EXPECT_EQ(part->GetParent(), nullptr) << "the root was deleted";
    EXPECT_TRUE(graphics.log->Errors().empty());
    const std::size_t calls = graphics.log->Calls().size();
    delete part;
    EXPECT_EQ(graphics.log->Calls().size(), calls);
}
