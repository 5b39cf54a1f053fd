// CGLDevice: fonts (glyph atlases made by CFontRasterizer) and DrawText, which lays text out
// with LayoutText and blends it over the current target without leaving any state changed
// that the engine can see.

#include "Engine/Platform/OpenGL/GLDevice.h"

#include "Engine/Platform/Fonts/FontPrefetch.h"
#include "Engine/Platform/Fonts/TextLayout.h"

#include <algorithm>
#include <cstring>

namespace Tess
{

FontId CGLDevice::CreateFont(std::int32_t height, std::uint32_t, std::uint32_t weight, std::uint32_t, bool italic,
                             std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, const std::string& faceName)
{
    auto font = std::make_unique<GL::Font>();
    const bool bold = weight >= kBoldWeight;
    if (!CFontPrefetch::Rasterize(font->rasterizer, {faceName, CharacterHeightFor(height, faceName, weight, italic), bold, italic}))
        return {};
    const CFontRasterizer& raster = font->rasterizer;
    MakeContextCurrent();
    glGenTextures(1, &font->atlas);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, font->atlas);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, raster.GetAtlasWidth(), raster.GetAtlasHeight(), 0, GL_RED,
                 GL_UNSIGNED_BYTE, raster.GetAtlas().data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    m_texturesDirty |= 1u;
    const std::uint32_t id = NextId();
    m_fonts[id] = std::move(font);
    return FontId{id};
}

void CGLDevice::ReleaseFont(FontId id)
{
    const auto it = m_fonts.find(id.value);
    if (it == m_fonts.end())
        return;
    MakeContextCurrent();
    glDeleteTextures(1, &it->second->atlas);
    m_fonts.erase(it);
}

std::int32_t CGLDevice::DrawText(FontId id, const char* text, std::int32_t count, const Rect& rect,
                                 std::uint32_t format, Color color)
{
    const auto it = m_fonts.find(id.value);
    if (it == m_fonts.end() || !text)
        return 0;
    const GL::Font& font = *it->second;
    const CFontRasterizer& raster = font.rasterizer;
    const std::size_t length = count < 0 ? std::strlen(text) : strnlen(text, static_cast<std::size_t>(count));
    const std::string_view view(text, length);
    TextLayout& layout = m_textLayout;
    LayoutText(view, rect, format, raster.GetMetrics(), layout);
    if ((format & DT_CALCRECT) || layout.lines.empty())
        return layout.height;

    // Two triangles per visible glyph: pixel x, y and atlas u, v per vertex. The storage is kept
    // from call to call, so drawing the same texts every frame allocates nothing.
    std::vector<float>& vertices = m_textVertices;
    vertices.clear();
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
                const float x0 = float(penX + glyph.bearingX), y0 = float(baseline - glyph.bearingY);
                const float x1 = x0 + float(glyph.width), y1 = y0 + float(glyph.height);
                const float u0 = float(glyph.atlasX), v0 = float(glyph.atlasY);
                const float u1 = u0 + float(glyph.width), v1 = v0 + float(glyph.height);
                const float quad[24] = {x0, y0, u0, v0, x1, y0, u1, v0, x1, y1, u1, v1,
                                        x0, y0, u0, v0, x1, y1, u1, v1, x0, y1, u0, v1};
                vertices.insert(vertices.end(), quad, quad + 24);
            }
            penX += CharacterAdvance(c, format, raster.GetMetrics());
        }
    }
    if (vertices.empty())
        return layout.height;

    // Text goes over the whole current target, blended, unaffected by the engine's states.
    // Every change goes through the applied-state record, so the next draw restores the
    // engine's states where they differ.
    const std::array<GLint, 4> target = CurrentTargetBox();
    MakeContextCurrent();
    BindFramebuffer(CurrentFramebuffer());
    SetGLViewport(target, 0.0f, 1.0f);
    if (layout.clip)
    {
        const GLint left = std::max(rect.left, 0), top = std::max(rect.top, 0);
        const GLint right = std::min(rect.right, target[2]), bottom = std::min(rect.bottom, target[3]);
        if (right <= left || bottom <= top)
            return layout.height;
        SetScissor(true, ToGLRows({left, top, right - left, bottom - top}));
    }
    else
    {
        SetScissor(false, m_applied.scissorBox);
    }
    SetCullFace(false, m_applied.cullFace);
    SetPolygonMode(GL_FILL);
    SetDepth(false, m_applied.depthWrite, m_applied.depthFunc);
    SetBlend(true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_FUNC_ADD);
    SetColorMask(0xF);
    UseProgram(m_textProgram);
    glUniform2f(m_textTargetSize, float(target[2]), float(target[3]));
    glUniform1i(m_textBottomUp, TargetIsBottomUp() ? 1 : 0);
    glUniform2f(m_textAtlasSize, float(raster.GetAtlasWidth()), float(raster.GetAtlasHeight()));
    glUniform4f(m_textColor, ((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f,
                (color & 0xFF) / 255.0f, ((color >> 24) & 0xFF) / 255.0f);
    glUniform1i(m_textAtlas, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, font.atlas);
    glBindSampler(0, m_textSampler);
    m_texturesDirty |= 1u;
    m_samplersDirty |= 1u;

    glBindBuffer(GL_ARRAY_BUFFER, m_streamBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)), vertices.data(), GL_STREAM_DRAW);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    EnableAttributes(1u);
    MarkAttributesDirty();
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size() / 4));
    return layout.height;
}

} // namespace Tess
