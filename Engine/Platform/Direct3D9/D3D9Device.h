#pragma once
// CD3D9Device: IGraphicsDevice on a Direct3D 9 device. The interface already has Direct3D 9's
// shape, so most calls go straight through; what the device adds is the ids, the counted surface
// references, a record of every state the engine set (Reset returns a device to its defaults, and
// ResizeBackBuffer promises the engine's states back), textures from the engine's own image
// decoders, screenshots through its own encoder, and text drawn from glyph atlases. Split by
// topic over D3D9Device*.cpp.

#include "Engine/Platform/Direct3D9/D3D9Objects.h"
#include "Engine/Platform/Fonts/TextLayout.h"
#include "Engine/Platform/GraphicsDevice.h"

#include <array>
#include <memory>
#include <unordered_map>

namespace Tess
{

class CD3D9Device final : public IGraphicsDevice
{
public:
    // Takes a reference on `device`. `parameters` are those the device was made with.
    static std::unique_ptr<CD3D9Device> Create(IDirect3DDevice9* device, const D3DPRESENT_PARAMETERS& parameters);
    ~CD3D9Device() override;

    // ---- States ---------------------------------------------------------------------------
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

    // ---- Shaders ----------------------------------------------------------------------------
    EShaderLanguage GetShaderLanguage() const override { return EShaderLanguage::D3D9Assembly; }
    VertexShaderId CreateVertexShader(const std::string& source, std::string& errors) override;
    PixelShaderId CreatePixelShader(const std::string& source, std::string& errors) override;
    bool ValidateShaders(VertexShaderId vs, PixelShaderId ps, std::string& errors) override;
    void ReleaseVertexShader(VertexShaderId vs) override;
    void ReleasePixelShader(PixelShaderId ps) override;
    Result SetVertexShader(VertexShaderId vs) override;
    VertexShaderId GetVertexShader() const override;
    Result SetPixelShader(PixelShaderId ps) override;
    PixelShaderId GetPixelShader() const override;
    Result SetVertexShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count) override;
    Result SetVertexShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count) override;
    Result SetVertexShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count) override;
    Result SetPixelShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count) override;
    Result SetPixelShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count) override;
    Result SetPixelShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count) override;

    // ---- Viewport and render targets --------------------------------------------------------
    Result SetViewport(const Viewport& viewport) override;
    Result GetViewport(Viewport& out) const override;
    SurfaceId GetRenderTarget(std::uint32_t index) override;
    Result SetRenderTarget(std::uint32_t index, SurfaceId surface) override;
    SurfaceId GetDepthStencilSurface() override;
    bool GetSurfaceDesc(SurfaceId surface, SurfaceDesc& out) const override;
    void ReleaseSurface(SurfaceId surface) override;

    // ---- Frame --------------------------------------------------------------------------------
    Result Clear(std::uint32_t flags, Color color, float z, std::uint32_t stencil) override;
    Result BeginScene() override;
    Result EndScene() override;
    Result Present() override;
    Result ResizeBackBuffer(std::uint32_t width, std::uint32_t height) override;

    // ---- Vertex and index data ------------------------------------------------------------
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

    // ---- Drawing ------------------------------------------------------------------------------
    Result DrawPrimitive(EPrimitiveType type, std::uint32_t startVertex, std::uint32_t primitiveCount) override;
    Result DrawIndexedPrimitive(EPrimitiveType type, std::int32_t baseVertex, std::uint32_t minIndex,
                                std::uint32_t vertexCount, std::uint32_t startIndex,
                                std::uint32_t primitiveCount) override;
    Result DrawPrimitiveUP(EPrimitiveType type, std::uint32_t primitiveCount, const void* data,
                           std::uint32_t stride) override;

    // ---- Textures -----------------------------------------------------------------------------
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

    // ---- Fonts ------------------------------------------------------------------------------
    FontId CreateFont(std::int32_t height, std::uint32_t width, std::uint32_t weight,
                      std::uint32_t mipLevels, bool italic, std::uint32_t charSet,
                      std::uint32_t outputPrecision, std::uint32_t quality,
                      std::uint32_t pitchAndFamily, const std::string& faceName) override;
    std::int32_t DrawText(FontId font, const char* text, std::int32_t count, const Rect& rect,
                          std::uint32_t format, Color color) override;
    void ReleaseFont(FontId font) override;

    // ---- Backend extras (tests, screenshots) --------------------------------------------------
    // Reads a colour surface back as ARGB texels, top row first. False for depth surfaces.
    bool ReadSurface(SurfaceId surface, std::uint32_t& width, std::uint32_t& height,
                     std::vector<std::uint32_t>& texels);
    // The device's Reset count, so tests can tell a lost device was brought back.
    std::uint32_t GetResetCount() const { return m_resets; }

private:
    CD3D9Device(IDirect3DDevice9* device, const D3DPRESENT_PARAMETERS& parameters);
    bool Initialise();
    void ApplyDefaultStates();
    std::uint32_t NextId() { return ++m_lastId; }
    void ReleaseAll();

    // Back buffer and Reset (D3D9Device_Reset.cpp).
    // Points the back buffer's and depth buffer's surfaces at the device's present ones.
    bool FetchBackBuffer();
    // Releases every default-pool object (and every reference on the device's own surfaces),
    // as a Reset demands.
    void ReleaseDefaultPool();
    // Makes the default-pool objects again behind their ids.
    bool RestoreDefaultPool();
    // Sets every state the engine set again, after a Reset returned them to their defaults.
    void ReapplyStates();
    // Resets with the present parameters; on failure tries the previous ones.
    Result ResetDevice(const D3DPRESENT_PARAMETERS& parameters);
    // A lost device that can be reset again is reset. False while it stays lost.
    bool RecoverLostDevice();

    // Shader stages from assembled token streams; 0 when the device refuses them.
    VertexShaderId CreateVertexShaderFromTokens(const std::vector<std::uint32_t>& tokens);
    PixelShaderId CreatePixelShaderFromTokens(const std::vector<std::uint32_t>& tokens);

    // Textures and surfaces (D3D9Device_Textures.cpp).
    D3D9::Texture* FindTexture(std::uint32_t texture);
    D3D9::Surface* FindSurface(SurfaceId surface);
    const D3D9::Surface* FindSurface(SurfaceId surface) const;
    IDirect3DBaseTexture9* MakeTextureObject(const D3D9::Texture& texture);
    IDirect3DSurface9* LevelSurface(const D3D9::Texture& texture, ECubeFace face, std::uint32_t level);
    TextureId CreateTextureObject(bool cube, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                  std::uint32_t usage, EFormat format, EPool pool);
    bool EnsureDepthBuffer(D3D9::Surface& surface);
    void DestroySurface(std::uint32_t id);
    void DestroyTextureIfUnused(std::uint32_t id);
    bool ReadRenderTarget(IDirect3DSurface9* surface, std::uint32_t width, std::uint32_t height,
                          std::vector<std::uint32_t>& texels);

    // Drawing (D3D9Device_Draw.cpp).
    bool StreamsCover(std::uint64_t first, std::uint64_t count) const;

    IDirect3DDevice9* m_device = nullptr;
    D3DPRESENT_PARAMETERS m_parameters{};
    std::uint32_t m_lastId = 0;
    std::uint32_t m_resets = 0;
    bool m_inScene = false;

    std::unordered_map<std::uint32_t, D3D9::Texture> m_textures;
    std::unordered_map<std::uint32_t, D3D9::Surface> m_surfaces;
    std::unordered_map<std::uint32_t, D3D9::Buffer> m_buffers;
    std::unordered_map<std::uint32_t, D3D9::Declaration> m_declarations;
    std::unordered_map<std::uint32_t, IDirect3DVertexShader9*> m_vertexShaders;
    std::unordered_map<std::uint32_t, IDirect3DPixelShader9*> m_pixelShaders;
    std::unordered_map<std::uint32_t, std::unique_ptr<D3D9::Font>> m_fonts;

    std::uint32_t m_backBufferSurface = 0;
    std::uint32_t m_depthSurface = 0;
    std::uint32_t m_currentTarget = 0;

    // Every state as the engine set it (Reset forgets them; the Get calls answer from here).
    std::array<std::uint32_t, D3D9::kRenderStates> m_renderStates{};
    std::array<bool, D3D9::kRenderStates> m_renderStateSet{};
    std::array<std::array<std::uint32_t, D3D9::kStageStates>, kMaxTextureStages> m_stageStates{};
    std::array<std::array<std::uint32_t, D3D9::kSamplerStates>, kMaxTextureStages> m_samplerStates{};
    std::array<std::uint32_t, kMaxTextureStages> m_stageTextures{};
    Matrix4 m_world, m_view, m_projection;
    Material m_material;
    bool m_materialSet = false;
    std::array<Light, D3D9::kMaxLights> m_lights{};
    std::array<bool, D3D9::kMaxLights> m_lightSet{};
    std::array<bool, D3D9::kMaxLights> m_lightEnabled{};
    float m_nPatchSegments = 0.0f;
    std::uint32_t m_fvf = 0;
    Viewport m_viewport;
    std::uint32_t m_vertexShader = 0, m_pixelShader = 0;
    std::uint32_t m_declaration = 0;
    struct StreamBinding { std::uint32_t buffer = 0, offset = 0, stride = 0; };
    std::array<StreamBinding, D3D9::kMaxStreams> m_streams{};
    std::uint32_t m_indices = 0;
    std::vector<float> m_vsFloat, m_psFloat;
    std::vector<int> m_vsInt, m_psInt, m_vsBool, m_psBool;

    // DrawText's layout and glyph quads, kept between calls so that their storage is reused.
    TextLayout m_textLayout;
    std::vector<float> m_textVertices;
};

} // namespace Tess
