#pragma once
// CByteWriter: little-endian bytes of the binary model files the generator writes (MilkShape,
// PLY, glTF), in the order they are written.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ModelGenerator
{

class CByteWriter
{
public:
    void U8(std::uint8_t v) { m_bytes.push_back(v); }
    void U16(std::uint16_t v)
    {
        U8(static_cast<std::uint8_t>(v));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v)
    {
        U16(static_cast<std::uint16_t>(v));
        U16(static_cast<std::uint16_t>(v >> 16));
    }
    void F32(float v) { U32(std::bit_cast<std::uint32_t>(v)); }
    // The characters of `text`, no terminator.
    void Text(const std::string& text) { m_bytes.insert(m_bytes.end(), text.begin(), text.end()); }
    // A zero-padded text field of `size` bytes (cut to size - 1 characters).
    void Text(const std::string& text, std::size_t size)
    {
        const std::size_t length = std::min(text.size(), size - 1);
        m_bytes.insert(m_bytes.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
        m_bytes.insert(m_bytes.end(), size - length, 0);
    }
    void Append(const std::vector<std::uint8_t>& bytes) { m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end()); }
    // Fills up to the next multiple of four bytes.
    void PadTo4(std::uint8_t fill)
    {
        while (m_bytes.size() % 4 != 0)
            U8(fill);
    }
    std::vector<std::uint8_t>& Bytes() { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace ModelGenerator
