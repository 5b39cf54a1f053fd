// CD3D9Device: lifetime, the record of states, transforms, lighting, viewport and the frame bracket.

#include "Engine/Platform/Direct3D9/D3D9Device.h"

#include "Engine/Core/Log.h"

#include <cmath>
#include <cstring>

namespace Tess
{

namespace
{

D3DMATRIX ToD3D(const Matrix4& matrix)
{
    D3DMATRIX out;
    std::memcpy(&out, matrix.m, sizeof(out));
    return out;
}

D3DCOLORVALUE ToColorValue(const float (&rgba)[4])
{
    return D3DCOLORVALUE{rgba[0], rgba[1], rgba[2], rgba[3]};
}

// The engine's light carries what its files describe; Direct3D wants the rest filled in: a
// range it never reaches and no fall-off, and a cone for spot lights.
D3DLIGHT9 ToD3D(const Light& light)
{
    D3DLIGHT9 out{};
    out.Type = (light.type >= D3DLIGHT_POINT && light.type <= D3DLIGHT_DIRECTIONAL) ? D3DLIGHTTYPE(light.type)
                                                                                  : D3DLIGHT_DIRECTIONAL;
    out.Diffuse = ToColorValue(light.diffuse);
    out.Position = D3DVECTOR{light.position[0], light.position[1], light.position[2]};
    out.Direction = D3DVECTOR{light.direction[0], light.direction[1], light.direction[2]};
    // A zero direction is refused by the device; the engine's default light shines down +z.
    if (out.Direction.x == 0.0f && out.Direction.y == 0.0f && out.Direction.z == 0.0f)
        out.Direction.z = 1.0f;
    out.Range = std::sqrt(3.0e38f);
    out.Attenuation0 = 1.0f;
    out.Falloff = 1.0f;
    out.Theta = 0.5f;
    out.Phi = 1.0f;
    return out;
}

} // namespace

std::unique_ptr<CD3D9Device> CD3D9Device::Create(IDirect3DDevice9* device, const D3DPRESENT_PARAMETERS& parameters)
{
    if (!device)
        return nullptr;
    std::unique_ptr<CD3D9Device> result(new CD3D9Device(device, parameters));
    if (!result->Initialise())
        return nullptr;
    return result;
}

CD3D9Device::CD3D9Device(IDirect3DDevice9* device, const D3DPRESENT_PARAMETERS& parameters)
    : m_device(device), m_parameters(parameters), m_vsFloat(D3D9::kVSFloatRegisters * 4, 0.0f),
      m_psFloat(D3D9::kPSFloatRegisters * 4, 0.0f), m_vsInt(D3D9::kIntRegisters * 4, 0),
      m_psInt(D3D9::kIntRegisters * 4, 0), m_vsBool(D3D9::kBoolRegisters, 0), m_psBool(D3D9::kBoolRegisters, 0)
{
    m_device->AddRef();
}

CD3D9Device::~CD3D9Device()
{
    ReleaseAll();
    D3D9::SafeRelease(m_device);
}

void CD3D9Device::ReleaseAll()
{
    // Nothing may stay selected into the device while its objects go.
    for (DWORD stage = 0; stage < kMaxTextureStages; ++stage)
        m_device->SetTexture(stage, nullptr);
    for (UINT stream = 0; stream < D3D9::kMaxStreams; ++stream)
        m_device->SetStreamSource(stream, nullptr, 0, 0);
    m_device->SetIndices(nullptr);
    m_device->SetVertexDeclaration(nullptr);
    m_device->SetVertexShader(nullptr);
    m_device->SetPixelShader(nullptr);
    if (const D3D9::Surface* back = FindSurface(SurfaceId{m_backBufferSurface}))
        m_device->SetRenderTarget(0, back->object);
    for (auto& [id, surface] : m_surfaces)
    {
        D3D9::SafeRelease(surface.object);
        D3D9::SafeRelease(surface.depth);
    }
    for (auto& [id, texture] : m_textures)
    {
        for (auto& [key, copy] : texture.lockCopies)
            D3D9::SafeRelease(copy);
        D3D9::SafeRelease(texture.object);
    }
    for (auto& [id, buffer] : m_buffers)
    {
        D3D9::SafeRelease(buffer.vertices);
        D3D9::SafeRelease(buffer.indices);
    }
    for (auto& [id, declaration] : m_declarations)
        D3D9::SafeRelease(declaration.object);
    for (auto& [id, shader] : m_vertexShaders)
        D3D9::SafeRelease(shader);
    for (auto& [id, shader] : m_pixelShaders)
        D3D9::SafeRelease(shader);
    for (auto& [id, font] : m_fonts)
        D3D9::SafeRelease(font->atlas);
    m_surfaces.clear();
    m_textures.clear();
    m_buffers.clear();
    m_declarations.clear();
    m_vertexShaders.clear();
    m_pixelShaders.clear();
    m_fonts.clear();
}

bool CD3D9Device::Initialise()
{
    // Both surfaces hold the device's own reference for as long as it lives.
    const auto addSurface = [&](D3D9::ESurfaceKind kind) {
        D3D9::Surface surface;
        surface.kind = kind;
        surface.refs = 1;
        const std::uint32_t id = NextId();
        m_surfaces[id] = surface;
        return id;
    };
    m_backBufferSurface = addSurface(D3D9::ESurfaceKind::BackBuffer);
    m_depthSurface = addSurface(D3D9::ESurfaceKind::DepthBuffer);
    if (!FetchBackBuffer())
        return false;
    m_currentTarget = m_backBufferSurface;
    ++m_surfaces[m_backBufferSurface].refs; // the current target's reference
    const D3D9::Surface& back = m_surfaces[m_backBufferSurface];
    m_viewport = Viewport{0, 0, back.width, back.height, 0.0f, 1.0f};
    ApplyDefaultStates();
    return true;
}

// The engine's defaults are Direct3D's own except where a device without a depth buffer would
// differ; they are set (and recorded) so that every device starts alike.
void CD3D9Device::ApplyDefaultStates()
{
    for (std::uint32_t state = 0; state < D3D9::kRenderStates; ++state)
    {
        m_renderStates[state] = DefaultRenderState(state);
        m_renderStateSet[state] = false;
    }
    for (const std::uint32_t state : {D3DRS_ZENABLE, D3DRS_FILLMODE, D3DRS_ZWRITEENABLE, D3DRS_ALPHATESTENABLE,
                                      D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_CULLMODE, D3DRS_ZFUNC, D3DRS_ALPHAREF,
                                      D3DRS_ALPHAFUNC, D3DRS_ALPHABLENDENABLE, D3DRS_LIGHTING, D3DRS_AMBIENT,
                                      D3DRS_COLORWRITEENABLE, D3DRS_BLENDOP})
        SetRenderState(state, DefaultRenderState(state));
    for (std::uint32_t stage = 0; stage < kMaxTextureStages; ++stage)
    {
        for (std::uint32_t type = 0; type < D3D9::kStageStates; ++type)
        {
            if (!D3D9::IsStageState(type))
                continue;
            DWORD value = 0;
            m_device->GetTextureStageState(stage, D3DTEXTURESTAGESTATETYPE(type), &value);
            m_stageStates[stage][type] = value;
        }
        for (std::uint32_t type = D3DTSS_COLOROP; type <= D3DTSS_ALPHAARG2; ++type)
            SetTextureStageState(stage, type, DefaultTextureStageState(stage, type));
        for (std::uint32_t type = 0; type < D3D9::kSamplerStates; ++type)
        {
            DWORD value = 0;
            m_device->GetSamplerState(stage, D3DSAMPLERSTATETYPE(type), &value);
            m_samplerStates[stage][type] = value;
        }
        for (std::uint32_t type = D3DSAMP_ADDRESSU; type <= D3DSAMP_MIPFILTER; ++type)
            SetSamplerState(stage, type, DefaultSamplerState(type));
    }
    m_world = m_view = m_projection = Matrix4::Identity();
}

// ---- Stored states --------------------------------------------------------------------------

Result CD3D9Device::SetRenderState(std::uint32_t state, std::uint32_t value)
{
    if (state >= D3D9::kRenderStates)
        return kInvalidCall;
    const HRESULT hr = m_device->SetRenderState(D3DRENDERSTATETYPE(state), value);
    if (FAILED(hr))
        return kInvalidCall;
    m_renderStates[state] = value;
    m_renderStateSet[state] = true;
    return kOk;
}

std::uint32_t CD3D9Device::GetRenderState(std::uint32_t state) const
{
    if (state >= D3D9::kRenderStates)
        return 0;
    if (m_renderStateSet[state])
        return m_renderStates[state];
    DWORD value = 0;
    m_device->GetRenderState(D3DRENDERSTATETYPE(state), &value);
    return value;
}

Result CD3D9Device::SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value)
{
    if (stage >= kMaxTextureStages || !D3D9::IsStageState(type))
        return kInvalidCall;
    if (FAILED(m_device->SetTextureStageState(stage, D3DTEXTURESTAGESTATETYPE(type), value)))
        return kInvalidCall;
    m_stageStates[stage][type] = value;
    return kOk;
}

std::uint32_t CD3D9Device::GetTextureStageState(std::uint32_t stage, std::uint32_t type) const
{
    if (stage >= kMaxTextureStages || type >= D3D9::kStageStates)
        return 0;
    return m_stageStates[stage][type];
}

Result CD3D9Device::SetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value)
{
    if (sampler >= kMaxTextureStages || type >= D3D9::kSamplerStates)
        return kInvalidCall;
    if (FAILED(m_device->SetSamplerState(sampler, D3DSAMPLERSTATETYPE(type), value)))
        return kInvalidCall;
    m_samplerStates[sampler][type] = value;
    return kOk;
}

std::uint32_t CD3D9Device::GetSamplerState(std::uint32_t sampler, std::uint32_t type) const
{
    if (sampler >= kMaxTextureStages || type >= D3D9::kSamplerStates)
        return 0;
    return m_samplerStates[sampler][type];
}

Result CD3D9Device::SetTexture(std::uint32_t stage, TextureId texture)
{
    if (stage >= kMaxTextureStages)
        return kInvalidCall;
    D3D9::Texture* record = texture ? FindTexture(texture.value) : nullptr;
    if (texture && !record)
        return kInvalidCall;
    if (FAILED(m_device->SetTexture(stage, record ? record->object : nullptr)))
        return kInvalidCall;
    m_stageTextures[stage] = texture.value;
    return kOk;
}

TextureId CD3D9Device::GetTexture(std::uint32_t stage) const
{
    return stage < kMaxTextureStages ? TextureId{m_stageTextures[stage]} : TextureId{};
}

Result CD3D9Device::SetTransform(ETransform which, const Matrix4& matrix)
{
    Matrix4* slot = nullptr;
    switch (which)
    {
    case D3DTS_WORLD: slot = &m_world; break;
    case D3DTS_VIEW: slot = &m_view; break;
    case D3DTS_PROJECTION: slot = &m_projection; break;
    }
    if (!slot)
        return kInvalidCall;
    const D3DMATRIX d3d = ToD3D(matrix);
    if (FAILED(m_device->SetTransform(D3DTRANSFORMSTATETYPE(which), &d3d)))
        return kInvalidCall;
    *slot = matrix;
    return kOk;
}

Matrix4 CD3D9Device::GetTransform(ETransform which) const
{
    switch (which)
    {
    case D3DTS_WORLD: return m_world;
    case D3DTS_VIEW: return m_view;
    case D3DTS_PROJECTION: return m_projection;
    }
    return Matrix4::Identity();
}

Result CD3D9Device::SetMaterial(const Material& material)
{
    D3DMATERIAL9 d3d{};
    d3d.Diffuse = ToColorValue(material.diffuse);
    d3d.Ambient = ToColorValue(material.ambient);
    d3d.Specular = ToColorValue(material.specular);
    d3d.Emissive = ToColorValue(material.emissive);
    d3d.Power = material.power;
    if (FAILED(m_device->SetMaterial(&d3d)))
        return kInvalidCall;
    m_material = material;
    m_materialSet = true;
    return kOk;
}

Result CD3D9Device::SetLight(std::uint32_t index, const Light& light)
{
    if (index >= D3D9::kMaxLights)
        return kInvalidCall;
    const D3DLIGHT9 d3d = ToD3D(light);
    if (FAILED(m_device->SetLight(index, &d3d)))
        return kInvalidCall;
    m_lights[index] = light;
    m_lightSet[index] = true;
    return kOk;
}

Result CD3D9Device::LightEnable(std::uint32_t index, bool enable)
{
    if (index >= D3D9::kMaxLights || FAILED(m_device->LightEnable(index, enable ? TRUE : FALSE)))
        return kInvalidCall;
    // Enabling a light never set makes Direct3D's default light of that index.
    m_lightSet[index] = true;
    m_lightEnabled[index] = enable;
    return kOk;
}

Result CD3D9Device::SetNPatchMode(float segments)
{
    m_nPatchSegments = segments;
    // Devices without N-patches refuse every mode but off; the value is kept all the same.
    m_device->SetNPatchMode(segments);
    return kOk;
}

Result CD3D9Device::SetFVF(std::uint32_t fvf)
{
    if (FAILED(m_device->SetFVF(fvf)))
        return kInvalidCall;
    // A vertex format stands in for the declaration, as on the device.
    m_fvf = fvf;
    m_declaration = 0;
    return kOk;
}

// ---- Viewport ---------------------------------------------------------------------------------

Result CD3D9Device::SetViewport(const Viewport& viewport)
{
    const D3D9::Surface* target = FindSurface(SurfaceId{m_currentTarget});
    if (!target || viewport.Width == 0 || viewport.Height == 0 ||
        std::uint64_t(viewport.X) + viewport.Width > target->width ||
        std::uint64_t(viewport.Y) + viewport.Height > target->height)
        return kInvalidCall;
    const D3DVIEWPORT9 d3d{viewport.X, viewport.Y, viewport.Width, viewport.Height, viewport.MinZ, viewport.MaxZ};
    if (FAILED(m_device->SetViewport(&d3d)))
        return kInvalidCall;
    m_viewport = viewport;
    return kOk;
}

Result CD3D9Device::GetViewport(Viewport& out) const
{
    out = m_viewport;
    return kOk;
}

// ---- Frame ------------------------------------------------------------------------------------

Result CD3D9Device::Clear(std::uint32_t flags, Color color, float z, std::uint32_t stencil)
{
    flags &= D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
    if (flags == 0)
        return kInvalidCall;
    return SUCCEEDED(m_device->Clear(0, nullptr, flags, color, z, stencil)) ? kOk : kInvalidCall;
}

Result CD3D9Device::BeginScene()
{
    if (m_inScene)
        return kInvalidCall;
    // A device lost to another application comes back here, between frames.
    if (!RecoverLostDevice())
        return kFail;
    if (FAILED(m_device->BeginScene()))
        return kFail;
    m_inScene = true;
    return kOk;
}

Result CD3D9Device::EndScene()
{
    if (!m_inScene)
        return kInvalidCall;
    m_inScene = false;
    return SUCCEEDED(m_device->EndScene()) ? kOk : kFail;
}

Result CD3D9Device::Present()
{
    const HRESULT hr = m_device->Present(nullptr, nullptr, nullptr, nullptr);
    if (hr == D3DERR_DEVICELOST)
    {
        // Frames are dropped until the device can be reset (BeginScene tries each frame).
        return kOk;
    }
    if (FAILED(hr))
    {
        GetLog().Write(LOG_RENDERER, "Direct3D 9 Present failed");
        return kFail;
    }
    return kOk;
}

} // namespace Tess
