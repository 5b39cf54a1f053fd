#include "Support/RecordingLog.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

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
    "ResizeBackBuffer",
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

} // namespace Tess
