#pragma once
// Model import for the exchange formats CAD tools write: STL, OBJ, glTF 2.0 (.gltf, .glb) and PLY.
// Bytes in, one triangle soup out: every mesh of the file merged, each placed by its node's
// transform, in the file's own right-handed coordinates. Implemented through assimp (Assimp/);
// MilkShape files keep the engine's own loader.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Tess
{

// One model as the file describes it: `positions` and `normals` hold x, y, z per vertex,
// `texcoords` u, v per vertex (zeros where the file has none, and normals zero where it has
// none), `indices` three vertex indices per triangle, counter-clockwise seen from the front.
struct SImportedModel
{
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> texcoords;
    std::vector<std::uint32_t> indices;

    std::size_t GetVertexCount() const { return positions.size() / 3; }
    std::size_t GetTriangleCount() const { return indices.size() / 3; }
};

// Larger files (and the buffers a glTF file names) are refused before they are read: a viewer
// has no use for them, and a parser would spend minutes and gigabytes on them.
constexpr std::uint64_t kMaxImportedFileBytes = std::uint64_t(128) << 20;
// More triangles than this (after every node's instance of a mesh is counted) are refused: the
// outline of such a model alone would take longer to build than a start-up may.
constexpr std::size_t kMaxImportedTriangles = std::size_t(1) << 20;

// True when the file name ends in one of the imported formats' extensions (any letter case).
bool IsImportedModelFile(const std::string& path);

// Reads the model file. False, with `whyNot` saying why in a few words, when the file is missing,
// too large, not a model of its format, holds no triangles or too many.
bool ImportModelFile(const std::string& path, SImportedModel& out, std::string& whyNot);

// The same for a file already in memory; `extension` ("stl", "obj", "gltf", "glb", "ply") names
// its format. A glTF file in memory can only use buffers it embeds.
bool ImportModelFromMemory(const std::uint8_t* data, std::size_t size, const std::string& extension,
                           SImportedModel& out, std::string& whyNot);

} // namespace Tess
