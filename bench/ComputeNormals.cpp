// CTriMesh::ComputeNormals on the largest model a file holds (65,535 triangles).

#include "GeneratedModels.h"

#include "Engine/Geometry/ModelLoader.h"
#include "Engine/Geometry/TriMesh.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{

void BM_ComputeNormals_65535Triangles(benchmark::State& state)
{
    const std::vector<std::uint8_t> bytes = GeometryBench::LargestModel();
    std::unique_ptr<Tess::CTriMesh> mesh(Tess::LoadMeshMS3DFromMemory(bytes.data(), bytes.size()));
    for (auto _ : state)
        mesh->ComputeNormals();
    state.counters["triangles"] = mesh->GetTriangleCount();
}

} // namespace

BENCHMARK(BM_ComputeNormals_65535Triangles)->Unit(benchmark::kMillisecond);
