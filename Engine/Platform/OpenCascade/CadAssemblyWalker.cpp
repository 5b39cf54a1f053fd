#include "Engine/Platform/OpenCascade/CadAssemblyWalker.h"

#include <TDF_LabelSequence.hxx>
#include <TDF_Tool.hxx>
#include <TDataStd_Name.hxx>
#include <TCollection_AsciiString.hxx>
#include <TopExp_Explorer.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <gp_Trsf.hxx>

#include <algorithm>
#include <cctype>

namespace Tess
{

namespace
{

// Assemblies nest a few levels in practice; a deeper tree is a damaged or hostile file.
constexpr int kMaxAssemblyDepth = 64;

std::string EntryOf(const TDF_Label& label)
{
    TCollection_AsciiString entry;
    TDF_Tool::Entry(label, entry);
    return entry.ToCString();
}

// UTF-16 (as Open CASCADE keeps names) to UTF-8; unpaired surrogates become U+FFFD.
std::string ToUtf8(const TCollection_ExtendedString& text)
{
    std::string out;
    const Standard_Integer length = text.Length();
    for (Standard_Integer i = 1; i <= length; ++i)
    {
        char32_t code = static_cast<char16_t>(text.Value(i));
        if (code >= 0xD800 && code <= 0xDBFF && i < length)
        {
            const char32_t low = static_cast<char16_t>(text.Value(i + 1));
            if (low >= 0xDC00 && low <= 0xDFFF)
            {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (code >= 0xD800 && code <= 0xDFFF)
            code = 0xFFFD;
        if (code < 0x80)
            out += static_cast<char>(code);
        else if (code < 0x800)
            out += {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
        else if (code < 0x10000)
            out += {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (code & 0x3F))};
        else
            out += {static_cast<char>(0xF0 | (code >> 18)), static_cast<char>(0x80 | ((code >> 12) & 0x3F)),
                    static_cast<char>(0x80 | ((code >> 6) & 0x3F)), static_cast<char>(0x80 | (code & 0x3F))};
    }
    return out;
}

// Names that say nothing of the part: none; "SOLID" and the like, which exporters of
// printed-circuit boards and some CAD tools give every leaf (the real name is then on its
// parent); the entry Open CASCADE makes up for an unnamed instance ("=>[0:1:1:3]"); and the
// occurrence identifiers some exporters leave as instance names ("NAUO12").
bool IsGenericName(const std::string& name)
{
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    if (upper.empty() || upper == "SOLID" || upper == "SHELL" || upper == "COMPOUND" || upper.starts_with("=>["))
        return true;
    return upper.size() > 4 && upper.starts_with("NAUO") &&
           std::all_of(upper.begin() + 4, upper.end(), [](unsigned char c) { return std::isdigit(c); });
}

// A product's name (on its shape) before its instance's: instances are often numbered copies
// ("nut_3") or made-up names, while the product names what the part is.
std::string PartName(const TDF_Label& instance, const TDF_Label& shapeLabel)
{
    std::string name = LabelName(shapeLabel);
    if (IsGenericName(name))
        name = LabelName(instance);
    return IsGenericName(name) ? std::string() : name;
}

bool HasFaces(const TopoDS_Shape& shape)
{
    return !shape.IsNull() && TopExp_Explorer(shape, TopAbs_FACE).More();
}

ImportedPlacement PlacementOf(const TopLoc_Location& location)
{
    const gp_Trsf transform = location.Transformation();
    ImportedPlacement placement{};
    for (int row = 1; row <= 3; ++row)
    {
        for (int column = 1; column <= 4; ++column)
            placement[static_cast<std::size_t>(4 * (row - 1) + column - 1)] = transform.Value(row, column);
    }
    return placement;
}

} // namespace

std::string LabelName(const TDF_Label& label)
{
    Handle(TDataStd_Name) name;
    if (label.IsNull() || !label.FindAttribute(TDataStd_Name::GetID(), name))
        return {};
    return ToUtf8(name->Get());
}

CCadAssemblyWalker::CCadAssemblyWalker(const Handle(TDocStd_Document)& document, CCadMesher& mesher)
    : m_shapes(XCAFDoc_DocumentTool::ShapeTool(document->Main())),
      m_colours(XCAFDoc_DocumentTool::ColorTool(document->Main())),
      m_mesher(mesher)
{
}

bool CCadAssemblyWalker::Walk(SImportedScene& out, std::string& whyNot)
{
    out = {};
    TDF_LabelSequence roots;
    m_shapes->GetFreeShapes(roots);
    for (const TDF_Label& root : roots)
        Visit(root, SContext{}, 0, out);
    if (out.parts.empty())
    {
        whyNot = "the file holds no shapes";
        return false;
    }
    return true;
}

bool CCadAssemblyWalker::FindColour(const TDF_Label& label, Quantity_Color& colour) const
{
    for (XCAFDoc_ColorType type : {XCAFDoc_ColorSurf, XCAFDoc_ColorGen})
    {
        if (m_colours->GetColor(label, type, colour))
            return true;
    }
    return false;
}

void CCadAssemblyWalker::Visit(const TDF_Label& label, const SContext& context, int depth, SImportedScene& out)
{
    if (depth > kMaxAssemblyDepth)
        return;
    SContext inner = context;
    TDF_Label shapeLabel = label;
    if (XCAFDoc_ShapeTool::IsReference(label))
    {
        XCAFDoc_ShapeTool::GetReferredShape(label, shapeLabel);
        inner.location = context.location * XCAFDoc_ShapeTool::GetLocation(label);
    }
    Quantity_Color colour;
    // An instance's own colour wins over its shape's, and both over the assembly's.
    if (FindColour(label, colour) || FindColour(shapeLabel, colour))
    {
        inner.hasColour = true;
        inner.colour = colour;
    }
    if (XCAFDoc_ShapeTool::IsAssembly(shapeLabel))
    {
        if (std::string name = PartName(label, shapeLabel); !name.empty())
            inner.parentName = name;
        TDF_LabelSequence components;
        XCAFDoc_ShapeTool::GetComponents(shapeLabel, components);
        for (const TDF_Label& component : components)
            Visit(component, inner, depth + 1, out);
        return;
    }
    AddLeaf(label, shapeLabel, inner, out);
}

void CCadAssemblyWalker::AddLeaf(const TDF_Label& instance, const TDF_Label& shapeLabel, const SContext& context,
                                 SImportedScene& out)
{
    // Points, curves and empty shapes that travel with a part are no parts of their own.
    if (!HasFaces(XCAFDoc_ShapeTool::GetShape(shapeLabel)))
        return;
    SImportedScenePart part;
    part.part.name = PartName(instance, shapeLabel);
    if (part.part.name.empty())
        part.part.name = context.parentName;
    if (const auto product = m_products.find(LabelName(shapeLabel)); product != m_products.end())
    {
        part.part.partNumber = product->second.partNumber;
        part.part.description = product->second.description;
    }
    if (context.hasColour)
    {
        part.part.hasColour = true;
        part.part.colour[0] = static_cast<float>(context.colour.Red());
        part.part.colour[1] = static_cast<float>(context.colour.Green());
        part.part.colour[2] = static_cast<float>(context.colour.Blue());
    }
    part.mesh = MeshOf(shapeLabel, part.part.whyEmpty, out);
    part.placement = PlacementOf(context.location);
    out.parts.push_back(std::move(part));
}

std::uint32_t CCadAssemblyWalker::MeshOf(const TDF_Label& shapeLabel, std::string& whyNot, SImportedScene& out)
{
    const std::string entry = EntryOf(shapeLabel);
    if (const auto found = m_meshOfShape.find(entry); found != m_meshOfShape.end())
        return found->second;
    if (const auto failed = m_whyNoMesh.find(entry); failed != m_whyNoMesh.end())
    {
        whyNot = failed->second;
        return kNoImportedMesh;
    }
    SImportedModel mesh;
    if (!m_mesher.Mesh(XCAFDoc_ShapeTool::GetShape(shapeLabel), mesh, whyNot))
    {
        m_whyNoMesh[entry] = whyNot;
        return kNoImportedMesh;
    }
    const auto index = static_cast<std::uint32_t>(out.meshes.size());
    out.meshes.push_back(std::move(mesh));
    m_meshOfShape[entry] = index;
    return index;
}

} // namespace Tess
