#include "Engine/Platform/RecordingDevice.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace Tess
{

namespace
{
constexpr const char* kOpNames[] = {
    "CheckDeviceType", "GetDeviceCaps", "GetAdapterDisplayMode", "CreateDevice",
    "SetRenderState", "SetTextureStageState", "SetSamplerState", "SetTexture", "SetTransform",
    "SetMaterial", "SetLight", "LightEnable", "SetNPatchMode", "SetFVF",
    "CreateVertexShader", "CreatePixelShader", "ValidateShaders", "ReleaseVertexShader",
    "ReleasePixelShader", "SetVertexShader", "SetPixelShader",
    "SetVertexShaderConstantF", "SetVertexShaderConstantI", "SetVertexShaderConstantB",
    "SetPixelShaderConstantF", "SetPixelShaderConstantI", "SetPixelShaderConstantB",
    "SetViewport", "GetRenderTarget", "SetRenderTarget", "GetDepthStencilSurface", "ReleaseSurface",
    "Clear", "BeginScene", "EndScene", "Present",
    "CreateVertexDeclaration", "SetVertexDeclaration", "ReleaseVertexDeclaration",
    "CreateVertexBuffer", "LockVertexBuffer", "UnlockVertexBuffer", "ReleaseVertexBuffer",
    "CreateIndexBuffer", "LockIndexBuffer", "UnlockIndexBuffer", "ReleaseIndexBuffer",
    "SetStreamSource", "SetIndices",
    "DrawPrimitive", "DrawIndexedPrimitive", "DrawPrimitiveUP",
    "CreateTextureFromFile", "CreateTexture", "CreateCubeTexture", "LockRect", "UnlockRect",
    "GetSurfaceLevel", "ReleaseTexture", "SaveSurfaceToFile",
    "CreateFont", "DrawText", "ReleaseFont",
};
static_assert(std::size(kOpNames) == static_cast<std::size_t>(EDeviceOp::ReleaseFont) + 1,
              "every operation needs its name");

constexpr std::uint32_t kMaxConstantRegisters = 256;
constexpr std::uint32_t kMaxDeclarationElements = 64;

std::uint32_t Bits(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}

DeviceCall MakeCall(EDeviceOp op, std::vector<std::uint32_t> args = {})
{
    DeviceCall call;
    call.op = op;
    call.args = std::move(args);
    return call;
}

template <class T>
std::vector<std::uint8_t> BytesOf(const T* data, std::size_t count)
{
    std::vector<std::uint8_t> bytes(count * sizeof(T));
    if (count > 0)
        std::memcpy(bytes.data(), data, bytes.size());
    return bytes;
}

std::uint32_t LevelExtent(std::uint32_t extent, std::uint32_t level)
{
    return std::max(1u, extent >> level);
}

std::uint32_t FullMipCount(std::uint32_t width, std::uint32_t height)
{
    std::uint32_t levels = 1;
    while ((width >> levels) > 0 || (height >> levels) > 0)
        ++levels;
    return levels;
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

const char* ToString(EDeviceOp op)
{
    const auto index = static_cast<std::size_t>(op);
    return index < std::size(kOpNames) ? kOpNames[index] : "?";
}

float DeviceCall::FloatArg(std::size_t i) const
{
    return std::bit_cast<float>(Arg(i));
}

std::vector<float> DeviceCall::Floats() const
{
    std::vector<float> floats(bytes.size() / sizeof(float));
    if (!floats.empty())
        std::memcpy(floats.data(), bytes.data(), floats.size() * sizeof(float));
    return floats;
}

// ---- CRecordingLog -----------------------------------------------------------------------------

std::vector<DeviceCall> CRecordingLog::CallsOf(EDeviceOp op) const
{
    std::vector<DeviceCall> calls;
    for (const DeviceCall& call : m_calls)
        if (call.op == op)
            calls.push_back(call);
    return calls;
}

std::size_t CRecordingLog::Count(EDeviceOp op) const
{
    return static_cast<std::size_t>(
        std::count_if(m_calls.begin(), m_calls.end(), [op](const DeviceCall& c) { return c.op == op; }));
}

std::vector<EDeviceOp> CRecordingLog::Ops() const
{
    std::vector<EDeviceOp> ops;
    ops.reserve(m_calls.size());
    for (const DeviceCall& call : m_calls)
        ops.push_back(call.op);
    return ops;
}

int CRecordingLog::IndexOf(EDeviceOp op, std::size_t from) const
{
    for (std::size_t i = from; i < m_calls.size(); ++i)
        if (m_calls[i].op == op)
            return static_cast<int>(i);
    return -1;
}

// ---- CRecordingSystem --------------------------------------------------------------------------

CRecordingSystem::CRecordingSystem(RecordingConfig config, std::shared_ptr<CRecordingLog> log)
    : m_config(std::move(config)), m_log(log ? std::move(log) : std::make_shared<CRecordingLog>())
{
}

bool CRecordingSystem::CheckDeviceType(std::uint32_t adapter, EDeviceType type, EFormat displayFormat,
                                       EFormat backBufferFormat, bool windowed)
{
    m_log->Add(MakeCall(EDeviceOp::CheckDeviceType,
                        {adapter, type, displayFormat, backBufferFormat, windowed ? 1u : 0u}));
    return type != D3DDEVTYPE_HAL || m_config.hardwareAvailable;
}

bool CRecordingSystem::GetDeviceCaps(std::uint32_t adapter, EDeviceType type, DeviceCaps& out)
{
    m_log->Add(MakeCall(EDeviceOp::GetDeviceCaps, {adapter, type}));
    if (!m_config.capsAvailable)
        return false;
    out = DeviceCaps{};
    out.deviceType = type;
    out.vertexProcessingCaps = m_config.vertexProcessingCaps;
    out.maxTextureWidth = out.maxTextureHeight = 8192;
    out.maxSimultaneousTextures = kMaxTextureStages;
    return true;
}

bool CRecordingSystem::GetAdapterDisplayMode(std::uint32_t adapter, DisplayMode& out)
{
    m_log->Add(MakeCall(EDeviceOp::GetAdapterDisplayMode, {adapter}));
    if (!m_config.displayModeAvailable)
        return false;
    out = m_config.displayMode;
    return true;
}

std::unique_ptr<IGraphicsDevice> CRecordingSystem::CreateDevice(std::uint32_t adapter, EDeviceType type,
                                                                 WindowHandle, std::uint32_t behaviorFlags,
                                                                 PresentParameters& parameters)
{
    m_log->Add(MakeCall(EDeviceOp::CreateDevice,
                        {adapter, type, behaviorFlags, parameters.windowed ? 1u : 0u,
                         parameters.backBufferWidth, parameters.backBufferHeight,
                         parameters.backBufferFormat, parameters.presentationInterval}));
    m_lastParameters = parameters;
    m_lastDeviceType = type;
    m_lastBehaviorFlags = behaviorFlags;
    if (!m_config.deviceCreatable)
        return nullptr;

    // A windowed device asked for 0 x 0 takes the client area, and says so in the parameters.
    if (parameters.windowed && parameters.backBufferWidth == 0)
        parameters.backBufferWidth = m_config.windowWidth;
    if (parameters.windowed && parameters.backBufferHeight == 0)
        parameters.backBufferHeight = m_config.windowHeight;
    auto device = std::make_unique<CRecordingDevice>(m_config, m_log, parameters.backBufferWidth,
                                                     parameters.backBufferHeight);
    m_lastDevice = device.get();
    return device;
}

GraphicsSystemFactory CRecordingSystem::FactoryFor(std::unique_ptr<CRecordingSystem>& system)
{
    return [&system](std::uint32_t) -> std::unique_ptr<IGraphicsSystem> { return std::move(system); };
}

// ---- CRecordingDevice: construction and inspection --------------------------------------------

CRecordingDevice::CRecordingDevice(RecordingConfig config, std::shared_ptr<CRecordingLog> log,
                                   std::uint32_t backBufferWidth, std::uint32_t backBufferHeight)
    : m_config(std::move(config)), m_log(std::move(log))
{
    Surface backBuffer;
    backBuffer.kind = Surface::Kind::BackBuffer;
    m_backBuffer = AddSurface(backBuffer);
    Surface depth;
    depth.kind = Surface::Kind::DepthStencil;
    m_depthStencil = AddSurface(depth);
    m_renderTargets[0] = m_backBuffer;
    m_viewport = Viewport{0, 0, backBufferWidth, backBufferHeight, 0.0f, 1.0f};
    m_backBufferWidth = backBufferWidth;
    m_backBufferHeight = backBufferHeight;
}

CRecordingDevice::~CRecordingDevice() = default;

int CRecordingDevice::OutstandingSurfaceReferences() const
{
    int references = 0;
    for (const auto& [id, surface] : m_surfaces)
        references += surface.references;
    return references;
}

int CRecordingDevice::LiveObjectCount() const
{
    return static_cast<int>(m_textureObjects.size() + m_vertexBuffers.size() + m_indexBuffers.size() +
                            m_declarations.size() + m_vertexShaders.size() + m_pixelShaders.size() +
                            m_fonts.size());
}

const std::vector<std::uint8_t>* CRecordingDevice::VertexBufferData(VertexBufferId id) const
{
    const auto it = m_vertexBuffers.find(id.value);
    return it == m_vertexBuffers.end() ? nullptr : &it->second.data;
}

const std::vector<std::uint8_t>* CRecordingDevice::IndexBufferData(IndexBufferId id) const
{
    const auto it = m_indexBuffers.find(id.value);
    return it == m_indexBuffers.end() ? nullptr : &it->second.data;
}

const std::vector<std::uint32_t>* CRecordingDevice::TexelData(TextureId id, ECubeFace face,
                                                                std::uint32_t level) const
{
    const auto it = m_textureObjects.find(id.value);
    if (it == m_textureObjects.end())
        return nullptr;
    const Texture& texture = it->second;
    const std::uint32_t faceIndex = texture.cube ? static_cast<std::uint32_t>(face) : 0u;
    if (faceIndex >= texture.texels.size() || level >= texture.texels[faceIndex].size())
        return nullptr;
    return &texture.texels[faceIndex][level];
}

const std::vector<VertexElement>* CRecordingDevice::DeclarationElements(DeclarationId id) const
{
    const auto it = m_declarations.find(id.value);
    return it == m_declarations.end() ? nullptr : &it->second;
}

const std::string* CRecordingDevice::ShaderSource(VertexShaderId id) const
{
    const auto it = m_vertexShaders.find(id.value);
    return it == m_vertexShaders.end() ? nullptr : &it->second;
}

const std::string* CRecordingDevice::ShaderSource(PixelShaderId id) const
{
    const auto it = m_pixelShaders.find(id.value);
    return it == m_pixelShaders.end() ? nullptr : &it->second;
}

SurfaceId CRecordingDevice::AddSurface(Surface surface)
{
    const SurfaceId id{NextId()};
    m_surfaces[id.value] = surface;
    return id;
}

bool CRecordingDevice::SurfaceSize(SurfaceId id, std::uint32_t& width, std::uint32_t& height) const
{
    SurfaceDesc desc;
    if (!GetSurfaceDesc(id, desc))
        return false;
    width = desc.width;
    height = desc.height;
    return true;
}

// ---- States ------------------------------------------------------------------------------------

Result CRecordingDevice::SetRenderState(std::uint32_t state, std::uint32_t value)
{
    Record(MakeCall(EDeviceOp::SetRenderState, {state, value}));
    m_renderStates[state] = value;
    return kOk;
}

std::uint32_t CRecordingDevice::GetRenderState(std::uint32_t state) const
{
    const auto it = m_renderStates.find(state);
    return it == m_renderStates.end() ? DefaultRenderState(state) : it->second;
}

Result CRecordingDevice::SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value)
{
    Record(MakeCall(EDeviceOp::SetTextureStageState, {stage, type, value}));
    if (stage >= kMaxTextureStages)
    {
        Error("SetTextureStageState: stage out of range");
        return kInvalidCall;
    }
    m_stageStates[{stage, type}] = value;
    return kOk;
}

std::uint32_t CRecordingDevice::GetTextureStageState(std::uint32_t stage, std::uint32_t type) const
{
    const auto it = m_stageStates.find({stage, type});
    return it == m_stageStates.end() ? DefaultTextureStageState(stage, type) : it->second;
}

Result CRecordingDevice::SetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value)
{
    Record(MakeCall(EDeviceOp::SetSamplerState, {sampler, type, value}));
    m_samplerStates[{sampler, type}] = value;
    return kOk;
}

std::uint32_t CRecordingDevice::GetSamplerState(std::uint32_t sampler, std::uint32_t type) const
{
    const auto it = m_samplerStates.find({sampler, type});
    return it == m_samplerStates.end() ? DefaultSamplerState(type) : it->second;
}

Result CRecordingDevice::SetTexture(std::uint32_t stage, TextureId texture)
{
    Record(MakeCall(EDeviceOp::SetTexture, {stage, texture.value}));
    if (stage >= kMaxTextureStages)
    {
        Error("SetTexture: stage out of range");
        return kInvalidCall;
    }
    if (texture && !m_textureObjects.count(texture.value))
        Error("SetTexture: unknown texture " + std::to_string(texture.value));
    m_textures[stage] = texture;
    return kOk;
}

TextureId CRecordingDevice::GetTexture(std::uint32_t stage) const
{
    return stage < kMaxTextureStages ? m_textures[stage] : TextureId{};
}

Result CRecordingDevice::SetTransform(ETransform which, const Matrix4& matrix)
{
    DeviceCall call = MakeCall(EDeviceOp::SetTransform, {which});
    call.matrix = matrix;
    Record(std::move(call));
    switch (which)
    {
    case D3DTS_WORLD: m_world = matrix; break;
    case D3DTS_VIEW: m_view = matrix; break;
    case D3DTS_PROJECTION: m_projection = matrix; break;
    default: Error("SetTransform: unknown transform"); return kInvalidCall;
    }
    return kOk;
}

Matrix4 CRecordingDevice::GetTransform(ETransform which) const
{
    switch (which)
    {
    case D3DTS_WORLD: return m_world;
    case D3DTS_VIEW: return m_view;
    case D3DTS_PROJECTION: return m_projection;
    default: return Matrix4::Identity();
    }
}

Result CRecordingDevice::SetMaterial(const Material&)
{
    Record(MakeCall(EDeviceOp::SetMaterial));
    return kOk;
}

Result CRecordingDevice::SetLight(std::uint32_t index, const Light&)
{
    Record(MakeCall(EDeviceOp::SetLight, {index}));
    return kOk;
}

Result CRecordingDevice::LightEnable(std::uint32_t index, bool enable)
{
    Record(MakeCall(EDeviceOp::LightEnable, {index, enable ? 1u : 0u}));
    return kOk;
}

Result CRecordingDevice::SetNPatchMode(float segments)
{
    Record(MakeCall(EDeviceOp::SetNPatchMode, {Bits(segments)}));
    return kOk;
}

Result CRecordingDevice::SetFVF(std::uint32_t fvf)
{
    Record(MakeCall(EDeviceOp::SetFVF, {fvf}));
    m_fvf = fvf;
    return kOk;
}

// ---- Shaders -------------------------------------------------------------------------------

// A source compiles unless a line holds "#error"; the message then names that line, honouring
// "#line N" directives the way a GLSL compiler does.
std::uint32_t CRecordingDevice::CheckShader(const std::string& source, std::string& errors)
{
    std::istringstream lines(source);
    std::string line;
    int lineNumber = 1;
    while (std::getline(lines, line))
    {
        const std::size_t first = line.find_first_not_of(" \t");
        const std::string trimmed = first == std::string::npos ? std::string() : line.substr(first);
        if (trimmed.rfind("#line", 0) == 0)
        {
            lineNumber = std::atoi(trimmed.c_str() + 5);
            continue;
        }
        const std::size_t error = trimmed.find("#error");
        if (error != std::string::npos)
        {
            errors = "0:" + std::to_string(lineNumber) + "(1): error: " + trimmed.substr(error) + "\n";
            return 0;
        }
        ++lineNumber;
    }
    errors.clear();
    return NextId();
}

VertexShaderId CRecordingDevice::CreateVertexShader(const std::string& source, std::string& errors)
{
    DeviceCall call = MakeCall(EDeviceOp::CreateVertexShader);
    call.text = source;
    Record(std::move(call));
    const VertexShaderId id{CheckShader(source, errors)};
    if (id)
        m_vertexShaders[id.value] = source;
    return id;
}

PixelShaderId CRecordingDevice::CreatePixelShader(const std::string& source, std::string& errors)
{
    DeviceCall call = MakeCall(EDeviceOp::CreatePixelShader);
    call.text = source;
    Record(std::move(call));
    const PixelShaderId id{CheckShader(source, errors)};
    if (id)
        m_pixelShaders[id.value] = source;
    return id;
}

bool CRecordingDevice::ValidateShaders(VertexShaderId vs, PixelShaderId ps, std::string& errors)
{
    Record(MakeCall(EDeviceOp::ValidateShaders, {vs.value, ps.value}));
    const bool vertexKnown = !vs || m_vertexShaders.count(vs.value);
    const bool pixelKnown = !ps || m_pixelShaders.count(ps.value);
    errors = vertexKnown && pixelKnown ? "" : "error: linking a shader that does not exist\n";
    return vertexKnown && pixelKnown;
}

void CRecordingDevice::ReleaseVertexShader(VertexShaderId vs)
{
    Record(MakeCall(EDeviceOp::ReleaseVertexShader, {vs.value}));
    if (!m_vertexShaders.erase(vs.value))
        Error("ReleaseVertexShader: unknown shader");
    if (m_vertexShader == vs)
        m_vertexShader = {};
}

void CRecordingDevice::ReleasePixelShader(PixelShaderId ps)
{
    Record(MakeCall(EDeviceOp::ReleasePixelShader, {ps.value}));
    if (!m_pixelShaders.erase(ps.value))
        Error("ReleasePixelShader: unknown shader");
    if (m_pixelShader == ps)
        m_pixelShader = {};
}

Result CRecordingDevice::SetVertexShader(VertexShaderId vs)
{
    Record(MakeCall(EDeviceOp::SetVertexShader, {vs.value}));
    if (vs && !m_vertexShaders.count(vs.value))
        Error("SetVertexShader: unknown shader");
    m_vertexShader = vs;
    return kOk;
}

Result CRecordingDevice::SetPixelShader(PixelShaderId ps)
{
    Record(MakeCall(EDeviceOp::SetPixelShader, {ps.value}));
    if (ps && !m_pixelShaders.count(ps.value))
        Error("SetPixelShader: unknown shader");
    m_pixelShader = ps;
    return kOk;
}

namespace
{
Result StoreConstants(CRecordingLog& log, float* registers, std::uint32_t start, const float* data,
                      std::uint32_t count)
{
    if (start + count > kMaxConstantRegisters || (count > 0 && !data))
    {
        log.AddError("shader constants outside the 256 registers");
        return kInvalidCall;
    }
    if (count > 0)
        std::memcpy(registers + 4 * start, data, count * 4 * sizeof(float));
    return kOk;
}
} // namespace

Result CRecordingDevice::SetVertexShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count)
{
    DeviceCall call = MakeCall(EDeviceOp::SetVertexShaderConstantF, {start, count});
    call.bytes = BytesOf(data, data ? 4u * count : 0u);
    Record(std::move(call));
    return StoreConstants(*m_log, m_vertexConstants, start, data, count);
}

Result CRecordingDevice::SetVertexShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count)
{
    DeviceCall call = MakeCall(EDeviceOp::SetVertexShaderConstantI, {start, count});
    call.bytes = BytesOf(data, data ? 4u * count : 0u);
    Record(std::move(call));
    return kOk;
}

Result CRecordingDevice::SetVertexShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count)
{
    DeviceCall call = MakeCall(EDeviceOp::SetVertexShaderConstantB, {start, count});
    call.bytes = BytesOf(data, data ? count : 0u);
    Record(std::move(call));
    return kOk;
}

Result CRecordingDevice::SetPixelShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count)
{
    DeviceCall call = MakeCall(EDeviceOp::SetPixelShaderConstantF, {start, count});
    call.bytes = BytesOf(data, data ? 4u * count : 0u);
    Record(std::move(call));
    return StoreConstants(*m_log, m_pixelConstants, start, data, count);
}

Result CRecordingDevice::SetPixelShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count)
{
    DeviceCall call = MakeCall(EDeviceOp::SetPixelShaderConstantI, {start, count});
    call.bytes = BytesOf(data, data ? 4u * count : 0u);
    Record(std::move(call));
    return kOk;
}

Result CRecordingDevice::SetPixelShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count)
{
    DeviceCall call = MakeCall(EDeviceOp::SetPixelShaderConstantB, {start, count});
    call.bytes = BytesOf(data, data ? count : 0u);
    Record(std::move(call));
    return kOk;
}

// ---- Viewport and render targets -----------------------------------------------------------

Result CRecordingDevice::SetViewport(const Viewport& viewport)
{
    Record(MakeCall(EDeviceOp::SetViewport, {viewport.X, viewport.Y, viewport.Width, viewport.Height,
                                             Bits(viewport.MinZ), Bits(viewport.MaxZ)}));
    m_viewport = viewport;
    return kOk;
}

Result CRecordingDevice::GetViewport(Viewport& out) const
{
    out = m_viewport;
    return kOk;
}

SurfaceId CRecordingDevice::GetRenderTarget(std::uint32_t index)
{
    Record(MakeCall(EDeviceOp::GetRenderTarget, {index}));
    if (index >= std::size(m_renderTargets) || !m_renderTargets[index])
        return {};
    ++m_surfaces[m_renderTargets[index].value].references;
    return m_renderTargets[index];
}

Result CRecordingDevice::SetRenderTarget(std::uint32_t index, SurfaceId surface)
{
    Record(MakeCall(EDeviceOp::SetRenderTarget, {index, surface.value}));
    if (index >= std::size(m_renderTargets) || (index == 0 && !surface))
    {
        Error("SetRenderTarget: target 0 cannot be unset");
        return kInvalidCall;
    }
    std::uint32_t width = 0, height = 0;
    if (surface && !SurfaceSize(surface, width, height))
    {
        Error("SetRenderTarget: unknown surface");
        return kInvalidCall;
    }
    m_renderTargets[index] = surface;
    if (index == 0)
        m_viewport = Viewport{0, 0, width, height, 0.0f, 1.0f};
    return kOk;
}

SurfaceId CRecordingDevice::GetDepthStencilSurface()
{
    Record(MakeCall(EDeviceOp::GetDepthStencilSurface));
    ++m_surfaces[m_depthStencil.value].references;
    return m_depthStencil;
}

bool CRecordingDevice::GetSurfaceDesc(SurfaceId id, SurfaceDesc& out) const
{
    const auto it = m_surfaces.find(id.value);
    if (it == m_surfaces.end())
        return false;
    const Surface& surface = it->second;
    out = SurfaceDesc{};
    switch (surface.kind)
    {
    case Surface::Kind::BackBuffer:
        out.format = D3DFMT_X8R8G8B8;
        out.usage = D3DUSAGE_RENDERTARGET;
        out.width = m_backBufferWidth;
        out.height = m_backBufferHeight;
        return true;
    case Surface::Kind::DepthStencil:
        out.format = D3DFMT_D24X8;
        out.usage = D3DUSAGE_DEPTHSTENCIL;
        out.width = m_backBufferWidth;
        out.height = m_backBufferHeight;
        return true;
    case Surface::Kind::TextureLevel:
        return GetLevelDesc(surface.texture, surface.level, out);
    }
    return false;
}

void CRecordingDevice::ReleaseSurface(SurfaceId id)
{
    Record(MakeCall(EDeviceOp::ReleaseSurface, {id.value}));
    const auto it = m_surfaces.find(id.value);
    if (it == m_surfaces.end() || it->second.references <= 0)
    {
        Error("ReleaseSurface: released more often than acquired");
        return;
    }
    --it->second.references;
}

// ---- Frame ---------------------------------------------------------------------------------

Result CRecordingDevice::Clear(std::uint32_t flags, Color color, float z, std::uint32_t stencil)
{
    Record(MakeCall(EDeviceOp::Clear, {flags, color, Bits(z), stencil}));
    return kOk;
}

Result CRecordingDevice::BeginScene()
{
    Record(MakeCall(EDeviceOp::BeginScene));
    if (m_inScene)
        Error("BeginScene inside a scene");
    m_inScene = true;
    return kOk;
}

Result CRecordingDevice::EndScene()
{
    Record(MakeCall(EDeviceOp::EndScene));
    if (!m_inScene)
        Error("EndScene without BeginScene");
    m_inScene = false;
    return kOk;
}

Result CRecordingDevice::Present()
{
    Record(MakeCall(EDeviceOp::Present));
    if (m_inScene)
        Error("Present inside a scene");
    return kOk;
}

// ---- Vertex and index data -----------------------------------------------------------------

DeclarationId CRecordingDevice::CreateVertexDeclaration(const VertexElement* elements)
{
    std::vector<VertexElement> declaration;
    for (std::uint32_t i = 0; elements && i < kMaxDeclarationElements; ++i)
    {
        declaration.push_back(elements[i]);
        if (elements[i].stream == 0xFF)
            break;
    }
    DeviceCall call = MakeCall(EDeviceOp::CreateVertexDeclaration);
    call.bytes = BytesOf(declaration.data(), declaration.size());
    Record(std::move(call));
    if (declaration.empty() || declaration.back().stream != 0xFF)
    {
        Error("CreateVertexDeclaration: no end marker");
        return {};
    }
    const DeclarationId id{NextId()};
    m_declarations[id.value] = std::move(declaration);
    return id;
}

Result CRecordingDevice::SetVertexDeclaration(DeclarationId declaration)
{
    Record(MakeCall(EDeviceOp::SetVertexDeclaration, {declaration.value}));
    if (declaration && !m_declarations.count(declaration.value))
        Error("SetVertexDeclaration: unknown declaration");
    m_declaration = declaration;
    return kOk;
}

void CRecordingDevice::ReleaseVertexDeclaration(DeclarationId declaration)
{
    Record(MakeCall(EDeviceOp::ReleaseVertexDeclaration, {declaration.value}));
    if (!m_declarations.erase(declaration.value))
        Error("ReleaseVertexDeclaration: unknown declaration");
    if (m_declaration == declaration)
        m_declaration = {};
}

VertexBufferId CRecordingDevice::CreateVertexBuffer(std::uint32_t length, std::uint32_t usage,
                                                    std::uint32_t fvf, EPool pool)
{
    Record(MakeCall(EDeviceOp::CreateVertexBuffer, {length, usage, fvf, pool}));
    if (length == 0)
    {
        Error("CreateVertexBuffer: zero length");
        return {};
    }
    const VertexBufferId id{NextId()};
    Buffer buffer;
    buffer.data.assign(length, 0);
    buffer.usage = usage;
    m_vertexBuffers[id.value] = std::move(buffer);
    return id;
}

namespace
{
void* LockRange(CRecordingLog& log, std::vector<std::uint8_t>& data, bool& locked, std::uint32_t offset, std::uint32_t size, const char* what)
{
    if (locked)
        log.AddError(std::string(what) + ": already locked");
    const std::size_t length = data.size();
    const std::size_t end = size == 0 ? length : static_cast<std::size_t>(offset) + size;
    if (offset > length || end > length)
    {
        log.AddError(std::string(what) + ": range outside the buffer");
        return nullptr;
    }
    locked = true;
    return data.data() + offset;
}
} // namespace

void* CRecordingDevice::LockVertexBuffer(VertexBufferId id, std::uint32_t offset, std::uint32_t size)
{
    Record(MakeCall(EDeviceOp::LockVertexBuffer, {id.value, offset, size}));
    const auto it = m_vertexBuffers.find(id.value);
    if (it == m_vertexBuffers.end())
    {
        Error("LockVertexBuffer: unknown buffer");
        return nullptr;
    }
    return LockRange(*m_log, it->second.data, it->second.locked, offset, size, "LockVertexBuffer");
}

Result CRecordingDevice::UnlockVertexBuffer(VertexBufferId id)
{
    Record(MakeCall(EDeviceOp::UnlockVertexBuffer, {id.value}));
    const auto it = m_vertexBuffers.find(id.value);
    if (it == m_vertexBuffers.end() || !it->second.locked)
    {
        Error("UnlockVertexBuffer: buffer not locked");
        return kInvalidCall;
    }
    it->second.locked = false;
    return kOk;
}

void CRecordingDevice::ReleaseVertexBuffer(VertexBufferId id)
{
    Record(MakeCall(EDeviceOp::ReleaseVertexBuffer, {id.value}));
    if (!m_vertexBuffers.erase(id.value))
        Error("ReleaseVertexBuffer: unknown buffer");
    if (m_stream == id)
        m_stream = {};
}

IndexBufferId CRecordingDevice::CreateIndexBuffer(std::uint32_t length, std::uint32_t usage, EFormat format,
                                                  EPool pool)
{
    Record(MakeCall(EDeviceOp::CreateIndexBuffer, {length, usage, format, pool}));
    if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
    {
        Error("CreateIndexBuffer: zero length or not an index format");
        return {};
    }
    const IndexBufferId id{NextId()};
    Buffer buffer;
    buffer.data.assign(length, 0);
    buffer.usage = usage;
    buffer.format = format;
    m_indexBuffers[id.value] = std::move(buffer);
    return id;
}

void* CRecordingDevice::LockIndexBuffer(IndexBufferId id, std::uint32_t offset, std::uint32_t size)
{
    Record(MakeCall(EDeviceOp::LockIndexBuffer, {id.value, offset, size}));
    const auto it = m_indexBuffers.find(id.value);
    if (it == m_indexBuffers.end())
    {
        Error("LockIndexBuffer: unknown buffer");
        return nullptr;
    }
    return LockRange(*m_log, it->second.data, it->second.locked, offset, size, "LockIndexBuffer");
}

Result CRecordingDevice::UnlockIndexBuffer(IndexBufferId id)
{
    Record(MakeCall(EDeviceOp::UnlockIndexBuffer, {id.value}));
    const auto it = m_indexBuffers.find(id.value);
    if (it == m_indexBuffers.end() || !it->second.locked)
    {
        Error("UnlockIndexBuffer: buffer not locked");
        return kInvalidCall;
    }
    it->second.locked = false;
    return kOk;
}

void CRecordingDevice::ReleaseIndexBuffer(IndexBufferId id)
{
    Record(MakeCall(EDeviceOp::ReleaseIndexBuffer, {id.value}));
    if (!m_indexBuffers.erase(id.value))
        Error("ReleaseIndexBuffer: unknown buffer");
    if (m_indices == id)
        m_indices = {};
}

Result CRecordingDevice::SetStreamSource(std::uint32_t stream, VertexBufferId buffer, std::uint32_t offset,
                                         std::uint32_t stride)
{
    Record(MakeCall(EDeviceOp::SetStreamSource, {stream, buffer.value, offset, stride}));
    if (stream != 0)
    {
        Error("SetStreamSource: only stream 0 is used");
        return kInvalidCall;
    }
    if (buffer && !m_vertexBuffers.count(buffer.value))
        Error("SetStreamSource: unknown buffer");
    m_stream = buffer;
    m_streamStride = stride;
    return kOk;
}

Result CRecordingDevice::SetIndices(IndexBufferId buffer)
{
    Record(MakeCall(EDeviceOp::SetIndices, {buffer.value}));
    if (buffer && !m_indexBuffers.count(buffer.value))
        Error("SetIndices: unknown buffer");
    m_indices = buffer;
    return kOk;
}

// ---- Drawing -------------------------------------------------------------------------------

void CRecordingDevice::CheckDrawState(const char* what, bool needsStream, bool needsIndices)
{
    if (!m_declaration)
        Error(std::string(what) + ": no vertex declaration set");
    if (needsStream && !m_stream)
        Error(std::string(what) + ": no vertex buffer on stream 0");
    if (needsIndices && !m_indices)
        Error(std::string(what) + ": no index buffer set");
    for (const auto& [id, buffer] : m_vertexBuffers)
        if (buffer.locked)
            Error(std::string(what) + ": a vertex buffer is still locked");
}

Result CRecordingDevice::DrawPrimitive(EPrimitiveType type, std::uint32_t startVertex,
                                       std::uint32_t primitiveCount)
{
    Record(MakeCall(EDeviceOp::DrawPrimitive, {type, startVertex, primitiveCount}));
    CheckDrawState("DrawPrimitive", true, false);
    const auto it = m_vertexBuffers.find(m_stream.value);
    if (it != m_vertexBuffers.end() && m_streamStride > 0)
    {
        const std::size_t needed =
            (static_cast<std::size_t>(startVertex) + VertexCountOf(type, primitiveCount)) * m_streamStride;
        if (needed > it->second.data.size())
            Error("DrawPrimitive: vertices beyond the end of the buffer");
    }
    return kOk;
}

Result CRecordingDevice::DrawIndexedPrimitive(EPrimitiveType type, std::int32_t baseVertex,
                                              std::uint32_t minIndex, std::uint32_t vertexCount,
                                              std::uint32_t startIndex, std::uint32_t primitiveCount)
{
    Record(MakeCall(EDeviceOp::DrawIndexedPrimitive,
                    {type, static_cast<std::uint32_t>(baseVertex), minIndex, vertexCount, startIndex,
                     primitiveCount}));
    CheckDrawState("DrawIndexedPrimitive", true, true);
    const auto indices = m_indexBuffers.find(m_indices.value);
    const auto vertices = m_vertexBuffers.find(m_stream.value);
    if (indices == m_indexBuffers.end() || vertices == m_vertexBuffers.end() || m_streamStride == 0)
        return kOk;

    // Every index read must name a vertex inside the bound buffer.
    const std::size_t indexSize = indices->second.format == D3DFMT_INDEX16 ? 2 : 4;
    const std::size_t count = VertexCountOf(type, primitiveCount);
    const std::vector<std::uint8_t>& indexData = indices->second.data;
    if ((static_cast<std::size_t>(startIndex) + count) * indexSize > indexData.size())
    {
        Error("DrawIndexedPrimitive: indices beyond the end of the index buffer");
        return kOk;
    }
    const std::size_t vertexTotal = vertices->second.data.size() / m_streamStride;
    for (std::size_t i = 0; i < count; ++i)
    {
        std::uint32_t index = 0;
        std::memcpy(&index, indexData.data() + (startIndex + i) * indexSize, indexSize);
        if (static_cast<std::int64_t>(index) + baseVertex >= static_cast<std::int64_t>(vertexTotal))
        {
            Error("DrawIndexedPrimitive: index " + std::to_string(index) + " beyond the vertex buffer");
            break;
        }
    }
    return kOk;
}

Result CRecordingDevice::DrawPrimitiveUP(EPrimitiveType type, std::uint32_t primitiveCount, const void* data,
                                         std::uint32_t stride)
{
    DeviceCall call = MakeCall(EDeviceOp::DrawPrimitiveUP, {type, primitiveCount, stride});
    const std::size_t length = static_cast<std::size_t>(VertexCountOf(type, primitiveCount)) * stride;
    if (data && length > 0)
        call.bytes = BytesOf(static_cast<const std::uint8_t*>(data), length);
    Record(std::move(call));
    CheckDrawState("DrawPrimitiveUP", false, false);
    if (!data && length > 0)
        Error("DrawPrimitiveUP: no vertex data");
    // Drawing from caller memory leaves stream 0 unbound, as the original device did.
    m_stream = {};
    m_streamStride = 0;
    return kOk;
}

// ---- Textures ------------------------------------------------------------------------------

TextureId CRecordingDevice::AddTexture(Texture texture)
{
    const std::uint32_t faces = texture.cube ? 6 : 1;
    texture.texels.resize(faces);
    for (auto& levels : texture.texels)
    {
        levels.resize(texture.levels);
        for (std::uint32_t level = 0; level < texture.levels; ++level)
            levels[level].assign(static_cast<std::size_t>(LevelExtent(texture.width, level)) *
                                     LevelExtent(texture.height, level),
                                 0u);
    }
    const TextureId id{NextId()};
    m_textureObjects[id.value] = std::move(texture);
    return id;
}

TextureId CRecordingDevice::CreateTextureFromFile(const std::string& path)
{
    DeviceCall call = MakeCall(EDeviceOp::CreateTextureFromFile);
    call.text = path;
    Record(std::move(call));
    std::error_code error;
    const bool exists = std::filesystem::is_regular_file(path, error);
    const bool failing = m_config.failingTextureFiles.count(path) ||
                         m_config.failingTextureFiles.count(BaseName(path));
    if (failing || (!exists && !m_config.texturesAlwaysLoad))
        return {};
    Texture texture;
    texture.width = texture.height = 1;
    texture.format = D3DFMT_A8R8G8B8;
    texture.pool = D3DPOOL_MANAGED;
    texture.path = path;
    const TextureId id = AddTexture(std::move(texture));
    m_textureObjects[id.value].texels[0][0][0] = 0xFFFFFFFFu;
    return id;
}

TextureId CRecordingDevice::CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                          std::uint32_t usage, EFormat format, EPool pool)
{
    Record(MakeCall(EDeviceOp::CreateTexture, {width, height, levels, usage, format, pool}));
    if (m_config.failCreateTexture || width == 0 || height == 0)
        return {};
    Texture texture;
    texture.width = width;
    texture.height = height;
    texture.levels = levels == 0 ? FullMipCount(width, height) : levels;
    texture.usage = usage;
    texture.format = format;
    texture.pool = pool;
    return AddTexture(std::move(texture));
}

TextureId CRecordingDevice::CreateCubeTexture(std::uint32_t edge, std::uint32_t levels, std::uint32_t usage,
                                              EFormat format, EPool pool)
{
    Record(MakeCall(EDeviceOp::CreateCubeTexture, {edge, levels, usage, format, pool}));
    if (m_config.failCreateCubeTexture || edge == 0)
        return {};
    Texture texture;
    texture.cube = true;
    texture.width = texture.height = edge;
    texture.levels = levels == 0 ? FullMipCount(edge, edge) : levels;
    texture.usage = usage;
    texture.format = format;
    texture.pool = pool;
    return AddTexture(std::move(texture));
}

bool CRecordingDevice::GetLevelDesc(TextureId id, std::uint32_t level, SurfaceDesc& out) const
{
    const auto it = m_textureObjects.find(id.value);
    if (it == m_textureObjects.end() || level >= it->second.levels)
        return false;
    const Texture& texture = it->second;
    out = SurfaceDesc{};
    out.format = texture.format;
    out.type = D3DRTYPE_SURFACE;
    out.usage = texture.usage;
    out.pool = texture.pool;
    out.width = LevelExtent(texture.width, level);
    out.height = LevelExtent(texture.height, level);
    return true;
}

LockedRect CRecordingDevice::LockRect(TextureId id, ECubeFace face, std::uint32_t level)
{
    Record(MakeCall(EDeviceOp::LockRect, {id.value, face, level}));
    const auto it = m_textureObjects.find(id.value);
    if (it == m_textureObjects.end() || level >= it->second.levels || (it->second.cube && face > 5))
    {
        Error("LockRect: unknown texture, face or level");
        return {};
    }
    Texture& texture = it->second;
    const std::uint32_t faceIndex = texture.cube ? static_cast<std::uint32_t>(face) : 0u;
    if (!texture.locked.insert({faceIndex, level}).second)
        Error("LockRect: level already locked");
    LockedRect locked;
    locked.pitch = static_cast<std::int32_t>(LevelExtent(texture.width, level) * 4);
    locked.bits = texture.texels[faceIndex][level].data();
    return locked;
}

Result CRecordingDevice::UnlockRect(TextureId id, ECubeFace face, std::uint32_t level)
{
    Record(MakeCall(EDeviceOp::UnlockRect, {id.value, face, level}));
    const auto it = m_textureObjects.find(id.value);
    const std::uint32_t faceIndex = it != m_textureObjects.end() && it->second.cube ? static_cast<std::uint32_t>(face) : 0u;
    if (it == m_textureObjects.end() || !it->second.locked.erase({faceIndex, level}))
    {
        Error("UnlockRect: level not locked");
        return kInvalidCall;
    }
    return kOk;
}

SurfaceId CRecordingDevice::GetSurfaceLevel(TextureId id, std::uint32_t level)
{
    Record(MakeCall(EDeviceOp::GetSurfaceLevel, {id.value, level}));
    const auto it = m_textureObjects.find(id.value);
    if (it == m_textureObjects.end() || it->second.cube || level >= it->second.levels)
    {
        Error("GetSurfaceLevel: unknown 2D texture or level");
        return {};
    }
    for (auto& [surfaceId, surface] : m_surfaces)
        if (surface.kind == Surface::Kind::TextureLevel && surface.texture == id && surface.level == level)
        {
            ++surface.references;
            return SurfaceId{surfaceId};
        }
    Surface surface;
    surface.kind = Surface::Kind::TextureLevel;
    surface.texture = id;
    surface.level = level;
    surface.references = 1;
    return AddSurface(surface);
}

void CRecordingDevice::ReleaseTexture(TextureId id)
{
    Record(MakeCall(EDeviceOp::ReleaseTexture, {id.value}));
    if (!m_textureObjects.erase(id.value))
        Error("ReleaseTexture: unknown texture");
    for (TextureId& bound : m_textures)
        if (bound == id)
            bound = {};
}

Result CRecordingDevice::SaveSurfaceToFile(const std::string& path, EImageFileFormat format, SurfaceId surface)
{
    DeviceCall call = MakeCall(EDeviceOp::SaveSurfaceToFile, {format, surface.value});
    call.text = path;
    Record(std::move(call));
    SurfaceDesc desc;
    if (!GetSurfaceDesc(surface, desc))
    {
        Error("SaveSurfaceToFile: unknown surface");
        return kInvalidCall;
    }
    return kOk;
}

// ---- Fonts ---------------------------------------------------------------------------------

FontId CRecordingDevice::CreateFont(std::int32_t height, std::uint32_t width, std::uint32_t weight,
                                    std::uint32_t mipLevels, bool italic, std::uint32_t charSet,
                                    std::uint32_t outputPrecision, std::uint32_t quality,
                                    std::uint32_t pitchAndFamily, const std::string& faceName)
{
    DeviceCall call = MakeCall(EDeviceOp::CreateFont,
                               {static_cast<std::uint32_t>(height), width, weight, mipLevels,
                                italic ? 1u : 0u, charSet, outputPrecision, quality, pitchAndFamily});
    call.text = faceName;
    Record(std::move(call));
    if (m_config.failingFontFaces.count(faceName) || height == 0)
        return {};
    const FontId id{NextId()};
    m_fonts[id.value] = Font{height, faceName};
    return id;
}

std::int32_t CRecordingDevice::DrawText(FontId font, const char* text, std::int32_t count, const Rect& rect,
                                        std::uint32_t format, Color color)
{
    std::string drawn;
    if (text)
    {
        const std::size_t length = std::strlen(text);
        drawn.assign(text, count < 0 ? length : std::min<std::size_t>(length, static_cast<std::size_t>(count)));
    }
    DeviceCall call = MakeCall(EDeviceOp::DrawText,
                               {font.value, static_cast<std::uint32_t>(count), format, color});
    call.text = drawn;
    call.rect = rect;
    Record(std::move(call));
    const auto it = m_fonts.find(font.value);
    if (it == m_fonts.end())
    {
        Error("DrawText: unknown font");
        return 0;
    }
    if (drawn.empty())
        return 0;
    const auto lines = 1 + std::count(drawn.begin(), drawn.end(), '\n');
    return static_cast<std::int32_t>(lines) * std::abs(it->second.height);
}

void CRecordingDevice::ReleaseFont(FontId font)
{
    Record(MakeCall(EDeviceOp::ReleaseFont, {font.value}));
    if (!m_fonts.erase(font.value))
        Error("ReleaseFont: unknown font");
}

} // namespace Tess
