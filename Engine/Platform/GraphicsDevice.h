#pragma once
// IGraphicsDevice: the one graphics device the renderer draws through. It keeps the shape of a
// Direct3D 9 device plus the few D3DX helpers the engine used (textures from files, fonts,
// surface saving), with small typed ids instead of interface pointers. Backends:
// CGLDevice (OpenGL 3.3 core, the real one) and CRecordingDevice (records calls for tests).
//
// Conventions every backend honours: row-vector matrices, depth range 0..1, clockwise front
// faces (D3DCULL_CCW culls counter-clockwise ones), texel and render-target rows top-down,
// pre-transformed (POSITIONT) vertices in pixels whose -0.5 shift lands texels on pixels.

#include "Engine/Platform/GraphicsTypes.h"

#include <string>

namespace Tess
{

class IGraphicsDevice
{
public:
    virtual ~IGraphicsDevice() = default;

    // ---- States ---------------------------------------------------------------------------
    virtual Result SetRenderState(std::uint32_t state, std::uint32_t value) = 0;
    virtual std::uint32_t GetRenderState(std::uint32_t state) const = 0;
    virtual Result SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) = 0;
    virtual std::uint32_t GetTextureStageState(std::uint32_t stage, std::uint32_t type) const = 0;
    virtual Result SetSamplerState(std::uint32_t sampler, std::uint32_t type, std::uint32_t value) = 0;
    virtual std::uint32_t GetSamplerState(std::uint32_t sampler, std::uint32_t type) const = 0;
    virtual Result SetTexture(std::uint32_t stage, TextureId texture) = 0;
    virtual TextureId GetTexture(std::uint32_t stage) const = 0;
    virtual Result SetTransform(ETransform which, const Matrix4& matrix) = 0;
    virtual Matrix4 GetTransform(ETransform which) const = 0;
    // Fixed-function lighting and patch states are stored and otherwise ignored.
    virtual Result SetMaterial(const Material& material) = 0;
    virtual Result SetLight(std::uint32_t index, const Light& light) = 0;
    virtual Result LightEnable(std::uint32_t index, bool enable) = 0;
    virtual Result SetNPatchMode(float segments) = 0;
    virtual Result SetFVF(std::uint32_t fvf) = 0;

    // ---- Shaders ----------------------------------------------------------------------------
    // The language CreateVertexShader and CreatePixelShader read.
    virtual EShaderLanguage GetShaderLanguage() const = 0;
    // Compile one stage in the device's shader language; on failure return 0 and the compiler's text.
    virtual VertexShaderId CreateVertexShader(const std::string& source, std::string& errors) = 0;
    virtual PixelShaderId CreatePixelShader(const std::string& source, std::string& errors) = 0;
    // Link check of a stage pair (either may be 0: the device's own stage stands in).
    virtual bool ValidateShaders(VertexShaderId vs, PixelShaderId ps, std::string& errors) = 0;
    virtual void ReleaseVertexShader(VertexShaderId vs) = 0;
    virtual void ReleasePixelShader(PixelShaderId ps) = 0;
    virtual Result SetVertexShader(VertexShaderId vs) = 0;
    virtual VertexShaderId GetVertexShader() const = 0;
    virtual Result SetPixelShader(PixelShaderId ps) = 0;
    virtual PixelShaderId GetPixelShader() const = 0;
    // Constant registers of four floats (or ints, or bools), as the effect code reads them.
    virtual Result SetVertexShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count) = 0;
    virtual Result SetVertexShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count) = 0;
    virtual Result SetVertexShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count) = 0;
    virtual Result SetPixelShaderConstantF(std::uint32_t start, const float* data, std::uint32_t count) = 0;
    virtual Result SetPixelShaderConstantI(std::uint32_t start, const int* data, std::uint32_t count) = 0;
    virtual Result SetPixelShaderConstantB(std::uint32_t start, const int* data, std::uint32_t count) = 0;

    // ---- Viewport and render targets --------------------------------------------------------
    virtual Result SetViewport(const Viewport& viewport) = 0;
    virtual Result GetViewport(Viewport& out) const = 0;
    // Returns a counted reference that the caller gives back with ReleaseSurface.
    virtual SurfaceId GetRenderTarget(std::uint32_t index) = 0;
    // Also sets the viewport to the whole new target, as the original device did.
    virtual Result SetRenderTarget(std::uint32_t index, SurfaceId surface) = 0;
    virtual SurfaceId GetDepthStencilSurface() = 0;
    virtual bool GetSurfaceDesc(SurfaceId surface, SurfaceDesc& out) const = 0;
    virtual void ReleaseSurface(SurfaceId surface) = 0;

    // ---- Frame --------------------------------------------------------------------------------
    virtual Result Clear(std::uint32_t flags, Color color, float z, std::uint32_t stencil) = 0;
    virtual Result BeginScene() = 0;
    virtual Result EndScene() = 0;
    virtual Result Present() = 0;

    // ---- Back buffer size -------------------------------------------------------------------
    // Gives the back buffer and its depth-stencil buffer a new size (a window whose client area
    // changed), as Direct3D 9's Reset with new presentation parameters does. Call it between
    // frames: inside BeginScene .. EndScene, or with a zero size, it fails with kInvalidCall; a
    // size the device cannot make fails with kFail and leaves everything as it was.
    // Every id stays valid, the back buffer's and depth buffer's own included (references held on
    // them now describe the new size), and every object stays usable: textures, render-target
    // textures, buffers, declarations, shaders and fonts. Afterwards render target 0 is the back
    // buffer (a texture level that was selected is given back as SetRenderTarget gives it back),
    // the viewport covers the whole new back buffer with depth 0..1, and every other state
    // (render, stage and sampler states, textures, transforms, shaders and their constants, the
    // declaration, streams and indices) is as it was. The back buffer and depth buffer hold
    // nothing defined until the next Clear; the contents of render-target textures may be lost.
    // (A Direct3D 9 device releases its default-pool objects for the Reset and makes them again
    // behind the same ids, then sets its states again, which the Reset returned to defaults.)
    virtual Result ResizeBackBuffer(std::uint32_t width, std::uint32_t height) = 0;

    // ---- Vertex and index data ------------------------------------------------------------
    // `elements` ends with kDeclarationEnd.
    virtual DeclarationId CreateVertexDeclaration(const VertexElement* elements) = 0;
    virtual Result SetVertexDeclaration(DeclarationId declaration) = 0;
    virtual void ReleaseVertexDeclaration(DeclarationId declaration) = 0;
    virtual VertexBufferId CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf, EPool pool) = 0;
    // Lock(0, 0) maps the whole buffer. Null when the range is outside the buffer.
    virtual void* LockVertexBuffer(VertexBufferId buffer, std::uint32_t offset, std::uint32_t size) = 0;
    virtual Result UnlockVertexBuffer(VertexBufferId buffer) = 0;
    virtual void ReleaseVertexBuffer(VertexBufferId buffer) = 0;
    virtual IndexBufferId CreateIndexBuffer(std::uint32_t length, std::uint32_t usage, EFormat format, EPool pool) = 0;
    virtual void* LockIndexBuffer(IndexBufferId buffer, std::uint32_t offset, std::uint32_t size) = 0;
    virtual Result UnlockIndexBuffer(IndexBufferId buffer) = 0;
    virtual void ReleaseIndexBuffer(IndexBufferId buffer) = 0;
    virtual Result SetStreamSource(std::uint32_t stream, VertexBufferId buffer, std::uint32_t offset, std::uint32_t stride) = 0;
    virtual Result SetIndices(IndexBufferId buffer) = 0;

    // ---- Drawing ------------------------------------------------------------------------------
    virtual Result DrawPrimitive(EPrimitiveType type, std::uint32_t startVertex, std::uint32_t primitiveCount) = 0;
    virtual Result DrawIndexedPrimitive(EPrimitiveType type, std::int32_t baseVertex, std::uint32_t minIndex,
                                        std::uint32_t vertexCount, std::uint32_t startIndex,
                                        std::uint32_t primitiveCount) = 0;
    // Draws from caller memory. Leaves stream 0 unbound afterwards.
    virtual Result DrawPrimitiveUP(EPrimitiveType type, std::uint32_t primitiveCount, const void* data,
                                   std::uint32_t stride) = 0;

    // ---- Textures -----------------------------------------------------------------------------
    // Reads a JPEG, PNG, BMP or DDS file. 0 when the file is missing or cannot be decoded.
    virtual TextureId CreateTextureFromFile(const std::string& path) = 0;
    virtual TextureId CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                    std::uint32_t usage, EFormat format, EPool pool) = 0;
    virtual TextureId CreateCubeTexture(std::uint32_t edge, std::uint32_t levels, std::uint32_t usage,
                                        EFormat format, EPool pool) = 0;
    virtual bool GetLevelDesc(TextureId texture, std::uint32_t level, SurfaceDesc& out) const = 0;
    // Locks one level (of one face for a cube texture; `face` is ignored for 2D textures).
    virtual LockedRect LockRect(TextureId texture, ECubeFace face, std::uint32_t level) = 0;
    virtual Result UnlockRect(TextureId texture, ECubeFace face, std::uint32_t level) = 0;
    // A counted reference to a level of a 2D texture, usable as a render target.
    virtual SurfaceId GetSurfaceLevel(TextureId texture, std::uint32_t level) = 0;
    virtual void ReleaseTexture(TextureId texture) = 0;
    // Writes the surface's pixels to an image file (BMP for the engine's screenshots).
    virtual Result SaveSurfaceToFile(const std::string& path, EImageFileFormat format, SurfaceId surface) = 0;

    // ---- Fonts ------------------------------------------------------------------------------
    // A negative height asks for that character height in pixels. 0 on failure.
    virtual FontId CreateFont(std::int32_t height, std::uint32_t width, std::uint32_t weight,
                              std::uint32_t mipLevels, bool italic, std::uint32_t charSet,
                              std::uint32_t outputPrecision, std::uint32_t quality,
                              std::uint32_t pitchAndFamily, const std::string& faceName) = 0;
    // Draws `count` characters (-1: up to the terminating zero) into the rectangle with the DT_
    // format flags; returns the height of the text drawn. Sets no state the caller can see.
    virtual std::int32_t DrawText(FontId font, const char* text, std::int32_t count, const Rect& rect,
                                  std::uint32_t format, Color color) = 0;
    virtual void ReleaseFont(FontId font) = 0;
};

} // namespace Tess
