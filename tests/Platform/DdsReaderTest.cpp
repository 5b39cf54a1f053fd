// The DDS reader against files written by ImageMagick, each compared pixel by pixel with the
// same image as PNG (decoded through stb_image), plus corrupt and truncated inputs.

#include "Engine/Platform/Images/DdsReader.h"
#include "Engine/Platform/Images/DdsWriter.h"
#include "Engine/Platform/ImageDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

using namespace Tess;

namespace
{

std::vector<std::uint8_t> LoadSample(const std::string& name)
{
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(ReadFileBytes(std::string(TESS_TEST_DATA_DIR) + "/dds/" + name, bytes)) << name;
    return bytes;
}

DecodedImage DecodeSample(const std::string& name)
{
    const std::vector<std::uint8_t> bytes = LoadSample(name);
    DecodedImage image;
    EXPECT_TRUE(DecodeImage(bytes.data(), bytes.size(), image)) << name;
    return image;
}

int ChannelDifference(std::uint32_t a, std::uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

// Largest per-channel difference between two images of the same size.
int MaxDifference(const DecodedImage& a, const DecodedImage& b)
{
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    if (a.texels.size() != b.texels.size())
        return 256;
    int worst = 0;
    for (std::size_t i = 0; i < a.texels.size(); ++i)
        worst = std::max(worst, ChannelDifference(a.texels[i], b.texels[i]));
    return worst;
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

TEST(DdsReaderImageMagick, UncompressedWithAlphaMatchesSourcePngExactly)
{
    const DecodedImage dds = DecodeSample("rgba_none.dds");
    const DecodedImage png = DecodeSample("rgba.png");
    ASSERT_EQ(dds.width, 37u);
    ASSERT_EQ(dds.height, 21u);
    EXPECT_EQ(MaxDifference(dds, png), 0);
    // The source has a horizontal alpha ramp: the reader must not drop alpha.
    EXPECT_LT(dds.texels.front() >> 24, 16u);
    EXPECT_GT(dds.texels[36] >> 24, 240u);
}

TEST(DdsReaderImageMagick, Uncompressed24BitMatchesSourcePngExactly)
{
    const DecodedImage dds = DecodeSample("rgb_none.dds");
    const DecodedImage png = DecodeSample("rgb.png");
    EXPECT_EQ(MaxDifference(dds, png), 0);
    for (std::uint32_t texel : dds.texels)
        ASSERT_EQ(texel >> 24, 0xFFu);
}

// Block-compressed files are lossy, so they are compared with ImageMagick's own decoding of
// the same file. Colour interpolation may round differently by one step.
TEST(DdsReaderImageMagick, BlockCompressedMatchesImageMagicksDecoding)
{
    for (const char* name : {"rgba_dxt1", "rgba_dxt5", "rgb_dxt1_mips"})
    {
        SCOPED_TRACE(name);
        const DecodedImage dds = DecodeSample(std::string(name) + ".dds");
        const DecodedImage png = DecodeSample(std::string(name) + ".dds.png");
        EXPECT_LE(MaxDifference(dds, png), 1);
    }
}

TEST(DdsReaderImageMagick, Dxt5KeepsTheAlphaRampWithinCompressionError)
{
    const DecodedImage dds = DecodeSample("rgba_dxt5.dds");
    const DecodedImage png = DecodeSample("rgba.png");
    ASSERT_EQ(dds.texels.size(), png.texels.size());
    for (std::size_t i = 0; i < dds.texels.size(); ++i)
        ASSERT_LE(std::abs(int(dds.texels[i] >> 24) - int(png.texels[i] >> 24)), 8) << i;
}

TEST(DdsReaderBlocks, Dxt3ExplicitAlphaAndFourColourBlock)
{
    // One 4x4 block: alpha nibbles 0..15 in texel order, colours red (c0) and blue (c1), the
    // indices walking 0,1,2,3 along each row.
    DecodedImage source;
    std::vector<std::uint32_t> blank(16, 0);
    std::vector<std::uint8_t> file = WriteDds(4, 4, blank.data(), true);
    file.resize(128 + 16);
    PutU32(file, 80, 0x4);                  // DDPF_FOURCC
    PutU32(file, 84, 0x33545844);           // "DXT3"
    for (int t = 0; t < 16; t += 2)
        file[128 + t / 2] = static_cast<std::uint8_t>(t | ((t + 1) << 4));
    file[128 + 8] = 0x00; file[128 + 9] = 0xF8;   // c0 = pure red in 5:6:5
    file[128 + 10] = 0x1F; file[128 + 11] = 0x00; // c1 = pure blue
    PutU32(file, 128 + 12, 0xE4E4E4E4);           // indices 0,1,2,3 per row

    DecodedImage image;
    ASSERT_TRUE(ReadDds(file.data(), file.size(), image));
    ASSERT_EQ(image.texels.size(), 16u);
    EXPECT_EQ(image.texels[0], 0x00FF0000u);          // alpha 0, red
    EXPECT_EQ(image.texels[1], 0x110000FFu);          // alpha 17, blue
    EXPECT_EQ(image.texels[2], 0x22AA0055u);          // two thirds red, one third blue
    EXPECT_EQ(image.texels[3], 0x335500AAu);          // one third red, two thirds blue
    EXPECT_EQ(image.texels[15] >> 24, 0xFFu);
}

TEST(DdsReaderBlocks, Dxt1ThreeColourModeMakesIndexThreeTransparent)
{
    std::vector<std::uint32_t> blank(16, 0);
    std::vector<std::uint8_t> file = WriteDds(4, 4, blank.data(), false);
    file.resize(128 + 8);
    PutU32(file, 80, 0x4);
    PutU32(file, 84, 0x31545844); // "DXT1"
    // c0 <= c1 selects the three-colour mode.
    file[128] = 0x1F; file[129] = 0x00;  // blue
    file[130] = 0x00; file[131] = 0xF8;  // red
    PutU32(file, 132, 0xFFFFFFE4);       // first row 0,1,2,3; the rest index 3

    DecodedImage image;
    ASSERT_TRUE(ReadDds(file.data(), file.size(), image));
    EXPECT_EQ(image.texels[0], 0xFF0000FFu);
    EXPECT_EQ(image.texels[1], 0xFFFF0000u);
    EXPECT_EQ(image.texels[2], 0xFF7F007Fu);
    EXPECT_EQ(image.texels[3], 0x00000000u);
}

TEST(DdsWriterRoundTrip, ReaderReturnsWhatTheWriterWrote)
{
    std::vector<std::uint32_t> texels(5 * 3);
    for (std::size_t i = 0; i < texels.size(); ++i)
        texels[i] = static_cast<std::uint32_t>(0x10203040u * (i + 1) + i);
    DecodedImage image;
    const std::vector<std::uint8_t> withAlpha = WriteDds(5, 3, texels.data(), true);
    ASSERT_TRUE(ReadDds(withAlpha.data(), withAlpha.size(), image));
    EXPECT_EQ(image.width, 5u);
    EXPECT_EQ(image.height, 3u);
    EXPECT_EQ(image.texels, texels);

    const std::vector<std::uint8_t> opaque = WriteDds(5, 3, texels.data(), false);
    ASSERT_TRUE(ReadDds(opaque.data(), opaque.size(), image));
    for (std::size_t i = 0; i < texels.size(); ++i)
        EXPECT_EQ(image.texels[i], texels[i] | 0xFF000000u);
}

TEST(DdsReaderCorrupt, EveryTruncationFailsCleanly)
{
    for (const char* name : {"rgba_none.dds", "rgb_none.dds", "rgba_dxt1.dds", "rgba_dxt5.dds"})
    {
        const std::vector<std::uint8_t> bytes = LoadSample(name);
        for (std::size_t length = 0; length < bytes.size(); ++length)
        {
            // A copy of exactly `length` bytes, so a read past the end is a real overflow.
            std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + length);
            DecodedImage image;
            image.width = 99;
            ASSERT_FALSE(ReadDds(prefix.data(), prefix.size(), image)) << name << " " << length;
            ASSERT_EQ(image.width, 99u) << "output must stay untouched on failure";
        }
    }
}

TEST(DdsReaderCorrupt, BrokenHeadersAreRejected)
{
    const std::vector<std::uint8_t> good = LoadSample("rgba_none.dds");
    struct Damage { std::size_t offset; std::uint32_t value; const char* what; };
    const Damage damages[] = {
        {4, 100, "header size"},
        {76, 0, "pixel format size"},
        {12, 0, "zero height"},
        {16, 0, "zero width"},
        {16, 0x7FFFFFFF, "absurd width"},
        {12, 100000, "absurd height"},
        {88, 16, "16-bit pixels"},
        {80, 0x4, "fourCC flag with no known code"},
        {80, 0x0, "neither RGB nor fourCC"},
    };
    for (const Damage& damage : damages)
    {
        std::vector<std::uint8_t> bytes = good;
        PutU32(bytes, damage.offset, damage.value);
        DecodedImage image;
        EXPECT_FALSE(ReadDds(bytes.data(), bytes.size(), image)) << damage.what;
    }
}

TEST(DdsReaderCorrupt, HugePitchDoesNotReadOutsideTheBuffer)
{
    std::vector<std::uint8_t> bytes = LoadSample("rgba_none.dds");
    PutU32(bytes, 8, 0x100F);       // flags with DDSD_PITCH
    PutU32(bytes, 20, 0xFFFFFFF0);  // pitch
    DecodedImage image;
    EXPECT_FALSE(ReadDds(bytes.data(), bytes.size(), image));
}

TEST(DdsReaderCorrupt, ChannelMasksWithGapsStayInTheirChannel)
{
    std::vector<std::uint8_t> bytes = LoadSample("rgba_none.dds");
    DecodedImage intact;
    ASSERT_TRUE(ReadDds(bytes.data(), bytes.size(), intact));
    // Red and blue masks with gaps: their values must not spill into green or alpha.
    PutU32(bytes, 76 + 16, 0x00F0F0F0u);
    PutU32(bytes, 76 + 24, 0x0000000Fu | 0x0F000000u);
    DecodedImage broken;
    ASSERT_TRUE(ReadDds(bytes.data(), bytes.size(), broken));
    ASSERT_EQ(broken.texels.size(), intact.texels.size());
    for (std::size_t i = 0; i < intact.texels.size(); ++i)
    {
        ASSERT_EQ(broken.texels[i] & 0xFF00FF00u, intact.texels[i] & 0xFF00FF00u) << "texel " << i;
    }
}

TEST(ImageDecoding, DispatchesByContentAndRejectsGarbage)
{
    const DecodedImage png = DecodeSample("rgba.png");
    EXPECT_EQ(png.width, 37u);
    const std::uint8_t garbage[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    DecodedImage image;
    EXPECT_FALSE(DecodeImage(garbage, sizeof garbage, image));
    EXPECT_FALSE(DecodeImage(nullptr, 0, image));
    const std::uint8_t magicOnly[] = {'D', 'D', 'S', ' '};
    EXPECT_FALSE(DecodeImage(magicOnly, sizeof magicOnly, image));
}
