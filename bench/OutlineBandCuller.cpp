// The outline's band culling on the gate valve's bonnet (7,758 bands), prepared as the viewer
// prepares a part: building the culler at start-up, and one frame's selection from an eye
// orbiting the part (the share of bands kept is reported).

#include "Applications/Rigwright/OutlineBandCuller.h"
#include "Engine/Geometry/EdgeMeshBuilder.h"
#include "Engine/Geometry/ModelLoader.h"
#include "Engine/Geometry/TriMesh.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

namespace
{

struct SBonnet
{
    SBonnet()
    {
        mesh.reset(Tess::LoadMeshMS3D(std::string(TESS_SOURCE_DIR) + "/Data/Models/Valve_Bonnet.ms3d"));
        mesh->ComputeNormals();
        Tess::CEdgeMeshBuilder builder(*mesh);
        edges.reset(builder.Build());
        bands = Tess::CEdgeMeshBuilder::DrawnFinIndices(*edges);
    }
    std::unique_ptr<Tess::CTriMesh> mesh;
    std::unique_ptr<Tess::CTriMesh> edges;
    std::vector<std::int32_t> bands;
};

void BM_OutlineBandCuller_Build(benchmark::State& state)
{
    const SBonnet bonnet;
    for (auto _ : state)
    {
        Tess::COutlineBandCuller culler(*bonnet.edges, bonnet.bands);
        benchmark::DoNotOptimize(culler.GetAlwaysDrawnCount());
    }
}

void BM_OutlineBandCuller_SelectPerFrame(benchmark::State& state)
{
    const SBonnet bonnet;
    Tess::COutlineBandCuller culler(*bonnet.edges, bonnet.bands);
    float angle = 0.0f;
    double kept = 0.0, frames = 0.0;
    for (auto _ : state)
    {
        angle += 0.01f;
        const Tess::Vector3 eye(140.0f * std::sin(angle), 40.0f, -140.0f * std::cos(angle));
        kept += static_cast<double>(culler.SelectBands(eye).size() + culler.GetAlwaysDrawnCount());
        frames += 1.0;
    }
    state.counters["kept_share"] = kept / (frames * static_cast<double>(bonnet.bands.size()));
}

} // namespace

BENCHMARK(BM_OutlineBandCuller_Build)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OutlineBandCuller_SelectPerFrame)->Unit(benchmark::kMicrosecond);
