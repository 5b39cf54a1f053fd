#pragma once
// CFontRasterizer: finds a font face and renders its glyphs into a coverage atlas (one byte per
// pixel): with fontconfig and FreeType on Linux, with GDI and stb_truetype on Windows. Text is
// UTF-8; the atlas holds the characters that names of parts and equipment are written in: Latin
// (U+0020 to U+017F), Greek and Cyrillic (U+0370 to U+052F) and general punctuation (U+2000 to
// U+206F). A character the face lacks is taken from a fallback face (fontconfig's choice; on
// Windows the first of a list of common faces that has it); one no installed face has, and any
// character outside those ranges, is drawn as "?". No graphics state: the device uploads the
// atlas and draws from it.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Tess
{

struct SRenderedGlyph;

// The atlas's slots: the code points below kDenseCharacters stand in the slot of their number,
// general punctuation after them.
constexpr char32_t kDenseCharacters = 0x530;
constexpr char32_t kFirstPunctuation = 0x2000;
constexpr char32_t kPunctuationCount = 0x70;
constexpr int kGlyphSlots = static_cast<int>(kDenseCharacters + kPunctuationCount);
// The character drawn for one the font cannot show.
constexpr char32_t kReplacementCharacter = '?';

// The slot of a code point, or -1 for one outside the atlas's ranges.
constexpr int GlyphSlot(char32_t c)
{
    if (c < kDenseCharacters)
        return static_cast<int>(c);
    if (c >= kFirstPunctuation && c < kFirstPunctuation + kPunctuationCount)
        return static_cast<int>(kDenseCharacters + (c - kFirstPunctuation));
    return -1;
}

// What layout needs to know of a font: one advance width per slot, indexed by GlyphSlot (so by
// the character itself below U+0530), and the line height.
struct FontMetrics
{
    std::int32_t lineHeight = 0;
    std::int32_t ascent = 0;    // baseline below the top of a line
    std::array<std::int32_t, kGlyphSlots> advance{};
    // Whether a face had the slot's character; the others are shown as kReplacementCharacter.
    std::array<bool, kGlyphSlots> present{};

    // The advance of the character as drawn (the replacement's for one the font lacks).
    std::int32_t Advance(char32_t c) const { return advance[static_cast<std::size_t>(ShownSlot(c))]; }
    // The slot drawn for the character. Controls keep their own, empty one.
    int ShownSlot(char32_t c) const
    {
        const int slot = GlyphSlot(c);
        const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
        return slot >= 0 && (control || present[static_cast<std::size_t>(slot)]) ? slot
                                                                                  : GlyphSlot(kReplacementCharacter);
    }
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
    // Windows has no files to name: there it is the face GDI matched (maybe a substitute).
    static std::string FindFontFile(const std::string& faceName, bool bold, bool italic);
    // The same for a face that has the character `c`, closest to the face named.
    static std::string FindFontFileWith(const std::string& faceName, bool bold, bool italic, char32_t c);

    // Renders the face with characters `pixelHeight` pixels high (the em height). False when
    // no font is found or it cannot be read.
    bool Create(const std::string& faceName, std::int32_t pixelHeight, bool bold, bool italic);

    const FontMetrics& GetMetrics() const { return m_metrics; }
    // The glyph drawn for the character: the replacement's for one no face had.
    const Glyph& GetGlyph(char32_t c) const { return m_glyphs[static_cast<std::size_t>(m_metrics.ShownSlot(c))]; }
    // Whether the face, or a fallback face, has the character.
    bool HasCharacter(char32_t c) const { return GlyphSlot(c) >= 0 && m_metrics.present[GlyphSlot(c)]; }
    std::int32_t GetAtlasWidth() const { return m_atlasWidth; }
    std::int32_t GetAtlasHeight() const { return m_atlasHeight; }
    // Coverage, one byte per pixel, rows top-down.
    const std::vector<std::uint8_t>& GetAtlas() const { return m_atlas; }
    const std::string& GetFontFile() const { return m_fontFile; }
    // The faces characters the main face lacks were taken from, in the order they were asked for.
    const std::vector<std::string>& GetFallbackFiles() const { return m_fallbackFiles; }

private:
    // Renders the `missing` slots from the fallback faces, dropping those found.
    void RenderFromFallbacks(const std::string& faceName, bool bold, bool italic, std::int32_t pixelHeight,
                             const std::string& mainFile, std::vector<int>& missing,
                             std::vector<SRenderedGlyph>& rendered);
    void PackAtlas(const std::vector<SRenderedGlyph>& rendered);

    FontMetrics m_metrics;
    std::array<Glyph, kGlyphSlots> m_glyphs{};
    std::int32_t m_atlasWidth = 0;
    std::int32_t m_atlasHeight = 0;
    std::vector<std::uint8_t> m_atlas;
    std::string m_fontFile;
    std::vector<std::string> m_fallbackFiles;
};

} // namespace Tess
