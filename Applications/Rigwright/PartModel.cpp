#include "Applications/Rigwright/PartModel.h"

#include "Engine/Core/Log.h"
#include "Engine/Geometry/ImportedMesh.h"
#include "Engine/Geometry/MeshFile.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Platform/AssemblyImporter.h"

#include <charconv>
#include <cmath>

namespace Tess
{

namespace
{

// The size the gate valve's parts have, which the views are tuned for.
constexpr float kComfortableSize = 100.0f;

// Three significant digits, written out in full ("1000", "0.00025"), never with an exponent:
// the line is read by people choosing a scale, not by a program.
std::string FormatNumber(float value)
{
    double shown = value;
    if (std::isfinite(shown) && shown != 0.0)
    {
        const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(shown))) - 2.0);
        shown = std::round(shown / unit) * unit;
    }
    // Room for the longest float written out in full (39 digits, or 45 zeros after the point).
    char text[64];
    const std::to_chars_result written =
        std::to_chars(text, text + sizeof(text), static_cast<float>(shown), std::chars_format::fixed);
    return std::string(text, written.ptr);
}

void ReportSmallPart(const std::string& modelFile, const CTriMesh& mesh, float scale)
{
    const float across = MeasureAcross(mesh);
    if (across >= kSmallestComfortableSize || !(across > 0.0f))
        return;
    const float suggested = SuggestScale(across);
    GetLog().Write(LOG_MAIN, modelFile + " is " + FormatNumber(across) + " units across; scale " +
                                 FormatNumber(scale * suggested) + " would bring it to " +
                                 FormatNumber(across * suggested) + " units");
}

// The whole file as one mesh: an assembly's parts merged, any other model file as LoadMesh reads it.
CTriMesh* LoadWholeFile(const std::string& modelFile, std::string& whyNot)
{
    if (!IsAssemblyFile(modelFile))
        return LoadMesh(modelFile, whyNot);
    SImportedAssembly assembly;
    if (!ImportAssemblyFile(modelFile, assembly, whyNot))
        return nullptr;
    SImportedModel merged = MergeImportedParts(std::move(assembly));
    return BuildImportedMeshOf(merged, modelFile, whyNot);
}

// README promises that Log.txt names every file the viewer could not read; the loaders write
// nothing themselves.
CTriMesh* PlaceOrReport(CTriMesh* mesh, const std::string& modelFile, float scale, const SPartOrientation& orientation,
                        const std::string& whyNot, std::string* whyNotRead)
{
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

} // namespace

CTriMesh* LoadPartMesh(const std::string& modelFile, float scale, const SPartOrientation& orientation,
                       std::string* whyNotRead)
{
    std::string whyNot;
    CTriMesh* mesh = LoadWholeFile(modelFile, whyNot);
    return PlaceOrReport(mesh, modelFile, scale, orientation, whyNot, whyNotRead);
}

CTriMesh* BuildPartMesh(SImportedModel& model, const std::string& modelFile, float scale,
                        const SPartOrientation& orientation, std::string* whyNotRead)
{
    std::string whyNot;
    CTriMesh* mesh = BuildImportedMeshOf(model, modelFile, whyNot);
    return PlaceOrReport(mesh, modelFile, scale, orientation, whyNot, whyNotRead);
}

float MeasureAcross(const CTriMesh& mesh)
{
    return mesh.GetBounds().GetLargestSide();
}

float SuggestScale(float across)
{
    if (!(across > 0.0f) || !std::isfinite(across))
        return 1.0f;
    return std::pow(10.0f, std::round(std::log10(kComfortableSize / across)));
}

} // namespace Tess
