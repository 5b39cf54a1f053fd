#pragma once
// What every font rasteriser (FreeType on Linux, stb_truetype on Windows) hands the shared atlas
// packing (FontRasterizer_Atlas.cpp): glyphs rendered one by one, before they have a place.

#include "Engine/Platform/FontRasterizer.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Tess
{

struct SRenderedGlyph
{
    // Coverage, width x height bytes, rows top-down.
    std::vector<std::uint8_t> pixels;
    CFontRasterizer::Glyph glyph;
};

// Faces beyond these add rare characters at the cost of opening more fonts.
constexpr std::size_t kMostFallbackFaces = 4;

// The character an atlas slot holds.
constexpr char32_t SlotCharacter(int slot)
{
    const auto index = static_cast<char32_t>(slot);
    return index < kDenseCharacters ? index : kFirstPunctuation + (index - kDenseCharacters);
}

// Controls (C0, DEL and C1) have no glyphs to look for.
constexpr bool IsDrawable(char32_t c)
{
    return c >= 32 && !(c >= 0x7F && c < 0xA0);
}

} // namespace Tess
