#include "Engine/Platform/OpenCascade/CadMesher.h"

#include <BRepBndLib.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRepTools.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <IMeshTools_Parameters.hxx>
#include <Message_ProgressIndicator.hxx>
#include <Poly_Triangulation.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Face.hxx>

#include <algorithm>
#include <cmath>

namespace Tess
{

namespace
{

// Turns BRepMesh's progress checks into a deadline: once it passes, every check asks the mesher
// to stop, which it does between faces.
class CDeadlineProgress : public Message_ProgressIndicator
{
public:
    explicit CDeadlineProgress(std::chrono::steady_clock::time_point deadline) : m_deadline(deadline) {}

    Standard_Boolean UserBreak() override
    {
        if (!m_expired && std::chrono::steady_clock::now() >= m_deadline)
            m_expired = true;
        return m_expired;
    }

    void Show(const Message_ProgressScope&, const Standard_Boolean) override {}

    bool Expired() const { return m_expired; }

private:
    std::chrono::steady_clock::time_point m_deadline;
    bool m_expired = false;
};

double Diagonal(const TopoDS_Shape& shape)
{
    Bnd_Box box;
    BRepBndLib::Add(shape, box);
    if (box.IsVoid())
        return 0.0;
    return std::sqrt(box.SquareExtent());
}

// Appends one face's triangles; the normals are the mean of the face's triangle normals at each
// node, which leaves an edge between two faces sharp.
void AppendFace(const TopoDS_Face& face, SImportedModel& out)
{
    TopLoc_Location location;
    const Handle(Poly_Triangulation) triangulation = BRep_Tool::Triangulation(face, location);
    if (triangulation.IsNull() || triangulation->NbTriangles() == 0)
        return;
    const gp_Trsf transform = location.Transformation();
    const auto first = static_cast<std::uint32_t>(out.GetVertexCount());
    const Standard_Integer nodes = triangulation->NbNodes();
    std::vector<gp_XYZ> positions(static_cast<std::size_t>(nodes));
    for (Standard_Integer n = 1; n <= nodes; ++n)
        positions[static_cast<std::size_t>(n - 1)] = triangulation->Node(n).Transformed(transform).XYZ();
    std::vector<gp_XYZ> normals(positions.size(), gp_XYZ(0.0, 0.0, 0.0));
    // A reversed face's triangles wind the other way round to face out of the solid.
    const bool reversed = face.Orientation() == TopAbs_REVERSED;
    for (Standard_Integer t = 1; t <= triangulation->NbTriangles(); ++t)
    {
        Standard_Integer a = 0, b = 0, c = 0;
        triangulation->Triangle(t).Get(a, b, c);
        if (reversed)
            std::swap(b, c);
        if (a < 1 || b < 1 || c < 1 || a > nodes || b > nodes || c > nodes)
            continue;
        const gp_XYZ& pa = positions[static_cast<std::size_t>(a - 1)];
        // Unnormalised: larger triangles weigh more in the mean.
        const gp_XYZ normal = (positions[static_cast<std::size_t>(b - 1)] - pa)
                                  .Crossed(positions[static_cast<std::size_t>(c - 1)] - pa);
        for (Standard_Integer corner : {a, b, c})
        {
            normals[static_cast<std::size_t>(corner - 1)] += normal;
            out.indices.push_back(first + static_cast<std::uint32_t>(corner - 1));
        }
    }
    for (std::size_t n = 0; n < positions.size(); ++n)
    {
        const double length = normals[n].Modulus();
        const gp_XYZ unit = length > 0.0 ? normals[n] / length : gp_XYZ(0.0, 0.0, 0.0);
        out.positions.insert(out.positions.end(), {static_cast<float>(positions[n].X()),
                                                   static_cast<float>(positions[n].Y()),
                                                   static_cast<float>(positions[n].Z())});
        out.normals.insert(out.normals.end(),
                           {static_cast<float>(unit.X()), static_cast<float>(unit.Y()), static_cast<float>(unit.Z())});
        out.texcoords.insert(out.texcoords.end(), {0.0f, 0.0f});
    }
}

} // namespace

CCadMesher::CCadMesher(const SCadMeshing& settings)
    : m_settings(settings),
      m_fileDeadline(Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(settings.secondsPerFile)))
{
}

bool CCadMesher::TryMesh(const TopoDS_Shape& shape, double deflection, double angle, Clock::time_point deadline)
{
    IMeshTools_Parameters parameters;
    parameters.Deflection = deflection;
    parameters.Angle = angle;
    parameters.Relative = Standard_False;
    parameters.InParallel = Standard_True;
    Handle(CDeadlineProgress) progress = new CDeadlineProgress(std::min(deadline, m_fileDeadline));
    BRepMesh_IncrementalMesh mesher(shape, parameters, progress->Start());
    return mesher.IsDone() && !progress->Expired();
}

bool CCadMesher::Mesh(const TopoDS_Shape& shape, SImportedModel& out, std::string& whyNot)
{
    out = {};
    constexpr const char* kLate = "its shape could not be meshed in time";
    // Once the file's budget is spent, the shapes left are not even tried.
    if (Clock::now() >= m_fileDeadline)
    {
        whyNot = kLate;
        return false;
    }
    const double diagonal = Diagonal(shape);
    if (!(diagonal > 0.0) || !std::isfinite(diagonal))
    {
        whyNot = "its shape has no extent";
        return false;
    }
    const auto budget =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(m_settings.secondsPerShape));
    const double deflection = m_settings.relativeDeflection * diagonal;
    bool meshed = TryMesh(shape, deflection, m_settings.angularDeflection, Clock::now() + budget);
    if (!meshed && Clock::now() < m_fileDeadline)
    {
        // What the fine attempt left behind is dropped, or the coarse one would keep it.
        BRepTools::Clean(shape);
        meshed = TryMesh(shape, 5.0 * deflection, 2.0 * m_settings.angularDeflection, Clock::now() + budget);
    }
    if (!meshed)
    {
        BRepTools::Clean(shape);
        whyNot = kLate;
        return false;
    }
    for (TopExp_Explorer faces(shape, TopAbs_FACE); faces.More(); faces.Next())
        AppendFace(TopoDS::Face(faces.Current()), out);
    if (out.indices.empty())
    {
        out = {};
        whyNot = "its shape has no faces";
        return false;
    }
    return true;
}

} // namespace Tess
