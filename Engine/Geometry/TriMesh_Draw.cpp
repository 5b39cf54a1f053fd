// CTriMesh: drawing a mesh's per-vertex vectors as short coloured lines, for inspection.

#include "Engine/Geometry/TriMesh.h"

#include "Engine/Geometry/VertexElement.h"
#include "Engine/Rendering/Renderer.h"

#include <algorithm>
#include <vector>

namespace Tess
{

namespace
{
constexpr Color kVectorStartColor = 0xFFFFFF00; // yellow at the vertex
constexpr Color kNormalColor = 0xFF0000FF;      // blue
constexpr Color kTangentColor = 0xFFFF0000;     // red
constexpr Color kBinormalColor = 0xFF00FF00;    // green
constexpr float kVectorLength = 0.5f;

// One line per entry from P[j] to P[j] + 0.5 x V[j], drawn with "Vector.fx" under the world
// matrix the renderer has now. Nothing is drawn when either element is missing.
void DrawVectors(const CTriMesh& mesh, const char* vectorName, Color endColor)
{
    CRenderer* renderer = GetRenderer();
    const CVertexElement* positions = mesh.FindElement("POSITION");
    const CVertexElement* vectors = mesh.FindElement(vectorName);
    if (!renderer || !positions || !vectors)
        return;
    if (positions->GetComponentCount() < 3 || vectors->GetComponentCount() < 3)
        return;
    const int count = std::min(positions->GetEntryCount(), vectors->GetEntryCount());
    if (count <= 0)
        return;

    std::vector<LineVertex> lines(static_cast<std::size_t>(count) * 2);
    for (int j = 0; j < count; ++j)
    {
        const float* p = positions->GetEntry(j);
        const float* v = vectors->GetEntry(j);
        const Vector3 start(p[0], p[1], p[2]);
        lines[2 * j] = {start, kVectorStartColor};
        lines[2 * j + 1] = {start + Vector3(v[0], v[1], v[2]) * kVectorLength, endColor};
    }
    renderer->DrawLinesWithEffect(renderer->LoadEffect("Vector.fx"), lines.data(), count);
}
} // namespace

void CTriMesh::DrawNormals()
{
    DrawVectors(*this, "NORMAL", kNormalColor);
}

void CTriMesh::DrawTangents()
{
    DrawVectors(*this, "TANGENT", kTangentColor);
}

void CTriMesh::DrawBinormals()
{
    DrawVectors(*this, "BINORMAL", kBinormalColor);
}

} // namespace Tess
