#pragma once
// CRenderer: the engine's one renderer. It owns the graphics system and device and every
// device object the program creates (textures, fonts, render targets, effects, vertex
// declarations) and hands out int32 handles for them (-1 for none). It holds the transforms and
// the values effects read by semantic, the draw list through which entities are drawn grouped
// by effect, and the queue of render views drawn once per frame.
//
// When Create fails there is no device, and every operation is then safe: it does nothing and
// returns -1, 0 or false, so the program runs on without graphics.

#include "Engine/Core/Array.h"
#include "Engine/Core/Matrix.h"
#include "Engine/Platform/GraphicsSystem.h"
#include "Engine/Scene/Frustum.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Tess
{

class CBoundingSphere;
class CEffect;
class CEntity;
class CIndexBuffer;
class CStateManagerInterface;
class CVertexBuffer;
class IRenderView;

// A vertex of world-space lines: position, then a 32-bit ARGB colour (16 bytes).
struct LineVertex
{
    Vector3 position;
    Color color = 0;
};
static_assert(sizeof(LineVertex) == 16);

// A pre-transformed vertex of screen-space drawing: pixel position, depth 0.5, rhw 1.0, colour
// and one texture coordinate (28 bytes).
struct ScreenVertex
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.5f;
    float rhw = 1.0f;
    Color color = 0;
    float u = 0.0f;
    float v = 0.0f;
};
static_assert(sizeof(ScreenVertex) == 28);

// What each effect parameter semantic binds to (0: not bound).
enum EffectParameterId : int
{
    EFFECT_PARAMETER_NONE = 0,
    EFFECT_PARAMETER_WORLD = 1,
    EFFECT_PARAMETER_WORLD_VIEW_PROJECTION = 2,
    EFFECT_PARAMETER_COLOR_MAP0 = 3, // .. COLOR_MAP7 = 10
    EFFECT_PARAMETER_NORMAL_MAP = 11,
    EFFECT_PARAMETER_REFLECTION_MAP = 12,
    EFFECT_PARAMETER_NORMALIZATION_CUBE = 13,
    EFFECT_PARAMETER_VIEW_POSITION = 14,
    EFFECT_PARAMETER_LIGHT_POSITION = 15,
    EFFECT_PARAMETER_LIGHT_COLOR = 16,
    EFFECT_PARAMETER_LIGHT_SPACE_TRANSFORM = 17,
    EFFECT_PARAMETER_AMBIENT_LIGHT = 18,
    EFFECT_PARAMETER_TIME = 19,
    EFFECT_PARAMETER_OBJECT_PARM0 = 20, // .. OBJECT_PARM7 = 27
    EFFECT_PARAMETER_VIEW_PARM0 = 28,   // .. VIEW_PARM7 = 35
    EFFECT_PARAMETER_COUNT = 36,
};

// Where the renderer keeps the value of a bound parameter, and how many bytes from there belong
// to it (a parameter may reach into the following values of its group, no further).
struct ParameterStorage
{
    const void* source = nullptr;
    std::uint32_t reach = 0;
};

class CRenderer
{
public:
    static constexpr int kTextureParameterCount = 11;
    static constexpr int kObjectParameterCount = 8;
    static constexpr int kViewParameterCount = 8;
    static constexpr int kScreenshotCounterStart = 100000;

    // Registers SetWindowedMode for the configuration script and becomes GetRenderer().
    // The factory makes the graphics system Create starts from (tests pass a recording one).
    explicit CRenderer(GraphicsSystemFactory factory = CreateGraphicsSystem);
    // Releases every device object, then the device and the graphics system.
    ~CRenderer();
    CRenderer(const CRenderer&) = delete;
    CRenderer& operator=(const CRenderer&) = delete;

    // Runs the configuration script, creates the device and the default resources. False when
    // no device could be made; the renderer then stays inert.
    bool Create(WindowHandle window, int width, int height, bool windowed);
    // The fonts (face, size as LoadFont takes them) the program loads first, given before Create:
    // Create then renders them and its own font on a worker thread while it makes the device.
    void SetStartupFonts(std::vector<std::pair<std::string, int>> fonts) { m_startupFonts = std::move(fonts); }

    IGraphicsDevice* GetDevice() const { return m_device.get(); }
    IGraphicsSystem* GetGraphicsSystem() const { return m_system.get(); }
    // The size Create was given, which fonts and the default projection are scaled to; the back
    // buffer's own size is GetRenderTargetWidth(0) x GetRenderTargetHeight(0).
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    bool IsWindowed() const { return m_windowed; }
    void SetWindowed(bool windowed) { m_windowed = windowed; }

    // ---- Resources ----------------------------------------------------------------------------
    // Loads "Data/Textures/" + the base name of fileName; a name already loaded returns its
    // handle. -1 when the file cannot be loaded.
    int LoadTexture(const std::string& fileName);
    // The texture with the handle clamped into the table; none when the table is empty.
    TextureId GetTexture(int handle) const;
    int GetTextureCount() const { return m_textures.GetCount(); }
    // The table name of a texture (clamped lookup; "" when the table is empty).
    std::string GetTextureName(int handle) const;
    // A face at a size in points on a 600-pixel-high screen; the same face and size return the
    // same handle. 0 when the font cannot be created.
    int LoadFont(const std::string& faceName, int size);
    int GetFontCount() const { return m_fonts.GetCount(); }
    // A render-target texture of one level; the record (and its handle) exists even when the
    // texture cannot be created.
    int CreateRenderTarget(int width, int height, EFormat format);
    // Makes the target current as colour target 0; the handle already current, or one past the
    // last target, changes nothing; a negative handle selects target 0.
    void SetRenderTarget(int handle);
    int GetCurrentRenderTarget() const { return m_currentRenderTarget; }
    int GetRenderTargetCount() const { return m_renderTargets.GetCount(); }
    float GetRenderTargetWidth(int handle) const;
    float GetRenderTargetHeight(int handle) const;
    // Texture handle of a render target (-1 for the back buffer or a failed target).
    int GetRenderTargetTexture(int handle) const;
    // The cube map whose texels hold the unit direction through them; -1 on failure.
    int CreateNormalizationCubeMap(int size);
    // Saves the current colour target as prefix + 100001, 100002, ... + ".bmp".
    void SaveScreenshot(const std::string& prefix);
    // Gives the back buffer (target 0) a new size, for a window whose client area changed; every
    // handle and device object stays. Call it between frames, never between BeginScene and
    // EndScene. False, and nothing changed, for a size below 1 either way (a minimised window)
    // and when the device cannot make the size (logged). Afterwards target 0 is current with
    // the device's viewport over all of it, GetRenderTargetWidth/Height(0), screenshots and text
    // work at the new size, and transforms, the frustum and states are as they were. Whatever
    // keeps a size of its own (a view's viewport, a projection's aspect, a panel's layout) is
    // the caller's to lay out again; the other render targets keep their sizes.
    bool ResizeBackBuffer(int width, int height);

    // Pixel height of a font: size points scaled to a 600-pixel-high screen of the given
    // height, then to the display's vertical density.
    static int ComputeFontHeight(int size, int screenHeight, int dpiY);
    // The normalization cube texel at column i, row j of a face of width x height texels.
    static std::uint32_t ComputeNormalizationTexel(ECubeFace face, int i, int j, int width, int height);

    // ---- Frame ----------------------------------------------------------------------------------
    // Forgets the state manager's cache, resets the frame counters and begins the scene.
    void BeginScene();
    void Clear(Color color, float depth);
    void EndScene();
    void Present();
    int GetPrimitiveCount() const { return m_primitiveCount; }
    int GetDrawCallCount() const { return m_drawCallCount; }

    // ---- Transforms -----------------------------------------------------------------------------
    void SetWorldMatrix(const Matrix4& world);
    void SetViewMatrix(const Matrix4& view, const Vector3& eye);
    void SetProjectionMatrix(const Matrix4& projection);
    const Matrix4& GetWorldMatrix() const { return m_world; }
    const Matrix4& GetViewMatrix() const { return m_view; }
    // The eye of the current view, as the effects' "ViewPosition" reads it (w = 1).
    const Vector4& GetViewPosition() const { return m_viewPosition; }
    const Matrix4& GetProjectionMatrix() const { return m_projection; }
    const Matrix4& GetViewProjectionMatrix() const { return m_viewProjection; }
    const Matrix4& GetWorldViewProjectionMatrix() const { return m_worldViewProjection; }
    const Matrix4& GetDefaultProjection() const { return m_defaultProjection; }
    const CFrustum& GetFrustum() const { return m_frustum; }
    // The culling test of the current frustum.
    bool IsSphereVisible(const CBoundingSphere& sphere) const;
    // The device's viewport (out unchanged without a device); returns out.
    const Viewport* GetViewport(Viewport* out) const;
    void SetViewport(const Viewport* viewport);

    // ---- Draw list and view queue -------------------------------------------------------------
    // Appends an entity; one appended twice is drawn twice.
    void AddToDrawList(CEntity* entity);
    void ClearDrawList();
    int GetDrawListCount() const { return static_cast<int>(m_drawList.size()); }
    // Draws the list grouped by the effect each entity names at `layer` (the default effect
    // for -1), higher sort keys first, and empties it.
    void FlushDrawList(int defaultEffect, int layer);
    // Clears the draw-list entries of an entity that is being destroyed.
    void ForgetEntity(const CEntity* entity);
    void QueueView(IRenderView* view);
    void ClearViewQueue();
    // Draws the queued views in ascending layer order (equal layers last-queued first) and
    // empties the queue.
    void DrawViewQueue();
    int GetViewQueueCount() const { return static_cast<int>(m_viewQueue.size()); }

    // ---- Primitive draws ------------------------------------------------------------------------
    // Inside an effect pass: no effect handling of their own.
    void DrawVertexBuffer(CVertexBuffer& vb);
    void DrawIndexed(CVertexBuffer& vb, CIndexBuffer& ib);
    // Through an effect: inside a draw-list flush the active effect, otherwise the one named.
    void DrawMesh(int effect, CVertexBuffer& vb, CIndexBuffer* ib);

    // ---- Screen-space drawing (pixels of the current target, origin top left) --------------------
    void DrawScreenRect(const Vector2& pos, const Vector2& size, Color color);
    void DrawTexturedScreenRect(const Vector2& pos, const Vector2& size, Color color);
    void DrawTexturedScreenRectWithEffect(int effect, const Vector2& pos, const Vector2& size, Color color);
    void DrawLineStrip(const Vector2* points, int count, Color color);
    void DrawLineList(const Vector2* points, int lineCount, Color color);
    // The line list through an effect: inside a draw-list flush the active effect, otherwise the
    // one named, so that lines drawn after a flush get that effect's states.
    void DrawLineListWithEffect(int effect, const Vector2* points, int lineCount, Color color);
    // Draws zero-terminated text in the rectangle pos .. pos + size; returns the text height.
    int DrawText(const char* text, const Vector2& pos, const Vector2& size, Color color,
                 std::uint32_t format, int font);
    const Rect& GetTextRect() const { return m_textRect; }

    // ---- World-space lines ------------------------------------------------------------------
    // 2 x lineCount vertices as a line list. No vertices or no lines draw nothing, yet count as a
    // draw call, as with the screen lines.
    void DrawLines(const LineVertex* vertices, int lineCount);
    void DrawLinesWithEffect(int effect, const LineVertex* vertices, int lineCount);

    // ---- Effects ------------------------------------------------------------------------------
    // The effect loaded from "Data/Effects/" + the base name; the same name (exactly as passed)
    // returns the same handle.
    int LoadEffect(const std::string& fileName);
    int GetEffectCount() const { return m_effects.GetCount(); }
    // The effect with the handle clamped into the table; null when the table is empty.
    CEffect* GetEffect(int handle) const;
    // Binds a texture to a texture parameter (ids 3 to 13).
    void SetTextureParameter(int parameterId, int textureHandle);
    TextureId GetTextureParameter(int parameterId) const;
    void SetObjectParameter(int i, const Vector4& value);
    void SetViewParameter(int i, const Vector4& value);
    const Vector4& GetObjectParameter(int i) const;
    const Vector4& GetViewParameter(int i) const;
    // The storage an effect parameter with this id reads from.
    ParameterStorage GetParameterStorage(int parameterId) const;
    // The semantic's id, 0 for any other semantic (whole, case-sensitive comparison).
    static int LookupParameterId(const std::string& semantic);
    CStateManagerInterface* GetStateManager() const { return m_stateManager; }

private:
    struct FontRecord
    {
        std::string faceName;
        int size = 0;
        FontId font;
    };
    // An entry of the draw list with what it is sorted by, and a run of entries of one effect.
    struct DrawListEntry
    {
        CEntity* entity = nullptr;
        std::int32_t sortKey = 0;
        std::int32_t handle = -1;
        std::size_t position = 0;
    };
    struct DrawListGroup
    {
        int handle = -1;
        std::size_t first = 0;
        std::size_t end = 0;
    };
    struct RenderTargetRecord
    {
        SurfaceId surface;
        int texture = -1;
        float width = 0.0f;
        float height = 0.0f;
    };

    // Create's steps.
    bool CreateDevice(WindowHandle window);
    // Starts rendering the startup fonts and the renderer's own (see SetStartupFonts).
    void PrefetchStartupFonts();
    // The character height in pixels LoadFont asks the device for, for a size in points.
    int FontHeightFor(int size) const;
    void SetDefaultStates();
    void CreateDefaultResources();
    void WrapBackBuffer();
    // Target 0's record takes the back buffer's size from the device.
    void MeasureBackBuffer();
    void CreateVertexDeclarations();

    // Draw helpers.
    void SetDeclaration(DeclarationId declaration);
    void SetStream(VertexBufferId buffer, std::uint32_t stride);
    void DrawUserPrimitives(EPrimitiveType type, std::uint32_t primitiveCount, const void* vertices,
                            std::uint32_t stride, DeclarationId declaration);
    void DrawScreenQuad(const Vector2& pos, const Vector2& size, Color color, bool textured);
    void DrawScreenLines(EPrimitiveType type, const Vector2* points, int pointCount,
                         std::uint32_t lineCount, Color color);
    template <class DrawFn>
    void DrawThroughEffect(int effect, DrawFn draw);
    void UpdateDerivedMatrices(bool viewOrProjectionChanged);
    // Orders the draw list for drawing at `layer`.
    void SortDrawList(int layer);
    // Draws entries first .. end - 1 of the draw list inside the passes of one effect.
    void DrawGroup(int effectHandle, std::size_t first, std::size_t end);
    static int Clamp(int handle, int count);

    std::unique_ptr<IGraphicsSystem> m_system;
    std::unique_ptr<IGraphicsDevice> m_device;
    GraphicsSystemFactory m_systemFactory;
    int m_width = 0;
    int m_height = 0;
    bool m_windowed = true;
    std::vector<std::pair<std::string, int>> m_startupFonts;
    Matrix4 m_projection;
    Matrix4 m_view;
    Matrix4 m_world;
    Matrix4 m_viewProjection;
    Matrix4 m_worldViewProjection;
    Matrix4 m_lightSpaceTransform;
    TextureId m_textureParameters[kTextureParameterCount];
    Vector4 m_viewPosition;
    Vector4 m_lightPosition;
    Vector4 m_lightColor;
    Vector4 m_ambientLight;
    Vector4 m_objectParameters[kObjectParameterCount];
    Vector4 m_viewParameters[kViewParameterCount];
    float m_time = 0.0f;
    CFrustum m_frustum;
    Rect m_textRect;
    CArray<std::unique_ptr<FontRecord>> m_fonts;
    CArray<std::unique_ptr<CEffect>> m_effects;
    CStateManagerInterface* m_stateManager = nullptr;
    CArray<std::string> m_textureNames;
    CArray<TextureId> m_textures;
    CArray<std::unique_ptr<RenderTargetRecord>> m_renderTargets;
    CArray<SurfaceId> m_depthStencilSurfaces;
    int m_currentRenderTarget = 0;
    std::vector<CEntity*> m_drawList;
    std::vector<DrawListEntry> m_drawOrder;
    std::vector<DrawListGroup> m_drawGroups;
    std::vector<IRenderView*> m_viewQueue;
    std::vector<ScreenVertex> m_screenLineVertices;
    int m_lowResolutionTarget = -1;
    int m_screenTarget = -1;
    int m_primitiveCount = 0;
    int m_drawCallCount = 0;
    SurfaceId m_backBuffer;
    SurfaceId m_depthStencil;
    Matrix4 m_defaultProjection;
    DeclarationId m_currentDeclaration;
    DeclarationId m_screenDeclaration;
    DeclarationId m_lineDeclaration;
    VertexBufferId m_streamBuffer;
    std::uint32_t m_streamOffset = 0;
    std::uint32_t m_streamStride = 0;
};

// The renderer most recently constructed; null before that and after it is destroyed.
CRenderer* GetRenderer();

} // namespace Tess
