#include "Engine/Geometry/MeshFile.h"

#include "Engine/Geometry/ImportedMesh.h"
#include "Engine/Geometry/ModelLoader.h"
#include "Engine/Platform/ModelImporter.h"

namespace Tess
{

CTriMesh* LoadMesh(const std::string& path, std::string& whyNot)
{
    if (IsImportedModelFile(path))
        return LoadMeshImported(path, whyNot);
    EModelLoadResult result = EModelLoadResult::Loaded;
    CTriMesh* mesh = LoadMeshMS3D(path, &result);
    if (!mesh)
        whyNot = DescribeModelLoadResult(result);
    return mesh;
}

} // namespace Tess
