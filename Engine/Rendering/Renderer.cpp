#include "Engine/Rendering/Renderer.h"

#include "Engine/Core/Log.h"
#include "Engine/Platform/Fonts/FontPrefetch.h"
#include "Engine/Rendering/DeviceResource.h"
#include "Engine/Rendering/Effect.h"
#include "Engine/Rendering/ScriptManager.h"
#include "Engine/Rendering/StateManager.h"

namespace Tess
{

namespace
{
CRenderer* g_renderer = nullptr;

const char* const kConfigurationScript = "Data/Scripts/Renderer_Configuration.lua";
constexpr std::uint32_t kAdapter = 0;
constexpr float kDefaultFieldOfView = 0.7853982f;
constexpr float kDefaultNearPlane = 0.1f;
constexpr float kDefaultFarPlane = 1000.0f;
constexpr int kLowResolutionWidth = 320;
constexpr int kLowResolutionHeight = 240;
constexpr int kNormalizationCubeSize = 256;
// The font the renderer loads for itself.
const char* const kDefaultFontFace = "Courier New";
constexpr int kDefaultFontSize = 10;
constexpr std::uint32_t kTextureStagesUnbound = 8;

// Lua: SetWindowedMode(flag). Absent, nil and false select full-screen; anything else,
// the number 0 included, selects windowed presentation.
int SetWindowedMode(lua_State* state)
{
    CScriptManager::GetArgumentCount(state);
    const bool windowed = CScriptManager::ReadFlag(state, 1);
    if (g_renderer)
        g_renderer->SetWindowed(windowed);
    return 0;
}

void LogRenderer(const char* text)
{
    GetLog().Write(LOG_RENDERER, std::string(text));
}

// Vertex layouts of the screen-space and world-space line drawing.
constexpr VertexElement kScreenVertexElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITIONT, 0},
    {0, 16, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 20, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    kDeclarationEnd,
};
constexpr VertexElement kLineVertexElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    kDeclarationEnd,
};
} // namespace

CRenderer* GetRenderer()
{
    return g_renderer;
}

CRenderer::CRenderer(GraphicsSystemFactory factory) : m_systemFactory(factory)
{
    g_renderer = this;
    GetScriptManager().RegisterFunction("SetWindowedMode", &SetWindowedMode);
    LogRenderer("Renderer has been constructed.");
}

CRenderer::~CRenderer()
{
    // Fonts started and never loaded.
    CFontPrefetch::Discard();
    // Buffers built on the device may outlive this renderer (their entities are deleted at
    // process exit); they release their objects now and never touch the device again.
    CDeviceResource::ReleaseAllOn(m_device.get());
    if (m_device)
    {
        for (std::uint32_t stage = 0; stage < kTextureStagesUnbound; ++stage)
            m_device->SetTexture(stage, TextureId{});
        m_device->ReleaseVertexDeclaration(m_screenDeclaration);
        m_device->ReleaseVertexDeclaration(m_lineDeclaration);
        for (const auto& font : m_fonts)
            m_device->ReleaseFont(font->font);
        for (TextureId texture : m_textures)
            m_device->ReleaseTexture(texture);
        for (const auto& target : m_renderTargets)
            if (target->surface)
                m_device->ReleaseSurface(target->surface);
        for (SurfaceId surface : m_depthStencilSurfaces)
            m_device->ReleaseSurface(surface);
    }
    m_fonts.Clear();
    m_textureNames.Clear();
    m_textures.Clear();
    m_renderTargets.Clear();
    m_depthStencilSurfaces.Clear();
    for (TextureId& slot : m_textureParameters)
        slot = TextureId{};
    // Effects release their own reference to the state manager, and the manager its use of the
    // device, so both go before the device.
    m_effects.Clear();
    if (m_stateManager)
        m_stateManager->Release();
    m_stateManager = nullptr;
    m_device.reset();
    m_system.reset();
    LogRenderer("Renderer has been destructed.");
    m_drawList.clear();
    m_viewQueue.clear();
    if (g_renderer == this)
        g_renderer = nullptr;
}

bool CRenderer::Create(WindowHandle window, int width, int height, bool windowed)
{
    // There is one device per renderer; a second call would orphan every handle.
    if (m_device)
        return true;
    m_width = width;
    m_height = height;
    m_windowed = windowed;
    // The script may call SetWindowedMode; from here on the member decides, not the argument.
    GetScriptManager().RunScriptFile(kConfigurationScript);

    if (!CreateDevice(window))
        return false;
    SetDefaultStates();
    CreateDefaultResources();
    return true;
}

bool CRenderer::CreateDevice(WindowHandle window)
{
    m_system = m_systemFactory ? m_systemFactory(kSdkVersion) : nullptr;
    if (!m_system)
    {
        LogRenderer("Could not create D3D9 object.");
        return false;
    }
    LogRenderer("Using 32-bit framebuffer.");

    EDeviceType deviceType = D3DDEVTYPE_HAL;
    if (!m_system->CheckDeviceType(kAdapter, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false))
    {
        LogRenderer("Hardware device type not supported - switching to software.");
        deviceType = D3DDEVTYPE_REF;
    }

    DeviceCaps caps;
    if (!m_system->GetDeviceCaps(kAdapter, deviceType, caps))
    {
        LogRenderer("Could not retrieve device capabilities.");
        return false;
    }
    const std::uint32_t vertexProcessing = caps.vertexProcessingCaps != 0
                                               ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                                               : D3DCREATE_SOFTWARE_VERTEXPROCESSING;

    DisplayMode mode;
    if (!m_system->GetAdapterDisplayMode(kAdapter, mode))
    {
        LogRenderer("Could not retrieve the current display mode.");
        return false;
    }

    // The window exists, so the screen's density is known: the fonts are rendered from here on,
    // while the device is made.
    PrefetchStartupFonts();

    PresentParameters parameters;
    parameters.windowed = m_windowed;
    if (m_windowed)
    {
        // Zero size: the window's client area decides.
        parameters.backBufferFormat = mode.format;
    }
    else
    {
        parameters.backBufferWidth = static_cast<std::uint32_t>(m_width);
        parameters.backBufferHeight = static_cast<std::uint32_t>(m_height);
        parameters.backBufferFormat = D3DFMT_X8R8G8B8;
    }
    parameters.swapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.enableAutoDepthStencil = true;
    parameters.autoDepthStencilFormat = D3DFMT_D24X8;
    // Never wait for the vertical retrace.
    parameters.presentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;

    m_device = m_system->CreateDevice(kAdapter, deviceType, window, vertexProcessing, parameters);
    if (!m_device)
    {
        LogRenderer("Could not create the device.");
        return false;
    }
    return true;
}

void CRenderer::SetDefaultStates()
{
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    m_device->SetRenderState(D3DRS_LIGHTING, 0);
    m_device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFFu);

    const float aspect = m_height != 0 ? static_cast<float>(m_width) / static_cast<float>(m_height) : 1.0f;
    m_defaultProjection = MatrixPerspectiveFovLH(kDefaultFieldOfView, aspect, kDefaultNearPlane, kDefaultFarPlane);
    SetProjectionMatrix(m_defaultProjection);
}

void CRenderer::PrefetchStartupFonts()
{
    if (m_startupFonts.empty())
        return;
    // As LoadFont asks the device for them: a character height, neither bold nor italic.
    std::vector<CFontPrefetch::SFont> fonts{{kDefaultFontFace, FontHeightFor(kDefaultFontSize)}};
    for (const auto& [face, size] : m_startupFonts)
        fonts.push_back({face, FontHeightFor(size)});
    CFontPrefetch::Start(fonts);
}

void CRenderer::CreateDefaultResources()
{
    LoadTexture("default_diffuse.jpg");
    LoadFont(kDefaultFontFace, kDefaultFontSize);
    WrapBackBuffer();

    const int cube = CreateNormalizationCubeMap(kNormalizationCubeSize);
    if (cube >= 0)
        SetTextureParameter(EFFECT_PARAMETER_NORMALIZATION_CUBE, cube);

    m_lowResolutionTarget = CreateRenderTarget(kLowResolutionWidth, kLowResolutionHeight, D3DFMT_A8R8G8B8);
    m_screenTarget = CreateRenderTarget(m_width, m_height, D3DFMT_A8R8G8B8);
    const int screenTexture = GetRenderTargetTexture(m_screenTarget);
    if (screenTexture >= 0)
        SetTextureParameter(EFFECT_PARAMETER_COLOR_MAP0 + 2, screenTexture);

    m_stateManager = CreateStateManager(m_device.get());
    LoadEffect("default.fx");
    // The device draws into its back buffer, which is target 0.
    m_currentRenderTarget = 0;
    CreateVertexDeclarations();
}

void CRenderer::WrapBackBuffer()
{
    m_backBuffer = m_device->GetRenderTarget(0);
    m_depthStencil = m_device->GetDepthStencilSurface();
    auto record = std::make_unique<RenderTargetRecord>();
    record->surface = m_backBuffer;
    record->texture = -1;
    m_renderTargets.Add(std::move(record));
    MeasureBackBuffer();
    if (m_depthStencil)
        m_depthStencilSurfaces.Add(m_depthStencil);
}

void CRenderer::MeasureBackBuffer()
{
    RenderTargetRecord& record = *m_renderTargets[0];
    SurfaceDesc desc;
    if (m_backBuffer && m_device->GetSurfaceDesc(m_backBuffer, desc))
    {
        record.width = static_cast<float>(desc.width);
        record.height = static_cast<float>(desc.height);
    }
}

void CRenderer::CreateVertexDeclarations()
{
    m_screenDeclaration = m_device->CreateVertexDeclaration(kScreenVertexElements);
    m_lineDeclaration = m_device->CreateVertexDeclaration(kLineVertexElements);
}

int CRenderer::Clamp(int handle, int count)
{
    if (handle < 0)
        return 0;
    return handle >= count ? count - 1 : handle;
}

} // namespace Tess
