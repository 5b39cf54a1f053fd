#include "Engine/Geometry/SmoothCorners.h"

#include "Engine/Core/Vector.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

namespace Tess
{

namespace
{

// Open-addressing table from keys of `Words` 32-bit words to dense numbers 0, 1, 2, ... in the
// order keys are first seen.
template <std::size_t Words>
class CDenseNumbering
{
public:
    using Key = std::array<std::uint32_t, Words>;

    explicit CDenseNumbering(std::size_t expected)
    {
        std::size_t capacity = 16;
        while (capacity < 2 * expected)
            capacity *= 2;
        m_slots.assign(capacity, -1);
        m_keys.reserve(expected);
    }

    // The key's number, and whether it was new.
    std::pair<std::uint32_t, bool> Number(const Key& key)
    {
        std::uint64_t h = 0x9E3779B97F4A7C15ull;
        for (std::uint32_t word : key)
            h = (h ^ word) * 0x100000001B3ull;
        std::size_t slot = (h ^ (h >> 29)) & (m_slots.size() - 1);
        while (m_slots[slot] >= 0)
        {
            if (m_keys[static_cast<std::size_t>(m_slots[slot])] == key)
                return {static_cast<std::uint32_t>(m_slots[slot]), false};
            slot = (slot + 1) & (m_slots.size() - 1);
        }
        m_slots[slot] = static_cast<std::int32_t>(m_keys.size());
        m_keys.push_back(key);
        return {static_cast<std::uint32_t>(m_slots[slot]), true};
    }

private:
    std::vector<std::int32_t> m_slots;
    std::vector<Key> m_keys;
};

Vector3 At(const std::vector<float>& values, std::size_t vertex)
{
    return Vector3(values[3 * vertex], values[3 * vertex + 1], values[3 * vertex + 2]);
}

// For every vertex of the soup, the number of its position (equal bits, equal number).
std::vector<std::uint32_t> NumberPoints(const std::vector<float>& positions, std::uint32_t& pointCount)
{
    const std::size_t count = positions.size() / 3;
    CDenseNumbering<3> numbering(count);
    std::vector<std::uint32_t> pointOf(count);
    pointCount = 0;
    for (std::size_t v = 0; v < count; ++v)
    {
        const auto [point, added] = numbering.Number({std::bit_cast<std::uint32_t>(positions[3 * v]),
                                                      std::bit_cast<std::uint32_t>(positions[3 * v + 1]),
                                                      std::bit_cast<std::uint32_t>(positions[3 * v + 2])});
        pointOf[v] = point;
        pointCount += added ? 1 : 0;
    }
    return pointOf;
}

// The triangles around each point, as ranges of one list.
struct SPointFaces
{
    std::vector<std::uint32_t> start;
    std::vector<std::uint32_t> faces;

    SPointFaces(const std::vector<std::uint32_t>& cornerPoints, std::uint32_t pointCount)
        : start(pointCount + 1, 0), faces(cornerPoints.size())
    {
        for (std::uint32_t point : cornerPoints)
            ++start[point + 1];
        for (std::uint32_t p = 0; p < pointCount; ++p)
            start[p + 1] += start[p];
        std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
        for (std::size_t corner = 0; corner < cornerPoints.size(); ++corner)
            faces[fill[cornerPoints[corner]]++] = static_cast<std::uint32_t>(corner / 3);
    }
};

} // namespace

void ShareSmoothCorners(std::vector<float>& positions, std::vector<float>& normals, std::vector<float>& texcoords,
                        std::vector<std::uint32_t>& indices, float creaseDegrees)
{
    const std::size_t vertexCount = positions.size() / 3;
    if (positions.size() != 3 * vertexCount || normals.size() != 3 * vertexCount ||
        texcoords.size() != 2 * vertexCount || indices.size() % 3 != 0 ||
        std::any_of(indices.begin(), indices.end(), [vertexCount](std::uint32_t i) { return i >= vertexCount; }))
        return;

    std::uint32_t pointCount = 0;
    const std::vector<std::uint32_t> pointOf = NumberPoints(positions, pointCount);
    std::vector<std::uint32_t> cornerPoints(indices.size());
    for (std::size_t corner = 0; corner < indices.size(); ++corner)
        cornerPoints[corner] = pointOf[indices[corner]];
    std::vector<Vector3> faceNormals(indices.size() / 3);
    for (std::size_t f = 0; f < faceNormals.size(); ++f)
    {
        const Vector3 a = At(positions, indices[3 * f]);
        faceNormals[f] = (At(positions, indices[3 * f + 1]) - a).Cross(At(positions, indices[3 * f + 2]) - a).NormalizedOrZero();
    }
    const SPointFaces around(cornerPoints, pointCount);
    const float smoothCosine = std::cos(creaseDegrees * 3.14159265f / 180.0f);

    // Each corner gathers, in the fixed order of the point's list, the faces that turn little
    // from its own: corners that gather the same faces get bit-identical sums and share a vertex.
    CDenseNumbering<4> numbering(indices.size());
    std::vector<float> sharedPositions, sharedNormals, sharedTexcoords;
    for (std::size_t corner = 0; corner < indices.size(); ++corner)
    {
        const std::uint32_t point = cornerPoints[corner];
        const Vector3& own = faceNormals[corner / 3];
        // A face of no area has no direction: it gathers nothing, and its corners share one
        // vertex with the other such corners at the point.
        Vector3 sum;
        const bool hasArea = own != Vector3();
        for (std::uint32_t i = around.start[point]; hasArea && i < around.start[point + 1]; ++i)
            if (const Vector3& other = faceNormals[around.faces[i]]; own.Dot(other) >= smoothCosine)
                sum = sum + other;
        const auto [vertex, added] =
            numbering.Number({point, std::bit_cast<std::uint32_t>(sum.x), std::bit_cast<std::uint32_t>(sum.y),
                              std::bit_cast<std::uint32_t>(sum.z)});
        if (added)
        {
            const std::size_t from = indices[corner];
            const Vector3 normal = sum.NormalizedOrZero();
            sharedPositions.insert(sharedPositions.end(), {positions[3 * from], positions[3 * from + 1], positions[3 * from + 2]});
            sharedNormals.insert(sharedNormals.end(), {normal.x, normal.y, normal.z});
            sharedTexcoords.insert(sharedTexcoords.end(), {texcoords[2 * from], texcoords[2 * from + 1]});
        }
        indices[corner] = vertex;
    }
    positions = std::move(sharedPositions);
    normals = std::move(sharedNormals);
    texcoords = std::move(sharedTexcoords);
}

} // namespace Tess
