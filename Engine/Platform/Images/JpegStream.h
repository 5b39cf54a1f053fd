#pragma once
// A JPEG file as stb_image 2.27 (Debian 12's) consumes it, for checks that must read exactly what
// stb reads: bytes as its memory reader hands them out, markers where it finds them, and
// entropy-coded bits through Huffman tables built as stb builds them. No pixels are decoded.

#include <array>
#include <cstddef>
#include <cstdint>

namespace Tess
{

// A Huffman table as stb builds it, quirks included: codes of up to `kFastBits` bits are looked
// up in `fast` (255 meaning none, so symbol 255 is never found there), longer ones through
// `maxCode` and `delta`.
struct SJpegHuffmanTable
{
    static constexpr int kFastBits = 9;

    // Builds the codes from the number of codes of each length, 1 to 16 bits, and at most 256 in
    // all; false where stb refuses the lengths. `values` are read in afterwards.
    bool Build(const int (&counts)[16]);
    // For AC tables, once `values` are in: the short codes stb decodes with their value at once.
    void BuildFastAc();
    // The largest DC difference category a scan decodes with this table; stb fails on any
    // symbol above 15.
    int LargestCategory() const;

    std::array<std::uint8_t, 1 << kFastBits> fast{};
    std::array<std::uint16_t, 256> code{};
    std::array<std::uint8_t, 256> values{};
    std::array<std::uint8_t, 257> size{};
    std::array<std::uint32_t, 18> maxCode{};
    std::array<int, 17> delta{};
    // Value, run and bit count of the short AC codes; zero for the others.
    std::array<std::int16_t, 1 << kFastBits> fastAc{};
    int symbols = 0;
    bool defined = false;
};

class CJpegStream
{
public:
    // What GetMarker returns where no marker starts.
    static constexpr int kNoMarker = 0xFF;

    CJpegStream(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    // Bytes, with zeros past the end; a skip may carry the position beyond it.
    int Get8() { return m_at < m_size ? m_data[m_at++] : 0; }
    int Get16();
    bool AtEnd() const { return m_at >= m_size; }
    void Skip(int count);
    std::size_t Position() const { return m_at; }

    // The marker the bit reader stopped at, else the code after the 0xFF bytes from here.
    int GetMarker();
    // Goes past the coded data that started at `start`, to the first marker that ends it, as
    // stb does whenever it goes on with the next segment at all.
    void SkipCodedData(std::size_t start);

    // ---- Entropy-coded bits ---------------------------------------------------------------

    // Starts the bits afresh, as at the start of a scan and after each restart marker.
    void ResetBits();
    // Refills when fewer than `count` bits are held. At a marker the refill stops once without
    // adding bits and from then on adds zero bytes.
    void EnsureBits(int count)
    {
        if (m_codeBits < count)
            Fill();
    }
    // The marker the bit reader stopped at, or kNoMarker.
    int PendingMarker() const { return m_marker; }
    // The next symbol, or -1 where stb finds no code (it then fails the file).
    int DecodeHuffman(const SJpegHuffmanTable& table);
    // `bits` bits as a signed value of that magnitude category.
    int ReceiveExtended(int bits);
    // Where the next bits are a short AC code with its value, takes them and returns the
    // table's entry; else 0. stb takes them without checking how many bits it holds.
    int TakeFastAc(const SJpegHuffmanTable& table);

private:
    void Fill();

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
    int m_marker = kNoMarker;
    std::uint32_t m_codeBuffer = 0;
    int m_codeBits = 0;
    bool m_noMore = false;
};

} // namespace Tess
