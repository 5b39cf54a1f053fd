#pragma once
// CGLDevice: IGraphicsDevice on OpenGL 3.3 core through an SDL2 context. The back buffer is the
// window's own framebuffer while the window is as large as it, and otherwise an off-screen one
// that Present scales to the window, so the window's size never changes what is drawn; texture
// targets keep row 0 at the top. Direct3D conventions (depth 0..1, clockwise front faces,
// pre-transformed pixels) are kept by the stage prologue/epilogue and the state mapping. Split by
// topic over GLDevice*.cpp.

#include "Engine/Platform/OpenGL/GLObjects.h"
#include "Engine/Platform/Fonts/TextLayout.h"
#include "Engine/Platform/GraphicsDevice.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <tuple>
#include <utility>

namespace Tess
{

class CGLDevice final : public IGraphicsDevice
{
public:
    // Takes ownership of a context on `window`, also when it fails: the context is deleted then
    // and the caller must not delete it again. Null when the device cannot be set up.
    static std::unique_ptr<CGLDevice> Create(SDL_Window* window, SDL_GLContext context,
                                             const PresentParameters& parameters);
    ~CGLDevice() override;

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
    EShaderLanguage GetShaderLanguage() const override { return EShaderLanguage::Glsl330; }
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

    // ---- Backend extras (tests, screenshots, debugging) ---------------------------------------
    // Reads a colour surface back as ARGB texels, top row first. False for depth surfaces.
    bool ReadSurface(SurfaceId surface, std::uint32_t& width, std::uint32_t& height,
                     std::vector<std::uint32_t>& texels);
    // Debug switch: push every state to OpenGL on every draw instead of only the changes. A
    // build with TESS_GL_NO_STATE_CACHE starts every device with it on.
    void SetStateCacheBypass(bool bypass) { m_bypassStateCache = bypass; }
    // OpenGL state changes made since creation (how much the state cache spares).
    std::uint64_t GetStateChangeCount() const { return m_stateChanges; }
    const std::string& GetRendererName() const { return m_rendererName; }
    // Whether the back buffer is the window's own framebuffer (Present copies nothing) rather
    // than an off-screen one scaled to the window.
    bool DrawsToWindow() const;

private:
    CGLDevice(SDL_Window* window, SDL_GLContext context);
    bool Initialise(const PresentParameters& parameters);
    void InitialiseDefaultStates();
    bool CreateBackBuffer(std::uint32_t width, std::uint32_t height);
    // Whether the window's own framebuffer can serve as the back buffer: the window is as large
    // (and so is that framebuffer, as far as known), and its depth and stencil are as deep as the
    // off-screen back buffer's.
    bool WindowFitsBackBuffer(std::uint32_t width, std::uint32_t height) const;
    // An off-screen back buffer: a framebuffer with colour and depth-stencil renderbuffers.
    struct OffscreenBuffers
    {
        GLuint framebuffer = 0, color = 0, depth = 0;
    };
    // All zero when the driver refuses them (nothing is left behind then).
    OffscreenBuffers CreateOffscreenBackBuffer(std::uint32_t width, std::uint32_t height);
    static void DeleteOffscreenBuffers(const OffscreenBuffers& buffers);
    // Where the back buffer of this size goes: the window (framebuffer 0), or new off-screen
    // buffers. False when off-screen buffers are needed and cannot be made.
    bool PlaceBackBuffer(std::uint32_t width, std::uint32_t height, OffscreenBuffers& place);
    // Puts the back buffer on other storage (framebuffer 0: the window's), cleared, and deletes
    // the off-screen buffers it had.
    void MoveBackBuffer(GL::Surface& back, const OffscreenBuffers& place);
    // The window has left the back buffer's size, or is gone: frames go off-screen (and are
    // scaled to the window at presentation, while there is one).
    void MoveBackBufferOffscreen(GL::Surface& back);
    // True once the window is gone, when the back buffer has been moved off-screen for good.
    bool LeaveLostWindow();
    // New storage holds whatever the driver's memory held: a depth of 0 there would reject every
    // draw until the engine's first clear. These buffers of the bound framebuffer start black, at
    // the far plane and with stencil 0, whatever scissor and write masks the engine set.
    void ClearNewStorage(GLbitfield buffers);
    bool CreateBuiltInPrograms();

    std::uint32_t NextId() { return ++m_lastId; }
    // Every operation that reaches OpenGL starts here: another device, or the graphics system's
    // probe, may have made a different context current since this device's last call, or none.
    void MakeContextCurrent();
    void DeleteObjects();

    // States (GLDevice_States.cpp).
    void ApplyDrawState();
    void ApplyRasterState();
    void ApplyBlendState();
    void ApplyDepthState();
    void ApplySamplers();
    void BindTextures();
    void SetCullFace(bool enabled, GLenum face);
    void SetPolygonMode(GLenum mode);
    void SetDepth(bool test, bool write, GLenum func);
    void SetBlend(bool enabled, GLenum src, GLenum dst, GLenum alphaSrc, GLenum alphaDst, GLenum op);
    void SetColorMask(std::uint32_t mask);
    void SetScissor(bool enabled, const std::array<GLint, 4>& box);
    void SetGLViewport(const std::array<GLint, 4>& box, float minZ, float maxZ);
    // Also sets the winding of front faces, which the y flip of texture targets mirrors.
    void BindFramebuffer(GLuint framebuffer);
    void UseProgram(GLuint program);
    void CountStateChange() { ++m_stateChanges; }
    bool ShouldApply(bool differs) const { return differs || m_bypassStateCache; }

    // Shaders (GLDevice_Shaders.cpp).
    GLuint CompileStage(GLenum type, const std::string& wrapped, std::string& errors);
    // The linked program of two stages (0: the built-in one), with or without the alpha test.
    GL::Program* GetProgram(std::uint32_t vs, std::uint32_t ps, std::string* errors, bool alphaTested = false);
    GLuint AlphaTestedPixelStage(std::uint32_t ps);
    void ForgetPrograms(std::uint32_t vs, std::uint32_t ps);
    void UploadConstants(GL::Program& program);
    void UploadBuiltInUniforms(GL::Program& program);
    Result SetConstants(GL::EConstantFile file, std::uint32_t start, const void* data, std::uint32_t count);

    // Drawing (GLDevice_Draw.cpp).
    bool PrepareDraw();
    // The smallest and largest of `count` indices from `startIndex`, remembered per buffer.
    static std::pair<std::uint32_t, std::uint32_t> IndexRangeOf(GL::Buffer& buffer, std::uint32_t startIndex,
                                                                std::uint32_t count);
    bool StreamsCover(std::uint64_t first, std::uint64_t count, bool skipStreamZero = false) const;
    bool StreamZeroFitsStride(std::uint32_t stride) const;
    void SetupAttributes(GLuint streamZeroOverride, std::uint32_t strideOverride);
    void EnableAttributes(std::uint32_t enabled);
    static void WriteDefaultAttribute(GLuint location);
    void MarkAttributesDirty() { m_attributesDirty = true; }

    // Surfaces and textures (GLDevice_Textures.cpp).
    GL::Surface* FindSurface(SurfaceId surface);
    const GL::Surface* FindSurface(SurfaceId surface) const;
    GL::Texture* FindTexture(std::uint32_t texture);
    bool EnsureFramebuffer(GL::Surface& surface);
    void DestroySurface(std::uint32_t id);
    void DestroyTextureIfUnused(std::uint32_t id);
    TextureId CreateTextureObject(bool cube, std::uint32_t width, std::uint32_t height,
                                  std::uint32_t levels, std::uint32_t usage, EFormat format, EPool pool);
    GLuint CurrentFramebuffer() const;
    std::array<GLint, 4> CurrentTargetBox() const;
    // The window's framebuffer keeps its bottom row first; texture targets their top row.
    bool TargetIsBottomUp() const { return CurrentFramebuffer() == 0; }
    // A box in the engine's rows (top first) as OpenGL addresses it in the current target.
    std::array<GLint, 4> ToGLRows(const std::array<GLint, 4>& box) const;

    SDL_Window* m_window = nullptr;
    SDL_GLContext m_context = nullptr;
    std::string m_rendererName;
    std::uint32_t m_lastId = 0;

    // Objects behind the ids.
    std::unordered_map<std::uint32_t, GL::Texture> m_textures;
    std::unordered_map<std::uint32_t, GL::Surface> m_surfaces;
    std::unordered_map<std::uint32_t, GL::Buffer> m_buffers;
    std::unordered_map<std::uint32_t, GL::Declaration> m_declarations;
    std::unordered_map<std::uint32_t, GL::Shader> m_shaders;
    std::map<std::tuple<std::uint32_t, std::uint32_t, bool>, GL::Program> m_programs;
    std::unordered_map<std::uint32_t, std::unique_ptr<GL::Font>> m_fonts;

    // The back buffer and its depth buffer.
    std::uint32_t m_backBufferSurface = 0;
    std::uint32_t m_depthSurface = 0;
    GLuint m_backColor = 0, m_backDepth = 0;
    // The size the driver gave the window's framebuffer, while known. Mesa's software driver sizes
    // it anew only at its first use after a swap: until a swap, a window that has changed size is
    // still drawn at the old one.
    std::optional<std::array<int, 2>> m_windowFramebufferSize;
    std::uint32_t m_currentTarget = 0;

    // Direct3D-side state, as the engine set it.
    std::array<std::uint32_t, 256> m_renderStates{};
    std::array<std::array<std::uint32_t, 8>, kMaxTextureStages> m_stageStates{};
    std::array<std::array<std::uint32_t, 8>, kMaxTextureStages> m_samplerStates{};
    std::array<std::uint32_t, kMaxTextureStages> m_stageTextures{};
    std::uint32_t m_samplersDirty = 0xFFFF;  // one bit per stage
    std::uint32_t m_texturesDirty = 0xFFFF;
    Matrix4 m_world, m_view, m_projection;
    Material m_material;
    float m_nPatchSegments = 0.0f;
    std::uint32_t m_fvf = 0;
    Viewport m_viewport;
    std::uint32_t m_vertexShader = 0, m_pixelShader = 0;
    std::uint32_t m_declaration = 0;
    struct StreamBinding { std::uint32_t buffer = 0, offset = 0, stride = 0; };
    std::array<StreamBinding, GL::kMaxStreams> m_streams{};
    std::uint32_t m_indices = 0;
    bool m_inScene = false;

    // Register files and their change counters.
    std::vector<float> m_vsFloat, m_psFloat;
    std::vector<int> m_vsInt, m_psInt, m_vsBool, m_psBool;
    std::uint64_t m_constantVersions[GL::kConstantFileCount] = {1, 1, 1, 1, 1, 1};

    // OpenGL objects of our own.
    GLuint m_vertexArray = 0;
    GLuint m_streamBuffer = 0;
    std::array<GLuint, kMaxTextureStages> m_samplers{};
    GLuint m_whiteTexture2D = 0, m_whiteTextureCube = 0;
    GLuint m_builtInVertex = 0, m_builtInPixel = 0, m_builtInPixelAlphaTested = 0;
    GLuint m_textProgram = 0;
    GLint m_textTargetSize = -1, m_textAtlasSize = -1, m_textColor = -1, m_textAtlas = -1, m_textBottomUp = -1;
    GLuint m_textSampler = 0;
    // DrawText's layout and glyph quads, kept between calls so that their storage is reused.
    TextLayout m_textLayout;
    std::vector<float> m_textVertices;

    // What OpenGL has now, so that only changes reach it.
    GL::AppliedState m_applied;
    bool m_bypassStateCache = false;
    std::uint64_t m_stateChanges = 0;
    bool m_attributesDirty = true;
    std::uint32_t m_enabledAttributes = 0;
};

} // namespace Tess
