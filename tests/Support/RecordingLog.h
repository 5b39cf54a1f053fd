#pragma once
// The record a recording graphics system and its devices write: one DeviceCall per device call,
// and the misuse a real device would reject, as error lines.

#include "Engine/Platform/GraphicsTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Tess
{

enum class EDeviceOp
{
    // graphics system
    CheckDeviceType, GetDeviceCaps, GetAdapterDisplayMode, CreateDevice,
    // states
    SetRenderState, SetTextureStageState, SetSamplerState, SetTexture, SetTransform,
    SetMaterial, SetLight, LightEnable, SetNPatchMode, SetFVF,
    // shaders
    CreateVertexShader, CreatePixelShader, ValidateShaders, ReleaseVertexShader, ReleasePixelShader,
    SetVertexShader, SetPixelShader,
    SetVertexShaderConstantF, SetVertexShaderConstantI, SetVertexShaderConstantB,
    SetPixelShaderConstantF, SetPixelShaderConstantI, SetPixelShaderConstantB,
    // targets
    SetViewport, GetRenderTarget, SetRenderTarget, GetDepthStencilSurface, ReleaseSurface,
    ResizeBackBuffer,
    // frame
    Clear, BeginScene, EndScene, Present,
    // vertex data
    CreateVertexDeclaration, SetVertexDeclaration, ReleaseVertexDeclaration,
    CreateVertexBuffer, LockVertexBuffer, UnlockVertexBuffer, ReleaseVertexBuffer,
    CreateIndexBuffer, LockIndexBuffer, UnlockIndexBuffer, ReleaseIndexBuffer,
    SetStreamSource, SetIndices,
    // drawing
    DrawPrimitive, DrawIndexedPrimitive, DrawPrimitiveUP,
    // textures
    CreateTextureFromFile, CreateTexture, CreateCubeTexture, LockRect, UnlockRect,
    GetSurfaceLevel, ReleaseTexture, SaveSurfaceToFile,
    // fonts
    CreateFont, DrawText, ReleaseFont,
};

// Name of an operation ("DrawIndexedPrimitive"), for failure messages.
const char* ToString(EDeviceOp op);

// One recorded call. `args` holds the integer arguments in the order of the call's parameters
// (ids as their values, floats as their bits where noted); `text` the string argument (a path,
// a face name, the text drawn, shader source); `bytes` the memory a call read (user-pointer
// vertices, shader constants, vertex declarations); `matrix` a transform.
struct DeviceCall
{
    EDeviceOp op{};
    std::vector<std::uint32_t> args;
    std::string text;
    std::vector<std::uint8_t> bytes;
    Matrix4 matrix;
    Rect rect;

    std::uint32_t Arg(std::size_t i) const { return i < args.size() ? args[i] : 0xDEADBEEFu; }
    float FloatArg(std::size_t i) const;
    // The recorded bytes as floats (user-pointer vertices, float constants).
    std::vector<float> Floats() const;
};

// The shared record of a recording system and the devices it creates. Tests keep a reference
// to read it after the renderer has destroyed both.
class CRecordingLog
{
public:
    void Add(DeviceCall call) { m_calls.push_back(std::move(call)); }
    void AddError(std::string message) { m_errors.push_back(std::move(message)); }
    void Clear() { m_calls.clear(); }

    const std::vector<DeviceCall>& Calls() const { return m_calls; }
    const std::vector<std::string>& Errors() const { return m_errors; }
    // The recorded calls of one operation, in order.
    std::vector<DeviceCall> CallsOf(EDeviceOp op) const;
    std::size_t Count(EDeviceOp op) const;
    // The operations in the order they were called (for order checks).
    std::vector<EDeviceOp> Ops() const;
    // Index of the first call of `op` at or after `from`, or -1.
    int IndexOf(EDeviceOp op, std::size_t from = 0) const;

private:
    std::vector<DeviceCall> m_calls;
    std::vector<std::string> m_errors;
};

} // namespace Tess
