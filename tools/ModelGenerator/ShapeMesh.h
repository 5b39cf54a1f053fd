#pragma once
// CShapeMesh: a triangle mesh assembled from closed solid shapes (surfaces of revolution, tori,
// boxes), with vertices shared where a surface is smooth and split where it folds, ready to be
// written as a MilkShape 3D model.

#include "MS3DFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ModelGenerator
{

struct SVec3
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    SVec3 operator+(const SVec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    SVec3 operator-(const SVec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    SVec3 operator*(double s) const { return {x * s, y * s, z * s}; }
    double Dot(const SVec3& o) const { return x * o.x + y * o.y + z * o.z; }
    SVec3 Cross(const SVec3& o) const { return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x}; }
    SVec3 Normalized() const;
};

// A point of a surface-of-revolution profile: distance r from the axis and height h along it.
// A sharp point folds the surface there (its vertices are split); other points are smooth.
struct SProfilePoint
{
    double r = 0.0;
    double h = 0.0;
    bool sharp = false;
};

// Where a shape stands: its origin, its axis and two unit vectors completing a right-handed
// frame (u x w = axis).
struct SFrame
{
    SVec3 origin;
    SVec3 axis{0, 1, 0};
    SVec3 u{0, 0, 1};
    SVec3 w{1, 0, 0};

    // A frame around `axis` (normalised here) at `origin`.
    static SFrame Around(const SVec3& origin, const SVec3& axis);
};

class CShapeMesh
{
public:
    // Later shapes go into a new group of this name.
    void BeginGroup(const std::string& name);

    // A surface of revolution about the frame's axis with `segments` around it. An open profile
    // runs from a point on the axis up the outside to another point on the axis; a closed one
    // is a loop in the (r, h) plane (a ring, such as a torus or a bored flange). Faceted shapes
    // are flat between segments (a hexagon with 6), with split vertices at every corner.
    void AddLathe(const SFrame& frame, std::vector<SProfilePoint> profile, int segments, bool closedLoop = false,
                  bool faceted = false, double angleOffset = 0.0);
    // A ring of circular cross-section in the frame's u-w plane.
    void AddTorus(const SFrame& frame, double majorRadius, double minorRadius, int majorSegments, int minorSegments);
    // A box with the given half sizes along the frame's u, axis and w, flat faces.
    void AddBox(const SFrame& frame, const SVec3& halfSize);

    int GetVertexCount() const { return static_cast<int>(m_vertices.size()); }
    int GetTriangleCount() const { return static_cast<int>(m_triangles.size()); }

    // Empty when the mesh is closed (every edge, by position, bounds exactly two triangles that
    // run it in opposite directions), no two different positions are within 0.1 on every axis
    // (the outline would join them), and the counts fit the file format; otherwise the reason.
    std::string Validate() const;

    // The model file contents: one material, one group per BeginGroup.
    SMS3DModel ToModel(const std::string& materialName, const std::array<float, 4>& diffuse) const;

private:
    struct SVertex
    {
        std::array<float, 3> position{};
        std::array<float, 3> normal{};
        float u = 0.0f;
        float v = 0.0f;
    };
    struct STriangle
    {
        std::array<int, 3> v{};
        int group = 0;
    };

    int AddVertex(const SVec3& position, const SVec3& normal, double u, double v);
    // Winds the triangle so that it faces the way its vertex normals point; skips triangles with
    // two corners at one position.
    void AddTriangle(int a, int b, int c);
    void AddQuad(int a, int b, int c, int d);

    std::vector<SVertex> m_vertices;
    std::vector<STriangle> m_triangles;
    std::vector<std::string> m_groups;
};

} // namespace ModelGenerator
