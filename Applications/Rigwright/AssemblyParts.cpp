#include "Applications/Rigwright/AssemblyParts.h"

#include "Engine/Core/Log.h"
#include "Engine/Platform/AssemblyImporter.h"

#include <filesystem>

namespace Tess
{

namespace
{

const std::string& FirstOf(const std::string& fromFile, const std::string& fromScript)
{
    return fromFile.empty() ? fromScript : fromFile;
}

SPartDescription DescribeLeaf(SImportedPart& leaf, const SPartDescription& common, const std::string& shownName,
                              int number)
{
    SPartDescription part = common;
    part.hasView = false;
    part.hasViewTarget = false;
    part.partName = leaf.name.empty() ? std::filesystem::path(shownName).stem().string() + " " + std::to_string(number)
                                      : leaf.name;
    part.manufacturer = FirstOf(leaf.manufacturer, common.manufacturer);
    part.partNumber = FirstOf(leaf.partNumber, common.partNumber);
    part.description = FirstOf(leaf.description, common.description);
    part.hasColour = leaf.hasColour;
    part.colour = Vector3(leaf.colour[0], leaf.colour[1], leaf.colour[2]);
    // A leaf without triangles (its shape could not be meshed in time, say) stays in the list,
    // empty, with the reader's reason, as a file that cannot be read does.
    if (leaf.model.GetTriangleCount() > 0)
        part.importedModel = std::make_shared<SImportedModel>(std::move(leaf.model));
    else
        part.modelProblem = leaf.whyEmpty.empty() ? "the part holds no triangles" : leaf.whyEmpty;
    return part;
}

} // namespace

int AppendAssemblyParts(const std::string& modelFile, const std::string& shownName, const SPartDescription& common,
                        std::vector<SPartDescription>& parts, int maxParts)
{
    if (static_cast<int>(parts.size()) >= maxParts)
        return 0;
    SImportedAssembly assembly;
    std::string whyNot;
    if (!ImportAssemblyFile(modelFile, assembly, whyNot) || assembly.parts.empty())
    {
        // The user still sees that the file was meant to be there, and why it is not.
        GetLog().Write(LOG_MAIN, "Equipment: " + shownName + " not read: " + whyNot);
        SPartDescription part = common;
        part.modelFile = modelFile;
        part.hasView = false;
        part.hasViewTarget = false;
        if (part.partName.empty())
            part.partName = std::filesystem::path(shownName).stem().string();
        part.modelProblem = whyNot.empty() ? "the file holds no parts" : whyNot;
        parts.push_back(std::move(part));
        return 1;
    }
    const int count = static_cast<int>(assembly.parts.size());
    GetLog().Write(LOG_MAIN, "Equipment: " + shownName + ": " + std::to_string(count) + (count == 1 ? " part" : " parts"));
    int added = 0;
    for (SImportedPart& leaf : assembly.parts)
    {
        if (static_cast<int>(parts.size()) >= maxParts)
            break;
        SPartDescription part = DescribeLeaf(leaf, common, shownName, added + 1);
        part.modelFile = modelFile;
        parts.push_back(std::move(part));
        ++added;
    }
    if (added < count)
        GetLog().Write(LOG_MAIN, "Equipment: more than " + std::to_string(maxParts) + " parts; the rest of " +
                                     shownName + " is left out");
    return added;
}

} // namespace Tess
