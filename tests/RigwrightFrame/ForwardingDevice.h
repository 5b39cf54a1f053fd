#pragma once
// A graphics device that forwards every call to another one and marks the time spent inside it,
// so that an allocation counter can leave out what the recording backend allocates to record the
// calls (its own bookkeeping, not the engine's).

#include "Engine/Platform/GraphicsDevice.h"

#include <memory>

namespace FrameTest
{

// True while a device call runs.
bool InsideDevice();

class CDeviceScope
{
public:
    CDeviceScope();
    ~CDeviceScope();
    CDeviceScope(const CDeviceScope&) = delete;
    CDeviceScope& operator=(const CDeviceScope&) = delete;
};

class CForwardingDevice final : public Tess::IGraphicsDevice
{
public:
    explicit CForwardingDevice(std::unique_ptr<Tess::IGraphicsDevice> inner)
        : m_owned(std::move(inner)), m_inner(*m_owned)
    {
    }
    ~CForwardingDevice() override
    {
        CDeviceScope scope;
        m_owned.reset();
    }
    Tess::IGraphicsDevice& Inner() { return m_inner; }

    Tess::Result SetRenderState(std::uint32_t state, std::uint32_t value) override
    {
        CDeviceScope scope;
        return m_inner.SetRenderState(state, value);
    }
    std::uint32_t GetRenderState(std::uint32_t state) const override
    {
        CDeviceScope scope;
        return m_inner.GetRenderState(state);
    }
    Tess::Result SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) override
    {
        CDeviceScope scope;
        return m_inner.SetTextureStageState(stage, type, value);
    }
    std::uint32_t GetTextureStageState(std::uint32_t stage, std::uint32_t type) const override
    {
        CDeviceScope scope;
        return m_inner.GetTextureStageState(stage, type);
    }
    Tess::Result SetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value) override
    {
        CDeviceScope scope;
        return m_inner.SetSamplerState(sampler, type, value);
    }
    std::uint32_t GetSamplerState(std::uint32_t sampler, std::uint32_t type) const override
    {
        CDeviceScope scope;
        return m_inner.GetSamplerState(sampler, type);
    }
    Tess::Result SetTexture(std::uint32_t stage, Tess::TextureId texture) override
    {
        CDeviceScope scope;
        return m_inner.SetTexture(stage, texture);
    }
    Tess::TextureId GetTexture(std::uint32_t stage) const override
    {
        CDeviceScope scope;
        return m_inner.GetTexture(stage);
    }
    Tess::Result SetTransform(Tess::ETransform which, const Tess::Matrix4& matrix) override
    {
        CDeviceScope scope;
        return m_inner.SetTransform(which, matrix);
    }
    Tess::Matrix4 GetTransform(Tess::ETransform which) const override
    {
        CDeviceScope scope;
        return m_inner.GetTransform(which);
    }
    Tess::Result SetMaterial(const Tess::Material& material) override
    {
        CDeviceScope scope;
        return m_inner.SetMaterial(material);
    }
    Tess::Result SetLight(std::uint32_t index, const Tess::Light& light) override
    {
        CDeviceScope scope;
        return m_inner.SetLight(index, light);
    }
    Tess::Result LightEnable(std::uint32_t index, bool enable) override
    {
        CDeviceScope scope;
        return m_inner.LightEnable(index, enable);
    }
    Tess::Result SetNPatchMode(float segments) override
    {
        CDeviceScope scope;
        return m_inner.SetNPatchMode(segments);
    }
    Tess::Result SetFVF(std::uint32_t fvf) override
    {
        CDeviceScope scope;
        return m_inner.SetFVF(fvf);
    }
    Tess::EShaderLanguage GetShaderLanguage() const override { return m_inner.GetShaderLanguage(); }
    Tess::VertexShaderId CreateVertexShader(const std::string& source, std::string& errors) override
    {
        CDeviceScope scope;
        return m_inner.CreateVertexShader(source, errors);
    }
    Tess::PixelShaderId CreatePixelShader(const std::string& source, std::string& errors) override
    {
        CDeviceScope scope;
        return m_inner.CreatePixelShader(source, errors);
    }
    bool ValidateShaders(Tess::VertexShaderId vs, Tess::PixelShaderId ps, std::string& errors) override
    {
        CDeviceScope scope;
        return m_inner.ValidateShaders(vs, ps, errors);
    }
    void ReleaseVertexShader(Tess::VertexShaderId vs) override
    {
        CDeviceScope scope;
        return m_inner.ReleaseVertexShader(vs);
    }
    void ReleasePixelShader(Tess::PixelShaderId ps) override
    {
        CDeviceScope scope;
        return m_inner.ReleasePixelShader(ps);
    }
    Tess::Result SetVertexShader(Tess::VertexShaderId vs) override
    {
        CDeviceScope scope;
        return m_inner.SetVertexShader(vs);
    }
    Tess::VertexShaderId GetVertexShader() const override
    {
        CDeviceScope scope;
        return m_inner.GetVertexShader();
    }
    Tess::Result SetPixelShader(Tess::PixelShaderId ps) override
    {
        CDeviceScope scope;
        return m_inner.SetPixelShader(ps);
    }
    Tess::PixelShaderId GetPixelShader() const override
    {
        CDeviceScope scope;
        return m_inner.GetPixelShader();
    }
    Tess::Result SetVertexShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count) override
    {
        CDeviceScope scope;
        return m_inner.SetVertexShaderConstantF(start, data, count);
    }
    Tess::Result SetVertexShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count) override
    {
        CDeviceScope scope;
        return m_inner.SetVertexShaderConstantI(start, data, count);
    }
    Tess::Result SetVertexShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count) override
    {
        CDeviceScope scope;
        return m_inner.SetVertexShaderConstantB(start, data, count);
    }
    Tess::Result SetPixelShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count) override
    {
        CDeviceScope scope;
        return m_inner.SetPixelShaderConstantF(start, data, count);
    }
    Tess::Result SetPixelShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count) override
    {
        CDeviceScope scope;
        return m_inner.SetPixelShaderConstantI(start, data, count);
    }
    Tess::Result SetPixelShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count) override
    {
        CDeviceScope scope;
        return m_inner.SetPixelShaderConstantB(start, data, count);
    }
    Tess::Result SetViewport(const Tess::Viewport& viewport) override
    {
        CDeviceScope scope;
        return m_inner.SetViewport(viewport);
    }
    Tess::Result GetViewport(Tess::Viewport& out) const override
    {
        CDeviceScope scope;
        return m_inner.GetViewport(out);
    }
    Tess::SurfaceId GetRenderTarget(std::uint32_t index) override
    {
        CDeviceScope scope;
        return m_inner.GetRenderTarget(index);
    }
    Tess::Result SetRenderTarget(std::uint32_t index, Tess::SurfaceId surface) override
    {
        CDeviceScope scope;
        return m_inner.SetRenderTarget(index, surface);
    }
    Tess::SurfaceId GetDepthStencilSurface() override
    {
        CDeviceScope scope;
        return m_inner.GetDepthStencilSurface();
    }
    bool GetSurfaceDesc(Tess::SurfaceId surface, Tess::SurfaceDesc& out) const override
    {
        CDeviceScope scope;
        return m_inner.GetSurfaceDesc(surface, out);
    }
    void ReleaseSurface(Tess::SurfaceId surface) override
    {
        CDeviceScope scope;
        return m_inner.ReleaseSurface(surface);
    }
    Tess::Result ResizeBackBuffer(std::uint32_t width, std::uint32_t height) override
    {
        CDeviceScope scope;
        return m_inner.ResizeBackBuffer(width, height);
    }
    Tess::Result Clear(std::uint32_t flags, Tess::Color color, float z, std::uint32_t stencil) override
    {
        CDeviceScope scope;
        return m_inner.Clear(flags, color, z, stencil);
    }
    Tess::Result BeginScene() override
    {
        CDeviceScope scope;
        return m_inner.BeginScene();
    }
    Tess::Result EndScene() override
    {
        CDeviceScope scope;
        return m_inner.EndScene();
    }
    Tess::Result Present() override
    {
        CDeviceScope scope;
        return m_inner.Present();
    }
    Tess::DeclarationId CreateVertexDeclaration(const Tess::VertexElement* elements) override
    {
        CDeviceScope scope;
        return m_inner.CreateVertexDeclaration(elements);
    }
    Tess::Result SetVertexDeclaration(Tess::DeclarationId declaration) override
    {
        CDeviceScope scope;
        return m_inner.SetVertexDeclaration(declaration);
    }
    void ReleaseVertexDeclaration(Tess::DeclarationId declaration) override
    {
        CDeviceScope scope;
        return m_inner.ReleaseVertexDeclaration(declaration);
    }
    Tess::VertexBufferId CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf, Tess::EPool pool) override
    {
        CDeviceScope scope;
        return m_inner.CreateVertexBuffer(length, usage, fvf, pool);
    }
    void* LockVertexBuffer(Tess::VertexBufferId buffer, std::uint32_t offset, std::uint32_t size) override
    {
        CDeviceScope scope;
        return m_inner.LockVertexBuffer(buffer, offset, size);
    }
    Tess::Result UnlockVertexBuffer(Tess::VertexBufferId buffer) override
    {
        CDeviceScope scope;
        return m_inner.UnlockVertexBuffer(buffer);
    }
    void ReleaseVertexBuffer(Tess::VertexBufferId buffer) override
    {
        CDeviceScope scope;
        return m_inner.ReleaseVertexBuffer(buffer);
    }
    Tess::IndexBufferId CreateIndexBuffer(std::uint32_t length, std::uint32_t usage, Tess::EFormat format, Tess::EPool pool) override
    {
        CDeviceScope scope;
        return m_inner.CreateIndexBuffer(length, usage, format, pool);
    }
    void* LockIndexBuffer(Tess::IndexBufferId buffer, std::uint32_t offset, std::uint32_t size) override
    {
        CDeviceScope scope;
        return m_inner.LockIndexBuffer(buffer, offset, size);
    }
    Tess::Result UnlockIndexBuffer(Tess::IndexBufferId buffer) override
    {
        CDeviceScope scope;
        return m_inner.UnlockIndexBuffer(buffer);
    }
    void ReleaseIndexBuffer(Tess::IndexBufferId buffer) override
    {
        CDeviceScope scope;
        return m_inner.ReleaseIndexBuffer(buffer);
    }
    Tess::Result SetStreamSource(std::uint32_t stream, Tess::VertexBufferId buffer, std::uint32_t offset, std::uint32_t stride) override
    {
        CDeviceScope scope;
        return m_inner.SetStreamSource(stream, buffer, offset, stride);
    }
    Tess::Result SetIndices(Tess::IndexBufferId buffer) override
    {
        CDeviceScope scope;
        return m_inner.SetIndices(buffer);
    }
    Tess::Result DrawPrimitive(Tess::EPrimitiveType type, std::uint32_t startVertex, std::uint32_t primitiveCount) override
    {
        CDeviceScope scope;
        return m_inner.DrawPrimitive(type, startVertex, primitiveCount);
    }
    Tess::Result DrawIndexedPrimitive(Tess::EPrimitiveType type, std::int32_t baseVertex, std::uint32_t minIndex, std::uint32_t vertexCount, std::uint32_t startIndex, std::uint32_t primitiveCount) override
    {
        CDeviceScope scope;
        return m_inner.DrawIndexedPrimitive(type, baseVertex, minIndex, vertexCount, startIndex, primitiveCount);
    }
    Tess::Result DrawPrimitiveUP(Tess::EPrimitiveType type, std::uint32_t primitiveCount, const void* data, std::uint32_t stride) override
    {
        CDeviceScope scope;
        return m_inner.DrawPrimitiveUP(type, primitiveCount, data, stride);
    }
    Tess::TextureId CreateTextureFromFile(const std::string& path) override
    {
        CDeviceScope scope;
        return m_inner.CreateTextureFromFile(path);
    }
    Tess::TextureId CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels, std::uint32_t usage, Tess::EFormat format, Tess::EPool pool) override
    {
        CDeviceScope scope;
        return m_inner.CreateTexture(width, height, levels, usage, format, pool);
    }
    Tess::TextureId CreateCubeTexture(std::uint32_t edge, std::uint32_t levels, std::uint32_t usage, Tess::EFormat format, Tess::EPool pool) override
    {
        CDeviceScope scope;
        return m_inner.CreateCubeTexture(edge, levels, usage, format, pool);
    }
    bool GetLevelDesc(Tess::TextureId texture, std::uint32_t level, Tess::SurfaceDesc& out) const override
    {
        CDeviceScope scope;
        return m_inner.GetLevelDesc(texture, level, out);
    }
    Tess::LockedRect LockRect(Tess::TextureId texture, Tess::ECubeFace face, std::uint32_t level) override
    {
        CDeviceScope scope;
        return m_inner.LockRect(texture, face, level);
    }
    Tess::Result UnlockRect(Tess::TextureId texture, Tess::ECubeFace face, std::uint32_t level) override
    {
        CDeviceScope scope;
        return m_inner.UnlockRect(texture, face, level);
    }
    Tess::SurfaceId GetSurfaceLevel(Tess::TextureId texture, std::uint32_t level) override
    {
        CDeviceScope scope;
        return m_inner.GetSurfaceLevel(texture, level);
    }
    void ReleaseTexture(Tess::TextureId texture) override
    {
        CDeviceScope scope;
        return m_inner.ReleaseTexture(texture);
    }
    Tess::Result SaveSurfaceToFile(const std::string& path, Tess::EImageFileFormat format, Tess::SurfaceId surface) override
    {
        CDeviceScope scope;
        return m_inner.SaveSurfaceToFile(path, format, surface);
    }
    Tess::FontId CreateFont(std::int32_t height, std::uint32_t width, std::uint32_t weight, std::uint32_t mipLevels, bool italic, std::uint32_t charSet, std::uint32_t outputPrecision, std::uint32_t quality, std::uint32_t pitchAndFamily, const std::string& faceName) override
    {
        CDeviceScope scope;
        return m_inner.CreateFont(height, width, weight, mipLevels, italic, charSet, outputPrecision, quality, pitchAndFamily, faceName);
    }
    std::int32_t DrawText(Tess::FontId font, const char* text, std::int32_t count, const Tess::Rect& rect, std::uint32_t format, Tess::Color color) override
    {
        CDeviceScope scope;
        return m_inner.DrawText(font, text, count, rect, format, color);
    }
    void ReleaseFont(Tess::FontId font) override
    {
        CDeviceScope scope;
        return m_inner.ReleaseFont(font);
    }

private:
    std::unique_ptr<Tess::IGraphicsDevice> m_owned;
    Tess::IGraphicsDevice& m_inner;
};

} // namespace FrameTest
