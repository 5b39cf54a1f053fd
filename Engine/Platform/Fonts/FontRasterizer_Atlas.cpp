// The atlas every font rasteriser packs its rendered glyphs into, whatever rendered them.
#include "Engine/Platform/FontRasterizer.h"

#include "Engine/Platform/Fonts/RenderedGlyph.h"

#include <algorithm>
#include <cstring>

namespace Tess
{

namespace
{

constexpr std::int32_t kAtlasWidth = 512;
// Within the texture size every OpenGL 3.3 and Direct3D 9 device takes.
constexpr std::int32_t kLargestAtlasWidth = 8192;
// Room between glyphs so linear filtering never bleeds a neighbour in.
constexpr std::int32_t kGlyphPadding = 1;

// Wide enough that the atlas comes out about square, so a large font still fits a texture.
std::int32_t ChooseAtlasWidth(const std::vector<SRenderedGlyph>& rendered)
{
    std::int64_t area = 0;
    for (const SRenderedGlyph& r : rendered)
        area += std::int64_t(r.glyph.width + kGlyphPadding) * (r.glyph.height + kGlyphPadding);
    std::int32_t width = kAtlasWidth;
    while (width < kLargestAtlasWidth && area / width > width)
        width *= 2;
    return width;
}

} // namespace

void CFontRasterizer::PackAtlas(const std::vector<SRenderedGlyph>& rendered)
{
    m_atlasWidth = ChooseAtlasWidth(rendered);
    std::int32_t penX = 0, penY = 0, rowHeight = 0;
    for (int slot = 0; slot < kGlyphSlots; ++slot)
    {
        Glyph glyph = rendered[slot].glyph;
        if (glyph.width > 0)
        {
            if (penX + glyph.width + kGlyphPadding > m_atlasWidth)
            {
                penX = 0;
                penY += rowHeight + kGlyphPadding;
                rowHeight = 0;
            }
            glyph.atlasX = penX;
            glyph.atlasY = penY;
            penX += glyph.width + kGlyphPadding;
            rowHeight = std::max(rowHeight, glyph.height);
        }
        m_glyphs[slot] = glyph;
    }
    m_atlasHeight = std::max(1, penY + rowHeight);
    m_atlas.assign(std::size_t(m_atlasWidth) * m_atlasHeight, 0);
    for (int slot = 0; slot < kGlyphSlots; ++slot)
    {
        const Glyph& glyph = m_glyphs[slot];
        for (std::int32_t y = 0; y < glyph.height; ++y)
            std::memcpy(m_atlas.data() + std::size_t(glyph.atlasY + y) * m_atlasWidth + glyph.atlasX,
                        rendered[slot].pixels.data() + std::size_t(y) * glyph.width, std::size_t(glyph.width));
    }
}

} // namespace Tess
