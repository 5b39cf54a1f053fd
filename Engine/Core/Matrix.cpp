#include "Engine/Core/Matrix.h"

#include <cmath>

namespace Tess
{

Matrix3 Matrix3::operator*(const Matrix3& o) const
{
    Matrix3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
    return r;
}

Matrix4 Matrix4::operator*(const Matrix4& o) const
{
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j] +
                        m[i][3] * o.m[3][j];
    return r;
}

Matrix3 RotationX(float a)
{
    const float c = std::cos(a), s = std::sin(a);
    Matrix3 r;
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

Matrix3 RotationY(float a)
{
    const float c = std::cos(a), s = std::sin(a);
    Matrix3 r;
    r.m[0][0] = c;
    r.m[0][2] = -s;
    r.m[2][0] = s;
    r.m[2][2] = c;
    return r;
}

Matrix4 MatrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar)
{
    const float yScale = 1.0f / std::tan(fovY * 0.5f);
    const float xScale = yScale / aspect;
    const float depth = zFar / (zFar - zNear);
    Matrix4 r;
    r.m[0][0] = xScale;
    r.m[1][1] = yScale;
    r.m[2][2] = depth;
    r.m[2][3] = 1.0f;
    r.m[3][2] = -zNear * depth;
    r.m[3][3] = 0.0f;
    return r;
}

Matrix4 MatrixLookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up)
{
    return MatrixLookToLH(eye, at - eye, up);
}

Matrix4 MatrixLookToLH(const Vector3& eye, const Vector3& direction, const Vector3& up)
{
    const Vector3 zAxis = direction.Normalized();
    const Vector3 xAxis = up.Cross(zAxis).Normalized();
    const Vector3 yAxis = zAxis.Cross(xAxis);
    Matrix4 r;
    r.m[0][0] = xAxis.x; r.m[0][1] = yAxis.x; r.m[0][2] = zAxis.x;
    r.m[1][0] = xAxis.y; r.m[1][1] = yAxis.y; r.m[1][2] = zAxis.y;
    r.m[2][0] = xAxis.z; r.m[2][1] = yAxis.z; r.m[2][2] = zAxis.z;
    r.m[3][0] = -xAxis.Dot(eye);
    r.m[3][1] = -yAxis.Dot(eye);
    r.m[3][2] = -zAxis.Dot(eye);
    return r;
}

Vector4 Transform(const Vector4& v, const Matrix4& m)
{
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + v.w * m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + v.w * m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + v.w * m.m[3][2],
            v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + v.w * m.m[3][3]};
}

Vector3 TransformCoord(const Vector3& p, const Matrix4& m)
{
    const Vector4 r = Transform(Vector4(p, 1.0f), m);
    const float inverseW = 1.0f / r.w;
    return {r.x * inverseW, r.y * inverseW, r.z * inverseW};
}

} // namespace Tess
