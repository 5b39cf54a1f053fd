// GLSL the OpenGL backend wraps around shader stages, and its own stages.

#include "Engine/Platform/OpenGL/GLObjects.h"


namespace Tess::GL
{

namespace
{

// A stage may bring its own #version line; we supply ours, so that line is blanked (kept
// empty, so the numbering of the lines after it does not move).
std::string BlankVersionLine(const std::string& source)
{
    std::string result = source;
    std::size_t lineStart = 0;
    while (lineStart < result.size())
    {
        std::size_t lineEnd = result.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = result.size();
        const std::size_t first = result.find_first_not_of(" \t\r", lineStart);
        if (first != std::string::npos && first < lineEnd && result.compare(first, 8, "#version") == 0)
        {
            result.replace(lineStart, lineEnd - lineStart, "");
            break;
        }
        lineStart = lineEnd + 1;
    }
    return result;
}

// The user's main is renamed by a macro, so messages keep the user's line numbers (#line 1).
std::string Wrap(const char* prologue, const std::string& source, const char* epilogue)
{
    std::string text = "#version 330 core\n";
    text += prologue;
    text += "#define main tess_StageMain\n#line 1\n";
    text += BlankVersionLine(source);
    text += "\n#undef main\n";
    text += epilogue;
    return text;
}

// The engine's clip space has y up and depth 0..w; OpenGL's render targets keep row 0 at the
// bottom and depth -w..w. Texture targets are drawn flipped in y, so they store the top row
// first and read back (and sample) upright; the window, shown bottom row first, is drawn as it
// stands (tess_BottomUpTarget). The flip mirrors the winding, which the device's front-face
// setting follows.
constexpr const char* kVertexEpilogue = R"(
uniform int tess_BottomUpTarget;
void main()
{
    tess_StageMain();
    if (tess_BottomUpTarget == 0)
        gl_Position.y = -gl_Position.y;
    gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;
}
)";

constexpr const char* kPixelPrologue = R"(out vec4 PixelColor;
uniform int tess_AlphaFunc;
uniform float tess_AlphaRef;
)";

// Alpha test on the 8-bit alpha value, with the comparison functions' numbering.
constexpr const char* kPixelEpilogue = R"(
bool tess_AlphaPasses(float alpha)
{
    float a = floor(clamp(alpha, 0.0, 1.0) * 255.0 + 0.5);
    switch (tess_AlphaFunc)
    {
    case 1: return false;
    case 2: return a < tess_AlphaRef;
    case 3: return a == tess_AlphaRef;
    case 4: return a <= tess_AlphaRef;
    case 5: return a > tess_AlphaRef;
    case 6: return a != tess_AlphaRef;
    case 7: return a >= tess_AlphaRef;
    default: return true;
    }
}
void main()
{
    tess_StageMain();
    if (!tess_AlphaPasses(PixelColor.a))
        discard;
}
)";

// Without the alpha test a stage has no discard of its own, so the rasteriser may test depth
// before running it and skip hidden pixels.
constexpr const char* kPixelEpilogueUntested = R"(
void main()
{
    tess_StageMain();
}
)";

// Pre-transformed vertices are pixels of the render target with texel centres on integer
// coordinates; OpenGL's pixel centres lie on half integers, hence the half-pixel shift.
constexpr const char* kBuiltInVertex = R"(
layout(location = 0) in vec4 tess_Position;
layout(location = 2) in vec2 tess_TexCoord0;
layout(location = 5) in vec4 tess_Color0;
uniform int tess_PreTransformed;
uniform vec4 tess_Viewport;
uniform mat4 tess_WorldViewProjection;
out vec4 vColor;
out vec2 vTexCoord0;
void main()
{
    if (tess_PreTransformed != 0)
    {
        float w = tess_Position.w != 0.0 ? 1.0 / tess_Position.w : 1.0;
        vec2 ndc = vec2((tess_Position.x + 0.5 - tess_Viewport.x) / tess_Viewport.z * 2.0 - 1.0,
                        1.0 - (tess_Position.y + 0.5 - tess_Viewport.y) / tess_Viewport.w * 2.0);
        gl_Position = vec4(ndc * w, tess_Position.z * w, w);
    }
    else
    {
        gl_Position = tess_WorldViewProjection * vec4(tess_Position.xyz, 1.0);
    }
    vColor = tess_Color0;
    vTexCoord0 = tess_TexCoord0;
}
)";

// Texture stage 0: x = operation, y = argument 1, z = argument 2 (DISABLE 1, SELECTARG1 2,
// SELECTARG2 3, MODULATE 4; DIFFUSE 0, CURRENT 1, TEXTURE 2).
constexpr const char* kBuiltInPixel = R"(
in vec4 vColor;
in vec2 vTexCoord0;
uniform sampler2D tess_Sampler0;
uniform ivec4 tess_ColorStage;
uniform ivec4 tess_AlphaStage;
vec4 tess_Argument(int argument, vec4 texel)
{
    return argument == 2 ? texel : vColor;
}
vec4 tess_Combine(ivec4 stage, vec4 texel)
{
    vec4 a = tess_Argument(stage.y, texel);
    vec4 b = tess_Argument(stage.z, texel);
    if (stage.x == 2) return a;
    if (stage.x == 3) return b;
    if (stage.x == 4) return a * b;
    return vColor;
}
void main()
{
    vec4 texel = texture(tess_Sampler0, vTexCoord0);
    vec4 color = tess_Combine(tess_ColorStage, texel);
    // A disabled colour operation disables the whole stage.
    float alpha = tess_ColorStage.x == 1 ? vColor.a : tess_Combine(tess_AlphaStage, texel).a;
    PixelColor = vec4(color.rgb, alpha);
}
)";

constexpr const char* kTextVertex = R"(#version 330 core
layout(location = 0) in vec4 tess_Glyph; // pixel x, y; atlas u, v
uniform vec2 tess_TargetSize;
uniform vec2 tess_AtlasSize;
uniform int tess_BottomUpTarget;
out vec2 vAtlas;
void main()
{
    // Pixel row 0 is the top row: stored first in texture targets, last in the window (see the
    // vertex epilogue).
    vec2 position = tess_Glyph.xy / tess_TargetSize * 2.0 - 1.0;
    if (tess_BottomUpTarget != 0)
        position.y = -position.y;
    gl_Position = vec4(position, 0.0, 1.0);
    vAtlas = tess_Glyph.zw / tess_AtlasSize;
}
)";

constexpr const char* kTextPixel = R"(#version 330 core
in vec2 vAtlas;
uniform sampler2D tess_Atlas;
uniform vec4 tess_TextColor;
out vec4 PixelColor;
void main()
{
    PixelColor = vec4(tess_TextColor.rgb, tess_TextColor.a * texture(tess_Atlas, vAtlas).r);
}
)";

} // namespace

std::string WrapVertexStage(const std::string& source)
{
    return Wrap("", source, kVertexEpilogue);
}

std::string WrapPixelStage(const std::string& source, bool alphaTested)
{
    return Wrap(kPixelPrologue, source, alphaTested ? kPixelEpilogue : kPixelEpilogueUntested);
}

const std::string& BuiltInVertexStage()
{
    static const std::string source = kBuiltInVertex;
    return source;
}

const std::string& BuiltInPixelStage()
{
    static const std::string source = kBuiltInPixel;
    return source;
}

const std::string& TextVertexSource()
{
    static const std::string source = kTextVertex;
    return source;
}

const std::string& TextPixelSource()
{
    static const std::string source = kTextPixel;
    return source;
}

} // namespace Tess::GL
