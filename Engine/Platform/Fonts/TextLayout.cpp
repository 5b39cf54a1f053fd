#include "Engine/Platform/Fonts/TextLayout.h"

#include <algorithm>

namespace Tess
{

namespace
{

bool IsLineBreak(char c) { return c == '\n' || c == '\r'; }

std::int32_t MeasureRange(std::string_view text, std::size_t begin, std::size_t end,
                          std::uint32_t format, const FontMetrics& metrics)
{
    std::int32_t width = 0;
    const std::string_view range = text.substr(0, end);
    for (std::size_t i = begin; i < end;)
        width += CharacterAdvance(DecodeUtf8(range, i), format, metrics);
    return width;
}

// Drops the spaces a wrapped line ends with: they are not drawn and must not shift alignment.
std::size_t TrimTrailingSpaces(std::string_view text, std::size_t begin, std::size_t end)
{
    while (end > begin && text[end - 1] == ' ')
        --end;
    return end;
}

// Greedy word wrapping of one paragraph [begin, end). A word wider than the rectangle gets a
// line of its own and overflows it rather than being cut.
void WrapParagraph(std::string_view text, std::size_t begin, std::size_t end, std::int32_t maxWidth,
                   std::uint32_t format, const FontMetrics& metrics, std::vector<TextLine>& lines)
{
    std::size_t lineBegin = begin;
    while (true)
    {
        std::size_t lineEnd = lineBegin;
        std::size_t pos = lineBegin;
        while (pos < end)
        {
            // The next word and the spaces before it.
            std::size_t wordEnd = pos;
            while (wordEnd < end && text[wordEnd] == ' ')
                ++wordEnd;
            while (wordEnd < end && text[wordEnd] != ' ')
                ++wordEnd;
            const std::size_t candidate = TrimTrailingSpaces(text, lineBegin, wordEnd);
            const bool fits = MeasureRange(text, lineBegin, candidate, format, metrics) <= maxWidth;
            if (!fits && lineEnd > lineBegin)
                break;
            lineEnd = wordEnd;
            pos = wordEnd;
            if (!fits)
                break;
        }
        TextLine line;
        line.begin = lineBegin;
        line.end = TrimTrailingSpaces(text, lineBegin, lineEnd);
        lines.push_back(line);
        // The next line starts after the spaces at which this one broke.
        lineBegin = lineEnd;
        while (lineBegin < end && text[lineBegin] == ' ')
            ++lineBegin;
        if (lineBegin >= end)
            return;
    }
}

void BreakLines(std::string_view text, const Rect& rect, std::uint32_t format, const FontMetrics& metrics,
                std::vector<TextLine>& lines)
{
    lines.clear();
    if (text.empty())
        return;
    if (format & DT_SINGLELINE)
    {
        lines.push_back({0, text.size(), 0, 0, 0});
        return;
    }
    const bool wrap = (format & DT_WORDBREAK) != 0;
    std::size_t begin = 0;
    while (begin <= text.size())
    {
        std::size_t end = begin;
        while (end < text.size() && !IsLineBreak(text[end]))
            ++end;
        if (wrap && end > begin)
            WrapParagraph(text, begin, end, rect.right - rect.left, format, metrics, lines);
        else
            lines.push_back({begin, end, 0, 0, 0});
        if (end >= text.size())
            break;
        // "\r\n" is one line break.
        begin = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
        if (begin == text.size())
            break;
    }
}

} // namespace

std::int32_t CharacterHeightFor(std::int32_t height, const std::string& faceName, std::uint32_t weight, bool italic)
{
    constexpr std::int32_t kDefaultCharacterHeight = 16;
    if (height < 0)
        return -height;
    if (height == 0)
        return kDefaultCharacterHeight;
    CFontRasterizer probe;
    if (!probe.Create(faceName, height, weight >= kBoldWeight, italic) || probe.GetMetrics().lineHeight <= 0)
        return height;
    return std::max(1, height * height / probe.GetMetrics().lineHeight);
}

std::int32_t CharacterAdvance(char32_t c, std::uint32_t format, const FontMetrics& metrics)
{
    if (c == '\n' || c == '\r')
        return 0;
    if (c == '\t' && (format & DT_EXPANDTABS))
        return 8 * metrics.advance[' '];
    return metrics.Advance(c);
}

char32_t DecodeUtf8(std::string_view text, std::size_t& pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    int length = 1;
    char32_t c = lead;
    char32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, c = lead & 0x1Fu, smallest = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, c = lead & 0x0Fu, smallest = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, c = lead & 0x07u, smallest = 0x10000;
    if (length == 1 || pos + static_cast<std::size_t>(length) > text.size())
    {
        ++pos;
        return lead;
    }
    for (int i = 1; i < length; ++i)
    {
        const unsigned char next = byte(pos + static_cast<std::size_t>(i));
        if ((next & 0xC0u) != 0x80u)
        {
            ++pos;
            return lead;
        }
        c = (c << 6) | (next & 0x3Fu);
    }
    // Overlong forms, surrogates and code points past Unicode's end are no characters.
    if (c < smallest || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
    {
        ++pos;
        return lead;
    }
    pos += static_cast<std::size_t>(length);
    return c;
}

TextLayout LayoutText(std::string_view text, const Rect& rect, std::uint32_t format,
                      const FontMetrics& metrics)
{
    TextLayout layout;
    LayoutText(text, rect, format, metrics, layout);
    return layout;
}

void LayoutText(std::string_view text, const Rect& rect, std::uint32_t format, const FontMetrics& metrics,
                TextLayout& layout)
{
    layout.clip = (format & DT_NOCLIP) == 0;
    layout.height = 0;
    BreakLines(text, rect, format, metrics, layout.lines);
    if (layout.lines.empty())
    {
        layout.bounds = Rect{rect.left, rect.top, rect.left, rect.top};
        return;
    }

    const std::int32_t textHeight = static_cast<std::int32_t>(layout.lines.size()) * metrics.lineHeight;
    std::int32_t top = rect.top;
    if (format & DT_BOTTOM)
        top = rect.bottom - textHeight;
    else if (format & DT_VCENTER)
        top = rect.top + (rect.bottom - rect.top - textHeight) / 2;

    const std::int32_t rectWidth = rect.right - rect.left;
    std::int32_t left = rect.right, right = rect.left;
    for (std::size_t i = 0; i < layout.lines.size(); ++i)
    {
        TextLine& line = layout.lines[i];
        line.width = MeasureRange(text, line.begin, line.end, format, metrics);
        line.y = top + static_cast<std::int32_t>(i) * metrics.lineHeight;
        if (format & DT_RIGHT)
            line.x = rect.right - line.width;
        else if (format & DT_CENTER)
            line.x = rect.left + (rectWidth - line.width) / 2;
        else
            line.x = rect.left;
        left = std::min(left, line.x);
        right = std::max(right, line.x + line.width);
    }
    layout.bounds = Rect{left, top, right, top + textHeight};
    layout.height = (format & (DT_VCENTER | DT_BOTTOM)) ? top + textHeight - rect.top : textHeight;
}

} // namespace Tess
