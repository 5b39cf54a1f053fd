#pragma once
// Turns an XCAF document (what Open CASCADE reads from a STEP or IGES file) into the engine's
// scene: one part per placed leaf instance, in the document's order, each with the placement the
// assembly gives it, its name and its colour; each distinct leaf shape meshed once.

#include "Engine/Platform/ImportedScene.h"
#include "Engine/Platform/OpenCascade/CadMesher.h"

#include <TDF_Label.hxx>
#include <TDocStd_Document.hxx>
#include <Quantity_Color.hxx>
#include <TopLoc_Location.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <map>
#include <string>

namespace Tess
{

// What a STEP file says of a product beyond its name.
struct SCadProductData
{
    std::string partNumber;
    std::string description;
};

class CCadAssemblyWalker
{
public:
    CCadAssemblyWalker(const Handle(TDocStd_Document)& document, CCadMesher& mesher);

    // Product data by product name (UTF-8), given to the parts of those products.
    void SetProductData(std::map<std::string, SCadProductData> products) { m_products = std::move(products); }

    // Fills `out`; false, with `whyNot`, when the document holds no shapes.
    bool Walk(SImportedScene& out, std::string& whyNot);

private:
    // What the walk carries down the tree.
    struct SContext
    {
        TopLoc_Location location;
        std::string parentName;
        bool hasColour = false;
        Quantity_Color colour;
    };

    void Visit(const TDF_Label& label, const SContext& context, int depth, SImportedScene& out);
    void AddLeaf(const TDF_Label& instance, const TDF_Label& shapeLabel, const SContext& context, SImportedScene& out);
    std::uint32_t MeshOf(const TDF_Label& shapeLabel, std::string& whyNot, SImportedScene& out);
    bool FindColour(const TDF_Label& label, Quantity_Color& colour) const;

    Handle(XCAFDoc_ShapeTool) m_shapes;
    Handle(XCAFDoc_ColorTool) m_colours;
    CCadMesher& m_mesher;
    // Each leaf shape's mesh, by its label's entry, and why one could not be made.
    std::map<std::string, std::uint32_t> m_meshOfShape;
    std::map<std::string, std::string> m_whyNoMesh;
    std::map<std::string, SCadProductData> m_products;
};

// The label's name as UTF-8, or "" when it has none.
std::string LabelName(const TDF_Label& label);

} // namespace Tess
