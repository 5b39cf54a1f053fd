#include "Engine/Geometry/PositionWeld.h"

#include "Engine/Geometry/VertexElement.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <utility>

namespace Tess
{

namespace
{

// Grid cells are this many tolerances wide, so a position is within one tolerance of a
// neighbouring cell only near that cell's side (an eighth of the cell on either side), and most
// positions look into one or two cells instead of 27.
constexpr double kCellsPerTolerance = 8.0;
// Cell coordinates stop here, where a double still tells a cell's fraction exactly; positions
// beyond it share the last cell of the axis and look into both of its neighbours.
constexpr double kCellLimit = 4294967296.0;
// How near (as a fraction of the cell) to a side a position must be for the neighbour across it
// to be searched: one tolerance, and a margin for the rounding of the cell computation.
constexpr double kNearSide = 1.0 / kCellsPerTolerance + 1e-3;

bool IsFinite(const Vector3& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

using BitsKey = std::array<std::uint32_t, 3>;
using CellKey = std::array<std::int64_t, 3>;

std::uint64_t HashOf(const BitsKey& key)
{
    std::uint64_t h = key[0] * 0x9E3779B97F4A7C15ull;
    h ^= key[1] * 0xC2B2AE3D27D4EB4Full;
    h ^= key[2] * 0x165667B19E3779F9ull;
    return h ^ (h >> 29);
}

std::uint64_t HashOf(const CellKey& key)
{
    std::uint64_t h = static_cast<std::uint64_t>(key[0]) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<std::uint64_t>(key[1]) * 0xC2B2AE3D27D4EB4Full;
    h ^= static_cast<std::uint64_t>(key[2]) * 0x165667B19E3779F9ull;
    return h ^ (h >> 29);
}

// Open-addressing map from keys to dense numbers 0, 1, 2, ... in order of insertion. The table
// doubles whenever it would be more than half full, so probes stay short.
template <class Key>
class CKeyTable
{
public:
    explicit CKeyTable(std::size_t expectedKeys) { Resize(2 * expectedKeys); }

    std::int32_t FindOrAdd(const Key& key)
    {
        if (2 * (m_keys.size() + 1) > m_slots.size())
            Resize(2 * m_slots.size());
        std::size_t slot = HashOf(key) & m_mask;
        while (m_slots[slot] >= 0)
        {
            if (m_keys[m_slots[slot]] == key)
                return m_slots[slot];
            slot = (slot + 1) & m_mask;
        }
        m_slots[slot] = static_cast<std::int32_t>(m_keys.size());
        m_keys.push_back(key);
        return m_slots[slot];
    }

    std::int32_t Find(const Key& key) const
    {
        std::size_t slot = HashOf(key) & m_mask;
        while (m_slots[slot] >= 0)
        {
            if (m_keys[m_slots[slot]] == key)
                return m_slots[slot];
            slot = (slot + 1) & m_mask;
        }
        return -1;
    }

private:
    void Resize(std::size_t atLeast)
    {
        std::size_t capacity = 16;
        while (capacity < atLeast)
            capacity *= 2;
        m_slots.assign(capacity, -1);
        m_mask = capacity - 1;
        for (std::size_t k = 0; k < m_keys.size(); ++k)
        {
            std::size_t slot = HashOf(m_keys[k]) & m_mask;
            while (m_slots[slot] >= 0)
                slot = (slot + 1) & m_mask;
            m_slots[slot] = static_cast<std::int32_t>(k);
        }
    }

    std::vector<std::int32_t> m_slots;
    std::vector<Key> m_keys;
    std::size_t m_mask = 0;
};

// One axis of a position's cell, and whether the neighbours below and above may hold a position
// within one tolerance of it.
struct SAxisCell
{
    std::int64_t cell;
    bool lower;
    bool upper;
};

SAxisCell AxisCell(float coordinate, double cellWidth)
{
    const double t = std::clamp(std::floor(coordinate / cellWidth), -kCellLimit, kCellLimit);
    if (std::fabs(t) >= kCellLimit - 1.0)
        return {static_cast<std::int64_t>(t), true, true};
    const double fraction = coordinate / cellWidth - t;
    return {static_cast<std::int64_t>(t), fraction <= kNearSide, fraction >= 1.0 - kNearSide};
}

// Union-find over the distinct positions; a group's root is its smallest member.
class CGroups
{
public:
    explicit CGroups(std::size_t count) : m_parent(count)
    {
        for (std::size_t i = 0; i < count; ++i)
            m_parent[i] = static_cast<std::int32_t>(i);
    }

    std::int32_t Root(std::int32_t i)
    {
        while (m_parent[i] != i)
        {
            m_parent[i] = m_parent[m_parent[i]];
            i = m_parent[i];
        }
        return i;
    }

    void Join(std::int32_t a, std::int32_t b)
    {
        a = Root(a);
        b = Root(b);
        if (a != b)
            m_parent[std::max(a, b)] = std::min(a, b);
    }

private:
    std::vector<std::int32_t> m_parent;
};

// The distinct positions (by their bits) in order of first appearance, and for every position
// the number of its distinct one (-1 when not finite).
std::vector<Vector3> DistinctPositions(const CVertexElement& positions, std::int32_t count,
                                       std::vector<std::int32_t>& distinctOf)
{
    // Meshes in the exchange formats repeat each point about six times, indexed ones hardly.
    CKeyTable<BitsKey> table(static_cast<std::size_t>(count) / 4);
    std::vector<Vector3> distinct;
    distinctOf.resize(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i)
    {
        const Vector3 p = positions.GetVector3(i);
        if (!IsFinite(p))
        {
            distinctOf[i] = -1;
            continue;
        }
        const std::int32_t d = table.FindOrAdd(
            {std::bit_cast<std::uint32_t>(p.x), std::bit_cast<std::uint32_t>(p.y), std::bit_cast<std::uint32_t>(p.z)});
        if (d == static_cast<std::int32_t>(distinct.size()))
            distinct.push_back(p);
        distinctOf[i] = d;
    }
    return distinct;
}

// Joins every two distinct positions that coincide. Each position, in order, is compared with the
// earlier ones in its own and the neighbouring cells it may reach, then added to its cell.
bool JoinCoinciding(const std::vector<Vector3>& distinct, double tolerance, std::int64_t maxComparisons,
                    CGroups& groups)
{
    // Any positive width serves a zero tolerance: only equal positions coincide then.
    const double cellWidth = tolerance > 0.0 ? kCellsPerTolerance * tolerance : 1.0;
    CKeyTable<CellKey> cells(distinct.size());
    std::vector<std::int32_t> cellLast;
    std::vector<std::int32_t> previousInCell(distinct.size(), -1);
    std::int64_t comparisons = 0;
    for (std::size_t u = 0; u < distinct.size(); ++u)
    {
        const Vector3& p = distinct[u];
        const SAxisCell axes[3] = {AxisCell(p.x, cellWidth), AxisCell(p.y, cellWidth), AxisCell(p.z, cellWidth)};
        for (std::int64_t dx = axes[0].lower ? -1 : 0; dx <= (axes[0].upper ? 1 : 0); ++dx)
            for (std::int64_t dy = axes[1].lower ? -1 : 0; dy <= (axes[1].upper ? 1 : 0); ++dy)
                for (std::int64_t dz = axes[2].lower ? -1 : 0; dz <= (axes[2].upper ? 1 : 0); ++dz)
                {
                    const std::int32_t cell = cells.Find({axes[0].cell + dx, axes[1].cell + dy, axes[2].cell + dz});
                    for (std::int32_t v = cell < 0 ? -1 : cellLast[cell]; v >= 0; v = previousInCell[v])
                    {
                        if (++comparisons > maxComparisons)
                            return false;
                        if (groups.Root(v) != groups.Root(static_cast<std::int32_t>(u)) &&
                            CoincideWithin(p, distinct[v], tolerance))
                            groups.Join(v, static_cast<std::int32_t>(u));
                    }
                }
        const std::int32_t own = cells.FindOrAdd({axes[0].cell, axes[1].cell, axes[2].cell});
        if (own == static_cast<std::int32_t>(cellLast.size()))
            cellLast.push_back(-1);
        previousInCell[u] = cellLast[own];
        cellLast[own] = static_cast<std::int32_t>(u);
    }
    return true;
}

} // namespace

bool CoincideWithin(const Vector3& a, const Vector3& b, double tolerance)
{
    if (!IsFinite(a) || !IsFinite(b))
        return false;
    return std::fabs(static_cast<double>(a.x) - b.x) <= tolerance &&
           std::fabs(static_cast<double>(a.y) - b.y) <= tolerance &&
           std::fabs(static_cast<double>(a.z) - b.z) <= tolerance;
}

bool WeldPositions(const CVertexElement& positions, std::int32_t count, double tolerance,
                   std::int64_t maxComparisons, std::vector<std::int32_t>& groups)
{
    std::vector<std::int32_t> distinctOf;
    const std::vector<Vector3> distinct = DistinctPositions(positions, count, distinctOf);
    CGroups joined(distinct.size());
    if (!JoinCoinciding(distinct, tolerance, maxComparisons, joined))
        return false;

    // Distinct positions are numbered in order of first appearance, so the first appearance of a
    // group's root is the group's smallest position index.
    std::vector<std::int32_t> firstAppearance(distinct.size(), -1);
    for (std::int32_t i = 0; i < count; ++i)
    {
        if (distinctOf[i] >= 0 && firstAppearance[distinctOf[i]] < 0)
            firstAppearance[distinctOf[i]] = i;
    }
    // The groups are written over the distinct numbers, which are no longer needed.
    for (std::int32_t i = 0; i < count; ++i)
        distinctOf[i] = distinctOf[i] < 0 ? -1 : firstAppearance[joined.Root(distinctOf[i])];
    groups = std::move(distinctOf);
    return true;
}

} // namespace Tess
