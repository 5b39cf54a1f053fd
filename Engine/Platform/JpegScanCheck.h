#pragma once
// A check of JPEG files before stb_image 2.27 (Debian 12's) decodes them. stb keeps a running DC
// prediction per component and multiplies it by the quantisation table's first entry in int,
// with no bound: corrupt coded data (or data that ends early, which stb reads as zero bits for
// ever) lets the prediction grow block after block until the product or the sum leaves int.
// stb also dequantises with a table no segment defined, which is uninitialised memory. The check
// follows the file's segments and coded data as stb reads them, without decoding pixels.

#include <cstddef>
#include <cstdint>

namespace Tess
{

// Whether decoding these bytes would make stb dequantise with a table no segment defined,
// decode with an undefined or oversized Huffman table, or overflow int with a DC coefficient.
// False for a file stb refuses before it gets there, and for every well-formed JPEG.
bool HasUnsafeJpegScan(const std::uint8_t* data, std::size_t size);

} // namespace Tess
