// CRenderer: textures, fonts, render targets, the normalization cube map and screenshots.

#include "Engine/Rendering/Renderer.h"

#include "Engine/Core/Log.h"

#include <cmath>
#include <cstdlib>

namespace Tess
{

namespace
{
const char* const kTextureDirectory = "Data/Textures/";
const char* const kRenderTargetMessage = "Create Render Target";
const char* const kCubeTextureName = "cubetexture";
constexpr float kReferenceScreenHeight = 600.0f;
constexpr int kPointsPerInch = 72;

int g_screenshotCounter = CRenderer::kScreenshotCounterStart;

void LogRenderer(const std::string& text)
{
    GetLog().Write(LOG_RENDERER, text);
}

// The part after the last '/' or '\'; the whole name when there is none.
std::string BaseName(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of("/\\");
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

// number x numerator / denominator with a 64-bit intermediate, rounded to the nearest integer
// (halves away from zero).
int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const long long product = static_cast<long long>(number) * numerator;
    const long long magnitude = (std::llabs(product) + std::llabs(denominator) / 2) / std::llabs(denominator);
    const bool negative = (product < 0) != (denominator < 0);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

// A unit vector component -1..1 as a byte 0..254.
std::uint32_t PackComponent(float c)
{
    const int value = static_cast<int>((c + 1.0f) * 127.0f);
    return static_cast<std::uint32_t>(value < 0 ? 0 : (value > 254 ? 254 : value));
}

// Position of texel index k of n along a face: the first and last texels sit on -1 and +1.
float FaceCoordinate(int k, int n)
{
    if (n <= 1)
        return 0.0f;
    return 2.0f * (static_cast<float>(k) / static_cast<float>(n - 1)) - 1.0f;
}
} // namespace

int CRenderer::LoadTexture(const std::string& fileName)
{
    if (!m_device)
        return -1;
    const std::string baseName = BaseName(fileName);
    const std::string path = kTextureDirectory + baseName;
    const std::string message = "Load texture :: " + baseName;

    for (int handle = 0; handle < m_textureNames.GetCount(); ++handle)
        if (m_textureNames[handle] == path)
        {
            LogRenderer(message + " :: duplicate");
            return handle;
        }

    const TextureId texture = m_device->CreateTextureFromFile(path);
    if (!texture)
    {
        LogRenderer(message + " :: failed");
        return -1;
    }
    m_textureNames.Add(path);
    m_textures.Add(texture);
    LogRenderer(message + " :: successful");
    return m_textures.GetCount() - 1;
}

TextureId CRenderer::GetTexture(int handle) const
{
    if (m_textures.IsEmpty())
        return {};
    return m_textures[Clamp(handle, m_textures.GetCount())];
}

std::string CRenderer::GetTextureName(int handle) const
{
    if (m_textureNames.IsEmpty())
        return {};
    return m_textureNames[Clamp(handle, m_textureNames.GetCount())];
}

int CRenderer::ComputeFontHeight(int size, int screenHeight, int dpiY)
{
    // Sizes are points on a 600-pixel-high screen, scaled to this one.
    const float scaled = static_cast<float>(size / static_cast<double>(kReferenceScreenHeight) * screenHeight + 0.5);
    const int height = static_cast<int>(scaled);
    return MulDiv(height, dpiY, kPointsPerInch);
}

int CRenderer::FontHeightFor(int size) const
{
    const int dpiY = m_system ? m_system->GetScreenDpiY() : 96;
    return ComputeFontHeight(size, m_height, dpiY);
}

int CRenderer::LoadFont(const std::string& faceName, int size)
{
    if (!m_device)
        return 0;
    const std::string message = "Load font :: " + faceName;
    for (int handle = 0; handle < m_fonts.GetCount(); ++handle)
        if (m_fonts[handle]->faceName == faceName && m_fonts[handle]->size == size)
        {
            LogRenderer(message + " :: duplicate");
            return handle;
        }

    const int height = FontHeightFor(size);
    // A negative height asks for the character height rather than the cell height.
    const FontId font = m_device->CreateFont(-height, 0, 0, 0, false, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                             DEFAULT_QUALITY, DEFAULT_PITCH, faceName);
    if (!font)
    {
        LogRenderer(message + " :: failed");
        return 0;
    }
    auto record = std::make_unique<FontRecord>();
    record->faceName = faceName;
    record->size = size;
    record->font = font;
    m_fonts.Add(std::move(record));
    LogRenderer(message + " :: successful");
    return m_fonts.GetCount() - 1;
}

int CRenderer::CreateRenderTarget(int width, int height, EFormat format)
{
    if (!m_device)
        return -1;
    auto record = std::make_unique<RenderTargetRecord>();
    const TextureId texture =
        width > 0 && height > 0
            ? m_device->CreateTexture(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 1,
                                      D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT)
            : TextureId{};
    if (texture)
    {
        m_textureNames.Add(std::string());
        m_textures.Add(texture);
        LogRenderer(std::string(kRenderTargetMessage) + " :: successful");
        record->texture = m_textures.GetCount() - 1;
        record->surface = m_device->GetSurfaceLevel(texture, 0);
    }
    else
    {
        LogRenderer(std::string(kRenderTargetMessage) + " :: failed");
    }
    record->width = static_cast<float>(width);
    record->height = static_cast<float>(height);
    m_renderTargets.Add(std::move(record));
    return m_renderTargets.GetCount() - 1;
}

void CRenderer::SetRenderTarget(int handle)
{
    if (!m_device || m_renderTargets.IsEmpty())
        return;
    if (handle >= m_renderTargets.GetCount() || handle == m_currentRenderTarget)
        return;
    const RenderTargetRecord& record = *m_renderTargets[Clamp(handle, m_renderTargets.GetCount())];
    // A target whose texture could not be created has nothing to draw into.
    if (!record.surface)
        return;
    m_currentRenderTarget = handle;
    m_device->SetRenderTarget(0, record.surface);
}

bool CRenderer::ResizeBackBuffer(int width, int height)
{
    if (!m_device || m_renderTargets.IsEmpty() || width < 1 || height < 1)
        return false;
    if (Failed(m_device->ResizeBackBuffer(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height))))
    {
        LogRenderer("Resize Back Buffer :: " + std::to_string(width) + " x " + std::to_string(height) + " :: failed");
        return false;
    }
    // The device has selected its back buffer, whose surface kept its id; only the size changed.
    m_currentRenderTarget = 0;
    MeasureBackBuffer();
    return true;
}

float CRenderer::GetRenderTargetWidth(int handle) const
{
    if (m_renderTargets.IsEmpty())
        return 0.0f;
    return m_renderTargets[Clamp(handle, m_renderTargets.GetCount())]->width;
}

float CRenderer::GetRenderTargetHeight(int handle) const
{
    if (m_renderTargets.IsEmpty())
        return 0.0f;
    return m_renderTargets[Clamp(handle, m_renderTargets.GetCount())]->height;
}

int CRenderer::GetRenderTargetTexture(int handle) const
{
    if (m_renderTargets.IsEmpty())
        return -1;
    return m_renderTargets[Clamp(handle, m_renderTargets.GetCount())]->texture;
}

std::uint32_t CRenderer::ComputeNormalizationTexel(ECubeFace face, int i, int j, int width, int height)
{
    const float u = FaceCoordinate(i, width);
    const float v = FaceCoordinate(j, height);
    Vector3 direction;
    switch (face)
    {
    case D3DCUBEMAP_FACE_POSITIVE_X: direction = {1.0f, -v, -u}; break;
    case D3DCUBEMAP_FACE_NEGATIVE_X: direction = {-1.0f, -v, u}; break;
    case D3DCUBEMAP_FACE_POSITIVE_Y: direction = {u, 1.0f, v}; break;
    case D3DCUBEMAP_FACE_NEGATIVE_Y: direction = {u, -1.0f, -v}; break;
    case D3DCUBEMAP_FACE_POSITIVE_Z: direction = {u, -v, 1.0f}; break;
    case D3DCUBEMAP_FACE_NEGATIVE_Z: direction = {-u, -v, -1.0f}; break;
    }
    direction.Normalize();
    return PackComponent(direction.x) << 16 | PackComponent(direction.y) << 8 | PackComponent(direction.z);
}

int CRenderer::CreateNormalizationCubeMap(int size)
{
    if (!m_device || size <= 0)
        return -1;
    const TextureId cube =
        m_device->CreateCubeTexture(static_cast<std::uint32_t>(size), 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED);
    if (!cube)
        return -1;

    for (std::uint32_t f = D3DCUBEMAP_FACE_POSITIVE_X; f <= D3DCUBEMAP_FACE_NEGATIVE_Z; ++f)
    {
        const auto face = static_cast<ECubeFace>(f);
        SurfaceDesc desc;
        if (!m_device->GetLevelDesc(cube, 0, desc))
            continue;
        const LockedRect locked = m_device->LockRect(cube, face, 0);
        if (!locked.bits)
            continue;
        auto* bytes = static_cast<std::uint8_t*>(locked.bits);
        const int width = static_cast<int>(desc.width), height = static_cast<int>(desc.height);
        for (int j = 0; j < height; ++j)
        {
            auto* row = reinterpret_cast<std::uint32_t*>(bytes + static_cast<std::ptrdiff_t>(j) * locked.pitch);
            for (int i = 0; i < width; ++i)
                row[i] = ComputeNormalizationTexel(face, i, j, width, height);
        }
        m_device->UnlockRect(cube, face, 0);
    }

    m_textureNames.Add(kCubeTextureName);
    m_textures.Add(cube);
    LogRenderer("Create Normalization Cube Map :: successful");
    return m_textures.GetCount() - 1;
}

void CRenderer::SaveScreenshot(const std::string& prefix)
{
    if (!m_device)
        return;
    ++g_screenshotCounter;
    const std::string fileName = prefix + std::to_string(g_screenshotCounter) + ".bmp";
    const SurfaceId surface = m_device->GetRenderTarget(0);
    if (!surface)
        return;
    m_device->SaveSurfaceToFile(fileName, D3DXIFF_BMP, surface);
    m_device->ReleaseSurface(surface);
}

} // namespace Tess
