#pragma once
// Reader for DirectDraw Surface files: the top level of uncompressed 24/32-bit RGB(A) images
// and of DXT1, DXT3 and DXT5 block-compressed images, decoded on the CPU. Every read is
// bounds-checked against the buffer, so a corrupt or truncated file fails cleanly.

#include "Engine/Platform/ImageDecoder.h"

namespace Tess
{

// Whether the bytes start with the DDS magic number.
bool IsDdsFile(const std::uint8_t* data, std::size_t size);

// Decodes the first image of a DDS file. False (and `out` untouched) when the file is corrupt,
// truncated or of a format we do not read.
bool ReadDds(const std::uint8_t* data, std::size_t size, DecodedImage& out);

} // namespace Tess
