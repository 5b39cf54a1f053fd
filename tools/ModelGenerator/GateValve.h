#pragma once
// The parts of a flanged gate valve, the equipment the viewer shows. Each part is modelled in
// its own coordinates (y up, the pipe along x), to be placed at its position in the assembly.

#include "ShapeMesh.h"

#include <string>
#include <vector>

namespace ModelGenerator
{

struct SEquipmentPart
{
    std::string fileName;
    std::string description;
    // Where the part's origin sits in the assembly (file coordinates).
    SVec3 position;
    CShapeMesh mesh;
    std::string material;
    std::array<float, 4> diffuse{};
};

// Body (the main part, "Edge_Mesh.ms3d"), inlet and outlet flanges, bonnet with yoke and stem,
// and handwheel.
std::vector<SEquipmentPart> BuildGateValve();

} // namespace ModelGenerator
