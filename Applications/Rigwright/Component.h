#pragma once
// CComponent: one part of the equipment the viewer shows. A scene node that owns the part's
// triangle mesh (loaded from a MilkShape 3D file or an exchange format, with recomputed normals)
// and the vertex and index buffers made from it, draws itself with "default_color.fx", carries the
// part information the part-information panel shows, and stores the camera view the application
// glides to when the part is in focus. It creates its outline (CComponentOutline) as its first child.
//
// A model file that is missing or rejected leaves an empty part: no mesh, no buffers, an outline
// without geometry, nothing drawn, and the reason kept for the panel. The program runs on.

#include "Applications/Rigwright/ComponentOutline.h"
#include "Applications/Rigwright/PartOrientation.h"
#include "Engine/Scene/Node.h"

#include <string>

namespace Tess
{

class CComponentOutline;
class CIndexBuffer;
class CRenderer;
class CTriMesh;
class CVertexBuffer;
struct SImportedModel;
struct SPreparedPart;

class CComponent : public CNode
{
public:
    static constexpr const char* kDefaultModelFile = "Data/Models/Edge_Mesh.ms3d";
    static constexpr const char* kEffectFile = "default_color.fx";
    // Never culled: the sphere holds any view that sees the part at all.
    static constexpr float kBoundsRadius = 10000.0f;
    static constexpr float kDefaultViewRadius = -100.0f;
    // Ambient and diffuse colours of a part ("ObjectParm0" and "ObjectParm1").
    static constexpr float kAmbient = 0.4f;
    static constexpr float kDiffuse = 0.8f;

    // The equipment's main part, from "Data/Models/Edge_Mesh.ms3d".
    explicit CComponent(CRenderer& renderer);
    // A part from another model file (MilkShape, STL, OBJ, glTF or PLY), turned by `orientation`
    // and its coordinates multiplied by `scale` before normals and outline are built.
    CComponent(CRenderer& renderer, const std::string& modelFile, float scale = 1.0f,
               const SPartOrientation& orientation = {});
    // A part from a model already read from `modelFile` (an assembly's leaf), which it takes over;
    // without one, an empty part whose reason is `modelProblem`.
    CComponent(CRenderer& renderer, SImportedModel* model, const std::string& modelFile,
               const std::string& modelProblem, float scale = 1.0f, const SPartOrientation& orientation = {});
    // A part prepared beforehand (PartPreparation.h), whose mesh, edge mesh and culler it takes
    // over; its held log lines are written first. `outlineBuffers` says when its outline's
    // buffers are made (CComponentOutline::EBuffers).
    CComponent(CRenderer& renderer, SPreparedPart&& prepared,
               CComponentOutline::EBuffers outlineBuffers = CComponentOutline::EBuffers::Now);
    // Deletes the mesh, the buffers and the outline.
    ~CComponent() override;

    // Moves the part (a part out of focus gets the plain ambient colour back), keeps the bounds on
    // the position, then updates the outline as a child.
    void Update(CTimer& timer) override;
    // Queues the part when its bounds are visible, then submits the outline.
    void Submit(CRenderer& renderer) override;
    // World matrix and colours, then the mesh through the part's effect.
    void Draw(CRenderer& renderer) override;

    // Colours the part (red, green, blue, 0 to 1) in place of the grey all parts have; the part in
    // focus still takes the highlight as its ambient colour.
    void SetBaseColour(const Vector3& colour);
    const Vector4& GetAmbientColour() const { return m_ambient; }

    bool HasGeometry() const { return m_vertexBuffer && m_indexBuffer; }
    // Why the model file could not be read, in the log's words; empty when it was.
    const std::string& GetModelProblem() const { return m_modelProblem; }
    CTriMesh* GetMesh() const { return m_mesh; }
    CComponentOutline* GetOutline() const { return m_outline; }

    bool IsSelected() const { return m_selected; }
    void SetSelected(bool selected) { m_selected = selected; }
    bool IsWireframe() const { return m_wireframe; }
    // Draws this part alone in wireframe; the device's fill mode is solid again afterwards.
    void SetWireframe(bool wireframe) { m_wireframe = wireframe; }
    void SetShowNormals(bool show) { m_showNormals = show; }
    void SetShowTangents(bool show) { m_showTangents = show; }
    void SetShowBinormals(bool show) { m_showBinormals = show; }

    // Part information.
    const std::string& GetPartName() const { return m_partName; }
    const std::string& GetManufacturer() const { return m_manufacturer; }
    const std::string& GetPartNumber() const { return m_partNumber; }
    const std::string& GetDescription() const { return m_description; }
    void SetPartName(const std::string& text) { m_partName = text; }
    void SetManufacturer(const std::string& text) { m_manufacturer = text; }
    void SetPartNumber(const std::string& text) { m_partNumber = text; }
    void SetDescription(const std::string& text) { m_description = text; }

    // The orbit camera's settings while this part is in focus.
    const Vector3& GetViewTarget() const { return m_viewTarget; }
    float GetViewPitch() const { return m_viewPitch; }
    float GetViewYaw() const { return m_viewYaw; }
    float GetViewRadius() const { return m_viewRadius; }
    void SetView(const Vector3& target, float pitch, float yaw, float radius);

private:
    // The constructors' common steps once the part is prepared.
    void Build(CRenderer& renderer, SPreparedPart& prepared, CComponentOutline::EBuffers outlineBuffers);
    // Centre of the mesh's axis-aligned box (the origin without a mesh).
    Vector3 ComputeMeshCentre() const;

    CTriMesh* m_mesh = nullptr;
    CVertexBuffer* m_vertexBuffer = nullptr;
    CIndexBuffer* m_indexBuffer = nullptr;
    bool m_showNormals = false;
    bool m_showTangents = false;
    bool m_showBinormals = false;
    bool m_wireframe = false;
    bool m_selected = false;
    std::string m_partName;
    std::string m_manufacturer;
    std::string m_partNumber;
    std::string m_description;
    std::string m_modelProblem;
    Vector4 m_ambient;
    Vector3 m_viewTarget;
    float m_viewPitch = 0.0f;
    float m_viewYaw = 0.0f;
    float m_viewRadius = kDefaultViewRadius;
    CComponentOutline* m_outline = nullptr;
};

} // namespace Tess
