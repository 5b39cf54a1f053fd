#pragma once
// Reads back the uncompressed 24- and 32-bit BMP files the device writes as screenshots, so the
// OpenGL tests can look at what was drawn.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace TestSupport
{

struct BmpImage
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // top row first, 0xFFRRGGBB

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

inline bool ReadBmp(const std::filesystem::path& path, BmpImage& out)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24);
    };
    const std::uint32_t offset = u32(10);
    const auto width = static_cast<std::int32_t>(u32(18));
    const auto rawHeight = static_cast<std::int32_t>(u32(22));
    const int bits = bytes[28] | bytes[29] << 8;
    if ((bits != 24 && bits != 32) || width <= 0 || rawHeight == 0 || u32(30) != 0)
        return false;
    const int height = std::abs(rawHeight);
    const std::size_t stride = (static_cast<std::size_t>(width) * (bits / 8) + 3) & ~std::size_t(3);
    if (offset + stride * height > bytes.size())
        return false;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
    {
        // Positive heights store the bottom row first.
        const int row = rawHeight > 0 ? height - 1 - y : y;
        const std::uint8_t* p = bytes.data() + offset + stride * row;
        for (int x = 0; x < width; ++x, p += bits / 8)
            out.pixels[static_cast<std::size_t>(y) * width + x] = 0xFF000000u | p[2] << 16 | p[1] << 8 | p[0];
    }
    return true;
}

} // namespace TestSupport
