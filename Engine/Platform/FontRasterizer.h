#pragma once
// CFontRasterizer: finds a font face with fontconfig and renders its glyphs with FreeType
// into a coverage atlas (one byte per pixel) for the bytes 32 to 255, read as Latin-1. No
// graphics state: the device uploads the atlas and draws from it.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Tess
{

// What layout needs to know of a font: one advance width per byte value and the line height.
struct FontMetrics
{
    std::int32_t lineHeight = 0;
    std::int32_t ascent = 0;    // baseline below the top of a line
    std::array<std::int32_t, 256> advance{};
};

class CFontRasterizer
{
public:
    // Where a glyph lies in the atlas and how it sits against the pen position.
    struct Glyph
    {
        std::int32_t atlasX = 0, atlasY = 0;
        std::int32_t width = 0, height = 0;
        std::int32_t bearingX = 0;  // pen to the glyph's left edge
        std::int32_t bearingY = 0;  // baseline up to the glyph's top edge
    };

    // The font file fontconfig picks for a face name. A substitute must keep the asked-for
    // slant: a cursive italic stand-in for an upright face is no match. Empty when none.
    static std::string FindFontFile(const std::string& faceName, bool bold, bool italic);

    // Renders the face with characters `pixelHeight` pixels high (the em height). False when
    // no font file is found or FreeType cannot read it.
    bool Create(const std::string& faceName, std::int32_t pixelHeight, bool bold, bool italic);

    const FontMetrics& GetMetrics() const { return m_metrics; }
    const Glyph& GetGlyph(unsigned char c) const { return m_glyphs[c]; }
    std::int32_t GetAtlasWidth() const { return m_atlasWidth; }
    std::int32_t GetAtlasHeight() const { return m_atlasHeight; }
    // Coverage, one byte per pixel, rows top-down.
    const std::vector<std::uint8_t>& GetAtlas() const { return m_atlas; }
    const std::string& GetFontFile() const { return m_fontFile; }

private:
    FontMetrics m_metrics;
    std::array<Glyph, 256> m_glyphs{};
    std::int32_t m_atlasWidth = 0;
    std::int32_t m_atlasHeight = 0;
    std::vector<std::uint8_t> m_atlas;
    std::string m_fontFile;
};

} // namespace Tess
