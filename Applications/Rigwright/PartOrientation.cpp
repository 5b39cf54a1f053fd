#include "Applications/Rigwright/PartOrientation.h"

#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"

#include <cmath>

namespace Tess
{

namespace
{

// Column-vector matrices in double: the turns are composed before anything is rounded to float.
struct SMatrix
{
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    SMatrix operator*(const SMatrix& o) const
    {
        SMatrix r;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
        return r;
    }
};

constexpr double kPi = 3.14159265358979323846;

// Sine and cosine of an angle in degrees, exact for whole quarter turns: the angle is reduced to
// within 45 degrees of a quarter turn first, so {0, 90, 0} swaps axes without a stray 1e-8.
void SinCosDegrees(double degrees, double& sine, double& cosine)
{
    if (!std::isfinite(degrees))
        degrees = 0.0;
    const double quarters = std::round(degrees / 90.0);
    const double rest = (degrees - quarters * 90.0) * (kPi / 180.0);
    const double s = std::sin(rest), c = std::cos(rest);
    switch (static_cast<int>(std::fmod(quarters, 4.0) + 4.0) % 4)
    {
    case 0: sine = s; cosine = c; break;
    case 1: sine = c; cosine = -s; break;
    case 2: sine = -s; cosine = -c; break;
    default: sine = -c; cosine = s; break;
    }
}

// The right-handed turn about axis 0, 1 or 2 (x, y, z) by `degrees`, counter-clockwise seen from
// the axis's positive end.
SMatrix Turn(int axis, double degrees)
{
    double s = 0.0, c = 1.0;
    SinCosDegrees(degrees, s, c);
    const int a = (axis + 1) % 3, b = (axis + 2) % 3;
    SMatrix r;
    r.m[a][a] = c;
    r.m[a][b] = -s;
    r.m[b][a] = s;
    r.m[b][b] = c;
    return r;
}

// The turn that brings the file's up axis to +y.
SMatrix UpTurn(EUpAxis up)
{
    switch (up)
    {
    case EUpAxis::PositiveX: return Turn(2, 90.0);
    case EUpAxis::NegativeX: return Turn(2, -90.0);
    case EUpAxis::PositiveZ: return Turn(0, -90.0);
    case EUpAxis::NegativeZ: return Turn(0, 90.0);
    case EUpAxis::NegativeY: return Turn(0, 180.0);
    case EUpAxis::PositiveY: break;
    }
    return {};
}

Vector3 Apply(const Matrix3& m, const Vector3& p)
{
    const double x = p.x, y = p.y, z = p.z;
    return Vector3(static_cast<float>(x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0]),
                   static_cast<float>(x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1]),
                   static_cast<float>(x * m.m[0][2] + y * m.m[1][2] + z * m.m[2][2]));
}

} // namespace

bool ParseUpAxis(const std::string& name, EUpAxis& axis)
{
    std::string letter = name;
    bool negative = false;
    if (letter.size() == 2 && (letter[0] == '-' || letter[0] == '+'))
    {
        negative = letter[0] == '-';
        letter.erase(0, 1);
    }
    if (letter == "x" || letter == "X")
        axis = negative ? EUpAxis::NegativeX : EUpAxis::PositiveX;
    else if (letter == "y" || letter == "Y")
        axis = negative ? EUpAxis::NegativeY : EUpAxis::PositiveY;
    else if (letter == "z" || letter == "Z")
        axis = negative ? EUpAxis::NegativeZ : EUpAxis::PositiveZ;
    else
        return false;
    return true;
}

Matrix3 ComputePartMatrix(const SPartOrientation& orientation, float scale)
{
    const Vector3& angles = orientation.rotation;
    const SMatrix file = Turn(2, angles.z) * Turn(1, angles.y) * Turn(0, angles.x) * UpTurn(orientation.up);
    // The mesh is the file mirrored in z (M); the same map in its coordinates is M x R x M, a
    // rotation again. Rows and columns swap for the engine's row vectors.
    constexpr double kMirror[3] = {1.0, 1.0, -1.0};
    Matrix3 engine;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            engine.m[j][i] = static_cast<float>(kMirror[i] * file.m[i][j] * kMirror[j] * scale);
    return engine;
}

void PlacePartMesh(CTriMesh& mesh, const SPartOrientation& orientation, float scale)
{
    if (orientation == SPartOrientation{} && scale == 1.0f)
        return;
    if (CVertexElement* position = mesh.FindElement("POSITION"); position && position->GetComponentCount() == 3)
    {
        const Matrix3 map = ComputePartMatrix(orientation, scale);
        for (int v = 0; v < position->GetEntryCount(); ++v)
            position->SetVector3(v, Apply(map, position->GetVector3(v)));
        // The positions were written behind the mesh's back: its box is out of date.
        mesh.InvalidateBounds();
    }
    if (CVertexElement* normal = mesh.FindElement("NORMAL"); normal && normal->GetComponentCount() == 3)
    {
        const Matrix3 turn = ComputePartMatrix(orientation, 1.0f);
        for (int v = 0; v < normal->GetEntryCount(); ++v)
            normal->SetVector3(v, Apply(turn, normal->GetVector3(v)));
    }
}

} // namespace Tess
