// Writes the gate valve's parts as MilkShape 3D files into the directory given on the command
// line (the repository's Data/Models), and each part once more in one of the exchange formats
// CAD tools export (STL, OBJ, PLY, glTF). The output depends on nothing but this code, so running
// it again reproduces the committed files byte for byte.

#include "ExchangeFormats.h"
#include "GateValve.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>

using namespace ModelGenerator;

namespace
{

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

// Bounding box as the engine sees the file: z mirrored.
void PrintSummary(const SEquipmentPart& part, const SMS3DModel& model, std::size_t bytes)
{
    std::array<float, 3> low{}, high{};
    low.fill(std::numeric_limits<float>::max());
    high.fill(std::numeric_limits<float>::lowest());
    for (const SMS3DVertex& v : model.vertices)
    {
        const std::array<float, 3> p{v.position[0], v.position[1], -v.position[2]};
        for (int a = 0; a < 3; ++a)
        {
            low[a] = std::min(low[a], p[a]);
            high[a] = std::max(high[a], p[a]);
        }
    }
    std::printf("%-26s %-22s %5zu vertices %5zu triangles %7zu bytes  box (%.2f %.2f %.2f)..(%.2f %.2f %.2f)"
                "  size %.2f x %.2f x %.2f  place at (%g, %g, %g)\n",
                part.fileName.c_str(), part.description.c_str(), model.vertices.size(), model.triangles.size(), bytes,
                low[0], low[1], low[2], high[0], high[1], high[2], high[0] - low[0], high[1] - low[1],
                high[2] - low[2], part.position.x, part.position.y, part.position.z == 0.0 ? 0.0 : -part.position.z);
}

enum class EFormat
{
    GLTF,
    STL,
    PLY,
    OBJ,
    GLB
};

// The exchange-format sample of a part: its file and format, and the factor its coordinates are
// written with (the STL sample is in metres, a hundredth of the valve's units, as CAD exports in
// metres come, so that the example equipment script shows the scale argument).
struct SExchangeSample
{
    std::string modelFile;
    std::string fileName;
    EFormat format;
    float scale = 1.0f;
};

const std::vector<SExchangeSample> kExchangeSamples = {
    {"Edge_Mesh.ms3d", "Valve_Body.gltf", EFormat::GLTF},
    {"Valve_Flange_Inlet.ms3d", "Valve_Flange_Inlet.stl", EFormat::STL, 0.01f},
    {"Valve_Flange_Outlet.ms3d", "Valve_Flange_Outlet.ply", EFormat::PLY},
    {"Valve_Bonnet.ms3d", "Valve_Bonnet.glb", EFormat::GLB},
    {"Valve_Handwheel.ms3d", "Valve_Handwheel.obj", EFormat::OBJ},
};

std::vector<std::uint8_t> WriteExchange(const SExchangeSample& sample, const SEquipmentPart& part,
                                        const SMS3DModel& model)
{
    const std::vector<SExchangeMesh> meshes = SplitIntoMeshes(model, sample.scale);
    switch (sample.format)
    {
    case EFormat::GLTF:
        return WriteGLTF(meshes, part.description);
    case EFormat::STL:
        return WriteSTL(meshes);
    case EFormat::PLY:
        return WritePLY(meshes);
    case EFormat::OBJ:
        return WriteOBJ(meshes);
    case EFormat::GLB:
        return WriteGLB(meshes, part.description);
    }
    return {};
}

// Writes the part's exchange-format sample, if it has one; false when it cannot be written.
bool WriteExchangeSample(const std::string& directory, const SEquipmentPart& part, const SMS3DModel& model)
{
    for (const SExchangeSample& sample : kExchangeSamples)
    {
        if (sample.modelFile != part.fileName)
            continue;
        const std::vector<std::uint8_t> bytes = WriteExchange(sample, part, model);
        if (bytes.empty() || !WriteFile(directory + "/" + sample.fileName, bytes))
        {
            std::fprintf(stderr, "%s: cannot write\n", sample.fileName.c_str());
            return false;
        }
        std::printf("%-26s %-22s %7zu bytes\n", sample.fileName.c_str(), part.description.c_str(), bytes.size());
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    int failures = 0;
    for (const SEquipmentPart& part : BuildGateValve())
    {
        const std::string problem = part.mesh.Validate();
        if (!problem.empty())
        {
            std::fprintf(stderr, "%s: %s\n", part.fileName.c_str(), problem.c_str());
            ++failures;
            continue;
        }
        const SMS3DModel model = part.mesh.ToModel(part.material, part.diffuse);
        const std::vector<std::uint8_t> bytes = WriteMS3D(model);
        if (bytes.empty() || !WriteFile(directory + "/" + part.fileName, bytes))
        {
            std::fprintf(stderr, "%s: cannot write\n", part.fileName.c_str());
            ++failures;
            continue;
        }
        PrintSummary(part, model, bytes.size());
        if (!WriteExchangeSample(directory, part, model))
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
