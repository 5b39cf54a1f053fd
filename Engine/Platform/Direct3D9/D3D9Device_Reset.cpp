// CD3D9Device: the back buffer, Reset (a new back-buffer size, or a device that was lost) and the
// promise that every id and every state the engine set survives it.

#include "Engine/Platform/Direct3D9/D3D9Device.h"

#include "Engine/Core/Log.h"

#include <cstring>

namespace Tess
{

namespace
{

// Beyond this a back buffer is refused before the device is touched.
constexpr std::uint32_t kMaxBackBufferEdge = 16384;

} // namespace

bool CD3D9Device::FetchBackBuffer()
{
    D3D9::Surface& back = m_surfaces[m_backBufferSurface];
    D3D9::Surface& depth = m_surfaces[m_depthSurface];
    D3D9::SafeRelease(back.object);
    D3D9::SafeRelease(depth.object);
    if (FAILED(m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back.object)))
        return false;
    D3DSURFACE_DESC desc{};
    back.object->GetDesc(&desc);
    back.width = desc.Width;
    back.height = desc.Height;
    back.format = EFormat(desc.Format);
    // Without a depth buffer of its own the device has none to hand out; the id stays empty.
    depth.width = desc.Width;
    depth.height = desc.Height;
    depth.format = D3DFMT_UNKNOWN;
    if (SUCCEEDED(m_device->GetDepthStencilSurface(&depth.object)) && depth.object)
    {
        depth.object->GetDesc(&desc);
        depth.format = EFormat(desc.Format);
    }
    return true;
}

void CD3D9Device::ReleaseDefaultPool()
{
    // The device itself holds the targets it draws into: point it back at its own.
    if (const D3D9::Surface* back = FindSurface(SurfaceId{m_backBufferSurface}); back && back->object)
        m_device->SetRenderTarget(0, back->object);
    if (const D3D9::Surface* depth = FindSurface(SurfaceId{m_depthSurface}); depth && depth->object)
        m_device->SetDepthStencilSurface(depth->object);
    for (DWORD stage = 0; stage < kMaxTextureStages; ++stage)
        m_device->SetTexture(stage, nullptr);
    for (auto& [id, surface] : m_surfaces)
    {
        D3D9::SafeRelease(surface.object);
        D3D9::SafeRelease(surface.depth);
    }
    for (auto& [id, texture] : m_textures)
    {
        if (!texture.IsRenderTarget())
            continue;
        for (auto& [key, copy] : texture.lockCopies)
            D3D9::SafeRelease(copy);
        texture.lockCopies.clear();
        D3D9::SafeRelease(texture.object);
    }
}

bool CD3D9Device::RestoreDefaultPool()
{
    bool complete = FetchBackBuffer();
    for (auto& [id, texture] : m_textures)
    {
        if (texture.IsRenderTarget() && !texture.object)
        {
            texture.object = MakeTextureObject(texture);
            complete = complete && texture.object != nullptr;
        }
    }
    for (auto& [id, surface] : m_surfaces)
    {
        if (surface.kind != D3D9::ESurfaceKind::TextureLevel)
            continue;
        const auto texture = m_textures.find(surface.texture);
        if (texture != m_textures.end() && texture->second.object)
            surface.object = LevelSurface(texture->second, D3DCUBEMAP_FACE_POSITIVE_X, surface.level);
        complete = complete && surface.object != nullptr;
    }
    return complete;
}

void CD3D9Device::ReapplyStates()
{
    for (std::uint32_t state = 0; state < D3D9::kRenderStates; ++state)
        if (m_renderStateSet[state])
            m_device->SetRenderState(D3DRENDERSTATETYPE(state), m_renderStates[state]);
    for (std::uint32_t stage = 0; stage < kMaxTextureStages; ++stage)
    {
        for (std::uint32_t type = 1; type < D3D9::kStageStates; ++type)
            if (D3D9::IsStageState(type))
                m_device->SetTextureStageState(stage, D3DTEXTURESTAGESTATETYPE(type), m_stageStates[stage][type]);
        for (std::uint32_t type = 1; type < D3D9::kSamplerStates; ++type)
            m_device->SetSamplerState(stage, D3DSAMPLERSTATETYPE(type), m_samplerStates[stage][type]);
        const D3D9::Texture* texture = FindTexture(m_stageTextures[stage]);
        m_device->SetTexture(stage, texture ? texture->object : nullptr);
    }
    const std::pair<D3DTRANSFORMSTATETYPE, const Matrix4*> transforms[] = {
        {D3DTS_WORLDMATRIX(0), &m_world}, {::D3DTS_VIEW, &m_view}, {::D3DTS_PROJECTION, &m_projection}};
    for (const auto& [which, matrix] : transforms)
    {
        D3DMATRIX d3d;
        std::memcpy(&d3d, matrix->m, sizeof(d3d));
        m_device->SetTransform(which, &d3d);
    }
    if (m_materialSet)
        SetMaterial(m_material);
    for (std::uint32_t index = 0; index < D3D9::kMaxLights; ++index)
    {
        if (!m_lightSet[index])
            continue;
        SetLight(index, m_lights[index]);
        m_device->LightEnable(index, m_lightEnabled[index] ? TRUE : FALSE);
    }
    m_device->SetNPatchMode(m_nPatchSegments);

    const auto vs = m_vertexShaders.find(m_vertexShader);
    m_device->SetVertexShader(vs != m_vertexShaders.end() ? vs->second : nullptr);
    const auto ps = m_pixelShaders.find(m_pixelShader);
    m_device->SetPixelShader(ps != m_pixelShaders.end() ? ps->second : nullptr);
    m_device->SetVertexShaderConstantF(0, m_vsFloat.data(), D3D9::kVSFloatRegisters);
    m_device->SetPixelShaderConstantF(0, m_psFloat.data(), D3D9::kPSFloatRegisters);
    m_device->SetVertexShaderConstantI(0, m_vsInt.data(), D3D9::kIntRegisters);
    m_device->SetPixelShaderConstantI(0, m_psInt.data(), D3D9::kIntRegisters);
    m_device->SetVertexShaderConstantB(0, m_vsBool.data(), D3D9::kBoolRegisters);
    m_device->SetPixelShaderConstantB(0, m_psBool.data(), D3D9::kBoolRegisters);

    if (const auto declaration = m_declarations.find(m_declaration); declaration != m_declarations.end())
        m_device->SetVertexDeclaration(declaration->second.object);
    else if (m_fvf != 0)
        m_device->SetFVF(m_fvf);
    for (std::uint32_t stream = 0; stream < D3D9::kMaxStreams; ++stream)
    {
        const auto buffer = m_buffers.find(m_streams[stream].buffer);
        if (buffer != m_buffers.end())
            m_device->SetStreamSource(stream, buffer->second.vertices, m_streams[stream].offset, m_streams[stream].stride);
    }
    if (const auto indices = m_buffers.find(m_indices); indices != m_buffers.end())
        m_device->SetIndices(indices->second.indices);
}

Result CD3D9Device::ResetDevice(const D3DPRESENT_PARAMETERS& parameters)
{
    ReleaseDefaultPool();
    D3DPRESENT_PARAMETERS wanted = parameters;
    HRESULT hr = m_device->Reset(&wanted);
    Result result = kOk;
    if (FAILED(hr))
    {
        // Back to the size that worked, so that the device stays usable.
        GetLog().Write(LOG_RENDERER, "Direct3D 9 Reset to a new back buffer failed; keeping the previous one");
        wanted = m_parameters;
        hr = m_device->Reset(&wanted);
        result = kFail;
    }
    if (FAILED(hr))
        return kFail; // still lost: BeginScene tries again
    if (result == kOk)
        m_parameters = wanted;
    ++m_resets;
    if (!RestoreDefaultPool())
        GetLog().Write(LOG_RENDERER, "Direct3D 9 could not make every render target again after a Reset");

    // Render target 0 is the back buffer again; a texture level that was selected is given back.
    const std::uint32_t previous = m_currentTarget;
    m_currentTarget = m_backBufferSurface;
    ++m_surfaces[m_backBufferSurface].refs;
    ReleaseSurface(SurfaceId{previous});
    const D3D9::Surface& back = m_surfaces[m_backBufferSurface];
    m_viewport = Viewport{0, 0, back.width, back.height, 0.0f, 1.0f};
    ReapplyStates();
    return result;
}

Result CD3D9Device::ResizeBackBuffer(std::uint32_t width, std::uint32_t height)
{
    if (width == 0 || height == 0 || m_inScene)
        return kInvalidCall;
    if (width > kMaxBackBufferEdge || height > kMaxBackBufferEdge)
        return kFail;
    D3DPRESENT_PARAMETERS parameters = m_parameters;
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    return ResetDevice(parameters);
}

bool CD3D9Device::RecoverLostDevice()
{
    const HRESULT state = m_device->TestCooperativeLevel();
    if (state == D3D_OK)
        return true;
    if (state != D3DERR_DEVICENOTRESET)
        return false;
    GetLog().Write(LOG_RENDERER, "Direct3D 9 device was lost; resetting it");
    return ResetDevice(m_parameters) == kOk;
}

} // namespace Tess
