// LoadMeshMS3D on the third-party test models and on a generated model of 65,535 triangles
// (the most the format holds, about 5 MB): from a file, as the viewer loads its parts, and
// from memory (the parsing alone). Files named after the benchmark flags are measured too, as
// "LoadFile/<path>": single loads, of which "LoadFile/<path>_min" reports the fastest, the measure
// tools/compare_peers.sh sets beside assimp's import of the same files (its best of 20).

#include "GeneratedModels.h"

#include "Engine/Geometry/ModelLoader.h"
#include "Engine/Geometry/TriMesh.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace
{

std::string TestModel(const char* name)
{
    return std::string(TESS_SOURCE_DIR) + "/tests/data/" + name;
}

// The generated model, written once to the temporary directory.
const std::string& LargestModelPath()
{
    static const std::string path = [] {
        const std::string file = (std::filesystem::temp_directory_path() / "tess_bench_65535.ms3d").string();
        const std::vector<std::uint8_t> bytes = GeometryBench::LargestModel();
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size()));
        return file;
    }();
    return path;
}

void LoadFile(benchmark::State& state, const std::string& path)
{
    const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
    int triangles = 0;
    for (auto _ : state)
    {
        std::unique_ptr<Tess::CTriMesh> mesh(Tess::LoadMeshMS3D(path));
        if (!mesh)
        {
            state.SkipWithError("the model did not load");
            return;
        }
        triangles = mesh->GetTriangleCount();
        benchmark::DoNotOptimize(mesh.get());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["triangles"] = triangles;
}

void BM_LoadFile_Jeep(benchmark::State& state)
{
    LoadFile(state, TestModel("jeep1.ms3d"));
}
void BM_LoadFile_TwoSpheres(benchmark::State& state)
{
    LoadFile(state, TestModel("twospheres_withmats.ms3d"));
}
void BM_LoadFile_65535Triangles(benchmark::State& state)
{
    LoadFile(state, LargestModelPath());
}

void BM_LoadMemory_65535Triangles(benchmark::State& state)
{
    const std::vector<std::uint8_t> bytes = GeometryBench::LargestModel();
    for (auto _ : state)
    {
        std::unique_ptr<Tess::CTriMesh> mesh(Tess::LoadMeshMS3DFromMemory(bytes.data(), bytes.size()));
        benchmark::DoNotOptimize(mesh.get());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

} // namespace

BENCHMARK(BM_LoadFile_Jeep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadFile_TwoSpheres)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadFile_65535Triangles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMemory_65535Triangles)->Unit(benchmark::kMillisecond);

namespace
{
constexpr int kSingleLoads = 50;

double Fastest(const std::vector<double>& times)
{
    return times.empty() ? 0.0 : *std::min_element(times.begin(), times.end());
}
} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i)
    {
        const std::string path = argv[i];
        benchmark::RegisterBenchmark(("LoadFile/" + path).c_str(),
                                     [path](benchmark::State& state) { LoadFile(state, path); })
            ->Unit(benchmark::kMicrosecond)
            ->Iterations(1)
            ->Repetitions(kSingleLoads)
            ->ComputeStatistics("min", Fastest)
            ->ReportAggregatesOnly(true);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
