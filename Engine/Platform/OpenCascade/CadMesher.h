#pragma once
// Meshing of Open CASCADE shapes within a time budget. BRepMesh can run for minutes on a single
// awkward surface (a spring swept along a helix), so each shape gets a deadline; a shape that
// misses it is meshed again at coarse settings, and given up when that misses too.

#include "Engine/Platform/ImportReaders.h"

#include <TopoDS_Shape.hxx>

#include <chrono>
#include <string>

namespace Tess
{

class CCadMesher
{
public:
    explicit CCadMesher(const SCadMeshing& settings);

    // Meshes the shape (in its own coordinates, without its placement) into `out`: each face's
    // triangles, facing out of the solid, with normals smooth inside a face and split between
    // faces. False, with `whyNot`, when no triangles came out in time.
    bool Mesh(const TopoDS_Shape& shape, SImportedModel& out, std::string& whyNot);

private:
    using Clock = std::chrono::steady_clock;

    // One attempt at the given deflections; false when it ran past `deadline`.
    bool TryMesh(const TopoDS_Shape& shape, double deflection, double angle, Clock::time_point deadline);

    SCadMeshing m_settings;
    Clock::time_point m_fileDeadline;
};

} // namespace Tess
