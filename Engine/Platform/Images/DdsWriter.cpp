#include "Engine/Platform/Images/DdsWriter.h"

#include "Engine/Platform/Images/DdsFormat.h"

namespace Tess
{

namespace
{

void PutU32(std::vector<std::uint8_t>& bytes, std::uint32_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

std::vector<std::uint8_t> WriteDds(std::uint32_t width, std::uint32_t height,
                                   const std::uint32_t* texels, bool withAlpha)
{
    using namespace Dds;
    const std::size_t count = std::size_t(width) * height;
    std::vector<std::uint8_t> bytes(kDataOffset + 4 * count, 0);

    PutU32(bytes, 0, kMagic);
    PutU32(bytes, kOffHeaderSize, kHeaderSize);
    PutU32(bytes, kOffFlags, DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT);
    PutU32(bytes, kOffHeight, height);
    PutU32(bytes, kOffWidth, width);
    PutU32(bytes, kOffPitch, 4 * width);
    PutU32(bytes, kOffMipCount, 1);

    const std::uint32_t pf = kOffPixelFormat;
    PutU32(bytes, pf + kPfSize, kPixelFormatSize);
    PutU32(bytes, pf + kPfFlags, DDPF_RGB | (withAlpha ? DDPF_ALPHAPIXELS : 0));
    PutU32(bytes, pf + kPfBitCount, 32);
    PutU32(bytes, pf + kPfRedMask, 0x00FF0000);
    PutU32(bytes, pf + kPfGreenMask, 0x0000FF00);
    PutU32(bytes, pf + kPfBlueMask, 0x000000FF);
    PutU32(bytes, pf + kPfAlphaMask, withAlpha ? 0xFF000000u : 0u);
    PutU32(bytes, kOffCaps, DDSCAPS_TEXTURE);

    // Little-endian ARGB words are the bytes B, G, R, A: the A8R8G8B8 memory layout.
    for (std::size_t i = 0; i < count; ++i)
    {
        const std::uint32_t texel = withAlpha ? texels[i] : (texels[i] | 0xFF000000u);
        PutU32(bytes, static_cast<std::uint32_t>(kDataOffset + 4 * i), texel);
    }
    return bytes;
}

} // namespace Tess
