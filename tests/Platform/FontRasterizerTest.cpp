// Face matching through fontconfig and glyph rendering through FreeType.

#include "Engine/Platform/FontRasterizer.h"

#include <gtest/gtest.h>

using namespace Tess;

namespace
{

bool IsLiberationOrDejaVu(const std::string& file)
{
    return file.find("Liberation") != std::string::npos || file.find("DejaVu") != std::string::npos;
}

} // namespace

TEST(FontMatching, EngineFacesResolveToInstalledUprightFonts)
{
    const std::string courier = CFontRasterizer::FindFontFile("Courier New", false, false);
    EXPECT_NE(courier.find("LiberationMono"), std::string::npos) << courier;
    for (const char* face : {"Verdana", "Comic Sans MS"})
    {
        const std::string file = CFontRasterizer::FindFontFile(face, false, false);
        EXPECT_TRUE(IsLiberationOrDejaVu(file)) << face << " -> " << file;
        // A cursive italic stand-in is no match for an upright face.
        EXPECT_EQ(file.find("Italic"), std::string::npos) << face << " -> " << file;
        EXPECT_EQ(file.find("Oblique"), std::string::npos) << face << " -> " << file;
    }
}

TEST(FontMatching, AMissingFaceFallsBackToAnInstalledFont)
{
    CFontRasterizer font;
    EXPECT_TRUE(font.Create("No Such Face Anywhere", 17, false, false));
    EXPECT_FALSE(font.GetFontFile().empty());
}

TEST(FontRendering, GlyphsHaveTheRequestedCharacterHeight)
{
    CFontRasterizer font;
    ASSERT_TRUE(font.Create("Courier New", 17, false, false));
    const FontMetrics& metrics = font.GetMetrics();
    // A capital stands about 0.65 to 0.75 of the character height.
    const CFontRasterizer::Glyph& capital = font.GetGlyph('H');
    EXPECT_GE(capital.height, 10);
    EXPECT_LE(capital.height, 14);
    EXPECT_EQ(capital.bearingY, capital.height) << "H sits on the baseline";
    EXPECT_GE(metrics.lineHeight, 17);
    EXPECT_LE(metrics.lineHeight, 24);
    // Monospaced: every printable character advances alike.
    EXPECT_EQ(metrics.advance['i'], metrics.advance['W']);
    EXPECT_GT(metrics.advance[' '], 0);
    EXPECT_EQ(font.GetGlyph(' ').width, 0);
}

TEST(FontRendering, AtlasHoldsEachGlyphsCoverage)
{
    CFontRasterizer font;
    ASSERT_TRUE(font.Create("Verdana", 24, false, false));
    const CFontRasterizer::Glyph& glyph = font.GetGlyph('O');
    ASSERT_GT(glyph.width, 0);
    ASSERT_LE(glyph.atlasX + glyph.width, font.GetAtlasWidth());
    ASSERT_LE(glyph.atlasY + glyph.height, font.GetAtlasHeight());
    int covered = 0;
    for (int y = 0; y < glyph.height; ++y)
        for (int x = 0; x < glyph.width; ++x)
            covered += font.GetAtlas()[std::size_t(glyph.atlasY + y) * font.GetAtlasWidth() + glyph.atlasX + x] > 128;
    // A ring: well covered, but far from solid.
    EXPECT_GT(covered, glyph.width);
    EXPECT_LT(covered, glyph.width * glyph.height * 3 / 4);
}

TEST(FontRendering, NonPositiveHeightsAreRefused)
{
    CFontRasterizer font;
    EXPECT_FALSE(font.Create("Courier New", 0, false, false));
    EXPECT_FALSE(font.Create("Courier New", -5, false, false));
}

namespace
{

// The glyph's coverage as it stands in the atlas.
std::vector<std::uint8_t> Coverage(const CFontRasterizer& font, char32_t c)
{
    const CFontRasterizer::Glyph& glyph = font.GetGlyph(c);
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < glyph.height; ++y)
        for (int x = 0; x < glyph.width; ++x)
            pixels.push_back(font.GetAtlas()[std::size_t(glyph.atlasY + y) * font.GetAtlasWidth() + glyph.atlasX + x]);
    return pixels;
}

} // namespace

// Part names come in Cyrillic ("Дет1", "Сборка1"): each letter has a glyph of its own, not the
// face's missing-glyph box (which would look alike for every letter) nor the "?" stand-in.
TEST(FontRendering, CyrillicLettersHaveGlyphsOfTheirOwn)
{
    CFontRasterizer font;
    ASSERT_TRUE(font.Create("Comic Sans MS", 14, false, false));
    const std::u32string letters = U"ДетСборка";
    for (char32_t c : letters)
    {
        EXPECT_TRUE(font.HasCharacter(c)) << std::hex << std::uint32_t(c);
        EXPECT_GT(font.GetGlyph(c).width, 0) << std::hex << std::uint32_t(c);
        EXPECT_NE(Coverage(font, c), Coverage(font, U'?')) << std::hex << std::uint32_t(c);
    }
    EXPECT_NE(Coverage(font, U'Д'), Coverage(font, U'С'));
    EXPECT_NE(Coverage(font, U'б'), Coverage(font, U'о'));
    EXPECT_GT(font.GetMetrics().Advance(U'Д'), 0);
}

// A face without Cyrillic (the TeX math face has none) takes those letters from a fallback face
// fontconfig names; a character no face has, or one outside the atlas, is drawn as "?".
TEST(FontRendering, LettersTheFaceLacksComeFromAFallbackFace)
{
    const std::string mathFace = "DejaVu Math TeX Gyre";
    const std::string file = CFontRasterizer::FindFontFile(mathFace, false, false);
    if (file.find("DejaVuMathTeXGyre") == std::string::npos)
        GTEST_SKIP() << "the DejaVu math face is not installed (fonts-dejavu-extra)";
    CFontRasterizer font;
    ASSERT_TRUE(font.Create(mathFace, 16, false, false));
    EXPECT_EQ(font.GetFontFile(), file);
    ASSERT_FALSE(font.GetFallbackFiles().empty());
    EXPECT_NE(font.GetFallbackFiles().front(), file);
    EXPECT_EQ(CFontRasterizer::FindFontFileWith(mathFace, false, false, U'Ж'), font.GetFallbackFiles().front());
    EXPECT_TRUE(font.HasCharacter(U'Ж'));
    EXPECT_GT(font.GetGlyph(U'Ж').width, 0);
    EXPECT_NE(Coverage(font, U'Ж'), Coverage(font, U'?'));

    EXPECT_FALSE(font.HasCharacter(U'\U0001F600'));
    EXPECT_EQ(font.GetGlyph(U'\U0001F600').atlasX, font.GetGlyph(U'?').atlasX);
    EXPECT_EQ(font.GetMetrics().Advance(U'\x0378'), font.GetMetrics().Advance(U'?')) << "an unassigned code point";
}
