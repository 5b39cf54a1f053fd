#pragma once
// Values and structures of the graphics platform interface. The engine was designed on a
// Direct3D 9 class device, and its data (render-state numbers, vertex declarations, colour
// layout, format codes) keeps that device's numbering, so every constant here carries the
// number the engine's files and logs were written against. Backends translate them.

#include "Engine/Core/Matrix.h"
#include "Engine/Platform/PlatformTypes.h"

#include <cstdint>

namespace Tess
{

using TextureId = DeviceId<struct TextureTag>;           // 2D or cube texture
using SurfaceId = DeviceId<struct SurfaceTag>;           // back buffer, depth buffer or texture level
using VertexBufferId = DeviceId<struct VertexBufferTag>;
using IndexBufferId = DeviceId<struct IndexBufferTag>;
using DeclarationId = DeviceId<struct DeclarationTag>;   // vertex declaration
using VertexShaderId = DeviceId<struct VertexShaderTag>;
using PixelShaderId = DeviceId<struct PixelShaderTag>;
using FontId = DeviceId<struct FontTag>;

// 32-bit ARGB colour: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
using Color = std::uint32_t;

// ---- Formats, pools, usage ------------------------------------------------------------------
enum EFormat : std::uint32_t
{
    D3DFMT_UNKNOWN = 0,
    D3DFMT_A8R8G8B8 = 21,
    D3DFMT_X8R8G8B8 = 22,
    D3DFMT_D24S8 = 75,
    D3DFMT_D24X8 = 77,
    D3DFMT_INDEX16 = 101,
    D3DFMT_INDEX32 = 102,
};

enum EPool : std::uint32_t
{
    D3DPOOL_DEFAULT = 0,
    D3DPOOL_MANAGED = 1,
    D3DPOOL_SYSTEMMEM = 2,
};

constexpr std::uint32_t D3DUSAGE_RENDERTARGET = 0x1;
constexpr std::uint32_t D3DUSAGE_DEPTHSTENCIL = 0x2;
constexpr std::uint32_t D3DUSAGE_WRITEONLY = 0x8;

enum EResourceType : std::uint32_t
{
    D3DRTYPE_SURFACE = 1,
    D3DRTYPE_TEXTURE = 3,
    D3DRTYPE_CUBETEXTURE = 5,
};

// ---- Device creation ------------------------------------------------------------------------
enum EDeviceType : std::uint32_t
{
    D3DDEVTYPE_HAL = 1, // hardware-accelerated rasterisation
    D3DDEVTYPE_REF = 2, // software rasterisation
};

constexpr std::uint32_t D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20;
constexpr std::uint32_t D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40;
constexpr std::uint32_t D3DSWAPEFFECT_DISCARD = 1;
constexpr std::uint32_t D3DPRESENT_INTERVAL_DEFAULT = 0;
constexpr std::uint32_t D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;
constexpr std::uint32_t kSdkVersion = 32;

struct DisplayMode
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t refreshRate = 0;
    EFormat format = D3DFMT_UNKNOWN;
};

struct DeviceCaps
{
    EDeviceType deviceType = D3DDEVTYPE_HAL;
    std::uint32_t vertexProcessingCaps = 0; // non-zero: vertices can be processed by the device
    std::uint32_t maxTextureWidth = 0;
    std::uint32_t maxTextureHeight = 0;
    std::uint32_t maxSimultaneousTextures = 0;
};

struct PresentParameters
{
    std::uint32_t backBufferWidth = 0;  // 0 in windowed mode: the client area decides
    std::uint32_t backBufferHeight = 0;
    EFormat backBufferFormat = D3DFMT_UNKNOWN;
    std::uint32_t backBufferCount = 0;
    std::uint32_t multiSampleType = 0;
    std::uint32_t swapEffect = 0;
    WindowHandle deviceWindow = nullptr;
    bool windowed = false;
    bool enableAutoDepthStencil = false;
    EFormat autoDepthStencilFormat = D3DFMT_UNKNOWN;
    std::uint32_t flags = 0;
    std::uint32_t fullScreenRefreshRate = 0;
    std::uint32_t presentationInterval = 0;
};

// ---- Render states (SetRenderState) ---------------------------------------------------------
enum ERenderState : std::uint32_t
{
    D3DRS_ZENABLE = 7,
    D3DRS_FILLMODE = 8,
    D3DRS_ZWRITEENABLE = 14,
    D3DRS_ALPHATESTENABLE = 15,
    D3DRS_SRCBLEND = 19,
    D3DRS_DESTBLEND = 20,
    D3DRS_CULLMODE = 22,
    D3DRS_ZFUNC = 23,
    D3DRS_ALPHAREF = 24,
    D3DRS_ALPHAFUNC = 25,
    D3DRS_ALPHABLENDENABLE = 27,
    D3DRS_LIGHTING = 137,
    D3DRS_AMBIENT = 139,
    D3DRS_COLORWRITEENABLE = 168,
    D3DRS_BLENDOP = 171,
};

enum ECullMode : std::uint32_t { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum EFillMode : std::uint32_t { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
enum ECmpFunc : std::uint32_t
{
    D3DCMP_NEVER = 1, D3DCMP_LESS = 2, D3DCMP_EQUAL = 3, D3DCMP_LESSEQUAL = 4,
    D3DCMP_GREATER = 5, D3DCMP_NOTEQUAL = 6, D3DCMP_GREATEREQUAL = 7, D3DCMP_ALWAYS = 8,
};
enum EBlend : std::uint32_t
{
    D3DBLEND_ZERO = 1, D3DBLEND_ONE = 2, D3DBLEND_SRCCOLOR = 3, D3DBLEND_INVSRCCOLOR = 4,
    D3DBLEND_SRCALPHA = 5, D3DBLEND_INVSRCALPHA = 6, D3DBLEND_DESTALPHA = 7,
    D3DBLEND_INVDESTALPHA = 8, D3DBLEND_DESTCOLOR = 9, D3DBLEND_INVDESTCOLOR = 10,
};
enum EBlendOp : std::uint32_t
{
    D3DBLENDOP_ADD = 1, D3DBLENDOP_SUBTRACT = 2, D3DBLENDOP_REVSUBTRACT = 3,
    D3DBLENDOP_MIN = 4, D3DBLENDOP_MAX = 5,
};
constexpr std::uint32_t D3DZB_FALSE = 0;
constexpr std::uint32_t D3DZB_TRUE = 1;
// D3DRS_COLORWRITEENABLE bits.
constexpr std::uint32_t D3DCOLORWRITEENABLE_RED = 1, D3DCOLORWRITEENABLE_GREEN = 2,
                        D3DCOLORWRITEENABLE_BLUE = 4, D3DCOLORWRITEENABLE_ALPHA = 8;

// ---- Texture stages and samplers ------------------------------------------------------------
enum ETextureStageState : std::uint32_t
{
    D3DTSS_COLOROP = 1, D3DTSS_COLORARG1 = 2, D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4, D3DTSS_ALPHAARG1 = 5, D3DTSS_ALPHAARG2 = 6,
};
enum ETextureOp : std::uint32_t
{
    D3DTOP_DISABLE = 1, D3DTOP_SELECTARG1 = 2, D3DTOP_SELECTARG2 = 3, D3DTOP_MODULATE = 4,
};
enum ETextureArg : std::uint32_t { D3DTA_DIFFUSE = 0, D3DTA_CURRENT = 1, D3DTA_TEXTURE = 2 };

enum ESamplerState : std::uint32_t
{
    D3DSAMP_ADDRESSU = 1, D3DSAMP_ADDRESSV = 2, D3DSAMP_ADDRESSW = 3, D3DSAMP_BORDERCOLOR = 4,
    D3DSAMP_MAGFILTER = 5, D3DSAMP_MINFILTER = 6, D3DSAMP_MIPFILTER = 7,
};
enum ETextureAddress : std::uint32_t
{
    D3DTADDRESS_WRAP = 1, D3DTADDRESS_MIRROR = 2, D3DTADDRESS_CLAMP = 3, D3DTADDRESS_BORDER = 4,
};
enum ETextureFilter : std::uint32_t
{
    D3DTEXF_NONE = 0, D3DTEXF_POINT = 1, D3DTEXF_LINEAR = 2, D3DTEXF_ANISOTROPIC = 3,
};

constexpr std::uint32_t kMaxTextureStages = 16;

enum ECubeFace : std::uint32_t
{
    D3DCUBEMAP_FACE_POSITIVE_X = 0, D3DCUBEMAP_FACE_NEGATIVE_X = 1,
    D3DCUBEMAP_FACE_POSITIVE_Y = 2, D3DCUBEMAP_FACE_NEGATIVE_Y = 3,
    D3DCUBEMAP_FACE_POSITIVE_Z = 4, D3DCUBEMAP_FACE_NEGATIVE_Z = 5,
};

// ---- Transforms, viewport, clearing ---------------------------------------------------------
enum ETransform : std::uint32_t { D3DTS_VIEW = 2, D3DTS_PROJECTION = 3, D3DTS_WORLD = 256 };

constexpr std::uint32_t D3DCLEAR_TARGET = 0x1;
constexpr std::uint32_t D3DCLEAR_ZBUFFER = 0x2;
constexpr std::uint32_t D3DCLEAR_STENCIL = 0x4;

struct Viewport
{
    std::uint32_t X = 0;
    std::uint32_t Y = 0;
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    float MinZ = 0.0f;
    float MaxZ = 1.0f;

    bool operator==(const Viewport&) const = default;
};

struct Rect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool operator==(const Rect&) const = default;
};

struct SurfaceDesc
{
    EFormat format = D3DFMT_UNKNOWN;
    EResourceType type = D3DRTYPE_SURFACE;
    std::uint32_t usage = 0;
    EPool pool = D3DPOOL_DEFAULT;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// Texels of a locked texture level: rows of `pitch` bytes, top row first.
struct LockedRect
{
    std::int32_t pitch = 0;
    void* bits = nullptr;
};

// ---- Primitives and vertex declarations -----------------------------------------------------
enum EPrimitiveType : std::uint32_t
{
    D3DPT_POINTLIST = 1, D3DPT_LINELIST = 2, D3DPT_LINESTRIP = 3,
    D3DPT_TRIANGLELIST = 4, D3DPT_TRIANGLESTRIP = 5, D3DPT_TRIANGLEFAN = 6,
};

enum EDeclType : std::uint8_t
{
    D3DDECLTYPE_FLOAT1 = 0, D3DDECLTYPE_FLOAT2 = 1, D3DDECLTYPE_FLOAT3 = 2,
    D3DDECLTYPE_FLOAT4 = 3, D3DDECLTYPE_D3DCOLOR = 4, D3DDECLTYPE_UBYTE4 = 5,
    D3DDECLTYPE_UNUSED = 17,
};
enum EDeclMethod : std::uint8_t { D3DDECLMETHOD_DEFAULT = 0 };
enum EDeclUsage : std::uint8_t
{
    D3DDECLUSAGE_POSITION = 0, D3DDECLUSAGE_BLENDWEIGHT = 1, D3DDECLUSAGE_BLENDINDICES = 2,
    D3DDECLUSAGE_NORMAL = 3, D3DDECLUSAGE_PSIZE = 4, D3DDECLUSAGE_TEXCOORD = 5,
    D3DDECLUSAGE_TANGENT = 6, D3DDECLUSAGE_BINORMAL = 7, D3DDECLUSAGE_TESSFACTOR = 8,
    D3DDECLUSAGE_POSITIONT = 9, D3DDECLUSAGE_COLOR = 10, D3DDECLUSAGE_FOG = 11,
    D3DDECLUSAGE_DEPTH = 12, D3DDECLUSAGE_SAMPLE = 13,
};

// One element of a vertex declaration (8 bytes, as the engine's buffers lay them out).
struct VertexElement
{
    std::uint16_t stream = 0;
    std::uint16_t offset = 0;
    std::uint8_t type = D3DDECLTYPE_UNUSED;
    std::uint8_t method = D3DDECLMETHOD_DEFAULT;
    std::uint8_t usage = 0;
    std::uint8_t usageIndex = 0;

    bool operator==(const VertexElement&) const = default;
};
static_assert(sizeof(VertexElement) == 8);

// Terminates every declaration array.
constexpr VertexElement kDeclarationEnd{0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0};

// Shader input locations by declaration usage. Effect code declares its vertex inputs with
// these locations, and backends bind declaration elements to them.
int AttributeLocation(std::uint8_t usage, std::uint8_t usageIndex);
constexpr int kAttributeLocationCount = 16;

// The state a new device starts with, the same for every backend.
std::uint32_t DefaultRenderState(std::uint32_t state);
std::uint32_t DefaultTextureStageState(std::uint32_t stage, std::uint32_t type);
std::uint32_t DefaultSamplerState(std::uint32_t type);

// Number of vertices a draw of `primitiveCount` primitives of this type reads.
std::uint32_t VertexCountOf(EPrimitiveType type, std::uint32_t primitiveCount);

// ---- Fixed-function leftovers the effect state interface still carries -----------------------
struct Material
{
    float diffuse[4] = {};
    float ambient[4] = {};
    float specular[4] = {};
    float emissive[4] = {};
    float power = 0.0f;
};

struct Light
{
    std::uint32_t type = 0;
    float diffuse[4] = {};
    float position[3] = {};
    float direction[3] = {};
};

// ---- Shader languages -------------------------------------------------------------------------
// What CreateVertexShader and CreatePixelShader read: GLSL 330 stages, or Direct3D 9 shader
// assembly (vs_3_0 / ps_3_0 with every register written as a number).
enum class EShaderLanguage { Glsl330, D3D9Assembly };

// ---- Text (DrawText format flags and font creation values) -----------------------------------
constexpr std::uint32_t DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2,
                        DT_VCENTER = 0x4, DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10,
                        DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_NOCLIP = 0x100,
                        DT_CALCRECT = 0x400;
constexpr std::uint32_t DEFAULT_CHARSET = 1;
constexpr std::uint32_t OUT_DEFAULT_PRECIS = 0;
constexpr std::uint32_t DEFAULT_QUALITY = 0;
constexpr std::uint32_t DEFAULT_PITCH = 0;

// ---- Image files ------------------------------------------------------------------------------
enum EImageFileFormat : std::uint32_t
{
    D3DXIFF_BMP = 0, D3DXIFF_JPG = 1, D3DXIFF_TGA = 2, D3DXIFF_PNG = 3, D3DXIFF_DDS = 4,
};

// ---- Interface identifiers ------------------------------------------------------------------
struct Guid
{
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};

    bool operator==(const Guid&) const = default;
};

// {00000000-0000-0000-C000-000000000046}
constexpr Guid IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// {79AAB587-6DBC-4FA7-82DE-37FA1781C5CE}
constexpr Guid IID_ID3DXEffectStateManager{
    0x79AAB587, 0x6DBC, 0x4FA7, {0x82, 0xDE, 0x37, 0xFA, 0x17, 0x81, 0xC5, 0xCE}};

} // namespace Tess
