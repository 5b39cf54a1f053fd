#pragma once
// Reading a mesh from a model file of any format the engine knows, picked by the file name's
// ending: the exchange formats (".stl", ".obj", ".gltf", ".glb", ".ply", any letter case)
// through the model importer (ImportedMesh.h), everything else as MilkShape 3D through the
// engine's own loader (ModelLoader.h).

#include <string>

namespace Tess
{

class CTriMesh;

// A new mesh owned by the caller, or null with `whyNot` saying why in a few words ("no such
// file", "the file is cut short", ...). Nothing is written to the log.
CTriMesh* LoadMesh(const std::string& path, std::string& whyNot);

} // namespace Tess
