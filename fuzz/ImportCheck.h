#pragma once
// Checks of the exchange-format readers on arbitrary bytes: the assimp importer (the first byte
// picks the format: STL, OBJ, glTF, GLB or PLY) and the STEP/IGES reader (the first byte picks
// STEP or IGES). What a reader accepts must be a scene the import stream carries back whole:
// sizes that agree, indices inside their mesh, finite numbers, parts that name meshes the scene
// has.

#include "FuzzCheck.h"

#include "Engine/Platform/ImportReaders.h"
#include "Engine/Platform/ImportStream.h"
#include "Engine/Platform/ModelImporter.h"

#include <unistd.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <string>

namespace TessFuzz
{

inline constexpr std::array<const char*, 5> kAssimpFormats = {"stl", "obj", "gltf", "glb", "ply"};
inline constexpr std::array<const char*, 2> kCadFormats = {"step", "igs"};

inline SCheckResult CheckSceneCarries(const Tess::SImportedScene& scene)
{
    Tess::SImportedScene back;
    std::string whyNot;
    if (!Tess::DecodeImportResult(Tess::EncodeImportResult(scene), back, whyNot))
        return Fault("an accepted scene does not travel back: " + whyNot);
    return Accepted();
}

inline SCheckResult CheckAssimpImporter(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return Rejected();
    const char* format = kAssimpFormats[data[0] % kAssimpFormats.size()];
    Tess::SImportedScene scene;
    std::string whyNot;
    if (!Tess::ImportModelFromMemory(data + 1, size - 1, format, scene.meshes.emplace_back(), whyNot))
    {
        if (whyNot.empty())
            return Fault("refused without a reason");
        return Rejected();
    }
    if (scene.meshes[0].indices.empty())
        return Fault("accepted without triangles");
    scene.parts.emplace_back().mesh = 0;
    return CheckSceneCarries(scene);
}

// Open CASCADE reads files by name only: the input goes to a file of this process's own.
inline SCheckResult CheckCadReader(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return Rejected();
    const std::size_t which = data[0] % kCadFormats.size();
    const std::string path = "/tmp/tess-fuzz-cad-" + std::to_string(getpid()) + "." + kCadFormats[which];
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data + 1),
                                                 static_cast<std::streamsize>(size - 1));
    Tess::SCadMeshing meshing;
    meshing.secondsPerShape = 1.0;
    meshing.secondsPerFile = 2.0;
    Tess::SImportedScene scene;
    std::string whyNot;
    const bool read = Tess::ReadCadScene(path, which == 0 ? Tess::ECadFormat::Step : Tess::ECadFormat::Iges, meshing,
                                         scene, whyNot);
    unlink(path.c_str());
    if (!read)
        return whyNot.empty() ? Fault("refused without a reason") : Rejected();
    return CheckSceneCarries(scene);
}

} // namespace TessFuzz
