#pragma once
// Image decoding for textures: bytes in, 32-bit ARGB texels out. Pure functions with no
// graphics state, so they can be fuzzed and tested without a display. JPEG, PNG and BMP go
// through stb_image, DDS through our own reader.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Tess
{

// A decoded image: `texels` holds width x height ARGB values (alpha in bits 24-31), top row first.
struct DecodedImage
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> texels;
};

// Largest edge we accept from any image file; larger headers are treated as corrupt.
constexpr std::uint32_t kMaxImageEdge = 16384;

// Decodes a JPEG, PNG, BMP or DDS image held in memory, told apart by their signatures. False
// (and `out` untouched) on failure and for any other format.
bool DecodeImage(const std::uint8_t* data, std::size_t size, DecodedImage& out);

// The next level of a mipmap chain: every texel is the rounded mean of the 2 x 2 texels it covers
// (a box filter, per channel); an odd last row or column is averaged with itself. Each edge
// halves, down to 1.
DecodedImage HalveImage(const DecodedImage& image);

// Reads a whole file into `bytes`. False when it cannot be opened or read.
bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes);

} // namespace Tess
