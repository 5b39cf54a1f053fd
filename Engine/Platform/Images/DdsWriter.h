#pragma once
// Writer of uncompressed 32-bit DirectDraw Surface files (A8R8G8B8 with alpha, X8R8G8B8
// without), one level. Used by the texture tool; the DDS reader reads its output.

#include <cstdint>
#include <vector>

namespace Tess
{

// `texels` holds width x height ARGB values, top row first. With `withAlpha` false the alpha
// byte is written as 0xFF and the file declares no alpha channel.
std::vector<std::uint8_t> WriteDds(std::uint32_t width, std::uint32_t height,
                                   const std::uint32_t* texels, bool withAlpha);

} // namespace Tess
