// Fonts on Windows: faces found through GDI, glyphs rendered by stb_truetype into the same atlas
// the Linux rasteriser fills. Run under Wine, where the faces are Wine's own or the machine's.

#include "Engine/Platform/FontRasterizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <vector>

using namespace Tess;

namespace
{

constexpr char32_t kCyrillicZhe = 0x416;

// The first of some common faces whose match has Cyrillic; Wine's set depends on the machine.
std::string FaceWithCyrillic()
{
    for (const char* face : {"Tahoma", "Arial", "Segoe UI", "DejaVu Sans", "Liberation Sans"})
        if (!CFontRasterizer::FindFontFileWith(face, false, false, kCyrillicZhe).empty())
            return face;
    return {};
}

std::vector<std::uint8_t> GlyphPixels(const CFontRasterizer& font, char32_t c)
{
    const CFontRasterizer::Glyph& glyph = font.GetGlyph(c);
    std::vector<std::uint8_t> pixels;
    for (std::int32_t y = 0; y < glyph.height; ++y)
    {
        const auto row = font.GetAtlas().begin() + std::ptrdiff_t(glyph.atlasY + y) * font.GetAtlasWidth() + glyph.atlasX;
        pixels.insert(pixels.end(), row, row + glyph.width);
    }
    return pixels;
}

bool HasInk(const std::vector<std::uint8_t>& pixels)
{
    return std::any_of(pixels.begin(), pixels.end(), [](std::uint8_t p) { return p > 128; });
}

// A face with Cyrillic, or the test is skipped.
class GdiFonts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        face = FaceWithCyrillic();
        if (face.empty())
            GTEST_SKIP() << "no face with Cyrillic is installed";
    }
    std::string face;
};

} // namespace

TEST_F(GdiFonts, GlyphsAreDistinctInkAtTheRequestedHeight)
{
    CFontRasterizer font;
    ASSERT_TRUE(font.Create(face, 20, false, false));
    std::cout << "face asked for: " << face << ", drawn with: " << font.GetFontFile() << "\n";
    const FontMetrics& metrics = font.GetMetrics();
    EXPECT_GE(metrics.lineHeight, 20);
    EXPECT_LE(metrics.lineHeight, 30);
    EXPECT_GT(metrics.ascent, 0);
    EXPECT_LT(metrics.ascent, metrics.lineHeight);

    const CFontRasterizer::Glyph& capital = font.GetGlyph('H');
    EXPECT_GE(capital.height, 12);
    EXPECT_LE(capital.height, 17);
    EXPECT_EQ(capital.bearingY, capital.height) << "H sits on the baseline";
    EXPECT_GT(metrics.advance[' '], 0);
    EXPECT_EQ(font.GetGlyph(' ').width, 0);
    // Glyphs lie apart in the atlas, each with its own shape.
    const std::vector<std::uint8_t> a = GlyphPixels(font, 'A'), b = GlyphPixels(font, 'B'), o = GlyphPixels(font, 'o');
    EXPECT_TRUE(HasInk(a) && HasInk(b) && HasInk(o));
    EXPECT_NE(a, b);
    EXPECT_NE(font.GetGlyph('A').atlasX + 1000 * font.GetGlyph('A').atlasY,
              font.GetGlyph('B').atlasX + 1000 * font.GetGlyph('B').atlasY);
}

TEST_F(GdiFonts, CyrillicIsDrawnAndUnknownCharactersBecomeTheReplacement)
{
    CFontRasterizer font;
    ASSERT_TRUE(font.Create(face, 16, false, false));
    EXPECT_TRUE(font.HasCharacter(kCyrillicZhe));
    EXPECT_TRUE(HasInk(GlyphPixels(font, kCyrillicZhe)));
    EXPECT_NE(GlyphPixels(font, kCyrillicZhe), GlyphPixels(font, '?'));
    // U+0378 is unassigned: no face has it. U+4E00 lies outside the atlas.
    EXPECT_FALSE(font.HasCharacter(0x378));
    EXPECT_EQ(font.GetMetrics().ShownSlot(0x378), GlyphSlot('?'));
    EXPECT_EQ(font.GetMetrics().ShownSlot(0x4E00), GlyphSlot('?'));
}

TEST(GdiFontSubstitution, AMissingFaceIsSubstitutedByAnInstalledOne)
{
    CFontRasterizer font;
    ASSERT_TRUE(font.Create("No Such Face Anywhere", 17, false, false));
    EXPECT_FALSE(font.GetFontFile().empty());
    EXPECT_NE(font.GetFontFile(), "No Such Face Anywhere");
    EXPECT_TRUE(HasInk(GlyphPixels(font, 'W')));
}
