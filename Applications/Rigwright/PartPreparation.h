#pragma once
// Preparing parts: everything a part needs before it touches the graphics device (reading its
// model, its normals, its edge mesh and the outline's band culler), done for all parts at once on
// worker threads. This is most of the processor time a viewer spends on its equipment at start;
// the parts' buffers are then made on the device, one part after another, by CComponent.
//
// The log lines a part's preparation writes are held with the part and written when its
// component is made, so Log.txt reads as if the parts had been prepared one by one.

#include "Applications/Rigwright/PartOrientation.h"

#include <memory>
#include <string>
#include <vector>

namespace Tess
{

class CLogCapture;
class COutlineBandCuller;
class CTriMesh;
struct SImportedModel;
struct SPartDescription;

struct SPreparedPart
{
    SPreparedPart();
    SPreparedPart(SPreparedPart&&) noexcept;
    SPreparedPart& operator=(SPreparedPart&&) noexcept;
    ~SPreparedPart();

    // With normals; null when the model could not be read (then `modelProblem` says why).
    std::unique_ptr<CTriMesh> mesh;
    std::unique_ptr<CTriMesh> edgeMesh;
    std::unique_ptr<COutlineBandCuller> culler;
    std::string modelProblem;
    // The lines the preparation wrote, not yet in the log.
    std::unique_ptr<CLogCapture> log;
};

// A part from a model file (any format the viewer reads), on the calling thread, its log lines
// written at once.
SPreparedPart PreparePart(const std::string& modelFile, float scale, const SPartOrientation& orientation);
// A part from a model already read (an assembly's leaf), which is consumed; null for none.
SPreparedPart PreparePart(SImportedModel* model, const std::string& modelFile, const std::string& modelProblem,
                          float scale, const SPartOrientation& orientation);

// Every part of the list, in parallel, in the list's order; each keeps its log lines. Assembly
// parts' models are consumed.
std::vector<SPreparedPart> PrepareParts(const std::vector<SPartDescription>& parts);

} // namespace Tess
