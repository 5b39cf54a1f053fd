#pragma once
// CComponentOutline: the dark outline of one equipment part. It owns the outline edge mesh built
// from the part's mesh (every edge doubled, with zero-area fins joining coinciding edges) and
// draws it with "Edge_Mesh.fx", which opens the fins along creases and the silhouette by the
// displacement the application hands over as "ViewParm0".x, scaled by the part's size: the
// outline hands the effect the diagonal of the part's box as a share of kReferenceSize
// ("ObjectParm1"), so its band is the same share of any part on screen, and the eye in the
// part's own space ("ObjectParm2", found once a draw). The part keeps its outline as its child,
// so the outline follows the part's transform.
//
// Drawn filled, only the bands that may open from the current eye go to the device (see
// COutlineBandCuller); in wireframe, all of them: with the outline's own wireframe switch, and
// whenever the device fills with lines for the whole frame (the viewer's key W).
//
// Without an edge mesh (the part's model was missing or rejected) the outline has no buffers and
// draws nothing.

#include "Engine/Scene/Entity.h"

#include <memory>

namespace Tess
{

class CIndexBuffer;
class COutlineBandCuller;
class CRenderer;
class CTriMesh;
class CVertexBuffer;

class CComponentOutline : public CEntity
{
public:
    static constexpr float kBoundsRadius = 10000.0f;
    static constexpr const char* kEffectFile = "Edge_Mesh.fx";
    // The box diagonal of a part whose band opens by exactly the application's displacement:
    // about that of the gate valve's parts (70 to 93 units), so they keep nearly the outline they
    // had when the displacement was in plain model units (0.87 to 1.16 times its animated width;
    // the still one is at the minimum width anyway).
    static constexpr float kReferenceSize = 80.0f;

    // When the device buffers are made: with the outline, or by MakeBuffers. The viewer makes
    // them after its first frame, which then shows the parts sooner; uploading a large part's
    // bands and compiling their shader variant costs about as much as the rest of that frame.
    enum class EBuffers
    {
        Now,
        Later
    };

    // Takes ownership of the edge mesh (null for none) and its band culler (made here when null)
    // and builds its buffers on the renderer's device, now or when MakeBuffers is called.
    CComponentOutline(CRenderer& renderer, CTriMesh* edgeMesh, std::unique_ptr<COutlineBandCuller> culler = nullptr,
                      EBuffers buffers = EBuffers::Now);
    // Deletes the edge mesh and its buffers.
    ~CComponentOutline() override;

    // Moves with the parent part; the bounds centre follows the position.
    void Update(CTimer& timer) override;
    // World matrix, outline colour ("ObjectParm0"), the part's size ("ObjectParm1", its x as a
    // share of kReferenceSize), the eye in model space ("ObjectParm2"), then the bands through
    // the outline effect.
    void Draw(CRenderer& renderer) override;

    // Makes the buffers left for later; nothing when there are none to make.
    void MakeBuffers(CRenderer& renderer);
    bool HasPendingBuffers() const { return m_buffersPending; }

    bool HasGeometry() const { return m_vertexBuffer && m_indexBuffer; }
    const CVertexBuffer* GetVertexBuffer() const { return m_vertexBuffer; }
    // Every band's indices, those drawn whatever the view first (its capacity is every band's).
    const CIndexBuffer* GetIndexBuffer() const { return m_indexBuffer; }
    // The edge mesh the outline was built from, kept only without a device (tests, tools): on a
    // device, the buffers and the band culler hold what the outline draws, and the edge mesh is
    // let go once they are made. The normal, tangent and binormal vectors are drawn from it, so
    // on a device an outline draws none.
    CTriMesh* GetEdgeMesh() const { return m_edgeMesh; }
    bool IsWireframe() const { return m_wireframe; }
    void SetWireframe(bool wireframe) { m_wireframe = wireframe; }
    void SetShowNormals(bool show) { m_showNormals = show; }
    void SetShowTangents(bool show) { m_showTangents = show; }
    void SetShowBinormals(bool show) { m_showBinormals = show; }

private:
    // Fills the index buffer's view-dependent part for this frame's eye, or with every band.
    void SelectBands(CRenderer& renderer, const Vector3& eyeInModel);
    // Whether this draw fills with lines: a degenerate band still shows its edges then.
    bool DrawsLines(CRenderer& renderer) const;

    CTriMesh* m_edgeMesh = nullptr;
    std::unique_ptr<COutlineBandCuller> m_culler;
    bool m_drawsEveryBand = true;
    bool m_buffersPending = false;
    CVertexBuffer* m_vertexBuffer = nullptr;
    CIndexBuffer* m_indexBuffer = nullptr;
    bool m_showNormals = false;
    bool m_showTangents = false;
    bool m_showBinormals = false;
    bool m_wireframe = false;
};

} // namespace Tess
