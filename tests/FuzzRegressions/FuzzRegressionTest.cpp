// The file readers against every input the fuzzers ever found a fault with (kept in
// tests/data/fuzz-regressions/<target>/), through the same checks the fuzz targets apply, and
// against the real files the fuzzers start from, which the readers must accept: a check that
// rejected everything would otherwise pass every regression input.
#include "fuzz/EdgeMeshCheck.h"
#include "fuzz/EffectParserCheck.h"
#include "fuzz/ImageCheck.h"
#include "fuzz/ImportCheck.h"
#include "fuzz/ModelLoaderCheck.h"
#include "fuzz/ShaderAssemblerCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;
using Check = TessFuzz::SCheckResult (*)(const std::uint8_t*, std::size_t);

std::vector<std::uint8_t> ReadBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TessFuzz::SCheckResult RunCheck(Check check, const fs::path& path)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    return check(bytes.data(), bytes.size());
}

// The regular files of a folder, in name order; none when it does not exist.
std::vector<fs::path> FilesIn(const fs::path& folder, const std::string& extension = "")
{
    std::vector<fs::path> files;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
    {
        if (entry.is_regular_file() && (extension.empty() || entry.path().extension() == extension))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

const fs::path kSource = TESS_SOURCE_DIR;
const fs::path kRegressions = fs::path(TESS_TEST_DATA_DIR) / "fuzz-regressions";

struct STarget
{
    const char* name;
    Check check;
};

const STarget kTargets[] = {
    {"model_loader", &TessFuzz::CheckModelLoader},   {"dds_reader", &TessFuzz::CheckDdsReader},
    {"image_decoder", &TessFuzz::CheckImageDecoder}, {"effect_parser", &TessFuzz::CheckEffectParser},
    {"edge_mesh", &TessFuzz::CheckEdgeMesh},         {"shader_assembler", &TessFuzz::CheckShaderAssembler},
    {"assimp_importer", &TessFuzz::CheckAssimpImporter}, {"cad_reader", &TessFuzz::CheckCadReader},
};

void ExpectNoFault(Check check, const std::vector<fs::path>& files)
{
    for (const fs::path& file : files)
        EXPECT_EQ(RunCheck(check, file).fault, "") << file;
}

void ExpectAccepted(Check check, const std::vector<fs::path>& files)
{
    ASSERT_FALSE(files.empty());
    for (const fs::path& file : files)
    {
        const TessFuzz::SCheckResult result = RunCheck(check, file);
        EXPECT_EQ(result.fault, "") << file;
        EXPECT_TRUE(result.accepted) << file;
    }
}
} // namespace

TEST(FuzzRegressionTest, NoKeptInputBreaksItsReader)
{
    std::size_t inputs = 0;
    for (const STarget& target : kTargets)
    {
        SCOPED_TRACE(target.name);
        const std::vector<fs::path> files = FilesIn(kRegressions / target.name);
        ExpectNoFault(target.check, files);
        inputs += files.size();
    }
    EXPECT_GE(inputs, 6u) << "the kept inputs were not found in " << kRegressions;
}

TEST(FuzzRegressionTest, KeptInputsBelongToAKnownTarget)
{
    // An input filed under a misspelt folder would never be run.
    for (const fs::path& folder : FilesIn(kRegressions))
        ADD_FAILURE() << "stray file " << folder;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(kRegressions, error))
    {
        const std::string name = entry.path().filename().string();
        const bool known = std::any_of(std::begin(kTargets), std::end(kTargets),
                                       [&](const STarget& target) { return name == target.name; });
        EXPECT_TRUE(known) << "unknown target folder " << name;
    }
}

TEST(FuzzSeedTest, RealModelsLoadWithUnitNormals)
{
    std::vector<fs::path> models = FilesIn(kSource / "Data/Models", ".ms3d");
    for (const fs::path& model : FilesIn(kSource / "tests/data", ".ms3d"))
        models.push_back(model);
    ExpectAccepted(&TessFuzz::CheckModelLoader, models);
}

TEST(FuzzSeedTest, RealTexturesDecode)
{
    std::vector<fs::path> dds = FilesIn(kSource / "Data/Textures", ".dds");
    for (const fs::path& file : FilesIn(kSource / "tests/data/dds", ".dds"))
        dds.push_back(file);
    ExpectAccepted(&TessFuzz::CheckDdsReader, dds);
    ExpectAccepted(&TessFuzz::CheckImageDecoder, dds);
    ExpectAccepted(&TessFuzz::CheckImageDecoder, FilesIn(kSource / "Data/Textures", ".jpg"));
}

TEST(FuzzSeedTest, SeedImagesOfEveryKindDecodeExceptRunLengthBitmaps)
{
    for (const fs::path& file : FilesIn(kSource / "fuzz/seeds/image"))
    {
        const TessFuzz::SCheckResult result = RunCheck(&TessFuzz::CheckImageDecoder, file);
        EXPECT_EQ(result.fault, "") << file;
        // stb_image reads no run-length encoded bitmaps.
        EXPECT_EQ(result.accepted, file.filename() != "palette8_rle.bmp") << file;
    }
}

TEST(FuzzSeedTest, EngineEffectsParseAndBuildTheirStages)
{
    ExpectAccepted(&TessFuzz::CheckEffectParser, FilesIn(kSource / "Data/Effects", ".fx"));
}

TEST(FuzzSeedTest, AssemblerSeedsAssembleIntoWalkableStreams)
{
    ExpectAccepted(&TessFuzz::CheckShaderAssembler, FilesIn(kSource / "fuzz/seeds/shader_assembler"));
}

TEST(FuzzSeedTest, SeedMeshesBuildTheirOutlineLikeTheReference)
{
    for (const fs::path& file : FilesIn(kSource / "fuzz/seeds/edge_mesh"))
    {
        const TessFuzz::SCheckResult result = RunCheck(&TessFuzz::CheckEdgeMesh, file);
        EXPECT_EQ(result.fault, "") << file;
        // A mesh without normals has no outline.
        EXPECT_EQ(result.accepted, file.filename() != "no_normals.bin") << file;
    }
}

TEST(FuzzSeedTest, ExchangeFormatSeedsReadInTheirFormat)
{
    // The seeds as run-fuzz.sh makes them: the format's byte, then the file.
    const auto withFormatByte = [](std::uint8_t format, const fs::path& file) {
        std::vector<std::uint8_t> bytes = ReadBytes(file);
        bytes.insert(bytes.begin(), format);
        return bytes;
    };
    for (const auto& [format, name] : {std::pair{0, "Valve_Flange_Inlet.stl"}, std::pair{1, "Valve_Handwheel.obj"},
                                       std::pair{3, "Valve_Bonnet.glb"}, std::pair{4, "Valve_Flange_Outlet.ply"}})
    {
        const std::vector<std::uint8_t> bytes = withFormatByte(format, kSource / "Data/Models" / name);
        EXPECT_TRUE(TessFuzz::CheckAssimpImporter(bytes.data(), bytes.size()).accepted) << name;
    }
    for (const auto& [format, name] : {std::pair{0, "box.step"}, std::pair{1, "cylinder.igs"}})
    {
        const std::vector<std::uint8_t> bytes = withFormatByte(format, kSource / "fuzz/seeds/cad" / name);
        const TessFuzz::SCheckResult result = TessFuzz::CheckCadReader(bytes.data(), bytes.size());
        EXPECT_EQ(result.fault, "") << name;
        EXPECT_TRUE(result.accepted) << name;
    }
}

TEST(FuzzCheckTest, ChecksCatchWhatTheyAreFor)
{
    // A truncated model is rejected, not reported as a fault.
    const std::vector<std::uint8_t> model = ReadBytes(kSource / "tests/data/twospheres.ms3d");
    EXPECT_FALSE(TessFuzz::CheckModelLoader(model.data(), model.size() / 2).accepted);
    EXPECT_EQ(TessFuzz::CheckModelLoader(model.data(), model.size() / 2).fault, "");
    // An effect that fails to parse must say where.
    const std::string broken = "float4 Colour : ObjectParm0;\ntechnique T { pass P { CullMode = Sideways; } }\n";
    const TessFuzz::SCheckResult effect =
        TessFuzz::CheckEffectParser(reinterpret_cast<const std::uint8_t*>(broken.data()), broken.size());
    EXPECT_FALSE(effect.accepted);
    EXPECT_EQ(effect.fault, "");
    EXPECT_TRUE(TessFuzz::IsUnitOrZero(Tess::Vector3(0, 0, 0)));
    EXPECT_TRUE(TessFuzz::IsUnitOrZero(Tess::Vector3(0, 0.6f, 0.8f)));
    EXPECT_FALSE(TessFuzz::IsUnitOrZero(Tess::Vector3(-1.0586f, 0, 0)));
    EXPECT_FALSE(TessFuzz::IsUnitOrZero(Tess::Vector3(std::nanf(""), 0, 0)));
}

TEST(ImageDecoderTest, JpegHuffmanTablesOfMoreThan256CodesAreRefused)
{
    for (const char* name : {"jpeg-huffman-table-of-more-than-256-codes.jpg",
                             "jpeg-huffman-table-cut-off-by-the-end-of-the-file.jpg",
                             "jpeg-huffman-table-after-fill-bytes.jpg"})
    {
        const std::vector<std::uint8_t> bytes = ReadBytes(kRegressions / "image_decoder" / name);
        Tess::DecodedImage image;
        EXPECT_FALSE(Tess::DecodeImage(bytes.data(), bytes.size(), image)) << name;
    }
}

TEST(ImageDecoderTest, JpegScansNamingAHuffmanTableNoSegmentDefinedAreRefused)
{
    Tess::DecodedImage image;
    const std::vector<std::uint8_t> undefined =
        ReadBytes(kRegressions / "image_decoder" / "jpeg-progressive-scan-with-an-undefined-ac-table.jpg");
    EXPECT_FALSE(Tess::DecodeImage(undefined.data(), undefined.size(), image));
    // Every table defined: baseline, progressive (DC refinement scans name no table) and
    // subsampled files decode.
    for (const char* name : {"progressive.jpg", "subsampled.jpg", "gray.jpg"})
    {
        const std::vector<std::uint8_t> bytes = ReadBytes(kSource / "fuzz/seeds/image" / name);
        EXPECT_TRUE(Tess::DecodeImage(bytes.data(), bytes.size(), image)) << name;
    }
    // The same baseline file without its tables is refused: stb would decode with garbage.
    std::vector<std::uint8_t> gray = ReadBytes(kSource / "fuzz/seeds/image/gray.jpg");
    for (std::size_t i = 0; i + 1 < gray.size(); ++i)
        if (gray[i] == 0xFF && gray[i + 1] == 0xC4)
            gray[i + 1] = 0xEE; // now an application segment stb skips
    EXPECT_FALSE(Tess::DecodeImage(gray.data(), gray.size(), image));
}

TEST(ImageDecoderTest, BitmapsWhosePixelRowsRunPastTheEndOrAreOfUnknownCompressionAreRefused)
{
    Tess::DecodedImage image;
    for (const char* name : {"bmp-tiny-file-declaring-ten-thousand-squared-pixels.bmp",
                             "bmp-unknown-compression-read-as-ten-thousand-squared-pixels.bmp"})
    {
        const std::vector<std::uint8_t> huge = ReadBytes(kRegressions / "image_decoder" / name);
        EXPECT_FALSE(Tess::DecodeImage(huge.data(), huge.size(), image)) << name;
    }
    // A whole bitmap is read; the same bitmap short of its last byte is refused.
    std::vector<std::uint8_t> bmp = ReadBytes(kSource / "fuzz/seeds/image/rgb24.bmp");
    ASSERT_TRUE(Tess::DecodeImage(bmp.data(), bmp.size(), image));
    bmp.pop_back();
    EXPECT_FALSE(Tess::DecodeImage(bmp.data(), bmp.size(), image));
}

TEST(ImageDecoderTest, OnlyJpegPngBmpAndDdsSignaturesAreRead)
{
    // A 2 x 1 uncompressed true-colour TGA, which stb_image would read: no signature of ours.
    const std::uint8_t tga[] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0,
                                0, 0, 255, 0, 255, 0};
    Tess::DecodedImage image;
    EXPECT_FALSE(Tess::DecodeImage(tga, sizeof tga, image));
    const std::vector<std::uint8_t> slow =
        ReadBytes(kRegressions / "image_decoder" / "no-signature-slow-in-a-guessed-format.bin");
    EXPECT_FALSE(Tess::DecodeImage(slow.data(), slow.size(), image));
    const std::vector<std::uint8_t> bmp = ReadBytes(kSource / "fuzz/seeds/image/rgb24.bmp");
    ASSERT_TRUE(Tess::DecodeImage(bmp.data(), bmp.size(), image));
    EXPECT_EQ(image.width, 8u);
    EXPECT_EQ(image.height, 6u);
}
