// The box filter that makes the smaller levels of a texture loaded from a file.

#include "Engine/Platform/ImageDecoder.h"

#include <gtest/gtest.h>

using namespace Tess;

TEST(ImageHalvingTest, EachChannelIsTheRoundedMeanOfItsBlock)
{
    // Alpha 0, 0, 255, 255 -> 127.5 rounds up; red 1, 2, 2, 2 -> 1.75 -> 2; green 1, 1, 1, 2 -> 1.25 -> 1.
    const DecodedImage image{2, 2, {0x00010100, 0x00020100, 0xFF020100, 0xFF020201}};
    const DecodedImage half = HalveImage(image);
    ASSERT_EQ(half.width, 1u);
    ASSERT_EQ(half.height, 1u);
    EXPECT_EQ(half.texels[0], 0x80020100u);
}

TEST(ImageHalvingTest, OddEdgesAverageTheirLastTexelWithItselfAndNeverVanish)
{
    // 3 x 1: the second column is averaged with itself, and the height stays 1.
    const DecodedImage row{3, 1, {0xFF000000, 0xFF0000FF, 0xFF00FF00}};
    const DecodedImage half = HalveImage(row);
    ASSERT_EQ(half.width, 1u);
    ASSERT_EQ(half.height, 1u);
    EXPECT_EQ(half.texels[0], 0xFF000080u);

    // 1 x 3 down to 1 x 1 keeps the top texels.
    const DecodedImage column{1, 3, {0xFF202020, 0xFF404040, 0xFFFFFFFF}};
    const DecodedImage halfColumn = HalveImage(column);
    ASSERT_EQ(halfColumn.width, 1u);
    ASSERT_EQ(halfColumn.height, 1u);
    EXPECT_EQ(halfColumn.texels[0], 0xFF303030u);
}

TEST(ImageHalvingTest, AnImageWithTooFewTexelsHalvesToNothing)
{
    EXPECT_TRUE(HalveImage(DecodedImage{4, 4, std::vector<std::uint32_t>(15)}).texels.empty());
    EXPECT_TRUE(HalveImage(DecodedImage{}).texels.empty());
}
