#include "Engine/Platform/ImageDecoder.h"

#include "Engine/Platform/Images/DdsReader.h"
#include "Engine/Platform/Images/JpegScanCheck.h"

#include <stb_image.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <initializer_list>

namespace Tess
{

namespace
{

enum class EImageFormat { Dds, Jpeg, Png, Bmp, Unknown };

bool StartsWith(const std::uint8_t* data, std::size_t size, std::initializer_list<std::uint8_t> prefix)
{
    return size >= prefix.size() && std::equal(prefix.begin(), prefix.end(), data);
}

// By signature only. stb_image guesses the format from the contents as well, and would read
// any bytes that pass a format's loose test (TGA has no signature at all) with decoders we
// never meant to expose: textures are JPEG, PNG, BMP or DDS files.
EImageFormat DetectFormat(const std::uint8_t* data, std::size_t size)
{
    if (IsDdsFile(data, size))
        return EImageFormat::Dds;
    if (StartsWith(data, size, {0xFF, 0xD8, 0xFF}))
        return EImageFormat::Jpeg;
    if (StartsWith(data, size, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}))
        return EImageFormat::Png;
    if (StartsWith(data, size, {'B', 'M'}))
        return EImageFormat::Bmp;
    return EImageFormat::Unknown;
}

// stb_image 2.27 (Debian 12's) writes past the end of its Huffman tables when a DHT segment
// declares more than 256 codes in one table. Such a table is invalid, so the file is refused
// before stb reads it. stb finds markers wherever a 0xFF byte starts one (it resynchronises on
// junk), so every 0xFF 0xC4 in the file is checked as stb would read it, not only the segments
// a well-formed file has.
bool HasOversizedHuffmanTable(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t marker = 0; marker + 4 <= size; ++marker)
    {
        if (data[marker] != 0xFF || data[marker + 1] != 0xC4)
            continue;
        // stb reads zeros past the end of the data; from there on no table declares a code.
        const auto byteAt = [&](std::size_t i) { return i < size ? data[i] : std::uint8_t(0); };
        std::size_t at = marker + 4;
        long remaining = static_cast<long>((data[marker + 2] << 8) | data[marker + 3]) - 2;
        while (remaining > 0 && at < size)
        {
            const int tableClass = data[at] >> 4, tableIndex = data[at] & 15;
            if (tableClass > 1 || tableIndex > 3)
                break; // stb rejects the segment before building anything
            long codes = 0;
            for (std::size_t length = 1; length <= 16; ++length)
                codes += byteAt(at + length);
            if (codes > 256)
                return true;
            at += 17 + static_cast<std::size_t>(codes);
            remaining -= 17 + codes;
        }
    }
    return false;
}

// What stb's JPEG reader knows of the Huffman tables while it walks the file's segments.
struct SJpegTables
{
    bool defined[2][4] = {}; // [DC 0 / AC 1][table 0..3]
    bool progressive = false;
};

std::size_t SegmentLength(const std::uint8_t* data, std::size_t size, std::size_t at)
{
    return at + 2 <= size ? static_cast<std::size_t>((data[at] << 8) | data[at + 1]) : 0;
}

void RecordHuffmanTables(const std::uint8_t* segment, std::size_t length, SJpegTables& tables)
{
    std::size_t at = 0;
    while (at + 17 <= length)
    {
        const int tableClass = segment[at] >> 4, tableIndex = segment[at] & 15;
        if (tableClass > 1 || tableIndex > 3)
            return; // stb refuses the file here
        std::size_t codes = 0;
        for (std::size_t i = 1; i <= 16; ++i)
            codes += segment[at + i];
        tables.defined[tableClass][tableIndex] = true;
        at += 17 + codes;
    }
}

// Whether a scan header names a table stb would decode with that no segment before it defined.
bool ScanNamesUndefinedTable(const std::uint8_t* segment, std::size_t length, const SJpegTables& tables)
{
    if (length < 1)
        return false;
    const std::size_t components = segment[0];
    if (length < 1 + 2 * components + 3)
        return false; // stb refuses a short scan header
    const int spectralStart = segment[1 + 2 * components];
    const int approximationHigh = segment[3 + 2 * components] >> 4;
    // A progressive scan decodes either DC (first pass only) or AC coefficients.
    const bool usesDc = !tables.progressive || (spectralStart == 0 && approximationHigh == 0);
    const bool usesAc = !tables.progressive || spectralStart > 0;
    for (std::size_t i = 0; i < components; ++i)
    {
        const int dc = segment[2 + 2 * i] >> 4, ac = segment[2 + 2 * i] & 15;
        if ((usesDc && dc <= 3 && !tables.defined[0][dc]) || (usesAc && ac <= 3 && !tables.defined[1][ac]))
            return true;
    }
    return false;
}

// Past the entropy-coded data that starts at `at`: to the first marker that ends it (0xFF and a
// code other than a stuffed zero or a restart marker, as stb reads it).
std::size_t SkipEntropyCodedData(const std::uint8_t* data, std::size_t size, std::size_t at)
{
    while (at < size)
    {
        if (data[at] != 0xFF)
        {
            ++at;
            continue;
        }
        std::size_t code = at + 1;
        while (code < size && data[code] == 0xFF)
            ++code;
        if (code < size && data[code] != 0x00 && (data[code] < 0xD0 || data[code] > 0xD7))
            return at;
        at = code + 1;
    }
    return size;
}

// stb_image 2.27 decodes a scan with whatever Huffman table it names, and a table no segment
// defined is uninitialised memory: its decoder then reads past its arrays. Such a file is invalid,
// so it is refused. The segments are walked as stb walks them: it skips stray bytes between
// segments and runs through each scan's coded data to the marker that ends it.
bool UsesUndefinedHuffmanTable(const std::uint8_t* data, std::size_t size)
{
    SJpegTables tables;
    std::size_t at = 2; // past the start-of-image marker
    while (at < size)
    {
        if (data[at] != 0xFF)
        {
            ++at;
            continue;
        }
        while (at < size && data[at] == 0xFF)
            ++at;
        if (at >= size)
            break;
        const std::uint8_t marker = data[at++];
        if (marker == 0xD9)
            break; // end of image
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue; // markers without a segment
        const std::size_t length = SegmentLength(data, size, at);
        if (length < 2)
            break; // stb refuses a segment this short
        const std::uint8_t* segment = data + at + 2;
        const std::size_t available = std::min(length - 2, size - std::min(size, at + 2));
        if (marker == 0xC2)
            tables.progressive = true;
        else if (marker == 0xC0 || marker == 0xC1)
            tables.progressive = false;
        else if (marker == 0xC4)
            RecordHuffmanTables(segment, available, tables);
        else if (marker == 0xDA && ScanNamesUndefinedTable(segment, available, tables))
            return true;
        at += length;
        if (marker == 0xDA)
            at = SkipEntropyCodedData(data, size, at);
    }
    return false;
}

std::uint32_t ReadLittleEndian(const std::uint8_t* data, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | data[i];
    return value;
}

// Bitmaps are read uncompressed only: stb refuses run-length encoding, and reads any other
// compression code it does not know as uncompressed rows, which such a file does not hold. An
// uncompressed bitmap states its size in its header, and stb reads zeros where the pixel rows run
// past the end of the file: a header of a few bytes could make it fill hundreds of megabytes.
// Such a file is cut off. Both are refused.
bool IsUnreadableBitmap(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t kFileHeaderSize = 14;
    if (size < kFileHeaderSize + 12)
        return true; // not even a whole header
    const std::uint64_t pixelOffset = ReadLittleEndian(data + 10, 4);
    const std::uint32_t infoSize = ReadLittleEndian(data + 14, 4);
    std::int64_t width = 0, height = 0;
    std::uint32_t bitsPerPixel = 0, compression = 0;
    if (infoSize == 12)
    {
        width = static_cast<std::int16_t>(ReadLittleEndian(data + 18, 2));
        height = static_cast<std::int16_t>(ReadLittleEndian(data + 20, 2));
        bitsPerPixel = ReadLittleEndian(data + 24, 2);
    }
    else
    {
        if (size < kFileHeaderSize + 20)
            return true;
        width = static_cast<std::int32_t>(ReadLittleEndian(data + 18, 4));
        height = static_cast<std::int32_t>(ReadLittleEndian(data + 22, 4));
        bitsPerPixel = ReadLittleEndian(data + 28, 2);
        compression = ReadLittleEndian(data + 30, 4);
    }
    constexpr std::uint32_t kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    if (compression != kRgb && compression != kBitFields && compression != kAlphaBitFields)
        return true;
    width = width < 0 ? -width : width;
    height = height < 0 ? -height : height;
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
    return pixelOffset + rowBytes * static_cast<std::uint64_t>(height) > size;
}

bool DecodeWithStb(const std::uint8_t* data, std::size_t size, DecodedImage& out)
{
    if (size > static_cast<std::size_t>(INT_MAX))
        return false;
    int width = 0, height = 0, channels = 0;
    const int length = static_cast<int>(size);
    // Reject oversized headers before stb allocates for them.
    if (!stbi_info_from_memory(data, length, &width, &height, &channels))
        return false;
    if (width <= 0 || height <= 0 || static_cast<std::uint32_t>(width) > kMaxImageEdge ||
        static_cast<std::uint32_t>(height) > kMaxImageEdge)
        return false;

    stbi_uc* rgba = stbi_load_from_memory(data, length, &width, &height, &channels, 4);
    if (!rgba)
        return false;
    out.width = static_cast<std::uint32_t>(width);
    out.height = static_cast<std::uint32_t>(height);
    out.texels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < out.texels.size(); ++i)
    {
        const stbi_uc* p = rgba + 4 * i;
        out.texels[i] = (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[0]) << 16) |
                        (std::uint32_t(p[1]) << 8) | std::uint32_t(p[2]);
    }
    stbi_image_free(rgba);
    return true;
}

} // namespace

bool DecodeImage(const std::uint8_t* data, std::size_t size, DecodedImage& out)
{
    if (!data || size == 0)
        return false;
    switch (DetectFormat(data, size))
    {
    case EImageFormat::Dds:
        return ReadDds(data, size, out);
    case EImageFormat::Jpeg:
        return !HasOversizedHuffmanTable(data, size) && !UsesUndefinedHuffmanTable(data, size) &&
               !HasUnsafeJpegScan(data, size) && DecodeWithStb(data, size, out);
    case EImageFormat::Png:
        return DecodeWithStb(data, size, out);
    case EImageFormat::Bmp:
        return !IsUnreadableBitmap(data, size) && DecodeWithStb(data, size, out);
    case EImageFormat::Unknown:
        break;
    }
    return false;
}

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return false;
    const std::streamoff length = file.tellg();
    if (length < 0)
        return false;
    bytes.resize(static_cast<std::size_t>(length));
    file.seekg(0);
    if (length > 0 && !file.read(reinterpret_cast<char*>(bytes.data()), length))
        return false;
    return true;
}

} // namespace Tess
