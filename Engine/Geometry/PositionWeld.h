#pragma once
// Welding positions: which points of a mesh are one point, within a tolerance.
//
// Two positions coincide when every coordinate differs by at most the tolerance (the differences
// taken in double, so none overflows). Coincidence is carried along chains of such positions,
// which splits the positions into groups: two positions are one point when a chain joins them.
// A position with an infinite or NaN coordinate is nowhere and joins no group.
//
// The work grows with the number of positions: exact copies are merged through a hash of their
// bits, and the remaining ones are compared only with those in neighbouring cells of a grid a
// few tolerances wide.

#include "Engine/Core/Vector.h"

#include <cstdint>
#include <vector>

namespace Tess
{

class CVertexElement;

// Whether two positions coincide within `tolerance`; never for a non-finite one.
bool CoincideWithin(const Vector3& a, const Vector3& b, double tolerance);

// The group of each of the first `count` entries of a position element (read as GetVector3 reads
// them, so indices past its end read its last entry), named by the smallest index in it: each
// group number is the index of one of its positions; -1 for a non-finite position. False, with
// `groups` unspecified, when telling the groups apart would take more than `maxComparisons` looks
// at a neighbouring position that is not a copy (distinct positions crowded within a few
// tolerances by the hundred).
bool WeldPositions(const CVertexElement& positions, std::int32_t count, double tolerance,
                   std::int64_t maxComparisons, std::vector<std::int32_t>& groups);

} // namespace Tess
