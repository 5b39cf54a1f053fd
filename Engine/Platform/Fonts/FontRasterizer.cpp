#include "Engine/Platform/FontRasterizer.h"

#include "Engine/Platform/Fonts/RenderedGlyph.h"

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

// A face for a fallback: a font file in fontconfig's order of preference for the face asked for,
// and the characters it has.
struct SFallbackFace
{
    std::string file;
    FcCharSet* characters = nullptr;
};

// fontconfig's configuration, loaded at the first lookup, and the file found for every face asked
// for. Loading the configuration reads fontconfig's caches and takes milliseconds; an application
// creates several fonts at start, often of the same face. The configuration is ours, not FcInit's
// process-wide one, so it is destroyed at exit and leak checkers stay quiet.
class CFontFileCache
{
public:
    using Key = std::tuple<std::string, bool, bool>;

    ~CFontFileCache()
    {
        for (auto& [key, chain] : m_chains)
            for (SFallbackFace& face : chain)
                FcCharSetDestroy(face.characters);
        if (m_config)
            FcConfigDestroy(m_config);
    }

    std::string Find(const std::string& faceName, bool bold, bool italic)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const Key key = std::make_tuple(faceName, bold, italic);
        if (const auto found = m_files.find(key); found != m_files.end())
            return found->second;
        std::string file = LoadConfig() ? Lookup(faceName, bold, italic) : std::string();
        m_files.emplace(key, file);
        return file;
    }

    // The first face of the face's fallback chain that has the character; empty when none.
    std::string FindWith(const std::string& faceName, bool bold, bool italic, char32_t c)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (const SFallbackFace& face : Chain(faceName, bold, italic))
            if (FcCharSetHasChar(face.characters, static_cast<FcChar32>(c)))
                return face.file;
        return {};
    }

    // The faces fontconfig would fall back to, best first, each adding characters the ones before
    // it lack. Copied out, so the caller needs no lock; the character sets stay the cache's.
    std::vector<SFallbackFace> GetChain(const std::string& faceName, bool bold, bool italic)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return Chain(faceName, bold, italic);
    }

private:
    bool LoadConfig()
    {
        if (!m_config)
            m_config = FcInitLoadConfigAndFonts();
        return m_config != nullptr;
    }

    FcPattern* CreatePattern(const std::string& faceName, bool bold, bool italic) const
    {
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceName.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcConfigSubstitute(m_config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        return pattern;
    }

    std::string Lookup(const std::string& faceName, bool bold, bool italic) const
    {
        FcPattern* pattern = CreatePattern(faceName, bold, italic);
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

    const std::vector<SFallbackFace>& Chain(const std::string& faceName, bool bold, bool italic)
    {
        const Key key = std::make_tuple(faceName, bold, italic);
        if (const auto found = m_chains.find(key); found != m_chains.end())
            return found->second;
        std::vector<SFallbackFace>& chain = m_chains[key];
        if (!LoadConfig())
            return chain;
        FcPattern* pattern = CreatePattern(faceName, bold, italic);
        FcResult result = FcResultNoMatch;
        // Trimmed: a face that adds no character to those before it is left out.
        FcFontSet* sorted = FcFontSort(m_config, pattern, FcTrue, nullptr, &result);
        for (int i = 0; sorted && i < sorted->nfont; ++i)
        {
            FcChar8* path = nullptr;
            FcCharSet* characters = nullptr;
            if (IsAcceptableCandidate(sorted->fonts[i], italic) &&
                FcPatternGetString(sorted->fonts[i], FC_FILE, 0, &path) == FcResultMatch && path &&
                FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &characters) == FcResultMatch && characters)
                chain.push_back({reinterpret_cast<const char*>(path), FcCharSetCopy(characters)});
        }
        if (sorted)
            FcFontSetDestroy(sorted);
        FcPatternDestroy(pattern);
        return chain;
    }

    std::mutex m_mutex;
    FcConfig* m_config = nullptr;
    std::map<Key, std::string> m_files;
    std::map<Key, std::vector<SFallbackFace>> m_chains;
};

CFontFileCache& GetFontFileCache()
{
    static CFontFileCache cache;
    return cache;
}

// Renders the slot's character from the face when the face has it.
bool RenderSlot(FT_Face face, int slot, FontMetrics& metrics, SRenderedGlyph& rendered)
{
    const char32_t c = SlotCharacter(slot);
    if (FT_Get_Char_Index(face, static_cast<FT_ULong>(c)) == 0 ||
        FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER) != 0)
        return false;
    const FT_GlyphSlot glyphSlot = face->glyph;
    const FT_Bitmap& bitmap = glyphSlot->bitmap;
    metrics.advance[static_cast<std::size_t>(slot)] = static_cast<std::int32_t>((glyphSlot->advance.x + 32) >> 6);
    metrics.present[static_cast<std::size_t>(slot)] = true;
    CFontRasterizer::Glyph& glyph = rendered.glyph;
    glyph.width = static_cast<std::int32_t>(bitmap.width);
    glyph.height = static_cast<std::int32_t>(bitmap.rows);
    glyph.bearingX = glyphSlot->bitmap_left;
    glyph.bearingY = glyphSlot->bitmap_top;
    if (glyph.width == 0 || glyph.height == 0 || bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
    {
        glyph.width = glyph.height = 0;
        return true;
    }
    rendered.pixels.resize(std::size_t(glyph.width) * glyph.height);
    for (std::int32_t y = 0; y < glyph.height; ++y)
        std::memcpy(rendered.pixels.data() + std::size_t(y) * glyph.width,
                    bitmap.buffer + std::ptrdiff_t(y) * bitmap.pitch, std::size_t(glyph.width));
    return true;
}

} // namespace

std::string CFontRasterizer::FindFontFile(const std::string& faceName, bool bold, bool italic)
{
    return GetFontFileCache().Find(faceName, bold, italic);
}

std::string CFontRasterizer::FindFontFileWith(const std::string& faceName, bool bold, bool italic, char32_t c)
{
    return GetFontFileCache().FindWith(faceName, bold, italic, c);
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

    // First every glyph is rendered, to find its place in the atlas; then copied in.
    std::vector<SRenderedGlyph> rendered(kGlyphSlots);
    std::vector<int> missing;
    for (int slot = 0; slot < kGlyphSlots; ++slot)
        if (IsDrawable(SlotCharacter(slot)) && !RenderSlot(ft.face, slot, m_metrics, rendered[slot]))
            missing.push_back(slot);
    m_fallbackFiles.clear();
    RenderFromFallbacks(faceName, bold, italic, pixelHeight, file, missing, rendered);
    PackAtlas(rendered);
    m_fontFile = file;
    return true;
}

void CFontRasterizer::RenderFromFallbacks(const std::string& faceName, bool bold, bool italic, std::int32_t pixelHeight,
                                          const std::string& mainFile, std::vector<int>& missing,
                                          std::vector<SRenderedGlyph>& rendered)
{
    for (const SFallbackFace& fallback : GetFontFileCache().GetChain(faceName, bold, italic))
    {
        if (missing.empty() || m_fallbackFiles.size() >= kMostFallbackFaces)
            return;
        const bool helps = fallback.file != mainFile &&
                           std::any_of(missing.begin(), missing.end(), [&](int slot) {
                               return FcCharSetHasChar(fallback.characters, static_cast<FcChar32>(SlotCharacter(slot)));
                           });
        FreeTypeFace ft;
        if (!helps || FT_Init_FreeType(&ft.library) != 0 ||
            FT_New_Face(ft.library, fallback.file.c_str(), 0, &ft.face) != 0 ||
            FT_Set_Pixel_Sizes(ft.face, 0, static_cast<FT_UInt>(pixelHeight)) != 0)
            continue;
        m_fallbackFiles.push_back(fallback.file);
        std::erase_if(missing, [&](int slot) { return RenderSlot(ft.face, slot, m_metrics, rendered[slot]); });
    }
}

} // namespace Tess
