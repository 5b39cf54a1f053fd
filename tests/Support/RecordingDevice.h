#pragma once
// CRecordingDevice (made by CRecordingSystem): a complete graphics backend that draws nothing and
// records every call, so tests can check which device calls the engine makes, in which order and
// with which arguments. Objects hold real memory (locked buffers and textures read back what was
// written) and the device keeps its state, so Get operations answer what was set. Misuse that a
// real device would reject (drawing without a declaration, locking an unknown buffer, releasing
// an object twice) is recorded in Errors(); tests expect it to stay empty.

#include "Support/RecordingSystem.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Tess
{

class CRecordingDevice : public IGraphicsDevice
{
public:
    CRecordingDevice(RecordingConfig config, std::shared_ptr<CRecordingLog> log,
                     std::uint32_t backBufferWidth, std::uint32_t backBufferHeight);
    ~CRecordingDevice() override;

    // ---- Inspection for tests ----------------------------------------------------------------
    CRecordingLog& Log() { return *m_log; }
    const std::vector<DeviceCall>& Calls() const { return m_log->Calls(); }
    const std::vector<std::string>& Errors() const { return m_log->Errors(); }
    RecordingConfig& Config() { return m_config; }
    SurfaceId BackBuffer() const { return m_backBuffer; }
    SurfaceId CurrentRenderTarget() const { return m_renderTargets[0]; }
    // Counted references handed out by GetRenderTarget, GetDepthStencilSurface and
    // GetSurfaceLevel and not yet given back.
    int OutstandingSurfaceReferences() const;
    // Objects created and not released (textures, buffers, declarations, shaders, fonts).
    int LiveObjectCount() const;
    // The CPU copy of a buffer or of one level of a texture.
    const std::vector<std::uint8_t>* VertexBufferData(VertexBufferId id) const;
    const std::vector<std::uint8_t>* IndexBufferData(IndexBufferId id) const;
    const std::vector<std::uint32_t>* TexelData(TextureId id, ECubeFace face, std::uint32_t level) const;
    // The elements a declaration was created with (end marker included).
    const std::vector<VertexElement>* DeclarationElements(DeclarationId id) const;
    const std::string* ShaderSource(VertexShaderId id) const;
    const std::string* ShaderSource(PixelShaderId id) const;
    const float* VertexConstants() const { return m_vertexConstants; }
    const float* PixelConstants() const { return m_pixelConstants; }

    // ---- IGraphicsDevice ---------------------------------------------------------------------
    Result SetRenderState(std::uint32_t state, std::uint32_t value) override;
    std::uint32_t GetRenderState(std::uint32_t state) const override;
    Result SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) override;
    std::uint32_t GetTextureStageState(std::uint32_t stage, std::uint32_t type) const override;
    Result SetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value) override;
    std::uint32_t GetSamplerState(std::uint32_t sampler, std::uint32_t type) const override;
    Result SetTexture(std::uint32_t stage, TextureId texture) override;
    TextureId GetTexture(std::uint32_t stage) const override;
    Result SetTransform(ETransform which, const Matrix4& matrix) override;
    Matrix4 GetTransform(ETransform which) const override;
    Result SetMaterial(const Material& material) override;
    Result SetLight(std::uint32_t index, const Light& light) override;
    Result LightEnable(std::uint32_t index, bool enable) override;
    Result SetNPatchMode(float segments) override;
    Result SetFVF(std::uint32_t fvf) override;

    EShaderLanguage GetShaderLanguage() const override { return m_config.shaderLanguage; }
    VertexShaderId CreateVertexShader(const std::string& source, std::string& errors) override;
    PixelShaderId CreatePixelShader(const std::string& source, std::string& errors) override;
    bool ValidateShaders(VertexShaderId vs, PixelShaderId ps, std::string& errors) override;
    void ReleaseVertexShader(VertexShaderId vs) override;
    void ReleasePixelShader(PixelShaderId ps) override;
    Result SetVertexShader(VertexShaderId vs) override;
    VertexShaderId GetVertexShader() const override { return m_vertexShader; }
    Result SetPixelShader(PixelShaderId ps) override;
    PixelShaderId GetPixelShader() const override { return m_pixelShader; }
    Result SetVertexShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count) override;
    Result SetVertexShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count) override;
    Result SetVertexShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count) override;
    Result SetPixelShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count) override;
    Result SetPixelShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count) override;
    Result SetPixelShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count) override;

    Result SetViewport(const Viewport& viewport) override;
    Result GetViewport(Viewport& out) const override;
    SurfaceId GetRenderTarget(std::uint32_t index) override;
    Result SetRenderTarget(std::uint32_t index, SurfaceId surface) override;
    SurfaceId GetDepthStencilSurface() override;
    bool GetSurfaceDesc(SurfaceId surface, SurfaceDesc& out) const override;
    void ReleaseSurface(SurfaceId surface) override;
    // Records {width, height}; refused (and an error) inside a scene or with a zero size.
    Result ResizeBackBuffer(std::uint32_t width, std::uint32_t height) override;

    Result Clear(std::uint32_t flags, Color color, float z, std::uint32_t stencil) override;
    Result BeginScene() override;
    Result EndScene() override;
    Result Present() override;

    DeclarationId CreateVertexDeclaration(const VertexElement* elements) override;
    Result SetVertexDeclaration(DeclarationId declaration) override;
    void ReleaseVertexDeclaration(DeclarationId declaration) override;
    VertexBufferId CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf, EPool pool) override;
    void* LockVertexBuffer(VertexBufferId buffer, std::uint32_t offset, std::uint32_t size) override;
    Result UnlockVertexBuffer(VertexBufferId buffer) override;
    void ReleaseVertexBuffer(VertexBufferId buffer) override;
    IndexBufferId CreateIndexBuffer(std::uint32_t length, std::uint32_t usage, EFormat format, EPool pool) override;
    void* LockIndexBuffer(IndexBufferId buffer, std::uint32_t offset, std::uint32_t size) override;
    Result UnlockIndexBuffer(IndexBufferId buffer) override;
    void ReleaseIndexBuffer(IndexBufferId buffer) override;
    Result SetStreamSource(std::uint32_t stream, VertexBufferId buffer, std::uint32_t offset, std::uint32_t stride) override;
    Result SetIndices(IndexBufferId buffer) override;

    Result DrawPrimitive(EPrimitiveType type, std::uint32_t startVertex, std::uint32_t primitiveCount) override;
    Result DrawIndexedPrimitive(EPrimitiveType type, std::int32_t baseVertex, std::uint32_t minIndex,
                                std::uint32_t vertexCount, std::uint32_t startIndex,
                                std::uint32_t primitiveCount) override;
    Result DrawPrimitiveUP(EPrimitiveType type, std::uint32_t primitiveCount, const void* data,
                           std::uint32_t stride) override;

    TextureId CreateTextureFromFile(const std::string& path) override;
    TextureId CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                            std::uint32_t usage, EFormat format, EPool pool) override;
    TextureId CreateCubeTexture(std::uint32_t edge, std::uint32_t levels, std::uint32_t usage,
                                EFormat format, EPool pool) override;
    bool GetLevelDesc(TextureId texture, std::uint32_t level, SurfaceDesc& out) const override;
    LockedRect LockRect(TextureId texture, ECubeFace face, std::uint32_t level) override;
    Result UnlockRect(TextureId texture, ECubeFace face, std::uint32_t level) override;
    SurfaceId GetSurfaceLevel(TextureId texture, std::uint32_t level) override;
    void ReleaseTexture(TextureId texture) override;
    Result SaveSurfaceToFile(const std::string& path, EImageFileFormat format, SurfaceId surface) override;

    FontId CreateFont(std::int32_t height, std::uint32_t width, std::uint32_t weight,
                      std::uint32_t mipLevels, bool italic, std::uint32_t charSet,
                      std::uint32_t outputPrecision, std::uint32_t quality,
                      std::uint32_t pitchAndFamily, const std::string& faceName) override;
    std::int32_t DrawText(FontId font, const char* text, std::int32_t count, const Rect& rect,
                          std::uint32_t format, Color color) override;
    void ReleaseFont(FontId font) override;

private:
    struct Texture
    {
        bool cube = false;
        std::uint32_t width = 0, height = 0, levels = 1, usage = 0;
        EFormat format = D3DFMT_UNKNOWN;
        EPool pool = D3DPOOL_DEFAULT;
        std::string path;
        // [face][level] texels, 32 bits each, rows top first.
        std::vector<std::vector<std::vector<std::uint32_t>>> texels;
        std::set<std::pair<std::uint32_t, std::uint32_t>> locked; // (face, level)
    };
    struct Surface
    {
        enum class Kind { BackBuffer, DepthStencil, TextureLevel } kind = Kind::BackBuffer;
        TextureId texture;
        std::uint32_t level = 0;
        int references = 0;
    };
    struct Buffer
    {
        std::vector<std::uint8_t> data;
        std::uint32_t usage = 0;
        EFormat format = D3DFMT_UNKNOWN;
        bool locked = false;
    };
    struct Font
    {
        std::int32_t height = 0;
        std::string face;
    };

    void Record(DeviceCall call) { m_log->Add(std::move(call)); }
    void Error(const std::string& message) { m_log->AddError(message); }
    std::uint32_t NextId() { return ++m_lastId; }
    SurfaceId AddSurface(Surface surface);
    bool SurfaceSize(SurfaceId id, std::uint32_t& width, std::uint32_t& height) const;
    std::uint32_t CheckShader(const std::string& source, bool vertex, std::string& errors);
    // Direct3D 9 assembly (RecordingDevice_Assembly.cpp): stages are assembled, and a pair links
    // when every input the pixel stage declares is an output the vertex stage declares.
    bool CheckAssembly(const std::string& source, bool vertex, std::string& errors) const;
    bool LinkAssembly(const std::string* vertex, const std::string* pixel, std::string& errors) const;
    void CheckDrawState(const char* what, bool needsStream, bool needsIndices);
    TextureId AddTexture(Texture texture);

    RecordingConfig m_config;
    std::shared_ptr<CRecordingLog> m_log;
    std::uint32_t m_lastId = 0;

    std::map<std::uint32_t, std::uint32_t> m_renderStates;
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> m_stageStates;
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> m_samplerStates;
    TextureId m_textures[kMaxTextureStages]{};
    Matrix4 m_world, m_view, m_projection;
    std::uint32_t m_fvf = 0;
    VertexShaderId m_vertexShader;
    PixelShaderId m_pixelShader;
    float m_vertexConstants[256 * 4] = {};
    float m_pixelConstants[256 * 4] = {};
    Viewport m_viewport;
    SurfaceId m_renderTargets[4]{};
    SurfaceId m_backBuffer;
    std::uint32_t m_backBufferWidth = 0;
    std::uint32_t m_backBufferHeight = 0;
    SurfaceId m_depthStencil;
    DeclarationId m_declaration;
    VertexBufferId m_stream;
    std::uint32_t m_streamStride = 0;
    IndexBufferId m_indices;
    bool m_inScene = false;

    std::map<std::uint32_t, Texture> m_textureObjects;
    std::map<std::uint32_t, Surface> m_surfaces;
    std::map<std::uint32_t, Buffer> m_vertexBuffers;
    std::map<std::uint32_t, Buffer> m_indexBuffers;
    std::map<std::uint32_t, std::vector<VertexElement>> m_declarations;
    std::map<std::uint32_t, std::string> m_vertexShaders;
    std::map<std::uint32_t, std::string> m_pixelShaders;
    std::map<std::uint32_t, Font> m_fonts;
};

} // namespace Tess
