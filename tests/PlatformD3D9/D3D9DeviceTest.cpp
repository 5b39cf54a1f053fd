// The Direct3D 9 device on a windowed 800 x 600 hardware device in a plain Win32 window: what is
// drawn is read back and compared, textures hold what the engine's decoders made of their
// files, render-target textures draw and sample, a new back-buffer size keeps every id and state,
// text leaves pixels, and stages assembled from shader assembly draw.

#include "Engine/Platform/Direct3D9/D3D9Device.h"
#include "Engine/Platform/GraphicsSystem.h"
#include "Engine/Platform/ImageDecoder.h"
#include "Engine/Platform/ImageEncoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

// Inside the engine's namespace its own constants hide the Windows headers' ones of the same names.
namespace Tess
{
namespace
{

constexpr std::uint32_t kWidth = 800, kHeight = 600;
constexpr Color kBlue = 0xFF0000FF, kRed = 0xFFFF0000, kGreen = 0xFF00FF00;

struct ScreenVertex
{
    float x, y, z, rhw;
    Color color;
    float u, v;
};
const VertexElement kScreenElements[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITIONT, 0},
                                         {0, 16, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                         {0, 20, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                         kDeclarationEnd};

// A quad over pixels [x0, x1) x [y0, y1) with texels landing one to one on pixels.
void Quad(ScreenVertex (&out)[4], float x0, float y0, float x1, float y1, Color color)
{
    out[0] = {x0 - 0.5f, y0 - 0.5f, 0.5f, 1, color, 0, 0};
    out[1] = {x1 - 0.5f, y0 - 0.5f, 0.5f, 1, color, 1, 0};
    out[2] = {x1 - 0.5f, y1 - 0.5f, 0.5f, 1, color, 1, 1};
    out[3] = {x0 - 0.5f, y1 - 0.5f, 0.5f, 1, color, 0, 1};
}

class D3D9DeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TessD3D9Test";
        RegisterClassA(&windowClass);
        RECT frame{0, 0, LONG(kWidth), LONG(kHeight)};
        AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
        m_window = CreateWindowA("TessD3D9Test", "D3D9 test", WS_OVERLAPPEDWINDOW, 0, 0, frame.right - frame.left,
                                 frame.bottom - frame.top, nullptr, nullptr, windowClass.hInstance, nullptr);
        if (!m_window)
            GTEST_SKIP() << "no window can be opened (no display)";
        ShowWindow(m_window, SW_SHOWNA);
        m_system = CreateGraphicsSystem(kSdkVersion);
        if (!m_system)
            GTEST_SKIP() << "no Direct3D 9 here";
        PresentParameters parameters;
        parameters.backBufferWidth = kWidth;
        parameters.backBufferHeight = kHeight;
        parameters.backBufferFormat = D3DFMT_X8R8G8B8;
        parameters.swapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.deviceWindow = reinterpret_cast<WindowHandle>(m_window);
        parameters.windowed = true;
        parameters.enableAutoDepthStencil = true;
        parameters.autoDepthStencilFormat = D3DFMT_D24S8;
        parameters.presentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        std::unique_ptr<IGraphicsDevice> device = m_system->CreateDevice(
            0, D3DDEVTYPE_HAL, reinterpret_cast<WindowHandle>(m_window), D3DCREATE_HARDWARE_VERTEXPROCESSING, parameters);
        if (!device)
            GTEST_SKIP() << "no windowed hardware Direct3D 9 device could be made";
        m_device.reset(static_cast<CD3D9Device*>(device.release()));
        m_declaration = m_device->CreateVertexDeclaration(kScreenElements);
        ASSERT_TRUE(m_declaration);
    }

    void TearDown() override
    {
        m_device.reset();
        m_system.reset();
        if (m_window)
            DestroyWindow(m_window);
    }

    // Draws a quad with the declaration of screen vertices inside a scene.
    void DrawQuad(float x0, float y0, float x1, float y1, Color color)
    {
        ScreenVertex quad[4];
        Quad(quad, x0, y0, x1, y1, color);
        m_device->SetVertexDeclaration(m_declaration);
        ASSERT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)), kOk);
    }

    std::vector<std::uint32_t> Read(SurfaceId surface, std::uint32_t* width = nullptr)
    {
        std::uint32_t w = 0, h = 0;
        std::vector<std::uint32_t> texels;
        EXPECT_TRUE(m_device->ReadSurface(surface, w, h, texels));
        if (width)
            *width = w;
        return texels;
    }

    std::vector<std::uint32_t> ReadBackBuffer(std::uint32_t* width = nullptr)
    {
        const SurfaceId back = m_device->GetRenderTarget(0);
        std::vector<std::uint32_t> texels = Read(back, width);
        m_device->ReleaseSurface(back);
        return texels;
    }

    HWND m_window = nullptr;
    std::unique_ptr<IGraphicsSystem> m_system;
    std::unique_ptr<CD3D9Device> m_device;
    DeclarationId m_declaration;
};

std::uint32_t At(const std::vector<std::uint32_t>& pixels, std::uint32_t width, std::uint32_t x, std::uint32_t y)
{
    return pixels.at(std::size_t(y) * width + x);
}

} // namespace

TEST_F(D3D9DeviceTest, FixedFunctionDrawsAndTheScreenshotHoldsIt)
{
    DeviceCaps caps;
    EXPECT_TRUE(m_system->GetDeviceCaps(0, D3DDEVTYPE_HAL, caps));
    EXPECT_GE(caps.maxSimultaneousTextures, 8u);
    EXPECT_GT(m_system->GetScreenDpiY(), 0);

    // A transformed triangle from a vertex buffer, lit by nothing but its vertex colours...
    struct WorldVertex { float x, y, z; Color color; };
    const VertexElement worldElements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                           {0, 12, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                           kDeclarationEnd};
    const WorldVertex triangle[3] = {{-1, 1, 0.5f, kGreen}, {0, 1, 0.5f, kGreen}, {-1, 0, 0.5f, kGreen}};
    const VertexBufferId buffer = m_device->CreateVertexBuffer(sizeof(triangle), D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT);
    ASSERT_TRUE(buffer);
    EXPECT_EQ(m_device->LockVertexBuffer(buffer, 8, sizeof(triangle)), nullptr) << "past the end";
    void* data = m_device->LockVertexBuffer(buffer, 0, 0);
    ASSERT_NE(data, nullptr);
    std::memcpy(data, triangle, sizeof(triangle));
    EXPECT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), kInvalidCall) << "no declaration yet";
    ASSERT_EQ(m_device->UnlockVertexBuffer(buffer), kOk);
    const DeclarationId world = m_device->CreateVertexDeclaration(worldElements);

    ASSERT_EQ(m_device->BeginScene(), kOk);
    ASSERT_EQ(m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0), kOk);
    m_device->SetRenderState(D3DRS_LIGHTING, 0);
    m_device->SetVertexDeclaration(world);
    m_device->SetStreamSource(0, buffer, 0, sizeof(WorldVertex));
    EXPECT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 1), kInvalidCall) << "past the buffer";
    ASSERT_EQ(m_device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), kOk);
    // ... and a pre-transformed red quad from caller memory.
    DrawQuad(600, 400, 700, 500, kRed);
    ASSERT_EQ(m_device->EndScene(), kOk);

    std::uint32_t width = 0;
    const std::vector<std::uint32_t> pixels = ReadBackBuffer(&width);
    ASSERT_EQ(width, kWidth);
    EXPECT_EQ(At(pixels, width, 20, 20), kGreen);          // the triangle's top-left corner
    EXPECT_EQ(At(pixels, width, 380, 280), kBlue);         // beyond its hypotenuse
    EXPECT_EQ(At(pixels, width, 600, 400), kRed);          // the quad's corners, exactly
    EXPECT_EQ(At(pixels, width, 699, 499), kRed);
    EXPECT_EQ(At(pixels, width, 700, 500), kBlue);

    const std::string path = "d3d9-screenshot.bmp";
    const SurfaceId back = m_device->GetRenderTarget(0);
    ASSERT_EQ(m_device->SaveSurfaceToFile(path, D3DXIFF_BMP, back), kOk);
    m_device->ReleaseSurface(back);
    std::vector<std::uint8_t> bytes;
    DecodedImage shot;
    ASSERT_TRUE(ReadFileBytes(path, bytes) && DecodeImage(bytes.data(), bytes.size(), shot));
    EXPECT_EQ(shot.width, kWidth);
    EXPECT_EQ(shot.texels, pixels);
    std::remove(path.c_str());
    EXPECT_EQ(m_device->Present(), kOk);
}

TEST_F(D3D9DeviceTest, TexturesFromJpegAndDdsHoldTheDecodedTexelsAndSample)
{
    // A JPEG made by the engine's own encoder: the texture must hold what its decoder reads.
    DecodedImage source{16, 8, std::vector<std::uint32_t>(16 * 8)};
    for (std::uint32_t i = 0; i < source.texels.size(); ++i)
        source.texels[i] = 0xFF000000u | ((i % 16) * 16u << 16) | ((i / 16) * 32u << 8);
    const std::string jpeg = "d3d9-texture.jpg";
    ASSERT_TRUE(WriteImageFile(jpeg, D3DXIFF_JPG, 16, 8, source.texels.data()));
    for (const std::string& path : {jpeg, std::string(TESS_SOURCE_DIR) + "/tests/data/dds/rgba_dxt5.dds"})
    {
        std::vector<std::uint8_t> bytes;
        DecodedImage expected;
        ASSERT_TRUE(ReadFileBytes(path, bytes) && DecodeImage(bytes.data(), bytes.size(), expected)) << path;
        const TextureId texture = m_device->CreateTextureFromFile(path);
        ASSERT_TRUE(texture) << path;
        const LockedRect locked = m_device->LockRect(texture, D3DCUBEMAP_FACE_POSITIVE_X, 0);
        ASSERT_NE(locked.bits, nullptr);
        std::vector<std::uint32_t> texels(expected.texels.size());
        for (std::uint32_t y = 0; y < expected.height; ++y)
            std::memcpy(&texels[std::size_t(y) * expected.width],
                        static_cast<const std::uint8_t*>(locked.bits) + std::ptrdiff_t(y) * locked.pitch, expected.width * 4);
        EXPECT_EQ(m_device->UnlockRect(texture, D3DCUBEMAP_FACE_POSITIVE_X, 0), kOk);
        EXPECT_EQ(texels, expected.texels) << path;

        // Drawn texel for pixel with point sampling, the texture lands unchanged on the screen.
        m_device->BeginScene();
        m_device->Clear(D3DCLEAR_TARGET, 0, 1.0f, 0);
        m_device->SetTexture(0, texture);
        DrawQuad(10, 20, 10.0f + float(expected.width), 20.0f + float(expected.height), 0xFFFFFFFF);
        m_device->EndScene();
        const std::vector<std::uint32_t> pixels = ReadBackBuffer();
        for (std::uint32_t y = 0; y < expected.height; ++y)
            for (std::uint32_t x = 0; x < expected.width; ++x)
                ASSERT_EQ(At(pixels, kWidth, 10 + x, 20 + y) & 0xFFFFFF, expected.texels[y * expected.width + x] & 0xFFFFFF)
                    << path << " at " << x << ", " << y;
        m_device->ReleaseTexture(texture);
        EXPECT_FALSE(m_device->GetTexture(0)) << "a released texture leaves its stage";
    }
    std::remove(jpeg.c_str());
    EXPECT_FALSE(m_device->CreateTextureFromFile("no/such/file.jpg"));
}

TEST_F(D3D9DeviceTest, RenderTargetTexturesDrawLockAndSample)
{
    const TextureId target = m_device->CreateTexture(64, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    ASSERT_TRUE(target);
    const SurfaceId level = m_device->GetSurfaceLevel(target, 0);
    ASSERT_TRUE(level);
    const SurfaceId back = m_device->GetRenderTarget(0);
    ASSERT_EQ(m_device->SetRenderTarget(0, level), kOk);
    Viewport viewport;
    m_device->GetViewport(viewport);
    EXPECT_EQ(viewport, (Viewport{0, 0, 64, 32, 0.0f, 1.0f}));
    m_device->BeginScene();
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0);
    DrawQuad(0, 0, 32, 32, kRed);
    m_device->EndScene();

    // A lock reads what was drawn; what it writes reaches the texture.
    const LockedRect locked = m_device->LockRect(target, D3DCUBEMAP_FACE_POSITIVE_X, 0);
    ASSERT_NE(locked.bits, nullptr);
    auto* row = static_cast<std::uint32_t*>(locked.bits);
    EXPECT_EQ(row[0], kRed);
    EXPECT_EQ(row[63], kBlue);
    row[63] = kGreen;
    ASSERT_EQ(m_device->UnlockRect(target, D3DCUBEMAP_FACE_POSITIVE_X, 0), kOk);

    ASSERT_EQ(m_device->SetRenderTarget(0, back), kOk);
    m_device->ReleaseSurface(back);
    m_device->BeginScene();
    m_device->Clear(D3DCLEAR_TARGET, 0, 1.0f, 0);
    m_device->SetTexture(0, target);
    DrawQuad(100, 100, 164, 132, 0xFFFFFFFF);
    m_device->EndScene();
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(At(pixels, kWidth, 100, 131), kRed);
    EXPECT_EQ(At(pixels, kWidth, 140, 110), kBlue);
    EXPECT_EQ(At(pixels, kWidth, 163, 100), kGreen);
    m_device->ReleaseTexture(target);
    // The level's reference keeps the texture alive until it goes.
    EXPECT_EQ(Read(level).size(), 64u * 32u);
    m_device->ReleaseSurface(level);
}

TEST_F(D3D9DeviceTest, ResizingKeepsEveryIdAndState)
{
    const TextureId target = m_device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT);
    const TextureId plain = m_device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ASSERT_TRUE(target && plain);
    LockedRect locked = m_device->LockRect(plain, D3DCUBEMAP_FACE_POSITIVE_X, 0);
    ASSERT_NE(locked.bits, nullptr);
    for (std::uint32_t y = 0; y < 2; ++y)
        for (std::uint32_t x = 0; x < 2; ++x)
            reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.bits) + y * locked.pitch)[x] = kGreen;
    m_device->UnlockRect(plain, D3DCUBEMAP_FACE_POSITIVE_X, 0);
    const SurfaceId level = m_device->GetSurfaceLevel(target, 0);
    const SurfaceId back = m_device->GetRenderTarget(0);
    const SurfaceId depth = m_device->GetDepthStencilSurface();
    ASSERT_EQ(m_device->SetRenderTarget(0, level), kOk);
    m_device->SetTexture(0, plain);
    m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    m_device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);

    m_device->BeginScene();
    EXPECT_EQ(m_device->ResizeBackBuffer(640, 480), kInvalidCall) << "inside a scene";
    m_device->EndScene();
    EXPECT_EQ(m_device->ResizeBackBuffer(0, 480), kInvalidCall);
    ASSERT_EQ(m_device->ResizeBackBuffer(640, 480), kOk);

    SurfaceDesc desc;
    ASSERT_TRUE(m_device->GetSurfaceDesc(back, desc));
    EXPECT_EQ(desc.width, 640u);
    ASSERT_TRUE(m_device->GetSurfaceDesc(depth, desc));
    EXPECT_EQ(desc.height, 480u);
    const SurfaceId now = m_device->GetRenderTarget(0);
    EXPECT_EQ(now, back) << "render target 0 is the back buffer again";
    m_device->ReleaseSurface(now);
    Viewport viewport;
    m_device->GetViewport(viewport);
    EXPECT_EQ(viewport, (Viewport{0, 0, 640, 480, 0.0f, 1.0f}));
    EXPECT_EQ(m_device->GetTexture(0), plain);
    EXPECT_EQ(m_device->GetRenderState(D3DRS_ZENABLE), D3DZB_FALSE);
    EXPECT_EQ(m_device->GetSamplerState(0, D3DSAMP_ADDRESSU), D3DTADDRESS_CLAMP);

    // The states reached the reset device: the managed texture draws without a depth test into
    // the remade render target, which in turn draws into the back buffer.
    ASSERT_EQ(m_device->SetRenderTarget(0, level), kOk);
    m_device->BeginScene();
    m_device->Clear(D3DCLEAR_TARGET, kBlue, 0.0f, 0);
    DrawQuad(0, 0, 16, 16, 0xFFFFFFFF);
    m_device->EndScene();
    EXPECT_EQ(Read(level)[0], kGreen);
    ASSERT_EQ(m_device->SetRenderTarget(0, back), kOk);
    m_device->SetTexture(0, target);
    m_device->BeginScene();
    m_device->Clear(D3DCLEAR_TARGET, kBlue, 0.0f, 0);
    DrawQuad(620, 460, 636, 476, 0xFFFFFFFF);
    m_device->EndScene();
    std::uint32_t width = 0;
    const std::vector<std::uint32_t> pixels = ReadBackBuffer(&width);
    ASSERT_EQ(width, 640u);
    EXPECT_EQ(At(pixels, width, 635, 475), kGreen);
    EXPECT_EQ(At(pixels, width, 619, 459), kBlue);
    EXPECT_EQ(m_device->Present(), kOk);
    m_device->ReleaseSurface(level);
    m_device->ReleaseSurface(back);
    m_device->ReleaseSurface(depth);
}

TEST_F(D3D9DeviceTest, ShaderStagesDrawWithTheirConstantsAndPairUp)
{
    EXPECT_EQ(m_device->GetShaderLanguage(), EShaderLanguage::D3D9Assembly);
    std::string errors;
    const VertexShaderId vs = m_device->CreateVertexShader(
        "vs_3_0\ndcl_position v0\ndcl_position o0\nmov o0, v0\n", errors);
    const PixelShaderId ps = m_device->CreatePixelShader("ps_3_0\nmov oC0, c2\n", errors);
    ASSERT_TRUE(vs && ps) << errors;
    EXPECT_FALSE(m_device->CreatePixelShader("vs_3_0\nmov o0, c0\n", errors)) << "a vertex stage is no pixel stage";
    EXPECT_FALSE(m_device->CreatePixelShader("ps_3_0\n\nmov oC0, q7\n", errors));
    EXPECT_EQ(errors.rfind("3:", 0), 0u) << errors;
    EXPECT_TRUE(m_device->ValidateShaders(vs, ps, errors));
    EXPECT_TRUE(m_device->ValidateShaders({}, {}, errors));
    EXPECT_FALSE(m_device->ValidateShaders(vs, {}, errors));
    EXPECT_TRUE(m_device->ValidateShaders({}, ps, errors)) << "the fixed-function vertex stage feeds it";

    const float green[4] = {0, 1, 0, 1};
    EXPECT_EQ(m_device->SetPixelShaderConstantF(223, green, 2), kInvalidCall) << "past the register file";
    ASSERT_EQ(m_device->SetPixelShaderConstantF(2, green, 1), kOk);
    m_device->SetVertexShader(vs);
    m_device->SetPixelShader(ps);
    // The constants and stages outlive a Reset.
    ASSERT_EQ(m_device->ResizeBackBuffer(kWidth, kHeight), kOk);
    const VertexElement elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}, kDeclarationEnd};
    m_device->SetVertexDeclaration(m_device->CreateVertexDeclaration(elements));
    const float quad[12] = {-1, 1, 0.5f, 0, 1, 0.5f, 0, 0, 0.5f, -1, 0, 0.5f};
    m_device->BeginScene();
    m_device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0);
    ASSERT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, 12), kOk);
    m_device->EndScene();
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(At(pixels, kWidth, 0, 0), kGreen);
    EXPECT_EQ(At(pixels, kWidth, 399, 299), kGreen);
    EXPECT_EQ(At(pixels, kWidth, 401, 301), kBlue);
    m_device->SetVertexShader({});
    m_device->SetPixelShader({});
    m_device->ReleaseVertexShader(vs);
    m_device->ReleasePixelShader(ps);
}

TEST_F(D3D9DeviceTest, TextDrawsInsideItsRectangleAndLeavesTheStates)
{
    const FontId font = m_device->CreateFont(-20, 0, 400, 1, false, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                             DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
    if (!font)
        GTEST_SKIP() << "no font face to draw with";
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    m_device->BeginScene();
    m_device->Clear(D3DCLEAR_TARGET, kBlue, 1.0f, 0);
    const Rect box{100, 100, 300, 140};
    const std::int32_t height = m_device->DrawText(font, "Tesserant", -1, box, DT_LEFT | DT_SINGLELINE, 0xFFFFFFFF);
    m_device->EndScene();
    EXPECT_GT(height, 10);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    std::size_t inside = 0, outside = 0;
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x)
            if (At(pixels, kWidth, x, y) != kBlue)
                ++(x >= 100 && x < 300 && y >= 100 && y < 140 ? inside : outside);
    EXPECT_GT(inside, 100u);
    EXPECT_EQ(outside, 0u);
    EXPECT_EQ(m_device->GetRenderState(D3DRS_CULLMODE), D3DCULL_CW);
    // The states Direct3D has are the engine's too: the clockwise quad is culled.
    m_device->BeginScene();
    m_device->Clear(D3DCLEAR_TARGET, kBlue, 1.0f, 0);
    DrawQuad(0, 0, 10, 10, kRed);
    m_device->EndScene();
    EXPECT_EQ(At(ReadBackBuffer(), kWidth, 5, 5), kBlue);
    m_device->ReleaseFont(font);
}

} // namespace Tess
