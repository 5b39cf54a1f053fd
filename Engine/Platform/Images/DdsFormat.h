#pragma once
// Layout constants of DirectDraw Surface files, shared by the DDS reader and writer.

#include <cstdint>

namespace Tess::Dds
{

constexpr std::uint32_t kMagic = 0x20534444;     // "DDS "
constexpr std::uint32_t kHeaderSize = 124;       // the header after the magic number
constexpr std::uint32_t kPixelFormatSize = 32;
constexpr std::uint32_t kDataOffset = 4 + kHeaderSize;

// Header flags.
constexpr std::uint32_t DDSD_CAPS = 0x1, DDSD_HEIGHT = 0x2, DDSD_WIDTH = 0x4, DDSD_PITCH = 0x8,
                        DDSD_PIXELFORMAT = 0x1000, DDSD_MIPMAPCOUNT = 0x20000,
                        DDSD_LINEARSIZE = 0x80000;
// Pixel format flags.
constexpr std::uint32_t DDPF_ALPHAPIXELS = 0x1, DDPF_FOURCC = 0x4, DDPF_RGB = 0x40;
constexpr std::uint32_t DDSCAPS_TEXTURE = 0x1000;

constexpr std::uint32_t FourCC(char a, char b, char c, char d)
{
    return std::uint32_t(std::uint8_t(a)) | (std::uint32_t(std::uint8_t(b)) << 8) |
           (std::uint32_t(std::uint8_t(c)) << 16) | (std::uint32_t(std::uint8_t(d)) << 24);
}

// Byte offsets of the fields we use, counted from the start of the file.
constexpr std::uint32_t kOffHeaderSize = 4, kOffFlags = 8, kOffHeight = 12, kOffWidth = 16,
                        kOffPitch = 20, kOffMipCount = 28, kOffPixelFormat = 76, kOffCaps = 108;
// Offsets inside the pixel format.
constexpr std::uint32_t kPfSize = 0, kPfFlags = 4, kPfFourCC = 8, kPfBitCount = 12,
                        kPfRedMask = 16, kPfGreenMask = 20, kPfBlueMask = 24, kPfAlphaMask = 28;

} // namespace Tess::Dds
