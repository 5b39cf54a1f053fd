// The viewer's frame step on the recording graphics device: the whole CRigwright::Update of the
// gate valve (timer and input, camera, scene update, text, the main view's draw list with five
// parts and their outlines, the text lines, presentation on a device that draws nothing), driven
// through the real entry routine on fake platform services. One iteration is one frame.
//
// The scene draws only when its root is the process's first entity, so each variant must run in
// a process of its own:
//   bench_FrameStep --benchmark_filter=BM_FrameStep/still
//   bench_FrameStep --benchmark_filter=BM_FrameStep/animated

#include "Applications/Rigwright/Rigwright.h"
#include "Engine/Platform/KeyCodes.h"
#include "Engine/Platform/Platform.h"
#include "Support/RecordingDevice.h"
#include "Engine/Rendering/Renderer.h"
#include "Engine/Scene/Node.h"
#include "tests/Support/FakeClock.h"
#include "tests/Support/FakeInput.h"
#include "tests/Support/FakeWindowSystem.h"
#include "tests/Support/PlatformOverride.h"
#include "tests/Support/TempWorkDir.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace
{
using namespace Tess;
using namespace TestSupport;

constexpr int kFrames = 3000;

void RunFrames(benchmark::State& state, bool animated)
{
    TempWorkDir dir;
    std::filesystem::create_directory_symlink(std::filesystem::path(TESS_SOURCE_DIR) / "Data", dir.Path() / "Data");
    FakeWindowSystem windows;
    FakeClock clock;
    FakeInputState input;
    auto recording = std::make_shared<CRecordingLog>();
    RecordingConfig config;
    config.texturesAlwaysLoad = true;
    PlatformOverride platform(MakeFakePlatform(windows, clock, input, [&](std::uint32_t) -> std::unique_ptr<IGraphicsSystem> {
        return std::make_unique<CRecordingSystem>(config, recording);
    }));

    CRigwright viewer;
    bool drawsScene = true;
    bool finished = false;
    int primitives = 0;
    int drawCalls = 0;
    windows.beforePeek = [&](int frame) {
        if (finished)
            return;
        // The record of device calls grows with every frame; emptying it is not the frame's work.
        if (frame > 1)
            state.PauseTiming();
        recording->Clear();
        clock.Advance(0.016);
        primitives = GetRenderer()->GetPrimitiveCount();
        drawCalls = GetRenderer()->GetDrawCallCount();
        if (frame == 1)
            drawsScene = CEntity::GetWorldRoot() == viewer.GetSceneRoot();
        input.keys[DIK_A] = animated && frame == 1 ? 0x80 : 0;
        if (frame > 1)
            state.ResumeTiming();
        finished = !drawsScene || !state.KeepRunning();
        if (finished)
            windows.PostQuitMessage(0);
    };
    WinMain(GetCurrentInstance(), nullptr, nullptr, 0);
    if (!drawsScene)
    {
        state.SkipWithError("the scene draws only in a process of its own: use --benchmark_filter");
        return;
    }
    state.counters["primitives"] = primitives;
    state.counters["draw_calls"] = drawCalls;
}

void BM_FrameStepStill(benchmark::State& state)
{
    RunFrames(state, false);
}

void BM_FrameStepAnimated(benchmark::State& state)
{
    RunFrames(state, true);
}

BENCHMARK(BM_FrameStepStill)->Name("BM_FrameStep/still")->Iterations(kFrames)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameStepAnimated)->Name("BM_FrameStep/animated")->Iterations(kFrames)->Unit(benchmark::kMicrosecond);

} // namespace
