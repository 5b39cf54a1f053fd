#pragma once
// What a reader makes of a model file before its parts are placed: each distinct mesh once, and
// the parts that use it, each with its own placement. A bolt used forty times is meshed, and
// handed from the reading process to the viewer, once. PlaceImportedScene then checks the whole
// and copies each mesh to where its parts stand.

#include "Engine/Platform/AssemblyImporter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Tess
{

// A part without triangles names this mesh (its whyEmpty says why).
constexpr std::uint32_t kNoImportedMesh = 0xFFFFFFFFu;

// Row-major 3 x 4: a point p goes to (M p) + t, the first three columns M and the last t.
using ImportedPlacement = std::array<double, 12>;
constexpr ImportedPlacement kIdentityPlacement = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

struct SImportedScenePart
{
    // The part's texts, colour and why it is empty; its model stays empty here.
    SImportedPart part;
    std::uint32_t mesh = kNoImportedMesh;
    ImportedPlacement placement = kIdentityPlacement;
};

struct SImportedScene
{
    std::vector<SImportedModel> meshes;
    // In the file's order.
    std::vector<SImportedScenePart> parts;
};

// Fills `out` with the scene's parts, each with its mesh where it stands (a mirroring placement
// keeps the faces outward). False, with `whyNot`, when a part names a mesh the scene lacks, a
// mesh names a vertex it lacks, a number is not finite, or the placed parts together hold more
// than kMaxImportedTriangles triangles. Meshes move into the parts where they can.
bool PlaceImportedScene(SImportedScene&& scene, SImportedAssembly& out, std::string& whyNot);

// The largest number of triangles the scene's parts hold once placed (a mesh counts once per
// part that uses it).
std::uint64_t CountPlacedTriangles(const SImportedScene& scene);

} // namespace Tess
