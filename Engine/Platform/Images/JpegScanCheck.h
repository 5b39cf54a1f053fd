#pragma once
// A check of JPEG files before stb_image 2.27 (Debian 12's) decodes them. stb keeps a running DC
// prediction per component and multiplies it by the quantisation table's first entry in int,
// with no bound: corrupt coded data (or data that ends early, which stb reads as zero bits for
// ever) lets the prediction grow block after block until the product or the sum leaves int.
// stb also dequantises with a table no segment defined, which is uninitialised memory, and its
// Huffman decoder asserts (aborting the program) on a table of 256 codes whose last is short.
// The check follows the file's segments and coded data as stb reads them, decoding no pixels.

#include <cstddef>
#include <cstdint>

namespace Tess
{

// Whether decoding these bytes would make stb dequantise with a table no segment defined,
// overflow int with a DC coefficient, or decode with a Huffman table it cannot decode with
// (undefined, of more than 256 codes, or of 256 with the last one short). False for a file stb
// refuses before it gets there, and for every well-formed JPEG.
bool HasUnsafeJpegScan(const std::uint8_t* data, std::size_t size);

} // namespace Tess
