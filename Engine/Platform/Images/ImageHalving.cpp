#include "Engine/Platform/ImageDecoder.h"

#include <algorithm>

namespace Tess
{

namespace
{

// The rounded mean of four ARGB texels, channel by channel.
std::uint32_t MeanOfFour(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    std::uint32_t mean = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        const std::uint32_t sum = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF) + ((c >> shift) & 0xFF) +
                                  ((d >> shift) & 0xFF);
        mean |= ((sum + 2) / 4) << shift;
    }
    return mean;
}

} // namespace

DecodedImage HalveImage(const DecodedImage& image)
{
    DecodedImage half;
    if (image.width == 0 || image.height == 0 || image.texels.size() < std::size_t(image.width) * image.height)
        return half;
    half.width = std::max(image.width / 2, 1u);
    half.height = std::max(image.height / 2, 1u);
    half.texels.resize(std::size_t(half.width) * half.height);
    for (std::uint32_t y = 0; y < half.height; ++y)
    {
        const std::uint32_t* top = image.texels.data() + std::size_t(std::min(2 * y, image.height - 1)) * image.width;
        const std::uint32_t* bottom = image.texels.data() + std::size_t(std::min(2 * y + 1, image.height - 1)) * image.width;
        std::uint32_t* out = half.texels.data() + std::size_t(y) * half.width;
        for (std::uint32_t x = 0; x < half.width; ++x)
        {
            const std::uint32_t left = std::min(2 * x, image.width - 1), right = std::min(2 * x + 1, image.width - 1);
            out[x] = MeanOfFour(top[left], top[right], bottom[left], bottom[right]);
        }
    }
    return half;
}

} // namespace Tess
