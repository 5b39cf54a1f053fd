// CGLDevice: mapping the engine's render, sampler and stage states onto OpenGL, touching
// OpenGL only where a value differs from what was applied last.

#include "Engine/Platform/OpenGL/GLDevice.h"

#include <iterator>

namespace Tess
{

namespace
{

// Indexed by ECmpFunc (1..8).
constexpr GLenum kCompareToGL[] = {GL_ALWAYS, GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL,
                                   GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
static_assert(std::size(kCompareToGL) == D3DCMP_ALWAYS + 1);

// Indexed by EBlend (1..10).
constexpr GLenum kBlendToGL[] = {GL_ONE, GL_ZERO, GL_ONE, GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR,
                                 GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA,
                                 GL_ONE_MINUS_DST_ALPHA, GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR};
static_assert(std::size(kBlendToGL) == D3DBLEND_INVDESTCOLOR + 1);

// Indexed by EBlendOp (1..5).
constexpr GLenum kBlendOpToGL[] = {GL_FUNC_ADD, GL_FUNC_ADD, GL_FUNC_SUBTRACT,
                                   GL_FUNC_REVERSE_SUBTRACT, GL_MIN, GL_MAX};
static_assert(std::size(kBlendOpToGL) == D3DBLENDOP_MAX + 1);

// Indexed by ETextureAddress (1..4).
constexpr GLint kAddressToGL[] = {GL_REPEAT, GL_REPEAT, GL_MIRRORED_REPEAT, GL_CLAMP_TO_EDGE,
                                  GL_CLAMP_TO_BORDER};
static_assert(std::size(kAddressToGL) == D3DTADDRESS_BORDER + 1);

template <class T, std::size_t N>
T Lookup(const T (&table)[N], std::uint32_t index)
{
    return index < N ? table[index] : table[0];
}

bool IsLinear(std::uint32_t filter)
{
    return filter == D3DTEXF_LINEAR || filter == D3DTEXF_ANISOTROPIC;
}

GLint MinFilter(std::uint32_t minFilter, std::uint32_t mipFilter)
{
    const bool linear = IsLinear(minFilter);
    if (mipFilter == D3DTEXF_NONE)
        return linear ? GL_LINEAR : GL_NEAREST;
    if (IsLinear(mipFilter))
        return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
}

} // namespace

void CGLDevice::ApplyDrawState()
{
    BindFramebuffer(CurrentFramebuffer());
    SetGLViewport(ToGLRows({static_cast<GLint>(m_viewport.X), static_cast<GLint>(m_viewport.Y),
                            static_cast<GLint>(m_viewport.Width), static_cast<GLint>(m_viewport.Height)}),
                  m_viewport.MinZ, m_viewport.MaxZ);
    SetScissor(false, m_applied.scissorBox);
    ApplyRasterState();
    ApplyDepthState();
    ApplyBlendState();
    SetColorMask(m_renderStates[D3DRS_COLORWRITEENABLE]);
    ApplySamplers();
    BindTextures();
}

// The engine's clockwise faces are its front faces. OpenGL sees them clockwise in the window and,
// through the y flip of texture targets (see the vertex epilogue), counter-clockwise there;
// BindFramebuffer sets the front-face winding to match. So D3DCULL_CCW (cull the engine's
// counter-clockwise faces) culls OpenGL's back faces in either.
void CGLDevice::ApplyRasterState()
{
    const std::uint32_t cull = m_renderStates[D3DRS_CULLMODE];
    SetCullFace(cull == D3DCULL_CW || cull == D3DCULL_CCW, cull == D3DCULL_CW ? GL_FRONT : GL_BACK);
    const std::uint32_t fill = m_renderStates[D3DRS_FILLMODE];
    SetPolygonMode(fill == D3DFILL_WIREFRAME ? GL_LINE : (fill == D3DFILL_POINT ? GL_POINT : GL_FILL));
}

void CGLDevice::ApplyDepthState()
{
    const GL::Surface* depth = FindSurface(SurfaceId{m_depthSurface});
    const bool test = m_renderStates[D3DRS_ZENABLE] != D3DZB_FALSE && depth != nullptr;
    // OpenGL writes no depth while the test is off, which is what the engine expects too.
    SetDepth(test, m_renderStates[D3DRS_ZWRITEENABLE] != 0, Lookup(kCompareToGL, m_renderStates[D3DRS_ZFUNC]));
}

void CGLDevice::ApplyBlendState()
{
    const GLenum src = Lookup(kBlendToGL, m_renderStates[D3DRS_SRCBLEND]);
    const GLenum dst = Lookup(kBlendToGL, m_renderStates[D3DRS_DESTBLEND]);
    SetBlend(m_renderStates[D3DRS_ALPHABLENDENABLE] != 0, src, dst, src, dst,
             Lookup(kBlendOpToGL, m_renderStates[D3DRS_BLENDOP]));
}

void CGLDevice::ApplySamplers()
{
    const std::uint32_t dirty = m_bypassStateCache ? 0xFFFFu : m_samplersDirty;
    for (std::uint32_t stage = 0; stage < kMaxTextureStages; ++stage)
    {
        if (!(dirty & (1u << stage)))
            continue;
        const auto& s = m_samplerStates[stage];
        const GLuint sampler = m_samplers[stage];
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, Lookup(kAddressToGL, s[D3DSAMP_ADDRESSU]));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, Lookup(kAddressToGL, s[D3DSAMP_ADDRESSV]));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, Lookup(kAddressToGL, s[D3DSAMP_ADDRESSW]));
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, IsLinear(s[D3DSAMP_MAGFILTER]) ? GL_LINEAR : GL_NEAREST);
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, MinFilter(s[D3DSAMP_MINFILTER], s[D3DSAMP_MIPFILTER]));
        const Color border = s[D3DSAMP_BORDERCOLOR];
        const float borderColor[4] = {((border >> 16) & 0xFF) / 255.0f, ((border >> 8) & 0xFF) / 255.0f,
                                      (border & 0xFF) / 255.0f, ((border >> 24) & 0xFF) / 255.0f};
        glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, borderColor);
        glBindSampler(stage, sampler);
        CountStateChange();
    }
    m_samplersDirty = 0;
}

// Each unit keeps both targets bound: the stage's texture on its own target and a white
// texture on the other, so a sampler of either kind reads (1, 1, 1, 1) where no texture is.
void CGLDevice::BindTextures()
{
    const std::uint32_t dirty = m_bypassStateCache ? 0xFFFFu : m_texturesDirty;
    for (std::uint32_t stage = 0; stage < kMaxTextureStages; ++stage)
    {
        if (!(dirty & (1u << stage)))
            continue;
        GLuint texture2D = m_whiteTexture2D, textureCube = m_whiteTextureCube;
        if (const GL::Texture* texture = FindTexture(m_stageTextures[stage]))
            (texture->cube ? textureCube : texture2D) = texture->name;
        glActiveTexture(GL_TEXTURE0 + stage);
        glBindTexture(GL_TEXTURE_2D, texture2D);
        glBindTexture(GL_TEXTURE_CUBE_MAP, textureCube);
        CountStateChange();
    }
    glActiveTexture(GL_TEXTURE0);
    m_texturesDirty = 0;
}

// ---- The applied-state record -------------------------------------------------------------

void CGLDevice::SetCullFace(bool enabled, GLenum face)
{
    if (ShouldApply(enabled != m_applied.cullEnabled))
    {
        enabled ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
        m_applied.cullEnabled = enabled;
        CountStateChange();
    }
    if (ShouldApply(face != m_applied.cullFace))
    {
        glCullFace(face);
        m_applied.cullFace = face;
        CountStateChange();
    }
}

void CGLDevice::SetPolygonMode(GLenum mode)
{
    if (!ShouldApply(mode != m_applied.polygonMode))
        return;
    glPolygonMode(GL_FRONT_AND_BACK, mode);
    m_applied.polygonMode = mode;
    CountStateChange();
}

void CGLDevice::SetDepth(bool test, bool write, GLenum func)
{
    if (ShouldApply(test != m_applied.depthTest))
    {
        test ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
        m_applied.depthTest = test;
        CountStateChange();
    }
    if (ShouldApply(write != m_applied.depthWrite))
    {
        glDepthMask(write ? GL_TRUE : GL_FALSE);
        m_applied.depthWrite = write;
        CountStateChange();
    }
    if (ShouldApply(func != m_applied.depthFunc))
    {
        glDepthFunc(func);
        m_applied.depthFunc = func;
        CountStateChange();
    }
}

void CGLDevice::SetBlend(bool enabled, GLenum src, GLenum dst, GLenum alphaSrc, GLenum alphaDst, GLenum op)
{
    if (ShouldApply(enabled != m_applied.blend))
    {
        enabled ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
        m_applied.blend = enabled;
        CountStateChange();
    }
    if (!enabled && !m_bypassStateCache)
        return;
    if (ShouldApply(src != m_applied.blendSrc || dst != m_applied.blendDst ||
                    alphaSrc != m_applied.blendAlphaSrc || alphaDst != m_applied.blendAlphaDst))
    {
        glBlendFuncSeparate(src, dst, alphaSrc, alphaDst);
        m_applied.blendSrc = src;
        m_applied.blendDst = dst;
        m_applied.blendAlphaSrc = alphaSrc;
        m_applied.blendAlphaDst = alphaDst;
        CountStateChange();
    }
    if (ShouldApply(op != m_applied.blendOp))
    {
        glBlendEquation(op);
        m_applied.blendOp = op;
        CountStateChange();
    }
}

void CGLDevice::SetColorMask(std::uint32_t mask)
{
    mask &= 0xF;
    if (!ShouldApply(mask != m_applied.colorMask))
        return;
    glColorMask((mask & D3DCOLORWRITEENABLE_RED) ? GL_TRUE : GL_FALSE,
                (mask & D3DCOLORWRITEENABLE_GREEN) ? GL_TRUE : GL_FALSE,
                (mask & D3DCOLORWRITEENABLE_BLUE) ? GL_TRUE : GL_FALSE,
                (mask & D3DCOLORWRITEENABLE_ALPHA) ? GL_TRUE : GL_FALSE);
    m_applied.colorMask = mask;
    CountStateChange();
}

void CGLDevice::SetScissor(bool enabled, const std::array<GLint, 4>& box)
{
    if (ShouldApply(enabled != m_applied.scissor))
    {
        enabled ? glEnable(GL_SCISSOR_TEST) : glDisable(GL_SCISSOR_TEST);
        m_applied.scissor = enabled;
        CountStateChange();
    }
    if (enabled && ShouldApply(box != m_applied.scissorBox))
    {
        glScissor(box[0], box[1], box[2], box[3]);
        m_applied.scissorBox = box;
        CountStateChange();
    }
}

void CGLDevice::SetGLViewport(const std::array<GLint, 4>& box, float minZ, float maxZ)
{
    if (ShouldApply(box != m_applied.viewport))
    {
        glViewport(box[0], box[1], box[2], box[3]);
        m_applied.viewport = box;
        CountStateChange();
    }
    const std::array<float, 2> range{minZ, maxZ};
    if (ShouldApply(range != m_applied.depthRange))
    {
        glDepthRange(minZ, maxZ);
        m_applied.depthRange = range;
        CountStateChange();
    }
}

void CGLDevice::BindFramebuffer(GLuint framebuffer)
{
    if (!ShouldApply(framebuffer != m_applied.framebuffer))
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    m_applied.framebuffer = framebuffer;
    CountStateChange();
    const GLenum frontFace = framebuffer == 0 ? GL_CW : GL_CCW;
    if (ShouldApply(frontFace != m_applied.frontFace))
    {
        glFrontFace(frontFace);
        m_applied.frontFace = frontFace;
        CountStateChange();
    }
}

void CGLDevice::UseProgram(GLuint program)
{
    if (!ShouldApply(program != m_applied.program))
        return;
    glUseProgram(program);
    m_applied.program = program;
    CountStateChange();
}

} // namespace Tess
