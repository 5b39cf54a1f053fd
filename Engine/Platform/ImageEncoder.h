#pragma once
// Image file writing: 32-bit ARGB texels (top row first) to BMP, PNG, JPEG, TGA or DDS files.
// Pure functions with no graphics state; screenshots and the texture tool use them.

#include "Engine/Platform/GraphicsTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Tess
{

// Encodes the image in the given file format. BMP, JPEG and TGA drop the alpha channel (a
// screenshot must not come out transparent); PNG and DDS keep it. Empty on failure.
std::vector<std::uint8_t> EncodeImage(EImageFileFormat format, std::uint32_t width,
                                      std::uint32_t height, const std::uint32_t* texels);

// Encodes and writes the file. False when encoding or writing fails.
bool WriteImageFile(const std::string& path, EImageFileFormat format, std::uint32_t width,
                    std::uint32_t height, const std::uint32_t* texels);

} // namespace Tess
