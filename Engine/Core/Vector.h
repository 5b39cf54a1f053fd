#pragma once
// The engine's small vectors: two, three and four 32-bit floats.

#include <cmath>

namespace Tess
{

struct Vector2
{
    float x = 0.0f;
    float y = 0.0f;

    constexpr Vector2() = default;
    constexpr Vector2(float xIn, float yIn) : x(xIn), y(yIn) {}

    constexpr Vector2 operator+(const Vector2& o) const { return {x + o.x, y + o.y}; }
    constexpr Vector2 operator-(const Vector2& o) const { return {x - o.x, y - o.y}; }
    constexpr Vector2 operator*(float s) const { return {x * s, y * s}; }
    constexpr bool operator==(const Vector2&) const = default;
};

struct Vector3
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vector3() = default;
    constexpr Vector3(float xIn, float yIn, float zIn) : x(xIn), y(yIn), z(zIn) {}

    constexpr Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr Vector3 operator-() const { return {-x, -y, -z}; }
    constexpr Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vector3& operator+=(const Vector3& o) { x += o.x; y += o.y; z += o.z; return *this; }
    Vector3& operator-=(const Vector3& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
    Vector3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    constexpr bool operator==(const Vector3&) const = default;

    constexpr float Dot(const Vector3& o) const { return x * o.x + y * o.y + z * o.z; }
    constexpr Vector3 Cross(const Vector3& o) const
    {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    float Length() const { return std::sqrt(x * x + y * y + z * z); }

    // Scales to unit length. There is no guard: a zero vector becomes NaN, so callers that can
    // meet one check first (see NormalizedOrZero).
    Vector3& Normalize()
    {
        const float inverse = 1.0f / std::sqrt(x * x + y * y + z * z);
        return *this *= inverse;
    }
    Vector3 Normalized() const { Vector3 v = *this; return v.Normalize(); }

    // Unit length, or (0,0,0) for a vector whose length is zero or not finite. The length is
    // taken in double: in float the squares of tiny components fall into the denormals (a
    // result of length 1.06) and those of huge ones overflow (a zero result for a real direction).
    Vector3 NormalizedOrZero() const
    {
        const double dx = x, dy = y, dz = z;
        const double lengthSquared = dx * dx + dy * dy + dz * dz;
        if (!(lengthSquared > 0.0) || !std::isfinite(lengthSquared))
            return {};
        const double inverse = 1.0 / std::sqrt(lengthSquared);
        return {static_cast<float>(dx * inverse), static_cast<float>(dy * inverse), static_cast<float>(dz * inverse)};
    }

    // Equal within the engine's tolerance: every component's squared difference is at most 0.01.
    bool IsNear(const Vector3& o) const
    {
        const float dx = x - o.x, dy = y - o.y, dz = z - o.z;
        return dx * dx <= 0.01f && dy * dy <= 0.01f && dz * dz <= 0.01f;
    }
};

constexpr Vector3 operator*(float s, const Vector3& v) { return v * s; }

struct Vector4
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    constexpr Vector4() = default;
    constexpr Vector4(float xIn, float yIn, float zIn, float wIn) : x(xIn), y(yIn), z(zIn), w(wIn) {}
    constexpr Vector4(const Vector3& v, float wIn) : x(v.x), y(v.y), z(v.z), w(wIn) {}

    constexpr Vector3 XYZ() const { return {x, y, z}; }
    constexpr bool operator==(const Vector4&) const = default;
};

} // namespace Tess
