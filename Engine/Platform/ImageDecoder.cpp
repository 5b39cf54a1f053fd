#include "Engine/Platform/ImageDecoder.h"

#include "Engine/Platform/DdsReader.h"

#include <stb_image.h>

#include <climits>
#include <fstream>

namespace Tess
{

namespace
{

bool DecodeWithStb(const std::uint8_t* data, std::size_t size, DecodedImage& out)
{
    if (size > static_cast<std::size_t>(INT_MAX))
        return false;
    int width = 0, height = 0, channels = 0;
    const int length = static_cast<int>(size);
    // Reject oversized headers before stb allocates for them.
    if (!stbi_info_from_memory(data, length, &width, &height, &channels))
        return false;
    if (width <= 0 || height <= 0 || static_cast<std::uint32_t>(width) > kMaxImageEdge ||
        static_cast<std::uint32_t>(height) > kMaxImageEdge)
        return false;

    stbi_uc* rgba = stbi_load_from_memory(data, length, &width, &height, &channels, 4);
    if (!rgba)
        return false;
    out.width = static_cast<std::uint32_t>(width);
    out.height = static_cast<std::uint32_t>(height);
    out.texels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < out.texels.size(); ++i)
    {
        const stbi_uc* p = rgba + 4 * i;
        out.texels[i] = (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[0]) << 16) |
                        (std::uint32_t(p[1]) << 8) | std::uint32_t(p[2]);
    }
    stbi_image_free(rgba);
    return true;
}

} // namespace

bool DecodeImage(const std::uint8_t* data, std::size_t size, DecodedImage& out)
{
    if (!data || size == 0)
        return false;
    if (IsDdsFile(data, size))
        return ReadDds(data, size, out);
    return DecodeWithStb(data, size, out);
}

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return false;
    const std::streamoff length = file.tellg();
    if (length < 0)
        return false;
    bytes.resize(static_cast<std::size_t>(length));
    file.seekg(0);
    if (length > 0 && !file.read(reinterpret_cast<char*>(bytes.data()), length))
        return false;
    return true;
}

} // namespace Tess
