#pragma once
// IEffectStateManager: the receiver of every device state an effect pass sets. An effect with
// a state manager attached sends its states here instead of to the device, in this order of
// operations. Reference counted: the last Release destroys the object.

#include "Engine/Platform/GraphicsTypes.h"

namespace Tess
{

class IEffectStateManager
{
public:
    virtual Result QueryInterface(const Guid& iid, void** out) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;
    virtual Result SetTransform(ETransform which, const Matrix4& matrix) = 0;
    virtual Result SetMaterial(const Material& material) = 0;
    virtual Result SetLight(std::uint32_t index, const Light& light) = 0;
    virtual Result LightEnable(std::uint32_t index, bool enable) = 0;
    virtual Result SetRenderState(std::uint32_t state, std::uint32_t value) = 0;
    virtual Result SetTexture(std::uint32_t stage, TextureId texture) = 0;
    virtual Result SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) = 0;
    virtual Result SetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value) = 0;
    virtual Result SetNPatchMode(float segments) = 0;
    virtual Result SetFVF(std::uint32_t fvf) = 0;
    virtual Result SetVertexShader(VertexShaderId shader) = 0;
    virtual Result SetVertexShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count) = 0;
    virtual Result SetVertexShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count) = 0;
    virtual Result SetVertexShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count) = 0;
    virtual Result SetPixelShader(PixelShaderId shader) = 0;
    virtual Result SetPixelShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count) = 0;
    virtual Result SetPixelShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count) = 0;
    virtual Result SetPixelShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count) = 0;

protected:
    // Destroyed only through Release.
    virtual ~IEffectStateManager() = default;
};

} // namespace Tess
