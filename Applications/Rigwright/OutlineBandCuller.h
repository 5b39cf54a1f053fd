#pragma once
// COutlineBandCuller: leaves out of the outline's draw the bands that cannot open from where the
// eye is.
//
// "Edge_Mesh.fx" moves only the odd corners of a band, and a smooth corner only near the
// silhouette: it stays put where its normal faces the eye by the front fade (0.2) or more, or
// faces away by the back fade (0.5) or more, with the normal across the edge on the same side.
// Most of a part's bands are smooth and, from any one eye, most of those are far from the
// silhouette; they are zero-area triangles, yet every one of their corners costs a run of the
// vertex shader. Per frame, the culler tests the two moving corners of each such band on the CPU,
// far more cheaply, and keeps a band whenever either corner might move.
//
// The test mirrors the effect's with a margin, so a band it drops is one the effect leaves
// degenerate: the picture is the same. Bands that may draw whatever the view are always kept:
// creases, corners without a normal, and bands whose resting triangles are not degenerate (edges
// that coincide only within the builder's tolerance). Filled drawing only: in wireframe a
// degenerate band still draws its edges, so the caller draws every band there.

#include "Engine/Core/Vector.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace Tess
{

class CTriMesh;
class CVertexElement;
struct Matrix4;

class COutlineBandCuller
{
public:
    // The effect's fades, as cosines between a corner's normal and its line of sight.
    static constexpr float kFrontFade = 0.2f;
    static constexpr float kBackFade = 0.5f;
    // Extra cosine a corner must clear before it counts as resting: covers the rounding of the
    // effect's own arithmetic.
    static constexpr float kMargin = 1e-3f;

    // From an edge mesh and its drawn bands (CEdgeMeshBuilder::DrawnFinIndices: six indices
    // a, p, b, a, b, q per band).
    COutlineBandCuller(const CTriMesh& edgeMesh, const std::vector<std::int32_t>& bandIndices);

    // Every band: those drawn whatever the view first, then the others, each in its given order.
    const std::vector<std::int32_t>& GetOrderedIndices() const { return m_orderedIndices; }
    // How many of the ordered indices belong to bands drawn whatever the view.
    int GetAlwaysDrawnCount() const { return m_alwaysDrawnCount; }

    // The indices of the view-dependent bands that may open with the eye at `eyeInModel` (model
    // space), in order, to follow the always-drawn ones. The storage is the culler's own, reused
    // (not reallocated) by the next call.
    std::span<const std::int32_t> SelectBands(const Vector3& eyeInModel);

    // The eye in the model space of `world`, found as the effect finds it (Cramer's rule on the
    // matrix's rows), so both agree on the line of sight. The offset from the origin when the
    // matrix is singular, as there.
    static Vector3 EyeInModel(const Matrix4& world, const Vector3& eye);

private:
    struct SCorner
    {
        Vector3 position;
        Vector3 normal;
        Vector3 otherNormal;
    };

    struct SEdgeMeshElements
    {
        const CVertexElement* positions;
        const CVertexElement* normals;
        const CVertexElement* otherNormals;
        const CVertexElement* flags;
        int vertexCount;
    };

    // Whether the six indices are a band as the builder makes them, on an edge mesh with every
    // element the effect reads.
    static bool HasBandShape(const SEdgeMeshElements& mesh, const std::int32_t* band);
    static bool IsAlwaysDrawn(const SEdgeMeshElements& mesh, const std::int32_t* band, const SCorner& b,
                              const SCorner& q);
    static SCorner CornerOf(const SEdgeMeshElements& mesh, std::int32_t vertex);
    // Writes moving corner i into the component arrays.
    void StoreCorner(std::size_t i, const SCorner& corner);
    // Sets m_resting for every moving corner: whether it certainly stays put with the eye there.
    void MarkRestingCorners(const Vector3& eyeInModel);

    std::vector<std::int32_t> m_orderedIndices;
    int m_alwaysDrawnCount = 0;

    // The view-dependent bands' moving corners (b, then q, band after band), one array per
    // component (position, normal, other normal: nine), so the per-frame test runs in vector
    // registers.
    std::vector<float> m_cornerComponents;
    std::size_t m_cornerCount = 0;
    std::vector<std::uint8_t> m_resting;
    std::unique_ptr<std::int32_t[]> m_selected;
};

} // namespace Tess
