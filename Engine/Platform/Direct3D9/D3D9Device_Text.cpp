// CD3D9Device: fonts (glyph atlases made by CFontRasterizer) and DrawText, which lays text out
// with LayoutText and blends it over the current target through the fixed-function pipeline. A
// state block taken before and applied after keeps every state the engine set as it was.

#include "Engine/Platform/Direct3D9/D3D9Device.h"

#include "Engine/Platform/Fonts/FontPrefetch.h"
#include "Engine/Platform/Fonts/TextLayout.h"

#include <algorithm>
#include <cstring>

namespace Tess
{

namespace
{

// A pre-transformed vertex: pixel position, colour and atlas coordinates.
struct TextVertex
{
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kTextFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

} // namespace

FontId CD3D9Device::CreateFont(std::int32_t height, std::uint32_t, std::uint32_t weight, std::uint32_t, bool italic,
                               std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, const std::string& faceName)
{
    auto font = std::make_unique<D3D9::Font>();
    if (!CFontPrefetch::Rasterize(font->rasterizer, {faceName, CharacterHeightFor(height, faceName, weight, italic),
                                                     weight >= kBoldWeight, italic}))
        return {};
    const CFontRasterizer& raster = font->rasterizer;
    const auto width = static_cast<UINT>(raster.GetAtlasWidth()), rows = static_cast<UINT>(raster.GetAtlasHeight());
    if (FAILED(m_device->CreateTexture(width, rows, 1, 0, ::D3DFMT_A8R8G8B8, ::D3DPOOL_MANAGED, &font->atlas, nullptr)))
        return {};
    // White texels carry the coverage as alpha, so the stage's modulation gives the text's colour.
    D3DLOCKED_RECT locked{};
    if (FAILED(font->atlas->LockRect(0, &locked, nullptr, 0)))
    {
        D3D9::SafeRelease(font->atlas);
        return {};
    }
    const std::uint8_t* coverage = raster.GetAtlas().data();
    for (UINT y = 0; y < rows; ++y)
    {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + std::ptrdiff_t(y) * locked.Pitch);
        for (UINT x = 0; x < width; ++x)
            row[x] = (std::uint32_t(coverage[std::size_t(y) * width + x]) << 24) | 0x00FFFFFFu;
    }
    font->atlas->UnlockRect(0);
    const std::uint32_t id = NextId();
    m_fonts[id] = std::move(font);
    return FontId{id};
}

void CD3D9Device::ReleaseFont(FontId id)
{
    const auto it = m_fonts.find(id.value);
    if (it == m_fonts.end())
        return;
    D3D9::SafeRelease(it->second->atlas);
    m_fonts.erase(it);
}

std::int32_t CD3D9Device::DrawText(FontId id, const char* text, std::int32_t count, const Rect& rect,
                                   std::uint32_t format, Color color)
{
    const auto it = m_fonts.find(id.value);
    if (it == m_fonts.end() || !text)
        return 0;
    const D3D9::Font& font = *it->second;
    const CFontRasterizer& raster = font.rasterizer;
    const std::size_t length = count < 0 ? std::strlen(text) : strnlen(text, static_cast<std::size_t>(count));
    const std::string_view view(text, length);
    TextLayout& layout = m_textLayout;
    LayoutText(view, rect, format, raster.GetMetrics(), layout);
    if ((format & DT_CALCRECT) || layout.lines.empty())
        return layout.height;

    // Two triangles per visible glyph. Pixel centres sit on whole coordinates here, so corners
    // move half a pixel up and left to put each texel on one pixel.
    std::vector<TextVertex> vertices;
    const float atlasWidth = float(raster.GetAtlasWidth()), atlasHeight = float(raster.GetAtlasHeight());
    for (const TextLine& line : layout.lines)
    {
        std::int32_t penX = line.x;
        const std::int32_t baseline = line.y + raster.GetMetrics().ascent;
        const std::string_view lineText = view.substr(0, line.end);
        for (std::size_t i = line.begin; i < line.end;)
        {
            const char32_t c = DecodeUtf8(lineText, i);
            const CFontRasterizer::Glyph& glyph = raster.GetGlyph(c);
            if (glyph.width > 0)
            {
                const float x0 = float(penX + glyph.bearingX) - 0.5f, y0 = float(baseline - glyph.bearingY) - 0.5f;
                const float x1 = x0 + float(glyph.width), y1 = y0 + float(glyph.height);
                const float u0 = float(glyph.atlasX) / atlasWidth, v0 = float(glyph.atlasY) / atlasHeight;
                const float u1 = float(glyph.atlasX + glyph.width) / atlasWidth;
                const float v1 = float(glyph.atlasY + glyph.height) / atlasHeight;
                const TextVertex a{x0, y0, 0, 1, color, u0, v0}, b{x1, y0, 0, 1, color, u1, v0};
                const TextVertex c2{x1, y1, 0, 1, color, u1, v1}, d{x0, y1, 0, 1, color, u0, v1};
                vertices.insert(vertices.end(), {a, b, c2, a, c2, d});
            }
            penX += CharacterAdvance(c, format, raster.GetMetrics());
        }
    }
    if (vertices.empty())
        return layout.height;

    const D3D9::Surface* target = FindSurface(SurfaceId{m_currentTarget});
    if (!target)
        return layout.height;
    RECT clip{0, 0, LONG(target->width), LONG(target->height)};
    if (layout.clip)
    {
        clip = RECT{std::max<LONG>(rect.left, 0), std::max<LONG>(rect.top, 0),
                    std::min<LONG>(rect.right, LONG(target->width)), std::min<LONG>(rect.bottom, LONG(target->height))};
        if (clip.right <= clip.left || clip.bottom <= clip.top)
            return layout.height;
    }

    // Everything changed below is put back by the state block, Direct3D's own record of states.
    IDirect3DStateBlock9* saved = nullptr;
    if (FAILED(m_device->CreateStateBlock(D3DSBT_ALL, &saved)))
        return layout.height;
    const D3DVIEWPORT9 whole{0, 0, target->width, target->height, 0.0f, 1.0f};
    m_device->SetViewport(&whole);
    m_device->SetScissorRect(&clip);
    m_device->SetVertexShader(nullptr);
    m_device->SetPixelShader(nullptr);
    m_device->SetFVF(kTextFvf);
    const std::pair<D3DRENDERSTATETYPE, DWORD> states[] = {
        {D3DRS_SCISSORTESTENABLE, TRUE}, {::D3DRS_ZENABLE, D3DZB_FALSE}, {::D3DRS_CULLMODE, ::D3DCULL_NONE},
        {::D3DRS_FILLMODE, ::D3DFILL_SOLID}, {::D3DRS_LIGHTING, FALSE}, {::D3DRS_ALPHATESTENABLE, FALSE},
        {::D3DRS_ALPHABLENDENABLE, TRUE}, {::D3DRS_SRCBLEND, ::D3DBLEND_SRCALPHA},
        {::D3DRS_DESTBLEND, ::D3DBLEND_INVSRCALPHA}, {::D3DRS_BLENDOP, ::D3DBLENDOP_ADD},
        {D3DRS_SEPARATEALPHABLENDENABLE, TRUE}, {D3DRS_SRCBLENDALPHA, ::D3DBLEND_ONE},
        {D3DRS_DESTBLENDALPHA, ::D3DBLEND_INVSRCALPHA}, {::D3DRS_COLORWRITEENABLE, 0xF},
        {D3DRS_FOGENABLE, FALSE}, {D3DRS_STENCILENABLE, FALSE}, {D3DRS_SRGBWRITEENABLE, FALSE}};
    for (const auto& [state, value] : states)
        m_device->SetRenderState(state, value);
    m_device->SetTexture(0, font.atlas);
    m_device->SetTextureStageState(0, ::D3DTSS_COLOROP, ::D3DTOP_MODULATE);
    m_device->SetTextureStageState(0, ::D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_device->SetTextureStageState(0, ::D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    m_device->SetTextureStageState(0, ::D3DTSS_ALPHAOP, ::D3DTOP_MODULATE);
    m_device->SetTextureStageState(0, ::D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    m_device->SetTextureStageState(0, ::D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    m_device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    m_device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    m_device->SetTextureStageState(1, ::D3DTSS_COLOROP, ::D3DTOP_DISABLE);
    m_device->SetTextureStageState(1, ::D3DTSS_ALPHAOP, ::D3DTOP_DISABLE);
    m_device->SetSamplerState(0, ::D3DSAMP_MINFILTER, D3DTEXF_POINT);
    m_device->SetSamplerState(0, ::D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    m_device->SetSamplerState(0, ::D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    m_device->SetSamplerState(0, ::D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    m_device->SetSamplerState(0, ::D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    m_device->SetSamplerState(0, D3DSAMP_SRGBTEXTURE, FALSE);
    m_device->DrawPrimitiveUP(::D3DPT_TRIANGLELIST, UINT(vertices.size() / 3), vertices.data(), sizeof(TextVertex));
    saved->Apply();
    saved->Release();
    return layout.height;
}

} // namespace Tess
