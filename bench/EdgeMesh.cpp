// The outline edge mesh: the quadratic reference against the builder at 1k, 4k and 16k triangles,
// the builder alone at 65,535 and on a 200,000-triangle soup (an STL's layout), both on the
// third-party models, and the builder on two real CAD exports from ../shared/real-models
// (skipped with a message when that folder is absent). Meshes are prepared as the viewer prepares
// a part: loaded, then normals recomputed.

#include "GeneratedModels.h"
#include "tests/Geometry/ReferenceEdgeMesh.h"

#include "Engine/Geometry/MeshFile.h"
#include "Engine/Geometry/ModelLoader.h"
#include "Engine/Geometry/TriMesh.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace
{

using MeshPtr = std::unique_ptr<Tess::CTriMesh>;

MeshPtr Prepared(const std::vector<std::uint8_t>& bytes)
{
    MeshPtr mesh(Tess::LoadMeshMS3DFromMemory(bytes.data(), bytes.size()));
    mesh->ComputeNormals();
    return mesh;
}

// Tori of 1,024, 4,096 and 16,384 triangles by the benchmark argument.
MeshPtr TorusOf(std::int64_t triangles)
{
    switch (triangles)
    {
    case 1024: return Prepared(GeometryBench::TorusModel(32, 16));
    case 4096: return Prepared(GeometryBench::TorusModel(64, 32));
    default: return Prepared(GeometryBench::TorusModel(128, 64));
    }
}

MeshPtr TestModel(const char* name)
{
    MeshPtr mesh(Tess::LoadMeshMS3D(std::string(TESS_SOURCE_DIR) + "/tests/data/" + name));
    mesh->ComputeNormals();
    return mesh;
}

// A model of ../shared/real-models, read as the viewer reads a part; null when it cannot be read.
MeshPtr RealModel(const char* name)
{
    std::string whyNot;
    MeshPtr mesh(Tess::LoadMesh(std::string(TESS_SOURCE_DIR) + "/../shared/real-models/" + name, whyNot));
    if (mesh)
        mesh->ComputeNormals();
    return mesh;
}

template <class Build>
void Run(benchmark::State& state, const Tess::CTriMesh& source, Build build)
{
    int fins = 0;
    for (auto _ : state)
    {
        MeshPtr edges(build(source));
        fins = edges ? edges->GetTriangleCount() : -1;
        benchmark::DoNotOptimize(edges.get());
    }
    state.counters["triangles"] = source.GetTriangleCount();
    state.counters["fins"] = fins;
}

Tess::CTriMesh* Fast(const Tess::CTriMesh& mesh)
{
    return mesh.BuildEdgeMesh();
}

void BM_EdgeMesh_Reference(benchmark::State& state)
{
    Run(state, *TorusOf(state.range(0)), GeometryTest::BuildEdgeMeshReference);
}
void BM_EdgeMesh_Grid(benchmark::State& state)
{
    Run(state, *TorusOf(state.range(0)), Fast);
}
void BM_EdgeMesh_Grid_65535Triangles(benchmark::State& state)
{
    Run(state, *Prepared(GeometryBench::LargestModel()), Fast);
}
void BM_EdgeMesh_Reference_Jeep(benchmark::State& state)
{
    Run(state, *TestModel("jeep1.ms3d"), GeometryTest::BuildEdgeMeshReference);
}
void BM_EdgeMesh_Grid_Jeep(benchmark::State& state)
{
    Run(state, *TestModel("jeep1.ms3d"), Fast);
}
void BM_EdgeMesh_Grid_ValveBody(benchmark::State& state)
{
    MeshPtr mesh(Tess::LoadMeshMS3D(std::string(TESS_SOURCE_DIR) + "/Data/Models/Edge_Mesh.ms3d"));
    mesh->ComputeNormals();
    Run(state, *mesh, Fast);
}

void BM_EdgeMesh_Grid_200kTriangleSoup(benchmark::State& state)
{
    MeshPtr mesh(GeometryBench::TorusSoup(400, 250));
    mesh->ComputeNormals();
    Run(state, *mesh, Fast);
}
void BM_EdgeMesh_Grid_RealModel(benchmark::State& state, const char* name)
{
    MeshPtr mesh = RealModel(name);
    if (!mesh)
    {
        state.SkipWithError((std::string(name) + " not found in ../shared/real-models").c_str());
        return;
    }
    Run(state, *mesh, Fast);
}

} // namespace

BENCHMARK(BM_EdgeMesh_Reference)->Arg(1024)->Arg(4096)->Arg(16384)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_EdgeMesh_Grid)->Arg(1024)->Arg(4096)->Arg(16384)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EdgeMesh_Grid_65535Triangles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EdgeMesh_Reference_Jeep)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_EdgeMesh_Grid_Jeep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EdgeMesh_Grid_ValveBody)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EdgeMesh_Grid_200kTriangleSoup)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EdgeMesh_Grid_RealModel, 2CylinderEngine, "2CylinderEngine.glb")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EdgeMesh_Grid_RealModel, counter_unitsmm, "counter.unitsmm.STL")->Unit(benchmark::kMillisecond);
