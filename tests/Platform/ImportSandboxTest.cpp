// Exchange-format files read in the import helper process: a helper that crashes, hangs or
// answers nonsense gives a reason and leaves this process running; the real helper reads a mesh
// file, and refuses a glTF file that names files outside its folder or anything but a regular
// file, without hanging on a FIFO.

#include "Engine/Platform/AssemblyImporter.h"
#include "Engine/Platform/ImportSandbox.h"

#include "Support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>

using namespace Tess;

namespace
{

// Runs the fake helper on a file whose first word tells it how to misbehave.
class FakeHelperTest : public ::testing::Test
{
protected:
    void SetUp() override { SetImportHelperPath(TESS_FAKE_IMPORT_HELPER); }
    void TearDown() override { SetImportHelperPath(TESS_IMPORT_HELPER); }

    std::string Run(const std::string& word, const SImportLimits& limits = {})
    {
        m_dir.WriteFile("model.stl", word);
        SImportedScene scene;
        std::string whyNot;
        EXPECT_FALSE(RunImportHelper((m_dir.Path() / "model.stl").string(), limits, scene, whyNot));
        EXPECT_TRUE(scene.parts.empty());
        return whyNot;
    }

    TestSupport::TempWorkDir m_dir;
};

// One triangle with its buffer under the given URI.
std::string GltfNaming(const std::string& uri)
{
    return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],
      "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],
      "buffers":[{"byteLength":36,"uri":")" + uri + R"("}],
      "bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":36}],
      "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]}]})";
}

std::string TriangleBytes()
{
    const float corners[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    return {reinterpret_cast<const char*>(corners), sizeof corners};
}

} // namespace

TEST_F(FakeHelperTest, CrashesHangsAndNonsenseBecomeReasons)
{
    EXPECT_EQ(Run("abort"), "the reader crashed (signal 6)");
    EXPECT_EQ(Run("garbage"), "the reader's answer is malformed");
    EXPECT_EQ(Run("silent"), "the reader ended without an answer");
    EXPECT_EQ(Run("nothing"), "the fake reader read nothing");

    SImportLimits brief;
    brief.seconds = 1.0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run("sleep", brief), "the reader took longer than 1 s");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));

    SetImportHelperPath("/nonexistent/tesserant-import");
    EXPECT_EQ(Run("nothing"), "the import helper tesserant-import is missing");
}

TEST(ImportSandbox, HelperReadsAMeshFileAsOnePartNamedAfterIt)
{
    TestSupport::TempWorkDir dir;
    dir.WriteFile("Flange.stl", "solid f\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\n"
                                "vertex 0 1 0\nendloop\nendfacet\nendsolid f\n");
    SImportedAssembly assembly;
    std::string whyNot;
    ASSERT_TRUE(ImportAssemblyFile((dir.Path() / "Flange.stl").string(), assembly, whyNot)) << whyNot;
    ASSERT_EQ(assembly.parts.size(), 1u);
    EXPECT_EQ(assembly.parts[0].name, "Flange");
    EXPECT_EQ(assembly.parts[0].model.GetTriangleCount(), 1u);

    EXPECT_FALSE(ImportAssemblyFile((dir.Path() / "Missing.step").string(), assembly, whyNot));
    EXPECT_EQ(whyNot, "the file does not exist");
}

TEST(ImportSandbox, GltfNamesOnlyRegularFilesInsideItsFolder)
{
    TestSupport::TempWorkDir dir;
    dir.WriteFile("outside.bin", TriangleBytes());
    dir.WriteFile("model/inside.bin", TriangleBytes());
    ASSERT_EQ(mkfifo((dir.Path() / "model/pipe.bin").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir.Path() / "outside.bin", dir.Path() / "model/link.bin");
    const std::string outside = (dir.Path() / "outside.bin").string();

    SImportLimits limits;
    // A reader that blocked on the FIFO would be killed at this limit, and fail the reason below.
    limits.seconds = 20.0;
    const auto reasonFor = [&](const std::string& uri) {
        dir.WriteFile("model/model.gltf", GltfNaming(uri));
        SImportedScene scene;
        std::string whyNot;
        return RunImportHelper((dir.Path() / "model/model.gltf").string(), limits, scene, whyNot) ? "read" : whyNot;
    };
    EXPECT_EQ(reasonFor("inside.bin"), "read");
    EXPECT_EQ(reasonFor("pipe.bin"), "it names \"pipe.bin\", which is not a regular file");
    EXPECT_EQ(reasonFor("../outside.bin"), "it names \"../outside.bin\", outside its folder");
    EXPECT_EQ(reasonFor("link.bin"), "it names \"link.bin\", outside its folder");
    EXPECT_NE(reasonFor(outside), "read");
    EXPECT_NE(reasonFor("file://" + outside), "read");
    EXPECT_NE(reasonFor("/dev/zero"), "read");
}
