#pragma once
// Sharing the corners of a triangle soup by smoothness: the form an STL file takes, where every
// triangle carries three corners of its own and no normals worth keeping.
//
// Corners at the same position (equal in every bit) become one vertex when their triangles lie
// on one smooth surface there: a corner gathers the triangles around its position whose face
// normals turn by at most the crease angle from its own triangle's, and corners that gather the
// same triangles share a vertex. A cylinder's side, tessellated in steps below the angle, shares
// its vertices and shades smooth; where it meets its cap, the fold splits them and stays sharp.
// Normals computed afterwards from the shared vertices (CTriMesh::ComputeNormals) are then the
// smooth ones. Triangles of no area gather only themselves.

#include <cstdint>
#include <vector>

namespace Tess
{

// The crease angle: faces turning by more than this at a shared corner keep it split.
constexpr float kCreaseDegrees = 30.0f;

// Rewrites the soup in place: `positions` (x, y, z a vertex) and `texcoords` (u, v a vertex)
// shrink to the shared vertices, `indices` (three a triangle) name them. `normals` is rewritten
// with each vertex's gathered face normals, normalised. Indices naming no vertex leave the model
// untouched.
void ShareSmoothCorners(std::vector<float>& positions, std::vector<float>& normals, std::vector<float>& texcoords,
                        std::vector<std::uint32_t>& indices, float creaseDegrees = kCreaseDegrees);

} // namespace Tess
