#pragma once
// Layout of DrawText strings: line breaking, alignment, the returned height and clipping, as
// pure code over a font's advance widths. The OpenGL device draws the lines it produces.

#include "Engine/Platform/FontRasterizer.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <string>
#include <string_view>
#include <vector>

namespace Tess
{

// Text is UTF-8. One laid-out line: bytes [begin, end) of the text, drawn with its top-left corner at (x, y).
struct TextLine
{
    std::size_t begin = 0;
    std::size_t end = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
};

struct TextLayout
{
    std::vector<TextLine> lines;
    // What DrawText returns: the height of the text, or with DT_VCENTER / DT_BOTTOM the
    // distance from the rectangle's top to the bottom of the text.
    std::int32_t height = 0;
    // The box the lines occupy.
    Rect bounds;
    // Whether drawing is clipped to the rectangle (no DT_NOCLIP).
    bool clip = true;
};

// Lays out `text` in `rect` with the DT_ format flags.
TextLayout LayoutText(std::string_view text, const Rect& rect, std::uint32_t format,
                      const FontMetrics& metrics);
// The same into an existing layout, whose line storage is reused: no allocation once it has
// held as many lines.
void LayoutText(std::string_view text, const Rect& rect, std::uint32_t format, const FontMetrics& metrics,
                TextLayout& layout);

// The character (em) height in pixels that CreateFont's `height` asks for: a negative height is
// the character height, a positive one the cell height, which includes the space above and below
// the glyphs (the face is measured to tell them apart), and 0 a default.
std::int32_t CharacterHeightFor(std::int32_t height, const std::string& faceName, std::uint32_t weight, bool italic);
// Weights from this one up are drawn bold.
constexpr std::uint32_t kBoldWeight = 600;

// Advance of one character of text: tabs expand to eight spaces with DT_EXPANDTABS, line breaks
// take no room.
std::int32_t CharacterAdvance(char32_t c, std::uint32_t format, const FontMetrics& metrics);

// The character of UTF-8 text that starts at byte `pos`, which is moved past it. A byte that
// starts no well-formed sequence (a Latin-1 text, a name cut short) is read as the Latin-1
// character of its value, so every byte shows as something.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos);

} // namespace Tess
