#include "Engine/Platform/Images/JpegScanCheck.h"

#include "Engine/Platform/ImageDecoder.h"
#include "Engine/Platform/Images/JpegStream.h"

#include <algorithm>
#include <array>
#include <climits>

namespace Tess
{

namespace
{

// The walk mirrors stb's JPEG reader step by step (its marker loop here, its bit reader and
// Huffman tables in CJpegStream), because where stb stops, what it reads after a marker and which
// bits it takes for a code decide the DC values it reaches. Only the DC values are kept.

// How a step of the walk ends.
enum class EStep
{
    Go,       // stb goes on
    ScanDone, // stb ends the scan early and goes on with the next segment
    Refused,  // stb refuses the file before any fault: nothing more to check
    Unsafe,   // stb would overflow int or read a table no segment defined
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
    CJpegScanWalker(const std::uint8_t* data, std::size_t size) : m_stream(data, size) {}

    // Walks the file as stb decodes it: its segments up to the frame, then scans and segments
    // up to the end of the image.
    EStep Walk()
    {
        if (m_stream.GetMarker() != 0xD8)
            return EStep::Refused;
        int marker = m_stream.GetMarker();
        while (!IsStartOfFrame(marker))
        {
            if (const EStep step = ProcessSegment(marker); step != EStep::Go)
                return step;
            // Padding between header segments is skipped.
            marker = m_stream.GetMarker();
            while (marker == CJpegStream::kNoMarker)
            {
                if (m_stream.AtEnd())
                    return EStep::Refused;
                marker = m_stream.GetMarker();
            }
        }
        m_progressive = marker == 0xC2;
        if (!ReadFrame())
            return EStep::Refused;
        for (marker = m_stream.GetMarker(); marker != 0xD9; marker = m_stream.GetMarker())
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
        for (int i = 0; m_progressive && i < m_componentCount; ++i)
            if (!m_quantDefined[m_components[i].quantTable])
                return EStep::Unsafe;
        return EStep::Go;
    }

private:
    static bool IsStartOfFrame(int marker) { return marker == 0xC0 || marker == 0xC1 || marker == 0xC2; }
    static bool IsRestart(int marker) { return marker >= 0xD0 && marker <= 0xD7; }

    // ---- Segments --------------------------------------------------------------------------

    EStep ProcessSegment(int marker)
    {
        switch (marker)
        {
        case 0xDD:
            if (m_stream.Get16() != 4)
                return EStep::Refused;
            m_restartInterval = m_stream.Get16();
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
            const int length = m_stream.Get16();
            if (length < 2)
                return EStep::Refused;
            m_stream.Skip(length - 2);
            return EStep::Go;
        }
        return EStep::Refused;
    }

    // Only the DC entry of each table matters: an AC coefficient (at most 32767) times any
    // 16-bit entry stays inside int.
    EStep ReadQuantTables()
    {
        int remaining = m_stream.Get16() - 2;
        while (remaining > 0)
        {
            const int header = m_stream.Get8();
            const int precision = header >> 4, table = header & 15;
            if (precision > 1 || table > 3)
                return EStep::Refused;
            for (int i = 0; i < 64; ++i)
            {
                const int entry = precision ? m_stream.Get16() : m_stream.Get8();
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
        int remaining = m_stream.Get16() - 2;
        while (remaining > 0)
        {
            const int header = m_stream.Get8();
            const int tableClass = header >> 4, index = header & 15;
            if (tableClass > 1 || index > 3)
                return EStep::Refused;
            int counts[16];
            int symbols = 0;
            for (int& count : counts)
            {
                count = m_stream.Get8();
                symbols += count;
            }
            // stb writes such a table past the end of its arrays.
            if (symbols > 256)
                return EStep::Unsafe;
            remaining -= 17;
            SJpegHuffmanTable& table = tableClass == 0 ? m_dcTables[index] : m_acTables[index];
            if (!table.Build(counts))
                return EStep::Refused;
            for (int i = 0; i < symbols; ++i)
                table.values[i] = static_cast<std::uint8_t>(m_stream.Get8());
            // stb never finds a 256th code in its fast lookup, and its slow path then decodes a
            // neighbour of it: Debian's build asserts on that and aborts the program.
            if (symbols == 256 && table.size[255] <= SJpegHuffmanTable::kFastBits)
                return EStep::Unsafe;
            if (tableClass != 0)
                table.BuildFastAc();
            table.defined = true;
            remaining -= symbols;
        }
        return remaining == 0 ? EStep::Go : EStep::Refused;
    }

    bool ReadFrame()
    {
        const int length = m_stream.Get16();
        if (length < 11 || m_stream.Get8() != 8)
            return false;
        m_height = m_stream.Get16();
        m_width = m_stream.Get16();
        // Larger images are refused before stb decodes them.
        if (m_height == 0 || m_width == 0 || m_height > static_cast<int>(kMaxImageEdge) ||
            m_width > static_cast<int>(kMaxImageEdge))
            return false;
        m_componentCount = m_stream.Get8();
        if (m_componentCount != 1 && m_componentCount != 3 && m_componentCount != 4)
            return false;
        if (length != 8 + 3 * m_componentCount)
            return false;
        int hMax = 1, vMax = 1;
        for (int i = 0; i < m_componentCount; ++i)
        {
            SComponent& component = m_components[i];
            component.id = m_stream.Get8();
            const int sampling = m_stream.Get8();
            component.h = sampling >> 4;
            component.v = sampling & 15;
            component.quantTable = m_stream.Get8();
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
        const int length = m_stream.Get16();
        const int lines = m_stream.Get16();
        return length == 4 && lines == m_height ? EStep::Go : EStep::Refused;
    }

    bool ReadScanHeader()
    {
        const int length = m_stream.Get16();
        m_scanCount = m_stream.Get8();
        if (m_scanCount < 1 || m_scanCount > 4 || m_scanCount > m_componentCount || length != 6 + 2 * m_scanCount)
            return false;
        for (int i = 0; i < m_scanCount; ++i)
        {
            const int id = m_stream.Get8();
            const int tables = m_stream.Get8();
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
        m_spectralStart = m_stream.Get8();
        m_spectralEnd = m_stream.Get8();
        const int approximation = m_stream.Get8();
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
        const std::size_t codedData = m_stream.Position();
        const EStep step = CheckScan();
        if (step == EStep::Refused || step == EStep::Unsafe)
            return step;
        m_stream.SkipCodedData(codedData);
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
        return WalkBlocks(m_progressive ? &CJpegScanWalker::DecodeDcDifference : &CJpegScanWalker::DecodeBlock);
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
        m_stream.EnsureBits(24);
        // Without a restart marker stb keeps what it has decoded and ends the scan.
        if (!IsRestart(m_stream.PendingMarker()))
            return EStep::ScanDone;
        Restart();
        return EStep::Go;
    }

    void Restart()
    {
        m_stream.ResetBits();
        for (SComponent& component : m_components)
            component.dcPrediction = 0;
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
        m_stream.EnsureBits(16);
        const int category = m_stream.DecodeHuffman(m_dcTables[component.dcTable]);
        if (category < 0 || category > 15)
            return EStep::Refused;
        return AddDcDifference(component, category ? m_stream.ReceiveExtended(category) : 0);
    }

    // A baseline block: its DC difference, then AC codes up to the end of block, taking the
    // same bits as stb (its one-step path for short codes takes them without a bit count check).
    EStep DecodeBlock(SComponent& component)
    {
        if (const EStep step = DecodeDcDifference(component); step != EStep::Go)
            return step;
        const SJpegHuffmanTable& ac = m_acTables[component.acTable];
        int k = 1;
        do
        {
            m_stream.EnsureBits(16);
            if (const int fast = m_stream.TakeFastAc(ac))
            {
                k += ((fast >> 4) & 15) + 1;
                continue;
            }
            const int runAndSize = m_stream.DecodeHuffman(ac);
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
                m_stream.ReceiveExtended(magnitudeBits);
            }
        } while (k < 64);
        return EStep::Go;
    }

    CJpegStream m_stream;

    std::array<SJpegHuffmanTable, 4> m_dcTables, m_acTables;
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
