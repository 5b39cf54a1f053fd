// An assembly shown as one part: every part's triangles in one model, in the parts' order, each
// still naming its own vertices.

#include "Engine/Platform/AssemblyImporter.h"

#include <gtest/gtest.h>

using namespace Tess;

namespace
{

SImportedPart Triangle(float x, std::uint32_t extraVertices)
{
    SImportedPart part;
    const std::uint32_t count = 3 + extraVertices;
    for (std::uint32_t v = 0; v < count; ++v)
    {
        part.model.positions.insert(part.model.positions.end(), {x + float(v), 0.0f, 0.0f});
        part.model.normals.insert(part.model.normals.end(), {0.0f, 0.0f, 1.0f});
        part.model.texcoords.insert(part.model.texcoords.end(), {0.0f, 0.0f});
    }
    // The last three vertices, so a wrong offset names the wrong ones.
    part.model.indices = {count - 3, count - 2, count - 1};
    return part;
}

} // namespace

TEST(AssemblyMerge, PartsFollowOneAnotherWithTheirIndicesMoved)
{
    SImportedAssembly assembly;
    assembly.parts.push_back(Triangle(0.0f, 1));
    assembly.parts.push_back(Triangle(100.0f, 0));
    assembly.parts.push_back(Triangle(200.0f, 2));
    const SImportedModel merged = MergeImportedParts(std::move(assembly));

    ASSERT_EQ(merged.GetVertexCount(), 4u + 3u + 5u);
    EXPECT_EQ(merged.normals.size(), merged.positions.size());
    EXPECT_EQ(merged.texcoords.size(), 2 * merged.GetVertexCount());
    EXPECT_EQ(merged.indices, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 9, 10, 11}));
    // Each triangle still stands where its part does.
    EXPECT_EQ(merged.positions[3 * 4], 100.0f);
    EXPECT_EQ(merged.positions[3 * 9], 202.0f);

    EXPECT_EQ(MergeImportedParts(SImportedAssembly{}).GetTriangleCount(), 0u);
}
