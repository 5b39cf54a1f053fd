// Corners of a triangle soup shared by smoothness: shared across gentle turns, split at folds,
// and never shared between points that only nearly coincide.

#include "Engine/Geometry/SmoothCorners.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Tess;

namespace
{

struct SSoup
{
    std::vector<float> positions, normals, texcoords;
    std::vector<std::uint32_t> indices;

    void Add(std::initializer_list<float> a, std::initializer_list<float> b, std::initializer_list<float> c)
    {
        for (const auto& corner : {a, b, c})
        {
            positions.insert(positions.end(), corner);
            normals.insert(normals.end(), {0, 0, 0});
            texcoords.insert(texcoords.end(), {0, 0});
            indices.push_back(static_cast<std::uint32_t>(indices.size()));
        }
    }
    std::size_t Share()
    {
        ShareSmoothCorners(positions, normals, texcoords, indices);
        return positions.size() / 3;
    }
};

// Two triangles hinged along the edge from (0, 0, 0) to (0, 1, 0), turned by `degrees`.
SSoup Hinge(float degrees)
{
    const float a = degrees * 3.14159265f / 180.0f;
    SSoup soup;
    soup.Add({0, 0, 0}, {0, 1, 0}, {1, 0, 0});
    soup.Add({0, 1, 0}, {0, 0, 0}, {-std::cos(a), 0, std::sin(a)});
    return soup;
}

} // namespace

TEST(SmoothCornersTest, GentleTurnsShareTheHingeFoldsSplitIt)
{
    SSoup flat = Hinge(0.0f);
    EXPECT_EQ(flat.Share(), 4u);
    // Both faces gather each other at the hinge: one normal there, straight up the middle.
    EXPECT_NEAR(flat.normals[2], -1.0f, 1e-6f);

    EXPECT_EQ(Hinge(20.0f).Share(), 4u);
    SSoup fold = Hinge(90.0f);
    EXPECT_EQ(fold.Share(), 6u);
    // Every corner still names a vertex at its own position.
    for (std::size_t corner = 0; corner < fold.indices.size(); ++corner)
        EXPECT_LT(fold.indices[corner], 6u);
}

TEST(SmoothCornersTest, NearlyCoincidingPointsAndBrokenSoupsAreLeftApart)
{
    SSoup soup;
    soup.Add({0, 0, 0}, {0, 1, 0}, {1, 0, 0});
    soup.Add({0, 1, 0}, {0, 1e-7f, 0}, {-1, 0, 0});
    EXPECT_EQ(soup.Share(), 5u) << "only bit-equal positions are one point";

    SSoup broken = Hinge(0.0f);
    broken.indices[4] = 99;
    const std::vector<float> before = broken.positions;
    broken.Share();
    EXPECT_EQ(broken.positions, before) << "a corner naming no vertex leaves the soup as it was";
}
