// CFontRasterizer on Windows: GDI finds the face by name (its font mapper substitutes as it does
// for every Windows program) and hands over the font's bytes; stb_truetype renders the glyphs.
// No FreeType or fontconfig exists there, and GDI's own rendering would need a device context
// per glyph and give no coverage values without ClearType's colour fringes.
#include "Engine/Platform/FontRasterizer.h"

#include "Engine/Core/Log.h"
#include "Engine/Platform/Fonts/RenderedGlyph.h"

#include <windows.h>

#include <stb_truetype.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace Tess
{

namespace
{

// Where characters the face lacks are looked for, in order: faces every Windows since Vista has
// for Latin, Greek and Cyrillic, then the ones Wine brings or finds on the machine it runs on.
constexpr std::array<const wchar_t*, 7> kFallbackFaces = {
    L"Segoe UI", L"Arial", L"Tahoma", L"Microsoft Sans Serif", L"Times New Roman", L"Wine Tahoma", L"DejaVu Sans"};

std::wstring Widen(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Narrow(const std::wstring& text)
{
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(std::max(length, 0)), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                            nullptr);
    return narrow;
}

// A TrueType or OpenType face as GDI matched it: its name and the bytes of its font file.
struct SGdiFace
{
    std::string name;
    std::vector<unsigned char> data;
    stbtt_fontinfo info{};
};

// GDI's match for the face name, or false when it is no scalable font stb_truetype reads.
// A substitute must keep the asked-for slant, as on Linux.
bool LoadFace(const std::wstring& faceName, bool bold, bool italic, SGdiFace& face)
{
    LOGFONTW request{};
    request.lfHeight = -64;
    request.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    request.lfItalic = italic ? TRUE : FALSE;
    request.lfCharSet = DEFAULT_CHARSET;
    request.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    request.lfQuality = ANTIALIASED_QUALITY;
    faceName.copy(request.lfFaceName, LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&request);
    HDC dc = CreateCompatibleDC(nullptr);
    bool loaded = false;
    if (font && dc)
    {
        const HGDIOBJ previous = SelectObject(dc, font);
        wchar_t name[LF_FACESIZE] = {};
        TEXTMETRICW metrics{};
        const int nameLength = GetTextFaceW(dc, LF_FACESIZE, name);
        const DWORD size = GetFontData(dc, 0, 0, nullptr, 0);
        if (nameLength > 0 && GetTextMetricsW(dc, &metrics) && (italic || !metrics.tmItalic) && size != GDI_ERROR &&
            size > 0)
        {
            face.data.resize(size);
            loaded = GetFontData(dc, 0, 0, face.data.data(), size) == size &&
                     stbtt_InitFont(&face.info, face.data.data(), stbtt_GetFontOffsetForIndex(face.data.data(), 0));
            face.name = Narrow(name);
        }
        SelectObject(dc, previous);
    }
    if (dc)
        DeleteDC(dc);
    if (font)
        DeleteObject(font);
    return loaded;
}

bool HasGlyph(const SGdiFace& face, char32_t c)
{
    return stbtt_FindGlyphIndex(&face.info, static_cast<int>(c)) != 0;
}

// Renders the slot's character from the face when the face has it; the same measures FreeType
// gives on Linux (advance rounded to pixels, bearings from the pen at the baseline).
bool RenderSlot(const SGdiFace& face, float scale, int slot, FontMetrics& metrics, SRenderedGlyph& rendered)
{
    const int glyphIndex = stbtt_FindGlyphIndex(&face.info, static_cast<int>(SlotCharacter(slot)));
    if (glyphIndex == 0)
        return false;
    int advance = 0, leftBearing = 0;
    stbtt_GetGlyphHMetrics(&face.info, glyphIndex, &advance, &leftBearing);
    metrics.advance[static_cast<std::size_t>(slot)] = static_cast<std::int32_t>(std::lround(advance * scale));
    metrics.present[static_cast<std::size_t>(slot)] = true;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetGlyphBitmapBox(&face.info, glyphIndex, scale, scale, &x0, &y0, &x1, &y1);
    CFontRasterizer::Glyph& glyph = rendered.glyph;
    glyph.width = x1 - x0;
    glyph.height = y1 - y0;
    glyph.bearingX = x0;
    glyph.bearingY = -y0;
    if (glyph.width <= 0 || glyph.height <= 0)
    {
        glyph.width = glyph.height = 0;
        return true;
    }
    rendered.pixels.assign(std::size_t(glyph.width) * glyph.height, 0);
    stbtt_MakeGlyphBitmap(&face.info, rendered.pixels.data(), glyph.width, glyph.height, glyph.width, scale, scale,
                          glyphIndex);
    return true;
}

} // namespace

std::string CFontRasterizer::FindFontFile(const std::string& faceName, bool bold, bool italic)
{
    SGdiFace face;
    return LoadFace(Widen(faceName), bold, italic, face) ? face.name : std::string();
}

std::string CFontRasterizer::FindFontFileWith(const std::string& faceName, bool bold, bool italic, char32_t c)
{
    SGdiFace face;
    if (LoadFace(Widen(faceName), bold, italic, face) && HasGlyph(face, c))
        return face.name;
    for (const wchar_t* fallback : kFallbackFaces)
        if (LoadFace(fallback, bold, italic, face) && HasGlyph(face, c))
            return face.name;
    return {};
}

bool CFontRasterizer::Create(const std::string& faceName, std::int32_t pixelHeight, bool bold, bool italic)
{
    if (pixelHeight <= 0 || pixelHeight > 1024)
        return false;
    SGdiFace face;
    if (!LoadFace(Widen(faceName), bold, italic, face))
        return false;
    // The em height, as FreeType's pixel size on Linux.
    const float scale = stbtt_ScaleForMappingEmToPixels(&face.info, static_cast<float>(pixelHeight));
    int ascent = 0, descent = 0, lineGap = 0;
    stbtt_GetFontVMetrics(&face.info, &ascent, &descent, &lineGap);
    m_metrics = FontMetrics{};
    m_metrics.ascent = static_cast<std::int32_t>(std::ceil(ascent * scale));
    m_metrics.lineHeight = m_metrics.ascent + static_cast<std::int32_t>(std::ceil(-descent * scale));

    std::vector<SRenderedGlyph> rendered(kGlyphSlots);
    std::vector<int> missing;
    for (int slot = 0; slot < kGlyphSlots; ++slot)
        if (IsDrawable(SlotCharacter(slot)) && !RenderSlot(face, scale, slot, m_metrics, rendered[slot]))
            missing.push_back(slot);
    m_fallbackFiles.clear();
    RenderFromFallbacks(faceName, bold, italic, pixelHeight, face.name, missing, rendered);
    PackAtlas(rendered);
    m_fontFile = face.name;
    // Which face stands in matters when text looks wrong: GDI substitutes without a word.
    if (face.name != faceName)
        GetLog().Write(LOG_RENDERER, "Font: " + faceName + " drawn with " + face.name);
    return true;
}

void CFontRasterizer::RenderFromFallbacks(const std::string&, bool bold, bool italic, std::int32_t pixelHeight,
                                          const std::string& mainFile, std::vector<int>& missing,
                                          std::vector<SRenderedGlyph>& rendered)
{
    for (const wchar_t* name : kFallbackFaces)
    {
        if (missing.empty() || m_fallbackFiles.size() >= kMostFallbackFaces)
            return;
        SGdiFace fallback;
        // GDI answers a face it lacks with another it has: the same face found twice adds nothing.
        if (!LoadFace(name, bold, italic, fallback) || fallback.name == mainFile ||
            std::find(m_fallbackFiles.begin(), m_fallbackFiles.end(), fallback.name) != m_fallbackFiles.end() ||
            std::none_of(missing.begin(), missing.end(),
                         [&](int slot) { return HasGlyph(fallback, SlotCharacter(slot)); }))
            continue;
        m_fallbackFiles.push_back(fallback.name);
        const float scale = stbtt_ScaleForMappingEmToPixels(&fallback.info, static_cast<float>(pixelHeight));
        std::erase_if(missing,
                      [&](int slot) { return RenderSlot(fallback, scale, slot, m_metrics, rendered[slot]); });
    }
}

} // namespace Tess
