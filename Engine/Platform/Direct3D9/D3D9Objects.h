#pragma once
// Private to the Direct3D 9 backend: the records CD3D9Device keeps behind the ids it hands out.
// Each record remembers how its object was made, so that objects of the default pool (render-
// target textures and the depth buffers of their levels) can be made again behind the same id
// after a Reset.

#include "Engine/Platform/FontRasterizer.h"
#include "Engine/Platform/GraphicsTypes.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <d3d9.h>
// The device's own members carry these names; Windows maps them to its ANSI functions.
#undef CreateFont
#undef DrawText

#include <cstdint>
#include <map>
#include <vector>

namespace Tess::D3D9
{

// Releases a COM pointer and clears it.
template <class T>
void SafeRelease(T*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

struct Texture
{
    IDirect3DBaseTexture9* object = nullptr; // IDirect3DTexture9 or IDirect3DCubeTexture9
    bool cube = false;
    EFormat format = D3DFMT_UNKNOWN;
    std::uint32_t usage = 0;
    EPool pool = D3DPOOL_MANAGED; // as asked for; render targets live in the default pool
    std::uint32_t width = 0, height = 0, levels = 1;
    // The owner released it; it goes when the last surface of one of its levels goes too.
    bool released = false;
    std::uint32_t surfaceRefs = 0;
    // Render targets cannot be locked: a lock reads the level into this system-memory copy,
    // and the unlock writes it back. Keyed by face x levels + level.
    std::map<std::uint32_t, IDirect3DSurface9*> lockCopies;
    // Levels of a managed texture that are locked now (same keys).
    std::map<std::uint32_t, bool> locked;

    bool IsRenderTarget() const { return (usage & D3DUSAGE_RENDERTARGET) != 0; }
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
    IDirect3DSurface9* object = nullptr;
    // A texture level drawn into gets a depth buffer of its own size, made on first use.
    IDirect3DSurface9* depth = nullptr;
};

struct Buffer
{
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    std::uint32_t length = 0; // bytes
    bool locked = false;
};

struct Declaration
{
    IDirect3DVertexDeclaration9* object = nullptr;
    std::vector<VertexElement> elements;
};

struct Font
{
    CFontRasterizer rasterizer;
    IDirect3DTexture9* atlas = nullptr; // white texels with the coverage as alpha
};

constexpr std::uint32_t kMaxStreams = 16;
constexpr std::uint32_t kVSFloatRegisters = 256;
constexpr std::uint32_t kPSFloatRegisters = 224;
constexpr std::uint32_t kIntRegisters = 16;
constexpr std::uint32_t kBoolRegisters = 16;
constexpr std::uint32_t kRenderStates = 256;
constexpr std::uint32_t kStageStates = 33;   // up to D3DTSS_CONSTANT
constexpr std::uint32_t kSamplerStates = 14; // up to D3DSAMP_DMAPOFFSET
constexpr std::uint32_t kMaxLights = 8;

// The texture stage states Direct3D 9 has; the numbers between them are unused.
constexpr bool IsStageState(std::uint32_t type)
{
    return (type >= 1 && type <= 11) || (type >= 22 && type <= 24) || (type >= 26 && type <= 28) || type == 32;
}

} // namespace Tess::D3D9
