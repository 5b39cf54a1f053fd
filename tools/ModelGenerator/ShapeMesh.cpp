#include "ShapeMesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <set>

namespace ModelGenerator
{

namespace
{

// Positions snap to 1/1024 units, normals to 1/32768 and texture coordinates to 1/4096: copies
// of one point computed along different paths land on the same value, and the output does not
// depend on the last bits of the maths library.
double Snap(double value, double steps)
{
    return std::round(value * steps) / steps;
}

struct SProfileNormal
{
    double r = 0.0;
    double h = 0.0;
};

SProfileNormal Normalized(SProfileNormal n)
{
    const double length = std::sqrt(n.r * n.r + n.h * n.h);
    return {n.r / length, n.h / length};
}

// Outward normal of the profile segment from a to b: the profile runs with the solid on its
// left in the (r, h) plane.
SProfileNormal SegmentNormal(const SProfilePoint& a, const SProfilePoint& b)
{
    return Normalized({b.h - a.h, -(b.r - a.r)});
}

double SignedArea(const std::vector<SProfilePoint>& loop)
{
    double area = 0.0;
    for (std::size_t i = 0; i < loop.size(); ++i)
    {
        const SProfilePoint& a = loop[i];
        const SProfilePoint& b = loop[(i + 1) % loop.size()];
        area += a.r * b.h - b.r * a.h;
    }
    return area / 2.0;
}

SVec3 ToVec(const std::array<float, 3>& v)
{
    return {v[0], v[1], v[2]};
}

} // namespace

SVec3 SVec3::Normalized() const
{
    const double length = std::sqrt(Dot(*this));
    return length > 0.0 ? *this * (1.0 / length) : SVec3{};
}

SFrame SFrame::Around(const SVec3& origin, const SVec3& axis)
{
    SFrame frame;
    frame.origin = origin;
    frame.axis = axis.Normalized();
    const SVec3 helper = std::abs(frame.axis.y) < 0.9 ? SVec3{0, 1, 0} : SVec3{1, 0, 0};
    frame.u = helper.Cross(frame.axis).Normalized();
    frame.w = frame.axis.Cross(frame.u);
    return frame;
}

void CShapeMesh::BeginGroup(const std::string& name)
{
    m_groups.push_back(name);
}

void CShapeMesh::AddLathe(const SFrame& frame, std::vector<SProfilePoint> profile, int segments, bool closedLoop,
                          bool faceted, double angleOffset)
{
    if (closedLoop && SignedArea(profile) < 0.0)
        std::reverse(profile.begin(), profile.end());
    const int points = static_cast<int>(profile.size());
    const int spans = closedLoop ? points : points - 1;

    std::vector<SProfileNormal> spanNormal(spans);
    std::vector<double> arcLength(points + 1, 0.0);
    for (int s = 0; s < spans; ++s)
    {
        const SProfilePoint& a = profile[s];
        const SProfilePoint& b = profile[(s + 1) % points];
        spanNormal[s] = SegmentNormal(a, b);
        arcLength[s + 1] = arcLength[s] + std::hypot(b.r - a.r, b.h - a.h);
    }
    const double totalLength = arcLength[spans];

    auto angle = [&](int j) { return angleOffset + 2.0 * std::numbers::pi * j / segments; };
    auto radial = [&](double theta) { return frame.u * std::cos(theta) + frame.w * std::sin(theta); };
    auto point = [&](const SProfilePoint& p, double theta) {
        return frame.origin + frame.axis * p.h + radial(theta) * p.r;
    };
    auto normalAt = [&](const SProfileNormal& n, double theta) { return radial(theta) * n.r + frame.axis * n.h; };

    if (faceted)
    {
        // Every flat facet gets its own four corners, with the facet's normal.
        for (int s = 0; s < spans; ++s)
        {
            const SProfilePoint& a = profile[s];
            const SProfilePoint& b = profile[(s + 1) % points];
            for (int j = 0; j < segments; ++j)
            {
                const double t0 = angle(j), t1 = angle(j + 1);
                const SVec3 n = normalAt(spanNormal[s], (t0 + t1) / 2.0);
                const double u0 = double(j) / segments, u1 = double(j + 1) / segments;
                const double va = arcLength[s] / totalLength, vb = arcLength[s + 1] / totalLength;
                AddQuad(AddVertex(point(a, t0), n, u0, va), AddVertex(point(a, t1), n, u1, va),
                        AddVertex(point(b, t1), n, u1, vb), AddVertex(point(b, t0), n, u0, vb));
            }
        }
        return;
    }

    // Rings of vertices: the one a point offers the span before it and the one it offers the
    // span after it. They are the same vertices where the profile is smooth.
    std::vector<std::vector<int>> before(points), after(points);
    auto ring = [&](const SProfilePoint& p, const SProfileNormal& n, double v) {
        std::vector<int> ids(segments);
        for (int j = 0; j < segments; ++j)
            ids[j] = AddVertex(point(p, angle(j)), normalAt(n, angle(j)), double(j) / segments, v);
        return ids;
    };
    for (int i = 0; i < points; ++i)
    {
        const SProfilePoint& p = profile[i];
        const bool hasPrevious = closedLoop || i > 0;
        const bool hasNext = closedLoop || i < points - 1;
        const SProfileNormal previous = spanNormal[(i - 1 + spans) % spans];
        const SProfileNormal next = spanNormal[i % spans];
        const double v = arcLength[i] / totalLength;
        if (!closedLoop && p.r == 0.0)
        {
            // A pole: one vertex on the axis, facing along it.
            const double side = (hasNext ? next.h : previous.h) >= 0.0 ? 1.0 : -1.0;
            const int id = AddVertex(point(p, 0.0), frame.axis * side, 0.5, v);
            before[i] = after[i] = std::vector<int>(segments, id);
        }
        else if (p.sharp || !hasPrevious || !hasNext)
        {
            if (hasPrevious)
                before[i] = ring(p, previous, v);
            if (hasNext)
                after[i] = ring(p, next, v);
        }
        else
        {
            before[i] = after[i] = ring(p, Normalized({previous.r + next.r, previous.h + next.h}), v);
        }
    }
    for (int s = 0; s < spans; ++s)
    {
        const std::vector<int>& a = after[s];
        const std::vector<int>& b = before[(s + 1) % points];
        for (int j = 0; j < segments; ++j)
        {
            const int j1 = (j + 1) % segments;
            AddQuad(a[j], a[j1], b[j1], b[j]);
        }
    }
}

void CShapeMesh::AddTorus(const SFrame& frame, double majorRadius, double minorRadius, int majorSegments,
                          int minorSegments)
{
    std::vector<SProfilePoint> circle;
    for (int k = 0; k < minorSegments; ++k)
    {
        const double phi = 2.0 * std::numbers::pi * k / minorSegments;
        circle.push_back({majorRadius + minorRadius * std::cos(phi), minorRadius * std::sin(phi), false});
    }
    AddLathe(frame, circle, majorSegments, true);
}

void CShapeMesh::AddBox(const SFrame& frame, const SVec3& halfSize)
{
    const SVec3 axes[3] = {frame.u * halfSize.x, frame.axis * halfSize.y, frame.w * halfSize.z};
    for (int normalAxis = 0; normalAxis < 3; ++normalAxis)
    {
        const SVec3& across1 = axes[(normalAxis + 1) % 3];
        const SVec3& across2 = axes[(normalAxis + 2) % 3];
        for (double side : {-1.0, 1.0})
        {
            const SVec3 centre = frame.origin + axes[normalAxis] * side;
            const SVec3 n = (axes[normalAxis] * side).Normalized();
            AddQuad(AddVertex(centre - across1 - across2, n, 0, 0), AddVertex(centre + across1 - across2, n, 1, 0),
                    AddVertex(centre + across1 + across2, n, 1, 1), AddVertex(centre - across1 + across2, n, 0, 1));
        }
    }
}

int CShapeMesh::AddVertex(const SVec3& position, const SVec3& normal, double u, double v)
{
    const SVec3 n = normal.Normalized();
    SVertex vertex;
    vertex.position = {float(Snap(position.x, 1024)), float(Snap(position.y, 1024)), float(Snap(position.z, 1024))};
    vertex.normal = {float(Snap(n.x, 32768)), float(Snap(n.y, 32768)), float(Snap(n.z, 32768))};
    vertex.u = float(Snap(u, 4096));
    vertex.v = float(Snap(v, 4096));
    m_vertices.push_back(vertex);
    return static_cast<int>(m_vertices.size()) - 1;
}

void CShapeMesh::AddTriangle(int a, int b, int c)
{
    const SVertex& va = m_vertices[a];
    const SVertex& vb = m_vertices[b];
    const SVertex& vc = m_vertices[c];
    if (va.position == vb.position || vb.position == vc.position || vc.position == va.position)
        return;
    const SVec3 pa = ToVec(va.position);
    const SVec3 facing = (ToVec(vb.position) - pa).Cross(ToVec(vc.position) - pa);
    const SVec3 intended = ToVec(va.normal) + ToVec(vb.normal) + ToVec(vc.normal);
    // Counter-clockwise seen from outside, as the file format expects.
    if (facing.Dot(intended) < 0.0)
        std::swap(b, c);
    m_triangles.push_back({{a, b, c}, std::max(static_cast<int>(m_groups.size()) - 1, 0)});
}

void CShapeMesh::AddQuad(int a, int b, int c, int d)
{
    AddTriangle(a, b, c);
    AddTriangle(a, c, d);
}

std::string CShapeMesh::Validate() const
{
    if (m_vertices.size() > 65535 || m_triangles.size() > 65535)
        return "more than 65535 vertices or triangles";

    // Closed: each edge, by position, is run once in each direction.
    using Position = std::array<float, 3>;
    std::map<std::pair<Position, Position>, int> runs;
    for (const STriangle& t : m_triangles)
    {
        for (int e = 0; e < 3; ++e)
            ++runs[{m_vertices[t.v[e]].position, m_vertices[t.v[(e + 1) % 3]].position}];
        const SVec3 p0 = ToVec(m_vertices[t.v[0]].position);
        const double area = (ToVec(m_vertices[t.v[1]].position) - p0).Cross(ToVec(m_vertices[t.v[2]].position) - p0).Dot(
            (ToVec(m_vertices[t.v[1]].position) - p0).Cross(ToVec(m_vertices[t.v[2]].position) - p0));
        if (area < 1e-10)
            return "a triangle has no area";
    }
    for (const auto& [edge, count] : runs)
    {
        const auto reverse = runs.find({edge.second, edge.first});
        if (count != 1 || reverse == runs.end() || reverse->second != 1)
            return "the mesh is not closed: an edge is run " + std::to_string(count) + " time(s) one way and " +
                   std::to_string(reverse == runs.end() ? 0 : reverse->second) + " the other";
    }

    // Different positions must not be within the outline's closeness tolerance.
    std::set<Position> distinct;
    for (const SVertex& v : m_vertices)
        distinct.insert(v.position);
    const std::vector<Position> positions(distinct.begin(), distinct.end());
    for (std::size_t i = 0; i < positions.size(); ++i)
    {
        for (std::size_t j = i + 1; j < positions.size(); ++j)
        {
            const float dx = positions[i][0] - positions[j][0];
            const float dy = positions[i][1] - positions[j][1];
            const float dz = positions[i][2] - positions[j][2];
            if (dx * dx <= 0.01f && dy * dy <= 0.01f && dz * dz <= 0.01f)
                return "two different positions are within 0.1 units: (" + std::to_string(positions[i][0]) + ", " +
                       std::to_string(positions[i][1]) + ", " + std::to_string(positions[i][2]) + ")";
        }
    }
    return {};
}

SMS3DModel CShapeMesh::ToModel(const std::string& materialName, const std::array<float, 4>& diffuse) const
{
    SMS3DModel model;
    std::vector<int> uses(m_vertices.size(), 0);
    for (const STriangle& t : m_triangles)
        for (int index : t.v)
            ++uses[index];
    for (std::size_t i = 0; i < m_vertices.size(); ++i)
        model.vertices.push_back({0, m_vertices[i].position, -1, std::uint8_t(std::min(uses[i], 255))});

    const std::size_t groupCount = std::max<std::size_t>(m_groups.size(), 1);
    model.groups.resize(groupCount);
    for (std::size_t g = 0; g < groupCount; ++g)
    {
        model.groups[g].name = g < m_groups.size() ? m_groups[g] : "Mesh";
        model.groups[g].materialIndex = 0;
    }
    for (const STriangle& t : m_triangles)
    {
        SMS3DTriangle out;
        for (int c = 0; c < 3; ++c)
        {
            const SVertex& v = m_vertices[t.v[c]];
            out.vertices[c] = static_cast<std::uint16_t>(t.v[c]);
            out.normals[c] = v.normal;
            out.s[c] = v.u;
            out.t[c] = v.v;
        }
        out.groupIndex = static_cast<std::uint8_t>(t.group);
        model.groups[t.group].triangles.push_back(static_cast<std::uint16_t>(model.triangles.size()));
        model.triangles.push_back(out);
    }

    SMS3DMaterial material;
    material.name = materialName;
    material.ambient = {diffuse[0] * 0.5f, diffuse[1] * 0.5f, diffuse[2] * 0.5f, 1.0f};
    material.diffuse = diffuse;
    material.specular = {0.6f, 0.6f, 0.6f, 1.0f};
    material.emissive = {0.0f, 0.0f, 0.0f, 1.0f};
    material.shininess = 32.0f;
    material.transparency = 1.0f;
    model.materials.push_back(material);
    return model;
}

} // namespace ModelGenerator
