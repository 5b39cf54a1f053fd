#include "Engine/Platform/ImageEncoder.h"

#include "Engine/Platform/Images/DdsWriter.h"

#include <stb_image_write.h>

#include <climits>
#include <fstream>

namespace Tess
{

namespace
{

// The JPEG quality of the texture tool's output; fixed so the output is reproducible.
constexpr int kJpegQuality = 90;

void AppendBytes(void* context, void* data, int size)
{
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* begin = static_cast<const std::uint8_t*>(data);
    bytes->insert(bytes->end(), begin, begin + size);
}

std::vector<std::uint8_t> ToRgbBytes(std::uint32_t width, std::uint32_t height,
                                     const std::uint32_t* texels, int channels)
{
    const std::size_t count = std::size_t(width) * height;
    std::vector<std::uint8_t> bytes(count * channels);
    for (std::size_t i = 0; i < count; ++i)
    {
        std::uint8_t* p = bytes.data() + i * channels;
        p[0] = static_cast<std::uint8_t>(texels[i] >> 16);
        p[1] = static_cast<std::uint8_t>(texels[i] >> 8);
        p[2] = static_cast<std::uint8_t>(texels[i]);
        if (channels == 4)
            p[3] = static_cast<std::uint8_t>(texels[i] >> 24);
    }
    return bytes;
}

} // namespace

std::vector<std::uint8_t> EncodeImage(EImageFileFormat format, std::uint32_t width,
                                      std::uint32_t height, const std::uint32_t* texels)
{
    std::vector<std::uint8_t> encoded;
    if (!texels || width == 0 || height == 0 || width > INT_MAX / 4 || height > INT_MAX / 4)
        return encoded;
    if (format == D3DXIFF_DDS)
        return WriteDds(width, height, texels, true);

    const int w = static_cast<int>(width), h = static_cast<int>(height);
    const int channels = (format == D3DXIFF_PNG) ? 4 : 3;
    const std::vector<std::uint8_t> rgb = ToRgbBytes(width, height, texels, channels);
    int ok = 0;
    switch (format)
    {
    case D3DXIFF_BMP:
        ok = stbi_write_bmp_to_func(AppendBytes, &encoded, w, h, channels, rgb.data());
        break;
    case D3DXIFF_PNG:
        ok = stbi_write_png_to_func(AppendBytes, &encoded, w, h, channels, rgb.data(), w * channels);
        break;
    case D3DXIFF_JPG:
        ok = stbi_write_jpg_to_func(AppendBytes, &encoded, w, h, channels, rgb.data(), kJpegQuality);
        break;
    case D3DXIFF_TGA:
        ok = stbi_write_tga_to_func(AppendBytes, &encoded, w, h, channels, rgb.data());
        break;
    default:
        break;
    }
    if (!ok)
        encoded.clear();
    return encoded;
}

bool WriteImageFile(const std::string& path, EImageFileFormat format, std::uint32_t width,
                    std::uint32_t height, const std::uint32_t* texels)
{
    const std::vector<std::uint8_t> encoded = EncodeImage(format, width, height, texels);
    if (encoded.empty())
        return false;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file.write(reinterpret_cast<const char*>(encoded.data()), static_cast<std::streamsize>(encoded.size()));
    return static_cast<bool>(file);
}

} // namespace Tess
