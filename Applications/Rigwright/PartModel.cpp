#include "Applications/Rigwright/PartModel.h"

#include "Engine/Core/Log.h"
#include "Engine/Geometry/ImportedMesh.h"
#include "Engine/Geometry/ModelLoader.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Geometry/VertexElement.h"
#include "Engine/Platform/ModelImporter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Tess
{

namespace
{

// The size the gate valve's parts have, which the views and the outline are tuned for.
constexpr float kComfortableSize = 100.0f;

std::string FormatNumber(float value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.3g", static_cast<double>(value));
    return text;
}

void ReportSmallPart(const std::string& modelFile, const CTriMesh& mesh, float scale)
{
    const float across = MeasureAcross(mesh);
    if (across >= kSmallestOutlinedSize || !(across > 0.0f))
        return;
    GetLog().Write(LOG_MAIN, modelFile + " is " + FormatNumber(across) +
                                 " units across, too small for its outline (points within 0.1 units are "
                                 "joined); scale " +
                                 FormatNumber(scale * SuggestScale(across)) + " would fit");
}

} // namespace

CTriMesh* LoadPartMesh(const std::string& modelFile, float scale, const SPartOrientation& orientation,
                       std::string* whyNotRead)
{
    CTriMesh* mesh = nullptr;
    std::string whyNot;
    if (IsImportedModelFile(modelFile))
    {
        mesh = LoadMeshImported(modelFile, whyNot);
    }
    else
    {
        EModelLoadResult result = EModelLoadResult::Loaded;
        mesh = LoadMeshMS3D(modelFile, &result);
        whyNot = DescribeModelLoadResult(result);
    }
    // README promises that Log.txt names every file the viewer could not read; the loaders
    // write nothing themselves.
    if (!mesh)
    {
        GetLog().Write(LOG_MAIN, "Equipment: model " + modelFile + " not read: " + whyNot);
        if (whyNotRead)
            *whyNotRead = whyNot;
        return nullptr;
    }
    PlacePartMesh(*mesh, orientation, scale);
    ReportSmallPart(modelFile, *mesh, scale);
    return mesh;
}

float MeasureAcross(const CTriMesh& mesh)
{
    return std::max({mesh.GetMaxX() - mesh.GetMinX(), mesh.GetMaxY() - mesh.GetMinY(),
                     mesh.GetMaxZ() - mesh.GetMinZ()});
}

float SuggestScale(float across)
{
    if (!(across > 0.0f) || !std::isfinite(across))
        return 1.0f;
    return std::pow(10.0f, std::round(std::log10(kComfortableSize / across)));
}

} // namespace Tess
