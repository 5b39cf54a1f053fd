// CD3D9Device: textures, their levels as surfaces, render targets, read-back and saving.

#include "Engine/Platform/Direct3D9/D3D9Device.h"

#include "Engine/Platform/ImageDecoder.h"
#include "Engine/Platform/ImageEncoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

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

std::uint32_t LockKey(const D3D9::Texture& texture, ECubeFace face, std::uint32_t level)
{
    return (texture.cube ? std::uint32_t(face) : 0u) * texture.levels + level;
}

// Copies rows of 32-bit texels between pitched memory and a packed array.
void CopyRows(const void* source, std::int32_t sourcePitch, void* target, std::int32_t targetPitch,
              std::uint32_t width, std::uint32_t height)
{
    for (std::uint32_t row = 0; row < height; ++row)
        std::memcpy(static_cast<std::uint8_t*>(target) + std::ptrdiff_t(row) * targetPitch,
                    static_cast<const std::uint8_t*>(source) + std::ptrdiff_t(row) * sourcePitch, width * 4u);
}

} // namespace

D3D9::Texture* CD3D9Device::FindTexture(std::uint32_t texture)
{
    const auto it = m_textures.find(texture);
    return (it == m_textures.end() || it->second.released) ? nullptr : &it->second;
}

D3D9::Surface* CD3D9Device::FindSurface(SurfaceId surface)
{
    const auto it = m_surfaces.find(surface.value);
    return it == m_surfaces.end() ? nullptr : &it->second;
}

const D3D9::Surface* CD3D9Device::FindSurface(SurfaceId surface) const
{
    const auto it = m_surfaces.find(surface.value);
    return it == m_surfaces.end() ? nullptr : &it->second;
}

// Render targets live in the default pool, as Direct3D demands; everything else is managed, so
// that it can be locked and survives a Reset whatever pool the engine asked for.
IDirect3DBaseTexture9* CD3D9Device::MakeTextureObject(const D3D9::Texture& texture)
{
    const bool target = texture.IsRenderTarget();
    const D3DPOOL pool = target ? ::D3DPOOL_DEFAULT : ::D3DPOOL_MANAGED;
    const DWORD usage = target ? D3DUSAGE_RENDERTARGET : 0;
    if (texture.cube)
    {
        IDirect3DCubeTexture9* cube = nullptr;
        if (FAILED(m_device->CreateCubeTexture(texture.width, texture.levels, usage, D3DFORMAT(texture.format), pool,
                                               &cube, nullptr)))
            return nullptr;
        return cube;
    }
    IDirect3DTexture9* plain = nullptr;
    if (FAILED(m_device->CreateTexture(texture.width, texture.height, texture.levels, usage,
                                       D3DFORMAT(texture.format), pool, &plain, nullptr)))
        return nullptr;
    return plain;
}

IDirect3DSurface9* CD3D9Device::LevelSurface(const D3D9::Texture& texture, ECubeFace face, std::uint32_t level)
{
    IDirect3DSurface9* surface = nullptr;
    if (texture.cube)
        static_cast<IDirect3DCubeTexture9*>(texture.object)->GetCubeMapSurface(D3DCUBEMAP_FACES(face), level, &surface);
    else
        static_cast<IDirect3DTexture9*>(texture.object)->GetSurfaceLevel(level, &surface);
    return surface;
}

TextureId CD3D9Device::CreateTextureObject(bool cube, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                           std::uint32_t usage, EFormat format, EPool pool)
{
    if (width == 0 || height == 0 || (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8))
        return {};
    const std::uint32_t fullChain = FullChainLevels(width, height);
    D3D9::Texture texture;
    texture.cube = cube;
    texture.format = format;
    texture.usage = usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_WRITEONLY);
    texture.pool = pool;
    texture.width = width;
    texture.height = height;
    texture.levels = levels == 0 ? fullChain : std::min(levels, fullChain);
    texture.object = MakeTextureObject(texture);
    if (!texture.object)
        return {};
    const std::uint32_t id = NextId();
    m_textures[id] = std::move(texture);
    return TextureId{id};
}

TextureId CD3D9Device::CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                     std::uint32_t usage, EFormat format, EPool pool)
{
    return CreateTextureObject(false, width, height, levels, usage, format, pool);
}

TextureId CD3D9Device::CreateCubeTexture(std::uint32_t edge, std::uint32_t levels, std::uint32_t usage,
                                         EFormat format, EPool pool)
{
    return CreateTextureObject(true, edge, edge, levels, usage, format, pool);
}

TextureId CD3D9Device::CreateTextureFromFile(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    DecodedImage image;
    if (!ReadFileBytes(path, bytes) || !DecodeImage(bytes.data(), bytes.size(), image))
        return {};
    const TextureId id = CreateTextureObject(false, image.width, image.height, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    if (!id)
        return {};
    const D3D9::Texture& texture = m_textures[id.value];
    auto* object = static_cast<IDirect3DTexture9*>(texture.object);
    // Every level is filtered here, with the engine's own box filter, so that all devices agree.
    for (std::uint32_t level = 0; level < texture.levels; ++level)
    {
        if (level > 0)
            image = HalveImage(image);
        D3DLOCKED_RECT locked{};
        if (FAILED(object->LockRect(level, &locked, nullptr, 0)))
        {
            ReleaseTexture(id);
            return {};
        }
        CopyRows(image.texels.data(), std::int32_t(image.width * 4), locked.pBits, locked.Pitch, image.width,
                 image.height);
        object->UnlockRect(level);
    }
    return id;
}

bool CD3D9Device::GetLevelDesc(TextureId id, std::uint32_t level, SurfaceDesc& out) const
{
    const auto it = m_textures.find(id.value);
    if (it == m_textures.end() || it->second.released || level >= it->second.levels)
        return false;
    const D3D9::Texture& texture = it->second;
    out.format = texture.format;
    out.type = D3DRTYPE_SURFACE;
    out.usage = texture.usage;
    out.pool = texture.pool;
    out.width = LevelSize(texture.width, level);
    out.height = LevelSize(texture.height, level);
    return true;
}

// A managed level locks in place. A render target cannot be locked: its texels are read into a
// system-memory copy, which the unlock writes back.
LockedRect CD3D9Device::LockRect(TextureId id, ECubeFace face, std::uint32_t level)
{
    D3D9::Texture* texture = FindTexture(id.value);
    if (!texture || !texture->object || level >= texture->levels ||
        (texture->cube && face > D3DCUBEMAP_FACE_NEGATIVE_Z))
        return {};
    const std::uint32_t key = LockKey(*texture, face, level);
    if (texture->locked.count(key) || texture->lockCopies.count(key))
        return {};
    D3DLOCKED_RECT locked{};
    if (!texture->IsRenderTarget())
    {
        HRESULT hr = texture->cube ? static_cast<IDirect3DCubeTexture9*>(texture->object)
                                         ->LockRect(D3DCUBEMAP_FACES(face), level, &locked, nullptr, 0)
                                   : static_cast<IDirect3DTexture9*>(texture->object)->LockRect(level, &locked, nullptr, 0);
        if (FAILED(hr))
            return {};
        texture->locked[key] = true;
        return LockedRect{locked.Pitch, locked.pBits};
    }
    IDirect3DSurface9* source = LevelSurface(*texture, face, level);
    IDirect3DSurface9* copy = nullptr;
    const std::uint32_t width = LevelSize(texture->width, level), height = LevelSize(texture->height, level);
    const bool read = source &&
                      SUCCEEDED(m_device->CreateOffscreenPlainSurface(width, height, D3DFORMAT(texture->format),
                                                                      ::D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
                      SUCCEEDED(m_device->GetRenderTargetData(source, copy)) &&
                      SUCCEEDED(copy->LockRect(&locked, nullptr, 0));
    D3D9::SafeRelease(source);
    if (!read)
    {
        D3D9::SafeRelease(copy);
        return {};
    }
    texture->lockCopies[key] = copy;
    return LockedRect{locked.Pitch, locked.pBits};
}

Result CD3D9Device::UnlockRect(TextureId id, ECubeFace face, std::uint32_t level)
{
    D3D9::Texture* texture = FindTexture(id.value);
    if (!texture || level >= texture->levels)
        return kInvalidCall;
    const std::uint32_t key = LockKey(*texture, face, level);
    if (texture->locked.erase(key))
    {
        const HRESULT hr = texture->cube
                               ? static_cast<IDirect3DCubeTexture9*>(texture->object)->UnlockRect(D3DCUBEMAP_FACES(face), level)
                               : static_cast<IDirect3DTexture9*>(texture->object)->UnlockRect(level);
        return SUCCEEDED(hr) ? kOk : kFail;
    }
    const auto copy = texture->lockCopies.find(key);
    if (copy == texture->lockCopies.end())
        return kInvalidCall;
    copy->second->UnlockRect();
    IDirect3DSurface9* target = LevelSurface(*texture, face, level);
    const bool written = target && SUCCEEDED(m_device->UpdateSurface(copy->second, nullptr, target, nullptr));
    D3D9::SafeRelease(target);
    D3D9::SafeRelease(copy->second);
    texture->lockCopies.erase(copy);
    return written ? kOk : kFail;
}

void CD3D9Device::ReleaseTexture(TextureId id)
{
    D3D9::Texture* texture = FindTexture(id.value);
    if (!texture)
        return;
    texture->released = true;
    for (std::uint32_t stage = 0; stage < kMaxTextureStages; ++stage)
    {
        if (m_stageTextures[stage] == id.value)
        {
            m_stageTextures[stage] = 0;
            m_device->SetTexture(stage, nullptr);
        }
    }
    DestroyTextureIfUnused(id.value);
}

// A texture lives on while surfaces of its levels are referenced.
void CD3D9Device::DestroyTextureIfUnused(std::uint32_t id)
{
    const auto it = m_textures.find(id);
    if (it == m_textures.end() || !it->second.released || it->second.surfaceRefs > 0)
        return;
    for (auto& [key, copy] : it->second.lockCopies)
        D3D9::SafeRelease(copy);
    D3D9::SafeRelease(it->second.object);
    m_textures.erase(it);
}

// ---- Surfaces -------------------------------------------------------------------------------

SurfaceId CD3D9Device::GetSurfaceLevel(TextureId id, std::uint32_t level)
{
    D3D9::Texture* texture = FindTexture(id.value);
    if (!texture || texture->cube || level >= texture->levels)
        return {};
    for (auto& [surfaceId, surface] : m_surfaces)
    {
        if (surface.kind == D3D9::ESurfaceKind::TextureLevel && surface.texture == id.value && surface.level == level)
        {
            ++surface.refs;
            return SurfaceId{surfaceId};
        }
    }
    D3D9::Surface surface;
    surface.kind = D3D9::ESurfaceKind::TextureLevel;
    surface.refs = 1;
    surface.texture = id.value;
    surface.level = level;
    surface.width = LevelSize(texture->width, level);
    surface.height = LevelSize(texture->height, level);
    surface.format = texture->format;
    surface.object = LevelSurface(*texture, D3DCUBEMAP_FACE_POSITIVE_X, level);
    if (!surface.object)
        return {};
    ++texture->surfaceRefs;
    const std::uint32_t surfaceId = NextId();
    m_surfaces[surfaceId] = surface;
    return SurfaceId{surfaceId};
}

// A texture level drawn into gets a depth buffer of its own size, as the back buffer has.
bool CD3D9Device::EnsureDepthBuffer(D3D9::Surface& surface)
{
    if (surface.depth)
        return true;
    const D3D9::Surface* main = FindSurface(SurfaceId{m_depthSurface});
    if (!main || main->format == D3DFMT_UNKNOWN)
        return true; // the device draws without depth
    return SUCCEEDED(m_device->CreateDepthStencilSurface(surface.width, surface.height, D3DFORMAT(main->format),
                                                         D3DMULTISAMPLE_NONE, 0, TRUE, &surface.depth, nullptr));
}

SurfaceId CD3D9Device::GetRenderTarget(std::uint32_t index)
{
    D3D9::Surface* target = FindSurface(SurfaceId{m_currentTarget});
    if (index != 0 || !target)
        return {};
    ++target->refs;
    return SurfaceId{m_currentTarget};
}

Result CD3D9Device::SetRenderTarget(std::uint32_t index, SurfaceId id)
{
    if (index != 0)
        return id ? kInvalidCall : kOk;
    D3D9::Surface* surface = FindSurface(id);
    if (!surface || surface->kind == D3D9::ESurfaceKind::DepthBuffer || !surface->object)
        return kInvalidCall;
    if (surface->kind == D3D9::ESurfaceKind::TextureLevel)
    {
        const auto texture = m_textures.find(surface->texture);
        if (texture == m_textures.end() || !texture->second.IsRenderTarget() || !EnsureDepthBuffer(*surface))
            return kInvalidCall;
    }
    if (FAILED(m_device->SetRenderTarget(0, surface->object)))
        return kInvalidCall;
    IDirect3DSurface9* depth = surface->kind == D3D9::ESurfaceKind::TextureLevel
                                   ? surface->depth
                                   : m_surfaces[m_depthSurface].object;
    m_device->SetDepthStencilSurface(depth);
    // The current target holds a reference, as the original device's did.
    ++surface->refs;
    const std::uint32_t previous = m_currentTarget;
    m_currentTarget = id.value;
    ReleaseSurface(SurfaceId{previous});
    // Direct3D has set the viewport to the whole target already.
    m_viewport = Viewport{0, 0, surface->width, surface->height, 0.0f, 1.0f};
    return kOk;
}

SurfaceId CD3D9Device::GetDepthStencilSurface()
{
    D3D9::Surface* depth = FindSurface(SurfaceId{m_depthSurface});
    if (!depth || !depth->object)
        return {};
    ++depth->refs;
    return SurfaceId{m_depthSurface};
}

bool CD3D9Device::GetSurfaceDesc(SurfaceId id, SurfaceDesc& out) const
{
    const D3D9::Surface* surface = FindSurface(id);
    if (!surface)
        return false;
    out = SurfaceDesc{};
    out.format = surface->format;
    out.type = D3DRTYPE_SURFACE;
    out.width = surface->width;
    out.height = surface->height;
    out.pool = D3DPOOL_DEFAULT;
    if (surface->kind == D3D9::ESurfaceKind::DepthBuffer)
        out.usage = D3DUSAGE_DEPTHSTENCIL;
    else if (surface->kind == D3D9::ESurfaceKind::BackBuffer)
        out.usage = D3DUSAGE_RENDERTARGET;
    else if (const auto texture = m_textures.find(surface->texture); texture != m_textures.end())
    {
        out.usage = texture->second.usage;
        out.pool = texture->second.pool;
    }
    return true;
}

void CD3D9Device::ReleaseSurface(SurfaceId id)
{
    D3D9::Surface* surface = FindSurface(id);
    if (!surface || surface->refs == 0)
        return;
    // The back buffer and depth buffer keep the device's own reference.
    if (surface->kind != D3D9::ESurfaceKind::TextureLevel && surface->refs == 1)
        return;
    if (--surface->refs == 0)
        DestroySurface(id.value);
}

void CD3D9Device::DestroySurface(std::uint32_t id)
{
    const auto it = m_surfaces.find(id);
    if (it == m_surfaces.end())
        return;
    D3D9::SafeRelease(it->second.object);
    D3D9::SafeRelease(it->second.depth);
    const std::uint32_t textureId = it->second.texture;
    m_surfaces.erase(it);
    if (const auto texture = m_textures.find(textureId); texture != m_textures.end())
    {
        --texture->second.surfaceRefs;
        DestroyTextureIfUnused(textureId);
    }
}

// ---- Read-back and saving ---------------------------------------------------------------------

bool CD3D9Device::ReadRenderTarget(IDirect3DSurface9* surface, std::uint32_t width, std::uint32_t height,
                                   std::vector<std::uint32_t>& texels)
{
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    IDirect3DSurface9* copy = nullptr;
    D3DLOCKED_RECT locked{};
    const bool read = SUCCEEDED(m_device->CreateOffscreenPlainSurface(width, height, desc.Format, ::D3DPOOL_SYSTEMMEM,
                                                                     &copy, nullptr)) &&
                      SUCCEEDED(m_device->GetRenderTargetData(surface, copy)) &&
                      SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY));
    if (read)
    {
        texels.resize(std::size_t(width) * height);
        CopyRows(locked.pBits, locked.Pitch, texels.data(), std::int32_t(width * 4), width, height);
        copy->UnlockRect();
        // X8R8G8B8's top byte holds nothing defined.
        if (desc.Format == ::D3DFMT_X8R8G8B8)
            for (std::uint32_t& texel : texels)
                texel |= 0xFF000000u;
    }
    D3D9::SafeRelease(copy);
    return read;
}

bool CD3D9Device::ReadSurface(SurfaceId id, std::uint32_t& width, std::uint32_t& height, std::vector<std::uint32_t>& texels)
{
    D3D9::Surface* surface = FindSurface(id);
    if (!surface || surface->kind == D3D9::ESurfaceKind::DepthBuffer || !surface->object)
        return false;
    width = surface->width;
    height = surface->height;
    if (surface->kind == D3D9::ESurfaceKind::BackBuffer)
        return ReadRenderTarget(surface->object, width, height, texels);
    // A level's reference keeps a released texture alive, and readable.
    const auto found = m_textures.find(surface->texture);
    if (found == m_textures.end())
        return false;
    const D3D9::Texture* texture = &found->second;
    if (texture->IsRenderTarget())
        return ReadRenderTarget(surface->object, width, height, texels);
    D3DLOCKED_RECT locked{};
    if (FAILED(surface->object->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        return false;
    texels.resize(std::size_t(width) * height);
    CopyRows(locked.pBits, locked.Pitch, texels.data(), std::int32_t(width * 4), width, height);
    surface->object->UnlockRect();
    if (texture->format == D3DFMT_X8R8G8B8)
        for (std::uint32_t& texel : texels)
            texel |= 0xFF000000u;
    return true;
}

Result CD3D9Device::SaveSurfaceToFile(const std::string& path, EImageFileFormat format, SurfaceId surface)
{
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint32_t> texels;
    if (!ReadSurface(surface, width, height, texels))
        return kInvalidCall;
    return WriteImageFile(path, format, width, height, texels.data()) ? kOk : kFail;
}

} // namespace Tess
