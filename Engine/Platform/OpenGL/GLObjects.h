#pragma once
// Private to the OpenGL backend: the records CGLDevice keeps behind the ids it hands out, the
// OpenGL state it last applied, and the GLSL it wraps around shader stages.

#include "Engine/Platform/FontRasterizer.h"
#include "Engine/Platform/GraphicsTypes.h"

#include <epoxy/gl.h>

#include <array>
#include <map>
#include <string>
#include <vector>

namespace Tess::GL
{

struct Texture
{
    GLuint name = 0;
    bool cube = false;
    EFormat format = D3DFMT_UNKNOWN;
    std::uint32_t usage = 0;
    EPool pool = D3DPOOL_MANAGED;
    std::uint32_t width = 0, height = 0, levels = 1;
    // The owner released it; it goes when the last surface of one of its levels goes too.
    bool released = false;
    std::uint32_t surfaceRefs = 0;
    // CPU copies of locked levels, keyed by face x levels + level.
    std::map<std::uint32_t, std::vector<std::uint32_t>> locked;
};

enum class ESurfaceKind { BackBuffer, DepthBuffer, TextureLevel };

struct Surface
{
    ESurfaceKind kind = ESurfaceKind::TextureLevel;
    std::uint32_t refs = 0;
    std::uint32_t texture = 0; // TextureLevel: the texture id and level
    std::uint32_t level = 0;
    std::uint32_t width = 0, height = 0;
    EFormat format = D3DFMT_UNKNOWN;
    GLuint framebuffer = 0;    // colour surfaces: where drawing goes
    GLuint depthBuffer = 0;    // a texture level's own depth attachment
};

struct Buffer
{
    GLuint name = 0;
    bool index = false;
    EFormat indexFormat = D3DFMT_INDEX16;
    std::uint32_t length = 0;        // bytes
    // Index buffers only: the CPU copy locks hand out, which draws check their indices against.
    // A vertex buffer's lock maps OpenGL's own storage, so a large mesh is not held twice.
    std::vector<std::uint8_t> data;
    bool locked = false;
    std::uint32_t lockOffset = 0, lockSize = 0;
    // The smallest and largest index of the last range an indexed draw read, so that drawing
    // the same range again does not scan it again; forgotten when the buffer is written.
    struct IndexRange
    {
        std::uint32_t start = 0, count = 0;
        std::uint32_t minIndex = 0, maxIndex = 0;
        bool valid = false;
    } lastRange;
};

struct Declaration
{
    std::vector<VertexElement> elements;
    bool preTransformed = false; // has a POSITIONT element
};

struct Shader
{
    GLuint name = 0;
    bool vertex = true;
    // Pixel stages: the variant with the alpha test, compiled when a draw first asks for it,
    // from the stage's own source.
    GLuint alphaTested = 0;
    std::string source;
};

// Locations of the uniforms the device feeds, per linked program (-1: not used by it).
struct Program
{
    GLuint name = 0;
    GLint constants[6] = {-1, -1, -1, -1, -1, -1};     // VS F, I, B then PS F, I, B
    GLint constantCounts[6] = {0, 0, 0, 0, 0, 0};
    std::uint64_t uploadedVersions[6] = {0, 0, 0, 0, 0, 0};
    GLint alphaFunc = -1, alphaRef = -1;
    GLint preTransformed = -1, viewport = -1, worldViewProjection = -1;
    GLint colorStage = -1, alphaStage = -1;
    GLint bottomUpTarget = -1;
    int bottomUpApplied = -1; // the value last uploaded, -1 before the first
};

struct Font
{
    CFontRasterizer rasterizer;
    GLuint atlas = 0;
};

// The OpenGL state last applied, compared against before every change.
struct AppliedState
{
    bool cullEnabled = false;
    GLenum cullFace = GL_BACK;
    GLenum polygonMode = GL_FILL;
    bool depthTest = false;
    bool depthWrite = true;
    GLenum depthFunc = GL_LESS;
    bool blend = false;
    GLenum blendSrc = GL_ONE, blendDst = GL_ZERO, blendAlphaSrc = GL_ONE, blendAlphaDst = GL_ZERO;
    GLenum blendOp = GL_FUNC_ADD;
    std::uint32_t colorMask = 0xF;
    bool scissor = false;
    std::array<GLint, 4> scissorBox{0, 0, 0, 0};
    std::array<GLint, 4> viewport{0, 0, 0, 0};
    std::array<float, 2> depthRange{0.0f, 1.0f};
    GLuint framebuffer = 0;
    GLenum frontFace = GL_CCW;
    GLuint program = 0;
};

// Numbers of the register files, as indexed in Program::constants.
enum EConstantFile { kVSFloat, kVSInt, kVSBool, kPSFloat, kPSInt, kPSBool, kConstantFileCount };

constexpr std::uint32_t kFloatRegisters = 256;
constexpr std::uint32_t kIntRegisters = 16;
constexpr std::uint32_t kBoolRegisters = 16;
constexpr std::uint32_t kMaxStreams = 16;

// Wraps a user stage in the device's prologue and epilogue (see docs/ShaderInterface.md).
std::string WrapVertexStage(const std::string& source);
// With alphaTested, the stage discards the pixels the device's alpha test rejects.
std::string WrapPixelStage(const std::string& source, bool alphaTested);
// The device's own stages, used where a shader id is 0.
const std::string& BuiltInVertexStage();
const std::string& BuiltInPixelStage();
// The program that draws text from a glyph atlas.
const std::string& TextVertexSource();
const std::string& TextPixelSource();

} // namespace Tess::GL
