#pragma once
// Assemblies: files that hold several placed parts, with names and product data, as CAD tools
// export equipment (STEP, IGES). Every file the model importer reads is an assembly too, of one
// part: the whole file, named after it.

#include "Engine/Platform/ModelImporter.h"

#include <string>
#include <vector>

namespace Tess
{

// One placed leaf of an assembly, as the file describes it.
struct SImportedPart
{
    // UTF-8. The instance's name, or its product's where the leaf has a generic one.
    std::string name;
    // The product's data where the file has it; empty otherwise.
    std::string manufacturer;
    std::string partNumber;
    std::string description;
    // The file's colour for the part (red, green, blue, 0 to 1), where it has one.
    bool hasColour = false;
    float colour[3] = {0.0f, 0.0f, 0.0f};
    // Why a part the file names came out without triangles (its shape could not be meshed in
    // time, or holds no faces); empty when it has them.
    std::string whyEmpty;
    // The part's triangles where the leaf stands in the assembly, in the file's right-handed
    // coordinates; CAD formats in millimetres, whatever unit the file declares.
    SImportedModel model;
};

struct SImportedAssembly
{
    // In the file's order.
    std::vector<SImportedPart> parts;
};

// True for the names of files that hold assemblies of their own (.step, .stp, .iges, .igs, any
// letter case).
bool IsAssemblyFile(const std::string& path);

// Reads the file's parts: an assembly file's leaves, or any other model file the importer reads
// as one part named after the file (its name without folder and extension). False, with
// `whyNot` saying why in a few words, when nothing can be read.
bool ImportAssemblyFile(const std::string& path, SImportedAssembly& out, std::string& whyNot);

// Every part's triangles in one model, in the parts' order: an assembly shown as one part.
SImportedModel MergeImportedParts(SImportedAssembly&& assembly);

} // namespace Tess
