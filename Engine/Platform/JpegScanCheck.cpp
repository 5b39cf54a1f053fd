#include "Engine/Platform/JpegScanCheck.h"

#include "Engine/Platform/ImageDecoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>

namespace Tess
{

namespace
{

// The walk mirrors stb's JPEG reader step by step (its marker loop, its bit reader, its Huffman
// tables and their fast lookups), because where stb stops, what it reads after a marker and
// which bits it takes for a code decide the DC values it reaches. Only the DC values are kept.

constexpr int kNoMarker = 0xFF;
constexpr int kFastBits = 9;
constexpr std::uint32_t kFastMask = (1u << kFastBits) - 1;

// How a step of the walk ends.
enum class EStep
{
    Go,       // stb goes on
    ScanDone, // stb ends the scan early and goes on with the next segment
    Refused,  // stb refuses the file before any fault: nothing more to check
    Unsafe,   // stb would overflow int or read a table no segment defined
};

// The file as stb's memory reader hands it out: zeros past the end, where a skip may carry the
// position beyond it.
class CByteSource
{
public:
    CByteSource(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    int Get8() { return m_at < m_size ? m_data[m_at++] : 0; }
    int Get16()
    {
        const int high = Get8();
        return (high << 8) + Get8();
    }
    bool AtEnd() const { return m_at >= m_size; }
    void Skip(int count) { m_at += static_cast<std::size_t>(std::max(count, 0)); }
    std::size_t Position() const { return m_at; }
    void MoveTo(std::size_t at) { m_at = at; }

    // Past coded data that starts at `at`: to the 0xFF that starts the first marker other than
    // a stuffed zero or a restart marker. stb's bit reader either stops there or fails the file.
    std::size_t EndOfCodedData(std::size_t at) const
    {
        while (at < m_size)
        {
            if (m_data[at] != 0xFF)
            {
                ++at;
                continue;
            }
            std::size_t code = at + 1;
            while (code < m_size && m_data[code] == 0xFF)
                ++code;
            if (code < m_size && m_data[code] != 0x00 && (m_data[code] < 0xD0 || m_data[code] > 0xD7))
                return at;
            at = code + 1;
        }
        return m_size;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// A Huffman table as stb builds it, with its quirks: codes of up to nine bits are looked up in
// `fast` (255 meaning none, so symbol 255 is never found there), longer ones through `maxCode`.
struct SHuffmanTable
{
    std::array<std::uint8_t, 1 << kFastBits> fast{};
    std::array<std::uint16_t, 256> code{};
    std::array<std::uint8_t, 256> values{};
    std::array<std::uint8_t, 257> size{};
    std::array<std::uint32_t, 18> maxCode{};
    std::array<int, 17> delta{};
    // For AC tables: run, length and value of the short codes stb decodes in one step.
    std::array<std::int16_t, 1 << kFastBits> fastAc{};
    int symbols = 0;
    bool defined = false;

    bool Build(const int (&counts)[16])
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

    void BuildFastAc()
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

    // The largest DC difference category a scan can decode with this table (stb fails on any
    // category above 15).
    int LargestCategory() const
    {
        int largest = 0;
        for (int i = 0; i < symbols; ++i)
            if (values[i] <= 15)
                largest = std::max<int>(largest, values[i]);
        return largest;
    }
};

struct SComponent
{
    int id = 0, h = 1, v = 1, quantTable = 0;
    int width = 0, height = 0; // in samples of this component
    int dcTable = 0, acTable = 0;
    int dcPrediction = 0;
};

class CJpegScanWalker
{
public:
    CJpegScanWalker(const std::uint8_t* data, std::size_t size) : m_source(data, size) {}

    // Walks the file as stb decodes it: its segments up to the frame, then scans and segments
    // up to the end of the image.
    EStep Walk()
    {
        if (GetMarker() != 0xD8)
            return EStep::Refused;
        int marker = GetMarker();
        while (!IsStartOfFrame(marker))
        {
            if (const EStep step = ProcessSegment(marker); step != EStep::Go)
                return step;
            // Padding between header segments is skipped.
            marker = GetMarker();
            while (marker == kNoMarker)
            {
                if (m_source.AtEnd())
                    return EStep::Refused;
                marker = GetMarker();
            }
        }
        m_progressive = marker == 0xC2;
        if (!ReadFrame())
            return EStep::Refused;
        for (marker = GetMarker(); marker != 0xD9; marker = GetMarker())
        {
            EStep step = EStep::Go;
            if (marker == 0xDA)
                step = ProcessScan();
            else if (marker == 0xDC)
                step = ReadLineCount();
            else
                step = ProcessSegment(marker);
            if (step != EStep::Go)
                return step;
        }
        // A progressive image is dequantised once every scan is in, with the tables of then.
        for (int i = 0; i < m_componentCount; ++i)
            if (m_progressive && !m_quantDefined[m_components[i].quantTable])
                return EStep::Unsafe;
        return EStep::Go;
    }

private:
    static bool IsStartOfFrame(int marker) { return marker == 0xC0 || marker == 0xC1 || marker == 0xC2; }
    static bool IsRestart(int marker) { return marker >= 0xD0 && marker <= 0xD7; }

    int GetMarker()
    {
        if (m_marker != kNoMarker)
        {
            const int marker = m_marker;
            m_marker = kNoMarker;
            return marker;
        }
        int byte = m_source.Get8();
        if (byte != 0xFF)
            return kNoMarker;
        while (byte == 0xFF)
            byte = m_source.Get8();
        return byte;
    }

    // ---- Segments --------------------------------------------------------------------------

    EStep ProcessSegment(int marker)
    {
        switch (marker)
        {
        case 0xDD:
            if (m_source.Get16() != 4)
                return EStep::Refused;
            m_restartInterval = m_source.Get16();
            return EStep::Go;
        case 0xDB:
            return ReadQuantTables();
        case 0xC4:
            return ReadHuffmanTables();
        default:
            break;
        }
        if ((marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE)
        {
            const int length = m_source.Get16();
            if (length < 2)
                return EStep::Refused;
            m_source.Skip(length - 2);
            return EStep::Go;
        }
        return EStep::Refused;
    }

    // Only the DC entry of each table matters: an AC coefficient (at most 32767) times any
    // 16-bit entry stays inside int.
    EStep ReadQuantTables()
    {
        int remaining = m_source.Get16() - 2;
        while (remaining > 0)
        {
            const int header = m_source.Get8();
            const int precision = header >> 4, table = header & 15;
            if (precision > 1 || table > 3)
                return EStep::Refused;
            for (int i = 0; i < 64; ++i)
            {
                const int entry = precision ? m_source.Get16() : m_source.Get8();
                if (i == 0)
                    m_quantDc[table] = entry;
            }
            m_quantDefined[table] = true;
            remaining -= precision ? 129 : 65;
        }
        return remaining == 0 ? EStep::Go : EStep::Refused;
    }

    EStep ReadHuffmanTables()
    {
        int remaining = m_source.Get16() - 2;
        while (remaining > 0)
        {
            const int header = m_source.Get8();
            const int tableClass = header >> 4, index = header & 15;
            if (tableClass > 1 || index > 3)
                return EStep::Refused;
            int counts[16];
            int symbols = 0;
            for (int& count : counts)
            {
                count = m_source.Get8();
                symbols += count;
            }
            // stb writes such a table past the end of its arrays.
            if (symbols > 256)
                return EStep::Unsafe;
            remaining -= 17;
            SHuffmanTable& table = tableClass == 0 ? m_dcTables[index] : m_acTables[index];
            if (!table.Build(counts))
                return EStep::Refused;
            for (int i = 0; i < symbols; ++i)
                table.values[i] = static_cast<std::uint8_t>(m_source.Get8());
            if (tableClass != 0)
                table.BuildFastAc();
            table.defined = true;
            remaining -= symbols;
        }
        return remaining == 0 ? EStep::Go : EStep::Refused;
    }

    bool ReadFrame()
    {
        const int length = m_source.Get16();
        if (length < 11 || m_source.Get8() != 8)
            return false;
        m_height = m_source.Get16();
        m_width = m_source.Get16();
        // Larger images are refused before stb decodes them.
        if (m_height == 0 || m_width == 0 || m_height > static_cast<int>(kMaxImageEdge) ||
            m_width > static_cast<int>(kMaxImageEdge))
            return false;
        m_componentCount = m_source.Get8();
        if (m_componentCount != 1 && m_componentCount != 3 && m_componentCount != 4)
            return false;
        if (length != 8 + 3 * m_componentCount)
            return false;
        int hMax = 1, vMax = 1;
        for (int i = 0; i < m_componentCount; ++i)
        {
            SComponent& component = m_components[i];
            component.id = m_source.Get8();
            const int sampling = m_source.Get8();
            component.h = sampling >> 4;
            component.v = sampling & 15;
            component.quantTable = m_source.Get8();
            if (component.h < 1 || component.h > 4 || component.v < 1 || component.v > 4 || component.quantTable > 3)
                return false;
            hMax = std::max(hMax, component.h);
            vMax = std::max(vMax, component.v);
        }
        for (int i = 0; i < m_componentCount; ++i)
        {
            SComponent& component = m_components[i];
            if (hMax % component.h != 0 || vMax % component.v != 0)
                return false;
            component.width = (m_width * component.h + hMax - 1) / hMax;
            component.height = (m_height * component.v + vMax - 1) / vMax;
        }
        m_mcuColumns = (m_width + hMax * 8 - 1) / (hMax * 8);
        m_mcuRows = (m_height + vMax * 8 - 1) / (vMax * 8);
        return true;
    }

    EStep ReadLineCount()
    {
        const int length = m_source.Get16();
        const int lines = m_source.Get16();
        return length == 4 && lines == m_height ? EStep::Go : EStep::Refused;
    }

    bool ReadScanHeader()
    {
        const int length = m_source.Get16();
        m_scanCount = m_source.Get8();
        if (m_scanCount < 1 || m_scanCount > 4 || m_scanCount > m_componentCount || length != 6 + 2 * m_scanCount)
            return false;
        for (int i = 0; i < m_scanCount; ++i)
        {
            const int id = m_source.Get8();
            const int tables = m_source.Get8();
            int which = 0;
            while (which < m_componentCount && m_components[which].id != id)
                ++which;
            if (which == m_componentCount)
                return false;
            m_components[which].dcTable = tables >> 4;
            m_components[which].acTable = tables & 15;
            if (m_components[which].dcTable > 3 || m_components[which].acTable > 3)
                return false;
            m_order[i] = which;
        }
        m_spectralStart = m_source.Get8();
        m_spectralEnd = m_source.Get8();
        const int approximation = m_source.Get8();
        m_approximationHigh = approximation >> 4;
        m_approximationLow = approximation & 15;
        if (m_progressive)
            return m_spectralStart <= 63 && m_spectralEnd <= 63 && m_spectralStart <= m_spectralEnd &&
                   m_approximationHigh <= 13 && m_approximationLow <= 13;
        return m_spectralStart == 0 && m_approximationHigh == 0 && m_approximationLow == 0;
    }

    // ---- Scans -----------------------------------------------------------------------------

    EStep ProcessScan()
    {
        if (!ReadScanHeader())
            return EStep::Refused;
        const std::size_t codedData = m_source.Position();
        const EStep step = CheckScan();
        if (step == EStep::Refused || step == EStep::Unsafe)
            return step;
        m_source.MoveTo(m_source.EndOfCodedData(codedData));
        m_marker = kNoMarker;
        return EStep::Go;
    }

    EStep CheckScan()
    {
        // Progressive AC and DC refinement scans change no DC prediction, and their values
        // stay inside int; a first DC scan that also names AC coefficients is refused.
        if (m_progressive && m_spectralStart != 0)
            return EStep::Go;
        if (m_progressive && m_spectralEnd != 0)
            return EStep::Refused;
        if (m_progressive && m_approximationHigh != 0)
            return EStep::Go;
        for (int i = 0; i < m_scanCount; ++i)
        {
            const SComponent& component = m_components[m_order[i]];
            if (!m_dcTables[component.dcTable].defined)
                return EStep::Unsafe;
            if (!m_progressive && (!m_acTables[component.acTable].defined || !m_quantDefined[component.quantTable]))
                return EStep::Unsafe;
        }
        if (!CanOverflow())
            return EStep::Go;
        return m_progressive ? WalkBlocks(&CJpegScanWalker::DecodeDcDifference) : WalkBlocks(&CJpegScanWalker::DecodeBlock);
    }

    // What a component's DC value is multiplied by in this scan: its quantisation entry, or in
    // a progressive first DC scan the shift to its bit position.
    std::int64_t DcFactor(const SComponent& component) const
    {
        return m_progressive ? std::int64_t(1) << m_approximationLow : m_quantDc[component.quantTable];
    }

    // The prediction moves by less than 2^category per block and restarts with each restart
    // interval, so most scans of real files cannot reach the limits: those are not walked.
    bool CanOverflow() const
    {
        for (int i = 0; i < m_scanCount; ++i)
        {
            const SComponent& component = m_components[m_order[i]];
            const std::int64_t blocksPerMcu = m_scanCount == 1 ? 1 : component.h * component.v;
            const std::int64_t mcus = m_scanCount == 1
                                          ? std::int64_t((component.width + 7) >> 3) * ((component.height + 7) >> 3)
                                          : std::int64_t(m_mcuColumns) * m_mcuRows;
            const std::int64_t blocks =
                blocksPerMcu * (m_restartInterval > 0 ? std::min<std::int64_t>(mcus, m_restartInterval) : mcus);
            const int category = m_dcTables[component.dcTable].LargestCategory();
            const std::int64_t largestDc = blocks * ((std::int64_t(1) << category) - 1);
            if (largestDc * std::max<std::int64_t>(1, DcFactor(component)) > INT_MAX)
                return true;
        }
        return false;
    }

    using DecodeFunction = EStep (CJpegScanWalker::*)(SComponent&);

    // stb's block order: a lone component block by block over its own size, several in
    // interleaved units; a restart marker is due after each unit of the restart interval.
    EStep WalkBlocks(DecodeFunction decode)
    {
        Restart();
        if (m_scanCount == 1)
        {
            SComponent& component = m_components[m_order[0]];
            const int columns = (component.width + 7) >> 3, rows = (component.height + 7) >> 3;
            for (int block = 0; block < columns * rows; ++block)
            {
                EStep step = (this->*decode)(component);
                if (step == EStep::Go)
                    step = CountRestartInterval();
                if (step != EStep::Go)
                    return step;
            }
            return EStep::Go;
        }
        for (int mcu = 0; mcu < m_mcuColumns * m_mcuRows; ++mcu)
        {
            for (int i = 0; i < m_scanCount; ++i)
            {
                SComponent& component = m_components[m_order[i]];
                for (int block = 0; block < component.h * component.v; ++block)
                    if (const EStep step = (this->*decode)(component); step != EStep::Go)
                        return step;
            }
            if (const EStep step = CountRestartInterval(); step != EStep::Go)
                return step;
        }
        return EStep::Go;
    }

    EStep CountRestartInterval()
    {
        if (--m_untilRestart > 0)
            return EStep::Go;
        if (m_codeBits < 24)
            Fill();
        // Without a restart marker stb keeps what it has decoded and ends the scan.
        if (!IsRestart(m_marker))
            return EStep::ScanDone;
        Restart();
        return EStep::Go;
    }

    void Restart()
    {
        m_codeBits = 0;
        m_codeBuffer = 0;
        m_noMore = false;
        for (SComponent& component : m_components)
            component.dcPrediction = 0;
        m_marker = kNoMarker;
        m_untilRestart = m_restartInterval ? m_restartInterval : INT_MAX;
    }

    EStep AddDcDifference(SComponent& component, int difference)
    {
        const std::int64_t dc = std::int64_t(component.dcPrediction) + difference;
        if (dc < INT_MIN || dc > INT_MAX)
            return EStep::Unsafe;
        component.dcPrediction = static_cast<int>(dc);
        const std::int64_t scaled = dc * DcFactor(component);
        return scaled < INT_MIN || scaled > INT_MAX ? EStep::Unsafe : EStep::Go;
    }

    EStep DecodeDcDifference(SComponent& component)
    {
        if (m_codeBits < 16)
            Fill();
        const int category = DecodeHuffman(m_dcTables[component.dcTable]);
        if (category < 0 || category > 15)
            return EStep::Refused;
        return AddDcDifference(component, category ? ReceiveExtended(category) : 0);
    }

    // A baseline block: its DC difference, then AC codes up to the end of block, taking the
    // same bits as stb (its one-step path for short codes takes them without a bit count check).
    EStep DecodeBlock(SComponent& component)
    {
        if (const EStep step = DecodeDcDifference(component); step != EStep::Go)
            return step;
        const SHuffmanTable& ac = m_acTables[component.acTable];
        int k = 1;
        do
        {
            if (m_codeBits < 16)
                Fill();
            const int fast = ac.fastAc[(m_codeBuffer >> (32 - kFastBits)) & kFastMask];
            if (fast)
            {
                const int bits = fast & 15;
                k += ((fast >> 4) & 15) + 1;
                m_codeBuffer <<= bits;
                m_codeBits -= bits;
                continue;
            }
            const int runAndSize = DecodeHuffman(ac);
            if (runAndSize < 0)
                return EStep::Refused;
            const int magnitudeBits = runAndSize & 15;
            if (magnitudeBits == 0)
            {
                if (runAndSize != 0xF0)
                    break; // end of block
                k += 16;
            }
            else
            {
                k += (runAndSize >> 4) + 1;
                ReceiveExtended(magnitudeBits);
            }
        } while (k < 64);
        return EStep::Go;
    }

    // ---- Bits ------------------------------------------------------------------------------

    // stb's refill: bytes up to more than 24 bits, a stuffed 0xFF00 read as 0xFF. At a marker it
    // stops once, without adding bits, and from then on adds zero bytes.
    void Fill()
    {
        do
        {
            const std::uint32_t byte = m_noMore ? 0 : static_cast<std::uint32_t>(m_source.Get8());
            if (byte == 0xFF)
            {
                int code = m_source.Get8();
                while (code == 0xFF)
                    code = m_source.Get8();
                if (code != 0)
                {
                    m_marker = code;
                    m_noMore = true;
                    return;
                }
            }
            // A count below zero comes only after a marker, where the bytes are zero.
            if (byte != 0 && m_codeBits >= 0)
                m_codeBuffer |= byte << (24 - m_codeBits);
            m_codeBits += 8;
        } while (m_codeBits <= 24);
    }

    int DecodeHuffman(const SHuffmanTable& table)
    {
        if (m_codeBits < 16)
            Fill();
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
        const int index = static_cast<int>((m_codeBuffer >> (32 - length)) & ((1u << length) - 1)) + table.delta[length];
        if (index < 0 || index > 255)
            return -1;
        m_codeBits -= length;
        m_codeBuffer <<= length;
        return table.values[index];
    }

    // `bits` bits as a signed value of that magnitude category.
    int ReceiveExtended(int bits)
    {
        if (m_codeBits < bits)
            Fill();
        const bool positive = (m_codeBuffer >> 31) != 0;
        const std::uint32_t mask = (1u << bits) - 1;
        std::uint32_t rotated = std::rotl(m_codeBuffer, bits);
        m_codeBuffer = rotated & ~mask;
        rotated &= mask;
        m_codeBits -= bits;
        return static_cast<int>(rotated) + (positive ? 0 : 1 - (1 << bits));
    }

    CByteSource m_source;
    int m_marker = kNoMarker;

    std::array<SHuffmanTable, 4> m_dcTables, m_acTables;
    std::array<int, 4> m_quantDc{};
    std::array<bool, 4> m_quantDefined{};
    int m_restartInterval = 0;

    bool m_progressive = false;
    int m_width = 0, m_height = 0;
    int m_componentCount = 0;
    std::array<SComponent, 4> m_components{};
    int m_mcuColumns = 0, m_mcuRows = 0;

    int m_scanCount = 0;
    std::array<int, 4> m_order{};
    int m_spectralStart = 0, m_spectralEnd = 0, m_approximationHigh = 0, m_approximationLow = 0;

    std::uint32_t m_codeBuffer = 0;
    int m_codeBits = 0;
    bool m_noMore = false;
    int m_untilRestart = INT_MAX;
};

} // namespace

bool HasUnsafeJpegScan(const std::uint8_t* data, std::size_t size)
{
    if (!data)
        return false;
    return CJpegScanWalker(data, size).Walk() == EStep::Unsafe;
}

} // namespace Tess
