#pragma once
// Models in the exchange formats CAD tools write (STL, OBJ, glTF 2.0, PLY), read through the
// platform's model importer and turned into the same kind of mesh the MilkShape loader returns:
// "POSITION", "TEXCOORDS0" and "NORMAL", every mesh of the file merged into one, in the engine's
// left-handed space (z mirrored, as for MilkShape files, with the corners swapped to match).

#include <string>

namespace Tess
{

class CTriMesh;
struct SImportedModel;

// A new mesh owned by the caller, or null with `whyNot` saying why in a few words.
CTriMesh* LoadMeshImported(const std::string& path, std::string& whyNot);

// The mesh of a model read from `path` (whose name picks how its corners are shared), as
// LoadMeshImported makes it; `model` is consumed. Null with `whyNot` when the model is broken.
CTriMesh* BuildImportedMeshOf(SImportedModel& model, const std::string& path, std::string& whyNot);

// Makes vertices that are equal in every bit of position, normal and texture coordinates one
// vertex, renumbering the triangles' corners: an OBJ file repeats a vertex for every face that
// uses it, and only shared vertices get smooth normals. Corners that name no vertex are left alone.
void JoinIdenticalVertices(SImportedModel& model);

// The mesh of an imported model; null when the model names a vertex it does not have or its
// streams disagree in length.
CTriMesh* BuildImportedMesh(const SImportedModel& model);

} // namespace Tess
