// CD3D9Device: shader stages from Direct3D 9 shader assembly (assembled by the engine's own
// assembler), their selection and constant registers. A stage of id 0 is the fixed-function
// pipeline.

#include "Engine/Platform/Direct3D9/D3D9Device.h"

#include "Engine/Effects/ShaderAssembler.h"

#include <algorithm>

namespace Tess
{

namespace
{

constexpr std::uint32_t kEndToken = 0x0000FFFFu;
constexpr std::uint32_t kVertexVersionMask = 0xFFFE0000u;
constexpr std::uint32_t kPixelVersionMask = 0xFFFF0000u;

// A stream Direct3D can be handed: a version token of the stage asked for and an end token.
bool IsTokenStream(const std::vector<std::uint32_t>& tokens, std::uint32_t versionMask)
{
    return tokens.size() >= 2 && (tokens.front() & 0xFFFF0000u) == versionMask && tokens.back() == kEndToken;
}

// Records `count` registers of `width` values from `start` in `file` and sets them on the device.
template <class T, class Set>
Result StoreConstants(std::vector<T>& file, std::uint32_t registers, std::uint32_t width, std::uint32_t start,
                      const T* data, std::uint32_t count, Set set)
{
    if (!data || std::uint64_t(start) + count > registers)
        return kInvalidCall;
    std::copy(data, data + std::size_t(count) * width, file.begin() + std::ptrdiff_t(start) * width);
    return SUCCEEDED(set()) ? kOk : kInvalidCall;
}

} // namespace

VertexShaderId CD3D9Device::CreateVertexShaderFromTokens(const std::vector<std::uint32_t>& tokens)
{
    IDirect3DVertexShader9* shader = nullptr;
    if (!IsTokenStream(tokens, kVertexVersionMask) ||
        FAILED(m_device->CreateVertexShader(reinterpret_cast<const DWORD*>(tokens.data()), &shader)))
        return {};
    const std::uint32_t id = NextId();
    m_vertexShaders[id] = shader;
    return VertexShaderId{id};
}

PixelShaderId CD3D9Device::CreatePixelShaderFromTokens(const std::vector<std::uint32_t>& tokens)
{
    IDirect3DPixelShader9* shader = nullptr;
    if (!IsTokenStream(tokens, kPixelVersionMask) ||
        FAILED(m_device->CreatePixelShader(reinterpret_cast<const DWORD*>(tokens.data()), &shader)))
        return {};
    const std::uint32_t id = NextId();
    m_pixelShaders[id] = shader;
    return PixelShaderId{id};
}

VertexShaderId CD3D9Device::CreateVertexShader(const std::string& source, std::string& errors)
{
    std::vector<std::uint32_t> tokens;
    if (!CShaderAssembler::Assemble(source, tokens, errors))
        return {};
    const VertexShaderId id = CreateVertexShaderFromTokens(tokens);
    if (!id)
        errors += "0: the device refused the vertex shader\n";
    return id;
}

PixelShaderId CD3D9Device::CreatePixelShader(const std::string& source, std::string& errors)
{
    std::vector<std::uint32_t> tokens;
    if (!CShaderAssembler::Assemble(source, tokens, errors))
        return {};
    const PixelShaderId id = CreatePixelShaderFromTokens(tokens);
    if (!id)
        errors += "0: the device refused the pixel shader\n";
    return id;
}

// A shader model 3 vertex stage writes outputs only a shader model 3 pixel stage reads, so it
// needs one beside it. A pixel stage alone is fed by the fixed-function vertex stage (screen
// vertices pass it untouched), which hands on the colour and texture coordinates it reads.
bool CD3D9Device::ValidateShaders(VertexShaderId vs, PixelShaderId ps, std::string& errors)
{
    if ((vs && !m_vertexShaders.count(vs.value)) || (ps && !m_pixelShaders.count(ps.value)))
    {
        errors = "unknown shader";
        return false;
    }
    if (vs && !ps)
    {
        errors = "a vertex shader needs a pixel shader on this device";
        return false;
    }
    return true;
}

void CD3D9Device::ReleaseVertexShader(VertexShaderId vs)
{
    const auto it = m_vertexShaders.find(vs.value);
    if (it == m_vertexShaders.end())
        return;
    if (m_vertexShader == vs.value)
    {
        m_device->SetVertexShader(nullptr);
        m_vertexShader = 0;
    }
    D3D9::SafeRelease(it->second);
    m_vertexShaders.erase(it);
}

void CD3D9Device::ReleasePixelShader(PixelShaderId ps)
{
    const auto it = m_pixelShaders.find(ps.value);
    if (it == m_pixelShaders.end())
        return;
    if (m_pixelShader == ps.value)
    {
        m_device->SetPixelShader(nullptr);
        m_pixelShader = 0;
    }
    D3D9::SafeRelease(it->second);
    m_pixelShaders.erase(it);
}

Result CD3D9Device::SetVertexShader(VertexShaderId vs)
{
    const auto it = m_vertexShaders.find(vs.value);
    if (vs && it == m_vertexShaders.end())
        return kInvalidCall;
    if (FAILED(m_device->SetVertexShader(vs ? it->second : nullptr)))
        return kInvalidCall;
    m_vertexShader = vs.value;
    return kOk;
}

VertexShaderId CD3D9Device::GetVertexShader() const
{
    return VertexShaderId{m_vertexShader};
}

Result CD3D9Device::SetPixelShader(PixelShaderId ps)
{
    const auto it = m_pixelShaders.find(ps.value);
    if (ps && it == m_pixelShaders.end())
        return kInvalidCall;
    if (FAILED(m_device->SetPixelShader(ps ? it->second : nullptr)))
        return kInvalidCall;
    m_pixelShader = ps.value;
    return kOk;
}

PixelShaderId CD3D9Device::GetPixelShader() const
{
    return PixelShaderId{m_pixelShader};
}

// Every register file is recorded as well as set, for the states a Reset returns to zero.
Result CD3D9Device::SetVertexShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count)
{
    return StoreConstants(m_vsFloat, D3D9::kVSFloatRegisters, 4, start, data, count,
                          [&] { return m_device->SetVertexShaderConstantF(start, data, count); });
}

Result CD3D9Device::SetVertexShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count)
{
    return StoreConstants(m_vsInt, D3D9::kIntRegisters, 4, start, data, count,
                          [&] { return m_device->SetVertexShaderConstantI(start, data, count); });
}

Result CD3D9Device::SetVertexShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count)
{
    return StoreConstants(m_vsBool, D3D9::kBoolRegisters, 1, start, data, count,
                          [&] { return m_device->SetVertexShaderConstantB(start, data, count); });
}

Result CD3D9Device::SetPixelShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count)
{
    return StoreConstants(m_psFloat, D3D9::kPSFloatRegisters, 4, start, data, count,
                          [&] { return m_device->SetPixelShaderConstantF(start, data, count); });
}

Result CD3D9Device::SetPixelShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count)
{
    return StoreConstants(m_psInt, D3D9::kIntRegisters, 4, start, data, count,
                          [&] { return m_device->SetPixelShaderConstantI(start, data, count); });
}

Result CD3D9Device::SetPixelShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count)
{
    return StoreConstants(m_psBool, D3D9::kBoolRegisters, 1, start, data, count,
                          [&] { return m_device->SetPixelShaderConstantB(start, data, count); });
}

} // namespace Tess
