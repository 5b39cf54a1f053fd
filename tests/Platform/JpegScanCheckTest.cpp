// JPEG files whose decoding would overflow int in stb_image's DC arithmetic, or dequantise with a
// table no segment defined, or decode with a Huffman table it aborts on, are refused; files one
// block short of the overflow still decode.
#include "Engine/Platform/ImageDecoder.h"
#include "Engine/Platform/Images/JpegScanCheck.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace
{

// A one-component JPEG whose Huffman codes are all one bit long. Where its coded data ends at a
// marker stb reads zero bits: the first DC code, category `dcCategories[0]`, and the AC table's
// end of block, so every such block moves the DC prediction by -(2^category - 1).
struct STinyJpeg
{
    int width = 8, height = 8;
    int quantDc = 1;
    bool defineQuantTable = true;
    // The DC codes 0 and 1.
    std::vector<std::uint8_t> dcCategories = {15};
    int restartInterval = 0;
    // Progressive: a first DC scan whose values are shifted up by `shift` bits.
    bool progressive = false;
    int shift = 0;
    std::vector<std::uint8_t> codedData = {};
};

void AddSegment(std::vector<std::uint8_t>& out, std::uint8_t marker, const std::vector<std::uint8_t>& payload)
{
    const std::size_t length = payload.size() + 2;
    out.insert(out.end(), {0xFF, marker, std::uint8_t(length >> 8), std::uint8_t(length & 0xFF)});
    out.insert(out.end(), payload.begin(), payload.end());
}

std::vector<std::uint8_t> MakeJpeg(const STinyJpeg& spec)
{
    const auto high = [](int v) { return std::uint8_t(v >> 8); };
    const auto low = [](int v) { return std::uint8_t(v & 0xFF); };
    std::vector<std::uint8_t> out = {0xFF, 0xD8};
    if (spec.defineQuantTable)
    {
        // Table 0 of 16-bit entries.
        std::vector<std::uint8_t> table = {0x10};
        for (int i = 0; i < 64; ++i)
            table.insert(table.end(), {high(spec.quantDc), low(spec.quantDc)});
        AddSegment(out, 0xDB, table);
    }
    AddSegment(out, spec.progressive ? 0xC2 : 0xC1,
               {8, high(spec.height), low(spec.height), high(spec.width), low(spec.width), 1, 1, 0x11, 0});
    std::vector<std::uint8_t> dc(17, 0), ac(17, 0);
    dc[1] = std::uint8_t(spec.dcCategories.size());
    dc.insert(dc.end(), spec.dcCategories.begin(), spec.dcCategories.end());
    ac[0] = 0x10, ac[1] = 1, ac.push_back(0x00);
    AddSegment(out, 0xC4, dc);
    AddSegment(out, 0xC4, ac);
    if (spec.restartInterval > 0)
        AddSegment(out, 0xDD, {high(spec.restartInterval), low(spec.restartInterval)});
    AddSegment(out, 0xDA, {1, 1, 0x00, 0, std::uint8_t(spec.progressive ? 0 : 63), std::uint8_t(spec.shift)});
    out.insert(out.end(), spec.codedData.begin(), spec.codedData.end());
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

std::vector<std::uint8_t> ReadKeptInput(const char* name)
{
    std::ifstream file(std::filesystem::path(TESS_TEST_DATA_DIR) / "fuzz-regressions" / "image_decoder" / name,
                       std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool Decodes(const std::vector<std::uint8_t>& bytes)
{
    Tess::DecodedImage image;
    return Tess::DecodeImage(bytes.data(), bytes.size(), image);
}

} // namespace

TEST(JpegScanCheckTest, DcValuesThatWouldLeaveIntAreRefusedFromTheFirstBlockTooMany)
{
    // 257 blocks reach -257 x 32767, times 255 just inside int; 258 do not.
    EXPECT_TRUE(Decodes(MakeJpeg({.width = 257 * 8, .quantDc = 255})));
    EXPECT_FALSE(Decodes(MakeJpeg({.width = 258 * 8, .quantDc = 255})));
    // Category 11, the largest a valid 8-bit file uses, with the largest 16-bit entry.
    EXPECT_TRUE(Decodes(MakeJpeg({.width = 16 * 8, .quantDc = 65535, .dcCategories = {11}})));
    EXPECT_FALSE(Decodes(MakeJpeg({.width = 17 * 8, .quantDc = 65535, .dcCategories = {11}})));
    // A zero entry keeps every product at zero, but the prediction itself leaves int after
    // 65538 blocks.
    EXPECT_TRUE(Decodes(MakeJpeg({.width = 16384, .height = 256, .quantDc = 0})));
    EXPECT_FALSE(Decodes(MakeJpeg({.width = 16384, .height = 264, .quantDc = 0})));
    // A first progressive DC scan shifts its values up instead: 8 blocks fit 13 bits, 9 do not.
    EXPECT_TRUE(Decodes(MakeJpeg({.width = 64, .progressive = true, .shift = 13})));
    EXPECT_FALSE(Decodes(MakeJpeg({.width = 72, .progressive = true, .shift = 13})));
}

TEST(JpegScanCheckTest, TheDcPredictionRunsOnlyAsFarAsStbDecodes)
{
    // Where a restart marker is due and missing stb ends the scan: 200 blocks, no overflow.
    EXPECT_TRUE(Decodes(MakeJpeg({.width = 400 * 8, .quantDc = 255, .restartInterval = 200})));
    EXPECT_FALSE(Decodes(MakeJpeg({.width = 400 * 8, .quantDc = 255})));

    // Each interval of 300 blocks: 200 coded with code 1 (category 0, bits 10), then a restart
    // marker, before which stb reads 100 blocks of zero bits: -3276700 x 255 at most.
    STinyJpeg restarted{.width = 900 * 8, .quantDc = 255, .dcCategories = {15, 0}, .restartInterval = 300};
    for (int interval = 0; interval < 3; ++interval)
    {
        restarted.codedData.insert(restarted.codedData.end(), 50, 0xAA);
        if (interval < 2)
            restarted.codedData.insert(restarted.codedData.end(), {0xFF, std::uint8_t(0xD0 + interval)});
    }
    EXPECT_TRUE(Decodes(MakeJpeg(restarted)));
    // Without the interval stb stops reading at the first marker and takes zeros from there.
    restarted.restartInterval = 0;
    EXPECT_FALSE(Decodes(MakeJpeg(restarted)));

    // A first interval all of code 1, a restart marker, and a second interval of zero bits.
    STinyJpeg secondInterval{.width = 600 * 8, .quantDc = 255, .dcCategories = {15, 0}, .restartInterval = 300};
    secondInterval.codedData.assign(75, 0xAA);
    secondInterval.codedData.insert(secondInterval.codedData.end(), {0xFF, 0xD0});
    EXPECT_FALSE(Decodes(MakeJpeg(secondInterval)));
}

TEST(JpegScanCheckTest, ScansDequantisedWithAnUndefinedTableAreRefused)
{
    // The fuzzer's file: its chroma components name quantisation table 1, which it never
    // defines; stb multiplied by whatever its heap held there.
    const std::vector<std::uint8_t> bytes = ReadKeptInput("jpeg-chroma-named-an-undefined-quantisation-table.jpg");
    ASSERT_FALSE(bytes.empty());
    EXPECT_FALSE(Decodes(bytes));
    EXPECT_TRUE(Tess::HasUnsafeJpegScan(bytes.data(), bytes.size()));

    EXPECT_TRUE(Decodes(MakeJpeg({.dcCategories = {1}})));
    EXPECT_FALSE(Decodes(MakeJpeg({.defineQuantTable = false, .dcCategories = {1}})));
    EXPECT_FALSE(Decodes(MakeJpeg({.defineQuantTable = false, .dcCategories = {1}, .progressive = true})));
}

TEST(JpegScanCheckTest, HuffmanTablesStbWouldAbortOnAreRefused)
{
    // 255 codes of 8 bits and a 256th of 9, which stb's fast lookup cannot name; coded data that
    // starts with that code makes Debian's stb fail an assertion and abort.
    const std::vector<std::uint8_t> bytes =
        ReadKeptInput("jpeg-256th-huffman-code-short-enough-for-the-fast-lookup.jpg");
    ASSERT_FALSE(bytes.empty());
    EXPECT_FALSE(Decodes(bytes));
}
