#include "Engine/Platform/FontRasterizer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

namespace Tess
{

namespace
{

constexpr int kFirstCharacter = 32;
constexpr std::int32_t kAtlasWidth = 512;
// Room between glyphs so linear filtering never bleeds a neighbour in.
constexpr std::int32_t kGlyphPadding = 1;

struct FreeTypeFace
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeFace()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
};

bool IsAcceptableCandidate(FcPattern* font, bool italic)
{
    int slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(font, FC_SLANT, 0, &slant);
    FcBool scalable = FcTrue;
    FcPatternGetBool(font, FC_SCALABLE, 0, &scalable);
    return scalable && (italic || slant == FC_SLANT_ROMAN);
}

} // namespace

namespace
{

// fontconfig's configuration, loaded at the first lookup, and the file found for every face asked
// for. Loading the configuration reads fontconfig's caches and takes milliseconds; an application
// creates several fonts at start, often of the same face. The configuration is ours, not FcInit's
// process-wide one, so it is destroyed at exit and leak checkers stay quiet.
class CFontFileCache
{
public:
    ~CFontFileCache()
    {
        if (m_config)
            FcConfigDestroy(m_config);
    }

    std::string Find(const std::string& faceName, bool bold, bool italic)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto key = std::make_tuple(faceName, bold, italic);
        if (const auto found = m_files.find(key); found != m_files.end())
            return found->second;
        if (!m_config)
            m_config = FcInitLoadConfigAndFonts();
        std::string file = m_config ? Lookup(faceName, bold, italic) : std::string();
        m_files.emplace(key, file);
        return file;
    }

private:
    std::string Lookup(const std::string& faceName, bool bold, bool italic) const
    {
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceName.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(m_config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);

        std::string file;
        FcResult result = FcResultNoMatch;
        FcFontSet* sorted = FcFontSort(m_config, pattern, FcTrue, nullptr, &result);
        for (int i = 0; sorted && i < sorted->nfont && file.empty(); ++i)
        {
            FcPattern* font = FcFontRenderPrepare(m_config, pattern, sorted->fonts[i]);
            FcChar8* path = nullptr;
            if (font && IsAcceptableCandidate(font, italic) &&
                FcPatternGetString(font, FC_FILE, 0, &path) == FcResultMatch && path)
                file = reinterpret_cast<const char*>(path);
            if (font)
                FcPatternDestroy(font);
        }
        if (sorted)
            FcFontSetDestroy(sorted);
        FcPatternDestroy(pattern);
        return file;
    }

    std::mutex m_mutex;
    FcConfig* m_config = nullptr;
    std::map<std::tuple<std::string, bool, bool>, std::string> m_files;
};

} // namespace

std::string CFontRasterizer::FindFontFile(const std::string& faceName, bool bold, bool italic)
{
    static CFontFileCache cache;
    return cache.Find(faceName, bold, italic);
}

bool CFontRasterizer::Create(const std::string& faceName, std::int32_t pixelHeight, bool bold, bool italic)
{
    if (pixelHeight <= 0 || pixelHeight > 1024)
        return false;
    const std::string file = FindFontFile(faceName, bold, italic);
    if (file.empty())
        return false;

    FreeTypeFace ft;
    if (FT_Init_FreeType(&ft.library) != 0 || FT_New_Face(ft.library, file.c_str(), 0, &ft.face) != 0)
        return false;
    if (FT_Set_Pixel_Sizes(ft.face, 0, static_cast<FT_UInt>(pixelHeight)) != 0)
        return false;

    const FT_Size_Metrics& size = ft.face->size->metrics;
    m_metrics = FontMetrics{};
    m_metrics.ascent = static_cast<std::int32_t>((size.ascender + 63) >> 6);
    const std::int32_t descent = static_cast<std::int32_t>((-size.descender + 63) >> 6);
    m_metrics.lineHeight = m_metrics.ascent + descent;

    // First pass: render every glyph to find its place in the atlas; second: copy it in.
    struct Rendered { std::vector<std::uint8_t> pixels; Glyph glyph; };
    std::vector<Rendered> rendered(256);
    std::int32_t penX = 0, penY = 0, rowHeight = 0;
    for (int c = kFirstCharacter; c < 256; ++c)
    {
        if (FT_Load_Char(ft.face, static_cast<FT_ULong>(c), FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot slot = ft.face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        m_metrics.advance[c] = static_cast<std::int32_t>((slot->advance.x + 32) >> 6);
        Glyph& glyph = rendered[c].glyph;
        glyph.width = static_cast<std::int32_t>(bitmap.width);
        glyph.height = static_cast<std::int32_t>(bitmap.rows);
        glyph.bearingX = slot->bitmap_left;
        glyph.bearingY = slot->bitmap_top;
        if (glyph.width == 0 || glyph.height == 0 || bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
        {
            glyph.width = glyph.height = 0;
            continue;
        }
        if (penX + glyph.width + kGlyphPadding > kAtlasWidth)
        {
            penX = 0;
            penY += rowHeight + kGlyphPadding;
            rowHeight = 0;
        }
        glyph.atlasX = penX;
        glyph.atlasY = penY;
        penX += glyph.width + kGlyphPadding;
        rowHeight = std::max(rowHeight, glyph.height);
        rendered[c].pixels.resize(std::size_t(glyph.width) * glyph.height);
        for (std::int32_t y = 0; y < glyph.height; ++y)
            std::memcpy(rendered[c].pixels.data() + std::size_t(y) * glyph.width,
                        bitmap.buffer + std::ptrdiff_t(y) * bitmap.pitch, std::size_t(glyph.width));
    }

    m_atlasWidth = kAtlasWidth;
    m_atlasHeight = std::max(1, penY + rowHeight);
    m_atlas.assign(std::size_t(m_atlasWidth) * m_atlasHeight, 0);
    for (int c = 0; c < 256; ++c)
    {
        const Glyph& glyph = rendered[c].glyph;
        m_glyphs[c] = glyph;
        for (std::int32_t y = 0; y < glyph.height; ++y)
            std::memcpy(m_atlas.data() + std::size_t(glyph.atlasY + y) * m_atlasWidth + glyph.atlasX,
                        rendered[c].pixels.data() + std::size_t(y) * glyph.width, std::size_t(glyph.width));
    }
    m_fontFile = file;
    return true;
}

} // namespace Tess
