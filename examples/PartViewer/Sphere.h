#pragma once
// A generated sphere, shown when no model file is given or the file cannot be read.

namespace Tess
{
class CTriMesh;
}

// A sphere of `radius` around the origin, `slices` around and `stacks` from pole to pole, with
// positions and smooth normals. Triangles run clockwise seen from outside, the engine's front
// faces. Owned by the caller.
Tess::CTriMesh* MakeSphere(float radius, int slices, int stacks);
