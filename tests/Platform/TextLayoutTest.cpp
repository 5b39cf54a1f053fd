// Line breaking, alignment, returned height and clipping of DrawText layout, on a monospaced
// font of 10-pixel advances and 16-pixel lines.

#include "Engine/Platform/Fonts/TextLayout.h"

#include <gtest/gtest.h>

#include <string>

using namespace Tess;

namespace
{

FontMetrics Monospaced()
{
    FontMetrics metrics;
    metrics.lineHeight = 16;
    metrics.ascent = 12;
    metrics.advance.fill(10);
    metrics.present.fill(true);
    return metrics;
}

std::vector<std::string> LineTexts(std::string_view text, const TextLayout& layout)
{
    std::vector<std::string> texts;
    for (const TextLine& line : layout.lines)
        texts.emplace_back(text.substr(line.begin, line.end - line.begin));
    return texts;
}

const Rect kBox{100, 50, 200, 150}; // 100 x 100

} // namespace

TEST(TextLayoutAlignment, HorizontalFlagsPlaceTheLine)
{
    const FontMetrics metrics = Monospaced();
    EXPECT_EQ(LayoutText("abcd", kBox, DT_LEFT, metrics).lines[0].x, 100);
    EXPECT_EQ(LayoutText("abcd", kBox, DT_CENTER, metrics).lines[0].x, 130);
    EXPECT_EQ(LayoutText("abcd", kBox, DT_RIGHT, metrics).lines[0].x, 160);
}

TEST(TextLayoutAlignment, VerticalFlagsPlaceTheBlockAndSetTheReturnedHeight)
{
    const FontMetrics metrics = Monospaced();
    const TextLayout top = LayoutText("ab", kBox, DT_TOP, metrics);
    EXPECT_EQ(top.lines[0].y, 50);
    EXPECT_EQ(top.height, 16);

    const TextLayout centred = LayoutText("ab", kBox, DT_VCENTER | DT_SINGLELINE, metrics);
    EXPECT_EQ(centred.lines[0].y, 50 + (100 - 16) / 2);
    // With vertical alignment the height runs from the rectangle's top to the text's bottom.
    EXPECT_EQ(centred.height, 42 + 16);

    const TextLayout bottom = LayoutText("ab\ncd", kBox, DT_BOTTOM, metrics);
    EXPECT_EQ(bottom.lines[0].y, 150 - 32);
    EXPECT_EQ(bottom.lines[1].y, 150 - 16);
    EXPECT_EQ(bottom.height, 100);
}

TEST(TextLayoutAlignment, TextWiderThanTheBoxIsCentredAndOverhangsBothSides)
{
    const TextLayout layout = LayoutText(std::string(14, 'x'), kBox, DT_CENTER | DT_VCENTER, Monospaced());
    ASSERT_EQ(layout.lines.size(), 1u);
    EXPECT_EQ(layout.lines[0].x, 80);
    EXPECT_EQ(layout.bounds.left, 80);
    EXPECT_EQ(layout.bounds.right, 220);
    EXPECT_TRUE(layout.clip);
}

TEST(TextLayoutBreaking, NewlinesBreakUnlessSingleLine)
{
    const FontMetrics metrics = Monospaced();
    const std::string text = "one\r\ntwo\nthree";
    EXPECT_EQ(LineTexts(text, LayoutText(text, kBox, DT_LEFT, metrics)),
              (std::vector<std::string>{"one", "two", "three"}));
    const TextLayout single = LayoutText(text, kBox, DT_SINGLELINE, metrics);
    ASSERT_EQ(single.lines.size(), 1u);
    // Line breaks take no room on a single line.
    EXPECT_EQ(single.lines[0].width, 110);
}

TEST(TextLayoutBreaking, WordBreakWrapsAtSpacesWithinTheWidth)
{
    const std::string text = "the quick brown fox jumps";
    const TextLayout layout = LayoutText(text, kBox, DT_WORDBREAK, Monospaced());
    // 100 pixels hold ten characters.
    EXPECT_EQ(LineTexts(text, layout), (std::vector<std::string>{"the quick", "brown fox", "jumps"}));
    for (const TextLine& line : layout.lines)
        EXPECT_LE(line.width, 100);
    EXPECT_EQ(layout.height, 48);
}

TEST(TextLayoutBreaking, AWordLongerThanTheWidthKeepsALineOfItsOwn)
{
    const std::string text = "a supercalifragilistic b";
    const TextLayout layout = LayoutText(text, kBox, DT_WORDBREAK, Monospaced());
    EXPECT_EQ(LineTexts(text, layout), (std::vector<std::string>{"a", "supercalifragilistic", "b"}));
}

TEST(TextLayoutBreaking, WrappedLinesCentreWithoutTheirBreakingSpaces)
{
    const std::string text = "aaaa bbbbbbbb";
    const TextLayout layout = LayoutText(text, kBox, DT_WORDBREAK | DT_CENTER, Monospaced());
    ASSERT_EQ(layout.lines.size(), 2u);
    EXPECT_EQ(layout.lines[0].width, 40);
    EXPECT_EQ(layout.lines[0].x, 130);
    EXPECT_EQ(layout.lines[1].x, 110);
}

TEST(TextLayoutBreaking, WithoutWordBreakLongLinesStayWhole)
{
    const std::string text = "the quick brown fox jumps";
    EXPECT_EQ(LayoutText(text, kBox, DT_LEFT, Monospaced()).lines.size(), 1u);
}

TEST(TextLayoutEdges, EmptyTextHasNoLinesAndNoHeight)
{
    const TextLayout layout = LayoutText("", kBox, DT_CENTER | DT_VCENTER, Monospaced());
    EXPECT_TRUE(layout.lines.empty());
    EXPECT_EQ(layout.height, 0);
}

TEST(TextLayoutEdges, NoClipFlagTurnsClippingOff)
{
    EXPECT_FALSE(LayoutText("x", kBox, DT_NOCLIP, Monospaced()).clip);
    EXPECT_TRUE(LayoutText("x", kBox, DT_LEFT, Monospaced()).clip);
}

TEST(TextLayoutEdges, ExpandTabsUsesEightSpaces)
{
    FontMetrics metrics = Monospaced();
    metrics.advance[' '] = 4;
    metrics.advance['\t'] = 0;
    EXPECT_EQ(LayoutText("\tx", kBox, DT_EXPANDTABS, metrics).lines[0].width, 42);
    EXPECT_EQ(LayoutText("\tx", kBox, DT_LEFT, metrics).lines[0].width, 10);
}

// Text is UTF-8: a character of several bytes advances once, and bytes that start no character
// (Latin-1 text, a name cut short mid-character) each count as one, so no byte is lost.
TEST(TextLayoutUtf8, CharactersOfSeveralBytesAdvanceOnce)
{
    FontMetrics metrics = Monospaced();
    metrics.advance[0x0414] = 7; // Д
    const std::string name = "\xD0\x94\xD0\x94x"; // ДДx
    EXPECT_EQ(LayoutText(name, kBox, DT_SINGLELINE, metrics).lines[0].width, 7 + 7 + 10);
    // A lone lead byte, a cut sequence at the end, an overlong '/' and a surrogate.
    for (const std::string bad : {"\xD0x", "x\xE2\x82", "\xC0\xAF", "\xED\xA0\x80"})
        EXPECT_EQ(LayoutText(bad, kBox, DT_SINGLELINE, metrics).lines[0].width, 10 * static_cast<int>(bad.size()))
            << bad;

    std::size_t pos = 0;
    const std::string mixed = "\xF0\x9F\x98\x80\xE2\x80\x94\xE9";
    EXPECT_EQ(DecodeUtf8(mixed, pos), U'\U0001F600');
    EXPECT_EQ(DecodeUtf8(mixed, pos), U'\u2014');
    EXPECT_EQ(DecodeUtf8(mixed, pos), U'\u00E9');
    EXPECT_EQ(pos, mixed.size());
}
