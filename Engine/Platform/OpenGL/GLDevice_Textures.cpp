// CGLDevice: textures, their levels as surfaces, render targets, read-back and saving.

#include "Engine/Platform/OpenGL/GLDevice.h"

#include "Engine/Platform/ImageDecoder.h"
#include "Engine/Platform/ImageEncoder.h"

#include <algorithm>
#include <bit>

namespace Tess
{

namespace
{

std::uint32_t FullChainLevels(std::uint32_t width, std::uint32_t height)
{
    return static_cast<std::uint32_t>(std::bit_width(std::max(width, height)));
}

std::uint32_t LevelSize(std::uint32_t size, std::uint32_t level)
{
    return std::max(1u, size >> level);
}

GLenum FaceTarget(const GL::Texture& texture, ECubeFace face)
{
    return texture.cube ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : GL_TEXTURE_2D;
}

// Texels are 32-bit ARGB words, bytes B, G, R, A in memory.
constexpr GLenum kTexelFormat = GL_BGRA;
constexpr GLenum kTexelType = GL_UNSIGNED_INT_8_8_8_8_REV;

} // namespace

GL::Texture* CGLDevice::FindTexture(std::uint32_t texture)
{
    const auto it = m_textures.find(texture);
    return (it == m_textures.end() || it->second.released) ? nullptr : &it->second;
}

GL::Surface* CGLDevice::FindSurface(SurfaceId surface)
{
    const auto it = m_surfaces.find(surface.value);
    return it == m_surfaces.end() ? nullptr : &it->second;
}

const GL::Surface* CGLDevice::FindSurface(SurfaceId surface) const
{
    const auto it = m_surfaces.find(surface.value);
    return it == m_surfaces.end() ? nullptr : &it->second;
}

GLuint CGLDevice::CurrentFramebuffer() const
{
    const GL::Surface* target = FindSurface(SurfaceId{m_currentTarget});
    return target ? target->framebuffer : 0;
}

std::array<GLint, 4> CGLDevice::CurrentTargetBox() const
{
    const GL::Surface* target = FindSurface(SurfaceId{m_currentTarget});
    if (!target)
        return {0, 0, 1, 1};
    return {0, 0, static_cast<GLint>(target->width), static_cast<GLint>(target->height)};
}

bool CGLDevice::DrawsToWindow() const
{
    const GL::Surface* back = FindSurface(SurfaceId{m_backBufferSurface});
    return back && back->framebuffer == 0;
}

std::array<GLint, 4> CGLDevice::ToGLRows(const std::array<GLint, 4>& box) const
{
    if (!TargetIsBottomUp())
        return box;
    return {box[0], CurrentTargetBox()[3] - box[1] - box[3], box[2], box[3]};
}

// ---- Textures -------------------------------------------------------------------------------

TextureId CGLDevice::CreateTextureObject(bool cube, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                         std::uint32_t usage, EFormat format, EPool pool)
{
    MakeContextCurrent();
    GLint maxSize = 0;
    glGetIntegerv(cube ? GL_MAX_CUBE_MAP_TEXTURE_SIZE : GL_MAX_TEXTURE_SIZE, &maxSize);
    if (width == 0 || height == 0 || width > std::uint32_t(maxSize) || height > std::uint32_t(maxSize))
        return {};
    if (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8)
        return {};
    const std::uint32_t fullChain = FullChainLevels(width, height);
    levels = (levels == 0) ? fullChain : std::min(levels, fullChain);

    GL::Texture texture;
    texture.cube = cube;
    texture.format = format;
    texture.usage = usage;
    texture.pool = pool;
    texture.width = width;
    texture.height = height;
    texture.levels = levels;
    const GLenum target = cube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
    glGenTextures(1, &texture.name);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(target, texture.name);
    for (std::uint32_t level = 0; level < levels; ++level)
    {
        for (GLenum face = 0; face < (cube ? 6u : 1u); ++face)
            glTexImage2D(cube ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : GL_TEXTURE_2D, static_cast<GLint>(level),
                         GL_RGBA8, static_cast<GLsizei>(LevelSize(width, level)),
                         static_cast<GLsizei>(LevelSize(height, level)), 0, kTexelFormat, kTexelType, nullptr);
    }
    // Mipmap filtering needs a complete chain: declare the levels that exist.
    glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    // X8R8G8B8 has no alpha: whatever its top byte holds, samples read alpha 1.
    if (format == D3DFMT_X8R8G8B8)
        glTexParameteri(target, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    // The unit-0 binding changed behind BindTextures' back.
    m_texturesDirty |= 1u;

    const std::uint32_t id = NextId();
    m_textures[id] = std::move(texture);
    return TextureId{id};
}

TextureId CGLDevice::CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                   std::uint32_t usage, EFormat format, EPool pool)
{
    return CreateTextureObject(false, width, height, levels, usage, format, pool);
}

TextureId CGLDevice::CreateCubeTexture(std::uint32_t edge, std::uint32_t levels, std::uint32_t usage,
                                       EFormat format, EPool pool)
{
    return CreateTextureObject(true, edge, edge, levels, usage, format, pool);
}

TextureId CGLDevice::CreateTextureFromFile(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    DecodedImage image;
    if (!ReadFileBytes(path, bytes) || !DecodeImage(bytes.data(), bytes.size(), image))
        return {};
    const TextureId id = CreateTextureObject(false, image.width, image.height, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    if (!id)
        return {};
    const GL::Texture& texture = m_textures[id.value];
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture.name);
    // The smaller levels are filtered here rather than by glGenerateMipmap, which on a software
    // rasteriser compiles a blit shader at the first texture load: tens of milliseconds of start-up.
    for (std::uint32_t level = 0; level < texture.levels; ++level)
    {
        if (level > 0)
            image = HalveImage(image);
        glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(image.width),
                        static_cast<GLsizei>(image.height), kTexelFormat, kTexelType, image.texels.data());
    }
    m_texturesDirty |= 1u;
    return id;
}

bool CGLDevice::GetLevelDesc(TextureId id, std::uint32_t level, SurfaceDesc& out) const
{
    const auto it = m_textures.find(id.value);
    if (it == m_textures.end() || it->second.released || level >= it->second.levels)
        return false;
    const GL::Texture& texture = it->second;
    out.format = texture.format;
    out.type = D3DRTYPE_SURFACE;
    out.usage = texture.usage;
    out.pool = texture.pool;
    out.width = LevelSize(texture.width, level);
    out.height = LevelSize(texture.height, level);
    return true;
}

// A lock hands out a CPU copy of the level as it is now (render targets included); the
// unlock uploads it.
LockedRect CGLDevice::LockRect(TextureId id, ECubeFace face, std::uint32_t level)
{
    GL::Texture* texture = FindTexture(id.value);
    if (!texture || level >= texture->levels || (texture->cube && face > D3DCUBEMAP_FACE_NEGATIVE_Z))
        return {};
    const std::uint32_t key = (texture->cube ? std::uint32_t(face) : 0u) * texture->levels + level;
    if (texture->locked.count(key))
        return {};
    const std::uint32_t width = LevelSize(texture->width, level), height = LevelSize(texture->height, level);
    MakeContextCurrent();
    std::vector<std::uint32_t>& texels = texture->locked[key];
    texels.resize(std::size_t(width) * height);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(texture->cube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D, texture->name);
    glGetTexImage(FaceTarget(*texture, face), static_cast<GLint>(level), kTexelFormat, kTexelType, texels.data());
    m_texturesDirty |= 1u;
    return LockedRect{static_cast<std::int32_t>(width * 4), texels.data()};
}

Result CGLDevice::UnlockRect(TextureId id, ECubeFace face, std::uint32_t level)
{
    GL::Texture* texture = FindTexture(id.value);
    if (!texture || level >= texture->levels)
        return kInvalidCall;
    const std::uint32_t key = (texture->cube ? std::uint32_t(face) : 0u) * texture->levels + level;
    const auto locked = texture->locked.find(key);
    if (locked == texture->locked.end())
        return kInvalidCall;
    MakeContextCurrent();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(texture->cube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D, texture->name);
    glTexSubImage2D(FaceTarget(*texture, face), static_cast<GLint>(level), 0, 0,
                    static_cast<GLsizei>(LevelSize(texture->width, level)),
                    static_cast<GLsizei>(LevelSize(texture->height, level)), kTexelFormat, kTexelType,
                    locked->second.data());
    texture->locked.erase(locked);
    m_texturesDirty |= 1u;
    return kOk;
}

void CGLDevice::ReleaseTexture(TextureId id)
{
    GL::Texture* texture = FindTexture(id.value);
    if (!texture)
        return;
    MakeContextCurrent();
    texture->released = true;
    for (std::uint32_t stage = 0; stage < kMaxTextureStages; ++stage)
    {
        if (m_stageTextures[stage] == id.value)
        {
            m_stageTextures[stage] = 0;
            m_texturesDirty |= 1u << stage;
        }
    }
    DestroyTextureIfUnused(id.value);
}

// A texture lives on while surfaces of its levels are referenced.
void CGLDevice::DestroyTextureIfUnused(std::uint32_t id)
{
    const auto it = m_textures.find(id);
    if (it == m_textures.end() || !it->second.released || it->second.surfaceRefs > 0)
        return;
    glDeleteTextures(1, &it->second.name);
    m_textures.erase(it);
}

// ---- Surfaces -------------------------------------------------------------------------------

SurfaceId CGLDevice::GetSurfaceLevel(TextureId id, std::uint32_t level)
{
    GL::Texture* texture = FindTexture(id.value);
    if (!texture || texture->cube || level >= texture->levels)
        return {};
    for (auto& [surfaceId, surface] : m_surfaces)
    {
        if (surface.kind == GL::ESurfaceKind::TextureLevel && surface.texture == id.value && surface.level == level)
        {
            ++surface.refs;
            return SurfaceId{surfaceId};
        }
    }
    GL::Surface surface;
    surface.kind = GL::ESurfaceKind::TextureLevel;
    surface.refs = 1;
    surface.texture = id.value;
    surface.level = level;
    surface.width = LevelSize(texture->width, level);
    surface.height = LevelSize(texture->height, level);
    surface.format = texture->format;
    ++texture->surfaceRefs;
    const std::uint32_t surfaceId = NextId();
    m_surfaces[surfaceId] = surface;
    return SurfaceId{surfaceId};
}

// The framebuffer of a texture level, made on first use, with a depth buffer of its own size.
bool CGLDevice::EnsureFramebuffer(GL::Surface& surface)
{
    // A back buffer without a framebuffer of its own is the window's.
    if (surface.framebuffer || surface.kind == GL::ESurfaceKind::BackBuffer)
        return true;
    if (surface.kind != GL::ESurfaceKind::TextureLevel)
        return false;
    const auto texture = m_textures.find(surface.texture);
    if (texture == m_textures.end())
        return false;
    glGenFramebuffers(1, &surface.framebuffer);
    glGenRenderbuffers(1, &surface.depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, surface.depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(surface.width),
                          static_cast<GLsizei>(surface.height));
    glBindFramebuffer(GL_FRAMEBUFFER, surface.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture->second.name,
                           static_cast<GLint>(surface.level));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, surface.depthBuffer);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    // The texture's texels stay as they are.
    if (complete)
        ClearNewStorage(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, m_applied.framebuffer);
    return complete;
}

SurfaceId CGLDevice::GetRenderTarget(std::uint32_t index)
{
    GL::Surface* target = FindSurface(SurfaceId{m_currentTarget});
    if (index != 0 || !target)
        return {};
    ++target->refs;
    return SurfaceId{m_currentTarget};
}

Result CGLDevice::SetRenderTarget(std::uint32_t index, SurfaceId id)
{
    if (index != 0)
        return id ? kInvalidCall : kOk;
    GL::Surface* surface = FindSurface(id);
    if (!surface || surface->kind == GL::ESurfaceKind::DepthBuffer)
        return kInvalidCall;
    MakeContextCurrent();
    if (!EnsureFramebuffer(*surface))
        return kInvalidCall;
    // The current target holds a reference, as the original device's did.
    ++surface->refs;
    const std::uint32_t previous = m_currentTarget;
    m_currentTarget = id.value;
    ReleaseSurface(SurfaceId{previous});
    m_viewport = Viewport{0, 0, surface->width, surface->height, 0.0f, 1.0f};
    return kOk;
}

SurfaceId CGLDevice::GetDepthStencilSurface()
{
    GL::Surface* depth = FindSurface(SurfaceId{m_depthSurface});
    if (!depth)
        return {};
    ++depth->refs;
    return SurfaceId{m_depthSurface};
}

bool CGLDevice::GetSurfaceDesc(SurfaceId id, SurfaceDesc& out) const
{
    const GL::Surface* surface = FindSurface(id);
    if (!surface)
        return false;
    out = SurfaceDesc{};
    out.format = surface->format;
    out.type = D3DRTYPE_SURFACE;
    out.width = surface->width;
    out.height = surface->height;
    out.pool = D3DPOOL_DEFAULT;
    if (surface->kind == GL::ESurfaceKind::DepthBuffer)
        out.usage = D3DUSAGE_DEPTHSTENCIL;
    else if (surface->kind == GL::ESurfaceKind::BackBuffer)
        out.usage = D3DUSAGE_RENDERTARGET;
    else if (const auto texture = m_textures.find(surface->texture); texture != m_textures.end())
        out.usage = texture->second.usage;
    return true;
}

void CGLDevice::ReleaseSurface(SurfaceId id)
{
    GL::Surface* surface = FindSurface(id);
    if (!surface || surface->refs == 0)
        return;
    // The back buffer and depth buffer keep the device's own reference.
    if (surface->kind != GL::ESurfaceKind::TextureLevel && surface->refs == 1)
        return;
    if (--surface->refs == 0)
    {
        MakeContextCurrent();
        DestroySurface(id.value);
    }
}

void CGLDevice::DestroySurface(std::uint32_t id)
{
    const auto it = m_surfaces.find(id);
    if (it == m_surfaces.end())
        return;
    GL::Surface& surface = it->second;
    if (surface.framebuffer)
    {
        if (m_applied.framebuffer == surface.framebuffer)
            BindFramebuffer(0);
        glDeleteFramebuffers(1, &surface.framebuffer);
        glDeleteRenderbuffers(1, &surface.depthBuffer);
    }
    const std::uint32_t textureId = surface.texture;
    m_surfaces.erase(it);
    if (const auto texture = m_textures.find(textureId); texture != m_textures.end())
    {
        --texture->second.surfaceRefs;
        DestroyTextureIfUnused(textureId);
    }
}

// ---- Read-back and saving ---------------------------------------------------------------------

bool CGLDevice::ReadSurface(SurfaceId id, std::uint32_t& width, std::uint32_t& height, std::vector<std::uint32_t>& texels)
{
    GL::Surface* surface = FindSurface(id);
    if (!surface || surface->kind == GL::ESurfaceKind::DepthBuffer)
        return false;
    MakeContextCurrent();
    if (!EnsureFramebuffer(*surface))
        return false;
    width = surface->width;
    height = surface->height;
    texels.resize(std::size_t(width) * height);
    // Error flags stay raised until read: one left by an earlier call must not fail this read.
    while (glGetError() != GL_NO_ERROR)
    {
    }
    // Rows come back in OpenGL order: top row first in texture targets, bottom row first in the
    // window, whose rows are put the right way up here.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, surface->framebuffer);
    glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), kTexelFormat, kTexelType, texels.data());
    glBindFramebuffer(GL_FRAMEBUFFER, m_applied.framebuffer);
    if (surface->framebuffer == 0)
    {
        for (std::uint32_t top = 0, bottom = height; top + 1 < bottom; ++top, --bottom)
            std::swap_ranges(texels.begin() + std::ptrdiff_t(top) * width, texels.begin() + std::ptrdiff_t(top + 1) * width,
                             texels.begin() + std::ptrdiff_t(bottom - 1) * width);
    }
    return glGetError() == GL_NO_ERROR;
}

Result CGLDevice::SaveSurfaceToFile(const std::string& path, EImageFileFormat format, SurfaceId surface)
{
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint32_t> texels;
    if (!ReadSurface(surface, width, height, texels))
        return kInvalidCall;
    return WriteImageFile(path, format, width, height, texels.data()) ? kOk : kFail;
}

} // namespace Tess
