#include "Engine/Platform/Images/DdsReader.h"

#include "Engine/Platform/Images/DdsFormat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <utility>

namespace Tess
{

namespace
{

std::uint32_t ReadU32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

std::uint16_t ReadU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// ---- Uncompressed RGB(A) with channel masks ---------------------------------------------

// Extracts the channel selected by `mask` and scales it to 8 bits.
std::uint32_t ExtractChannel(std::uint32_t pixel, std::uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const std::uint32_t maxValue = (bits >= 32) ? 0xFFFFFFFFu : ((1u << bits) - 1u);
    // A mask with gaps (only a corrupt file has one) spans more values than it has bits; clamped,
    // the channel stays within 8 bits instead of spilling into its neighbours.
    const std::uint32_t value = std::min((pixel & mask) >> shift, maxValue);
    return static_cast<std::uint32_t>((std::uint64_t(value) * 255u + maxValue / 2) / maxValue);
}

struct MaskFormat
{
    std::uint32_t bytesPerPixel = 0;
    std::uint32_t red = 0, green = 0, blue = 0, alpha = 0;
};

bool DecodeMasked(const std::uint8_t* texels, std::size_t available, std::uint32_t width,
                  std::uint32_t height, std::uint32_t pitch, const MaskFormat& format,
                  DecodedImage& out)
{
    const std::uint64_t rowBytes = std::uint64_t(width) * format.bytesPerPixel;
    if (pitch < rowBytes)
        pitch = static_cast<std::uint32_t>(rowBytes);
    // The last row needs only its own pixels, not a whole pitch.
    const std::uint64_t needed = std::uint64_t(pitch) * (height - 1) + rowBytes;
    if (needed > available)
        return false;

    out.texels.resize(std::size_t(width) * height);
    for (std::uint32_t y = 0; y < height; ++y)
    {
        const std::uint8_t* row = texels + std::size_t(pitch) * y;
        for (std::uint32_t x = 0; x < width; ++x)
        {
            const std::uint8_t* p = row + std::size_t(x) * format.bytesPerPixel;
            std::uint32_t pixel = 0;
            for (std::uint32_t b = 0; b < format.bytesPerPixel; ++b)
                pixel |= std::uint32_t(p[b]) << (8 * b);
            const std::uint32_t a = format.alpha ? ExtractChannel(pixel, format.alpha) : 255u;
            out.texels[std::size_t(y) * width + x] =
                (a << 24) | (ExtractChannel(pixel, format.red) << 16) |
                (ExtractChannel(pixel, format.green) << 8) | ExtractChannel(pixel, format.blue);
        }
    }
    out.width = width;
    out.height = height;
    return true;
}

// ---- Block compression --------------------------------------------------------------------

std::uint32_t Expand565(std::uint16_t c, std::uint32_t rgb[3])
{
    const std::uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    rgb[0] = (r << 3) | (r >> 2);
    rgb[1] = (g << 2) | (g >> 4);
    rgb[2] = (b << 3) | (b >> 2);
    return c;
}

std::uint32_t PackArgb(std::uint32_t a, const std::uint32_t rgb[3])
{
    return (a << 24) | (rgb[0] << 16) | (rgb[1] << 8) | rgb[2];
}

// Decodes the colour half of a block into 16 ARGB values. `alwaysFourColours` is set for
// DXT3/DXT5, whose colour blocks never use the three-colour-plus-transparent mode.
void DecodeColourBlock(const std::uint8_t* block, bool alwaysFourColours, std::uint32_t texels[16])
{
    std::uint32_t c[4][3];
    const std::uint16_t c0 = ReadU16(block), c1 = ReadU16(block + 2);
    Expand565(c0, c[0]);
    Expand565(c1, c[1]);
    std::uint32_t alpha3 = 255;
    if (alwaysFourColours || c0 > c1)
    {
        for (int i = 0; i < 3; ++i)
        {
            c[2][i] = (2 * c[0][i] + c[1][i]) / 3;
            c[3][i] = (c[0][i] + 2 * c[1][i]) / 3;
        }
    }
    else
    {
        for (int i = 0; i < 3; ++i)
        {
            c[2][i] = (c[0][i] + c[1][i]) / 2;
            c[3][i] = 0;
        }
        alpha3 = 0;
    }
    const std::uint32_t indices = ReadU32(block + 4);
    for (int t = 0; t < 16; ++t)
    {
        const std::uint32_t index = (indices >> (2 * t)) & 3;
        texels[t] = PackArgb(index == 3 ? alpha3 : 255u, c[index]);
    }
}

// DXT3: sixteen explicit 4-bit alpha values.
void ApplyExplicitAlpha(const std::uint8_t* block, std::uint32_t texels[16])
{
    for (int t = 0; t < 16; ++t)
    {
        const std::uint32_t nibble = (block[t / 2] >> (4 * (t % 2))) & 0xF;
        texels[t] = (texels[t] & 0x00FFFFFFu) | ((nibble * 17u) << 24);
    }
}

// DXT5: two alpha end points and sixteen 3-bit interpolation indices.
void ApplyInterpolatedAlpha(const std::uint8_t* block, std::uint32_t texels[16])
{
    std::array<std::uint32_t, 8> a{};
    a[0] = block[0];
    a[1] = block[1];
    if (a[0] > a[1])
    {
        for (std::uint32_t i = 1; i <= 6; ++i)
            a[1 + i] = ((7 - i) * a[0] + i * a[1]) / 7;
    }
    else
    {
        for (std::uint32_t i = 1; i <= 4; ++i)
            a[1 + i] = ((5 - i) * a[0] + i * a[1]) / 5;
        a[6] = 0;
        a[7] = 255;
    }
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i)
        bits |= std::uint64_t(block[2 + i]) << (8 * i);
    for (int t = 0; t < 16; ++t)
    {
        const std::uint32_t index = static_cast<std::uint32_t>((bits >> (3 * t)) & 7);
        texels[t] = (texels[t] & 0x00FFFFFFu) | (a[index] << 24);
    }
}

enum class EBlockFormat { Dxt1, Dxt3, Dxt5 };

bool DecodeBlocks(const std::uint8_t* data, std::size_t available, std::uint32_t width,
                  std::uint32_t height, EBlockFormat format, DecodedImage& out)
{
    const std::uint32_t blockBytes = (format == EBlockFormat::Dxt1) ? 8 : 16;
    const std::uint32_t blocksX = (width + 3) / 4, blocksY = (height + 3) / 4;
    if (std::uint64_t(blocksX) * blocksY * blockBytes > available)
        return false;

    out.texels.resize(std::size_t(width) * height);
    std::uint32_t texels[16];
    for (std::uint32_t by = 0; by < blocksY; ++by)
    {
        for (std::uint32_t bx = 0; bx < blocksX; ++bx)
        {
            const std::uint8_t* block = data + (std::size_t(by) * blocksX + bx) * blockBytes;
            if (format == EBlockFormat::Dxt1)
            {
                DecodeColourBlock(block, false, texels);
            }
            else
            {
                DecodeColourBlock(block + 8, true, texels);
                if (format == EBlockFormat::Dxt3)
                    ApplyExplicitAlpha(block, texels);
                else
                    ApplyInterpolatedAlpha(block, texels);
            }
            // Blocks on the right and bottom edges may hang over the image.
            for (std::uint32_t ty = 0; ty < 4 && by * 4 + ty < height; ++ty)
                for (std::uint32_t tx = 0; tx < 4 && bx * 4 + tx < width; ++tx)
                    out.texels[std::size_t(by * 4 + ty) * width + bx * 4 + tx] = texels[ty * 4 + tx];
        }
    }
    out.width = width;
    out.height = height;
    return true;
}

} // namespace

bool IsDdsFile(const std::uint8_t* data, std::size_t size)
{
    return data && size >= 4 && ReadU32(data) == Dds::kMagic;
}

bool ReadDds(const std::uint8_t* data, std::size_t size, DecodedImage& out)
{
    using namespace Dds;
    if (!IsDdsFile(data, size) || size < kDataOffset)
        return false;
    if (ReadU32(data + kOffHeaderSize) != kHeaderSize)
        return false;
    const std::uint8_t* pf = data + kOffPixelFormat;
    if (ReadU32(pf + kPfSize) != kPixelFormatSize)
        return false;

    const std::uint32_t width = ReadU32(data + kOffWidth);
    const std::uint32_t height = ReadU32(data + kOffHeight);
    if (width == 0 || height == 0 || width > kMaxImageEdge || height > kMaxImageEdge)
        return false;

    const std::uint8_t* texels = data + kDataOffset;
    const std::size_t available = size - kDataOffset;
    const std::uint32_t pfFlags = ReadU32(pf + kPfFlags);
    // Decode into a scratch image so `out` stays untouched on failure.
    DecodedImage image;
    bool decoded = false;
    if (pfFlags & DDPF_FOURCC)
    {
        const std::uint32_t fourCC = ReadU32(pf + kPfFourCC);
        if (fourCC == FourCC('D', 'X', 'T', '1'))
            decoded = DecodeBlocks(texels, available, width, height, EBlockFormat::Dxt1, image);
        else if (fourCC == FourCC('D', 'X', 'T', '3'))
            decoded = DecodeBlocks(texels, available, width, height, EBlockFormat::Dxt3, image);
        else if (fourCC == FourCC('D', 'X', 'T', '5'))
            decoded = DecodeBlocks(texels, available, width, height, EBlockFormat::Dxt5, image);
    }
    else if (pfFlags & DDPF_RGB)
    {
        const std::uint32_t bitCount = ReadU32(pf + kPfBitCount);
        if (bitCount != 24 && bitCount != 32)
            return false;
        MaskFormat format;
        format.bytesPerPixel = bitCount / 8;
        format.red = ReadU32(pf + kPfRedMask);
        format.green = ReadU32(pf + kPfGreenMask);
        format.blue = ReadU32(pf + kPfBlueMask);
        format.alpha = (pfFlags & DDPF_ALPHAPIXELS) ? ReadU32(pf + kPfAlphaMask) : 0;
        const std::uint32_t flags = ReadU32(data + kOffFlags);
        const std::uint32_t pitch = (flags & DDSD_PITCH) ? ReadU32(data + kOffPitch) : 0;
        decoded = DecodeMasked(texels, available, width, height, pitch, format, image);
    }
    if (!decoded)
        return false;
    out = std::move(image);
    return true;
}

} // namespace Tess
