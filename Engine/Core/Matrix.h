#pragma once
// 3x3 and 4x4 float matrices, row-major and used with row vectors: a point maps as p x M, so
// A x B applies A first. Left-handed, as the graphics interface the engine was designed on.
// Rows 0, 1, 2 of an entity's matrix are its right, up and forward axes; row 3 its translation.

#include "Engine/Core/Vector.h"

namespace Tess
{

struct Matrix3
{
    float m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    static constexpr Matrix3 Identity() { return {}; }

    Matrix3 operator*(const Matrix3& o) const;
    bool operator==(const Matrix3&) const = default;

    Vector3 Row(int i) const { return {m[i][0], m[i][1], m[i][2]}; }
};

struct Matrix4
{
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    static constexpr Matrix4 Identity() { return {}; }

    Matrix4 operator*(const Matrix4& o) const;
    bool operator==(const Matrix4&) const = default;

    Vector3 Row3(int i) const { return {m[i][0], m[i][1], m[i][2]}; }
    Vector4 Row(int i) const { return {m[i][0], m[i][1], m[i][2], m[i][3]}; }
    Vector4 Column(int i) const { return {m[0][i], m[1][i], m[2][i], m[3][i]}; }
};

// Rotation about X by a radians: rows (1,0,0), (0,cos a,sin a), (0,-sin a,cos a).
Matrix3 RotationX(float a);
// Rotation about Y by a radians: rows (cos a,0,-sin a), (0,1,0), (sin a,0,cos a).
Matrix3 RotationY(float a);

// Left-handed perspective projection with depth mapped to 0..1.
Matrix4 MatrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);
// Left-handed look-at view matrix.
Matrix4 MatrixLookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up);
// The same, looking from `eye` along `direction`. Far from the origin a point one unit ahead of
// the eye rounds to a nearby float, and the difference would no longer be the direction.
Matrix4 MatrixLookToLH(const Vector3& eye, const Vector3& direction, const Vector3& up);

// p x M with w = 1, divided by the resulting w.
Vector3 TransformCoord(const Vector3& p, const Matrix4& m);
// (v, w) x M.
Vector4 Transform(const Vector4& v, const Matrix4& m);

} // namespace Tess
