#include "Engine/Platform/Images/JpegStream.h"

#include <algorithm>
#include <bit>

namespace Tess
{

namespace
{

constexpr int kFastBits = SJpegHuffmanTable::kFastBits;
constexpr std::uint32_t kFastMask = (1u << kFastBits) - 1;

} // namespace

// ---- Huffman tables --------------------------------------------------------------------------

bool SJpegHuffmanTable::Build(const int (&counts)[16])
{
    int k = 0;
    for (int length = 1; length <= 16; ++length)
        for (int i = 0; i < counts[length - 1]; ++i)
            size[k++] = static_cast<std::uint8_t>(length);
    size[k] = 0;
    symbols = k;
    std::uint32_t next = 0;
    k = 0;
    for (int length = 1; length <= 16; ++length)
    {
        delta[length] = k - static_cast<int>(next);
        if (size[k] == length)
        {
            while (size[k] == length)
                code[k++] = static_cast<std::uint16_t>(next++);
            if (next - 1 >= (1u << length))
                return false;
        }
        maxCode[length] = next << (16 - length);
        next <<= 1;
    }
    maxCode[17] = 0xFFFFFFFF;
    fast.fill(255);
    for (int i = 0; i < k; ++i)
    {
        if (size[i] > kFastBits)
            continue;
        const int first = code[i] << (kFastBits - size[i]);
        for (int j = 0; j < (1 << (kFastBits - size[i])); ++j)
            fast[first + j] = static_cast<std::uint8_t>(i);
    }
    return true;
}

void SJpegHuffmanTable::BuildFastAc()
{
    for (int i = 0; i < (1 << kFastBits); ++i)
    {
        fastAc[i] = 0;
        if (fast[i] == 255)
            continue;
        const int runAndSize = values[fast[i]];
        const int run = (runAndSize >> 4) & 15, magnitudeBits = runAndSize & 15;
        const int length = size[fast[i]];
        if (magnitudeBits == 0 || length + magnitudeBits > kFastBits)
            continue;
        int value = ((i << length) & static_cast<int>(kFastMask)) >> (kFastBits - magnitudeBits);
        if (value < (1 << (magnitudeBits - 1)))
            value += 1 - (1 << magnitudeBits);
        if (value >= -128 && value <= 127)
            fastAc[i] = static_cast<std::int16_t>(value * 256 + run * 16 + length + magnitudeBits);
    }
}

int SJpegHuffmanTable::LargestCategory() const
{
    int largest = 0;
    for (int i = 0; i < symbols; ++i)
        if (values[i] <= 15)
            largest = std::max<int>(largest, values[i]);
    return largest;
}

// ---- Bytes and markers -----------------------------------------------------------------------

int CJpegStream::Get16()
{
    const int high = Get8();
    return (high << 8) + Get8();
}

void CJpegStream::Skip(int count)
{
    m_at += static_cast<std::size_t>(std::max(count, 0));
}

int CJpegStream::GetMarker()
{
    if (m_marker != kNoMarker)
    {
        const int marker = m_marker;
        m_marker = kNoMarker;
        return marker;
    }
    int byte = Get8();
    if (byte != 0xFF)
        return kNoMarker;
    while (byte == 0xFF)
        byte = Get8();
    return byte;
}

// stb's bit reader stops at the first 0xFF followed by anything but a stuffed zero, and goes on
// past a restart marker only where one is due; where it stops short of the marker, it looks for
// the next 0xFF and fails the file unless a marker follows. Either way it goes on, if at all,
// from the first marker other than a stuffed zero or a restart marker.
void CJpegStream::SkipCodedData(std::size_t start)
{
    m_marker = kNoMarker;
    m_at = start;
    while (m_at < m_size)
    {
        if (m_data[m_at] != 0xFF)
        {
            ++m_at;
            continue;
        }
        std::size_t code = m_at + 1;
        while (code < m_size && m_data[code] == 0xFF)
            ++code;
        if (code < m_size && m_data[code] != 0x00 && (m_data[code] < 0xD0 || m_data[code] > 0xD7))
            return;
        m_at = code + 1;
    }
    m_at = m_size;
}

// ---- Entropy-coded bits ----------------------------------------------------------------------

void CJpegStream::ResetBits()
{
    m_codeBits = 0;
    m_codeBuffer = 0;
    m_noMore = false;
    m_marker = kNoMarker;
}

// Bytes up to more than 24 bits, a stuffed 0xFF00 read as 0xFF.
void CJpegStream::Fill()
{
    do
    {
        const std::uint32_t byte = m_noMore ? 0 : static_cast<std::uint32_t>(Get8());
        if (byte == 0xFF)
        {
            int code = Get8();
            while (code == 0xFF)
                code = Get8();
            if (code != 0)
            {
                m_marker = code;
                m_noMore = true;
                return;
            }
        }
        // The count drops below zero only after a marker, where the bytes are zero.
        if (byte != 0 && m_codeBits >= 0)
            m_codeBuffer |= byte << (24 - m_codeBits);
        m_codeBits += 8;
    } while (m_codeBits <= 24);
}

int CJpegStream::DecodeHuffman(const SJpegHuffmanTable& table)
{
    EnsureBits(16);
    const int symbol = table.fast[(m_codeBuffer >> (32 - kFastBits)) & kFastMask];
    if (symbol < 255)
    {
        const int length = table.size[symbol];
        if (length > m_codeBits)
            return -1;
        m_codeBuffer <<= length;
        m_codeBits -= length;
        return table.values[symbol];
    }
    const std::uint32_t top = m_codeBuffer >> 16;
    int length = kFastBits + 1;
    while (top >= table.maxCode[length])
        ++length;
    if (length == 17 || length > m_codeBits)
        return -1;
    const std::uint32_t bits = (m_codeBuffer >> (32 - length)) & ((1u << length) - 1);
    const int index = static_cast<int>(bits) + table.delta[length];
    if (index < 0 || index > 255)
        return -1;
    m_codeBits -= length;
    m_codeBuffer <<= length;
    return table.values[index];
}

int CJpegStream::ReceiveExtended(int bits)
{
    EnsureBits(bits);
    // A leading one bit makes the value positive; below that, the category's negative half.
    const bool positive = (m_codeBuffer >> 31) != 0;
    const std::uint32_t mask = (1u << bits) - 1;
    std::uint32_t rotated = std::rotl(m_codeBuffer, bits);
    m_codeBuffer = rotated & ~mask;
    rotated &= mask;
    m_codeBits -= bits;
    return static_cast<int>(rotated) + (positive ? 0 : 1 - (1 << bits));
}

int CJpegStream::TakeFastAc(const SJpegHuffmanTable& table)
{
    const int entry = table.fastAc[(m_codeBuffer >> (32 - kFastBits)) & kFastMask];
    if (entry)
    {
        const int bits = entry & 15;
        m_codeBuffer <<= bits;
        m_codeBits -= bits;
    }
    return entry;
}

} // namespace Tess
