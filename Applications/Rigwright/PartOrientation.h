#pragma once
// How a part's model is turned before it is placed in the assembly: the model file's own axis that
// points up, then three angles in degrees, together with the part's scale.
//
// Model files are right-handed. The viewer takes y as up, as MilkShape 3D and glTF do, while CAD
// tools often export with z up, so such a part would lie on its side. Everything here is stated in
// the file's right-handed coordinates, as the user knows them from the tool that wrote the file,
// seen from the front: x to the right, y up, z toward the viewer. The loaders mirror z to reach
// the engine's left-handed space; the map is carried over into that space (mirrored on both
// sides), so it stays a rotation there too and never mirrors the part.
//
// Order: first the turn that brings the up axis up (a turn about x for "z", "-z" and "-y", about
// z for "x" and "-x"), then the rotation about x, then about y, then about z, each about the
// assembly's fixed axes through the model's own origin. A positive angle turns counter-clockwise
// as seen from the positive end of its axis (the right-hand rule): {0, 90, 0} turns the side that
// faced the viewer to the right, {0, 0, 90} turns the right side up, {90, 0, 0} tips the top
// toward the viewer. Whole quarter turns are exact.

#include "Engine/Core/Matrix.h"

#include <string>

namespace Tess
{

class CTriMesh;

enum class EUpAxis
{
    PositiveX,
    PositiveY,
    PositiveZ,
    NegativeX,
    NegativeY,
    NegativeZ,
};

struct SPartOrientation
{
    // The model file's own axis that points up in the assembly.
    EUpAxis up = EUpAxis::PositiveY;
    // Degrees about the x, y and z axes, applied in that order after the up axis.
    Vector3 rotation;

    bool operator==(const SPartOrientation&) const = default;
};

// The up axis a script names: "x", "y", "z", "-x", "-y" or "-z" (a leading "+" and a capital
// letter are taken too); false, with `axis` unchanged, for anything else.
bool ParseUpAxis(const std::string& name, EUpAxis& axis);

// The map from a loaded mesh's coordinates (the engine's, z mirrored from the file's) to the
// placed part's, for row vectors (p x M): the orientation and the uniform scale about the model's
// own origin. Its determinant is scale cubed, never negative: the part is not mirrored.
Matrix3 ComputePartMatrix(const SPartOrientation& orientation, float scale);

// Applies that map to "POSITION" and turns "NORMAL" with it (normals keep unit length). The
// triangles' corners keep their order, as a rotation keeps the faces' sense.
void PlacePartMesh(CTriMesh& mesh, const SPartOrientation& orientation, float scale);

} // namespace Tess
