#include "Applications/Rigwright/PartPreparation.h"

#include "Applications/Rigwright/EquipmentConfiguration.h"
#include "Applications/Rigwright/OutlineBandCuller.h"
#include "Applications/Rigwright/PartModel.h"
#include "Engine/Core/Log.h"
#include "Engine/Core/LogCapture.h"
#include "Engine/Geometry/EdgeMeshBuilder.h"
#include "Engine/Geometry/TriMesh.h"
#include "Engine/Platform/ImportedScene.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace Tess
{

namespace
{
// Normals, edge mesh and culler for a mesh just read.
void FinishPart(SPreparedPart& prepared, CTriMesh* mesh)
{
    prepared.mesh.reset(mesh);
    if (!mesh)
        return;
    mesh->ComputeNormals();
    prepared.edgeMesh.reset(mesh->BuildEdgeMesh());
    if (prepared.edgeMesh)
        prepared.culler = std::make_unique<COutlineBandCuller>(
            *prepared.edgeMesh, CEdgeMeshBuilder::DrawnFinIndices(*prepared.edgeMesh));
}

SPreparedPart PrepareDescribedPart(const SPartDescription& part)
{
    return part.IsAssemblyPart() ? PreparePart(part.importedModel.get(), part.modelFile, part.modelProblem,
                                               part.scale, part.orientation)
                                 : PreparePart(part.modelFile, part.scale, part.orientation);
}

// Each worker takes the next part not yet taken, holding the part's log lines with it.
void PrepareInTurn(const std::vector<SPartDescription>& parts, std::vector<SPreparedPart>& prepared,
                   std::atomic<std::size_t>& next)
{
    for (std::size_t index = next++; index < parts.size(); index = next++)
    {
        auto capture = std::make_unique<CLogCapture>();
        prepared[index] = PrepareDescribedPart(parts[index]);
        capture->Stop();
        prepared[index].log = std::move(capture);
    }
}
} // namespace

SPreparedPart::SPreparedPart() = default;
SPreparedPart::SPreparedPart(SPreparedPart&&) noexcept = default;
SPreparedPart& SPreparedPart::operator=(SPreparedPart&&) noexcept = default;
SPreparedPart::~SPreparedPart() = default;

SPreparedPart PreparePart(const std::string& modelFile, float scale, const SPartOrientation& orientation)
{
    SPreparedPart prepared;
    FinishPart(prepared, LoadPartMesh(modelFile, scale, orientation, &prepared.modelProblem));
    return prepared;
}

SPreparedPart PreparePart(SImportedModel* model, const std::string& modelFile, const std::string& modelProblem,
                          float scale, const SPartOrientation& orientation)
{
    SPreparedPart prepared;
    prepared.modelProblem = modelProblem;
    FinishPart(prepared, model ? BuildPartMesh(*model, modelFile, scale, orientation, &prepared.modelProblem)
                               : nullptr);
    return prepared;
}

std::vector<SPreparedPart> PrepareParts(const std::vector<SPartDescription>& parts)
{
    std::vector<SPreparedPart> prepared(parts.size());
    std::atomic<std::size_t> next = 0;
    const std::size_t workers =
        std::min<std::size_t>(parts.size(), std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    // The calling thread is one of the workers.
    for (std::size_t worker = 1; worker < workers; ++worker)
        threads.emplace_back(PrepareInTurn, std::cref(parts), std::ref(prepared), std::ref(next));
    PrepareInTurn(parts, prepared, next);
    for (std::thread& thread : threads)
        thread.join();
    return prepared;
}

} // namespace Tess
