// Fonts rendered ahead on a worker thread must be exactly those the device would render itself.

#include "Engine/Platform/Fonts/FontPrefetch.h"

#include <gtest/gtest.h>

using namespace Tess;

namespace
{

void ExpectSameFont(const CFontRasterizer& taken, const CFontRasterizer& direct)
{
    EXPECT_EQ(taken.GetFontFile(), direct.GetFontFile());
    EXPECT_EQ(taken.GetMetrics().lineHeight, direct.GetMetrics().lineHeight);
    EXPECT_EQ(taken.GetMetrics().advance, direct.GetMetrics().advance);
    EXPECT_EQ(taken.GetAtlasWidth(), direct.GetAtlasWidth());
    EXPECT_EQ(taken.GetAtlasHeight(), direct.GetAtlasHeight());
    EXPECT_TRUE(taken.GetAtlas() == direct.GetAtlas()) << "the atlases differ";
}

} // namespace

TEST(FontPrefetch, StartedFontsComeBackAsTheyWouldBeRenderedInAnyOrder)
{
    const CFontPrefetch::SFont courier{"Courier New", 13};
    const CFontPrefetch::SFont boldVerdana{"Verdana", 19, true};
    CFontPrefetch::Start({courier, boldVerdana});
    // Taken in the other order: the second waits for the worker to reach it.
    for (const CFontPrefetch::SFont& font : {boldVerdana, courier})
    {
        CFontRasterizer taken;
        ASSERT_TRUE(CFontPrefetch::Rasterize(taken, font)) << font.faceName;
        CFontRasterizer direct;
        ASSERT_TRUE(direct.Create(font.faceName, font.pixelHeight, font.bold, font.italic));
        ExpectSameFont(taken, direct);
    }
    CFontPrefetch::Discard();
}

TEST(FontPrefetch, AFontAskedForWithAnotherHeightOrStyleIsRenderedOnTheSpot)
{
    CFontPrefetch::Start({{"Courier New", 13}});
    for (const CFontPrefetch::SFont& other : {CFontPrefetch::SFont{"Courier New", 26},
                                              CFontPrefetch::SFont{"Courier New", 13, false, true}})
    {
        CFontRasterizer taken;
        ASSERT_TRUE(CFontPrefetch::Rasterize(taken, other));
        CFontRasterizer direct;
        ASSERT_TRUE(direct.Create(other.faceName, other.pixelHeight, other.bold, other.italic));
        ExpectSameFont(taken, direct);
    }
    // The started one is still there for its own request; a pixel height no font can have fails
    // as the rasteriser does.
    CFontRasterizer started;
    EXPECT_TRUE(CFontPrefetch::Rasterize(started, {"Courier New", 13}));
    CFontRasterizer none;
    EXPECT_FALSE(CFontPrefetch::Rasterize(none, {"Courier New", 0}));
    CFontPrefetch::Discard();
}
