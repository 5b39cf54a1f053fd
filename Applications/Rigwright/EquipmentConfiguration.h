#pragma once
// CEquipmentConfiguration: reads the equipment the viewer shows from the configuration script
// "Data/Scripts/Equipment_Configuration.lua". The script describes one part per call of the
// function the engine registers for it:
//
//   AddComponent(model, name, manufacturer, partNumber, description, x, y, z
//                [, pitch, yaw, radius [, targetX, targetY, targetZ]] [, scale])
//
// `model` is a MilkShape 3D, STL, OBJ, glTF, PLY, STEP or IGES file: a bare file name is looked up in
// "Data/Models/", a path is taken as it stands, and an empty one names the default model.
// (x, y, z) places the part in the assembly. Without the optional view the camera frames the part
// from its box; with pitch, yaw and radius it takes those, looking at the part's box centre or at
// the target given. A single number after the position, the view or the target is the scale the
// model's coordinates are multiplied by (1 without it; anything but a positive number reads 1).
//
// The same with named fields, every one but `model` optional:
//
//   AddComponent{ model = "...", name = "...", manufacturer = "...", partNumber = "...",
//                 description = "...", position = {x, y, z}, up = "z", rotation = {x, y, z},
//                 scale = 2.5, view = {pitch = 0.3, yaw = 0.5, radius = -140}, target = {x, y, z} }
//
// `up` names the file's own axis that points up and `rotation` turns the part by degrees about
// x, y and z (PartOrientation.h); `target` needs a `view`. A field that cannot be read (wrong
// type or length, not finite, a scale that is not positive, an unknown up axis, a name that is
// no field) gets a log line naming the part and the field, and the part is added with that
// field's default.
//
// A STEP or IGES file (.step, .stp, .iges, .igs) given to AddComponent is shown as one part, the
// whole assembly. To show each of its parts, one per placed leaf, in the file's order:
//
//   AddAssembly(file [, { manufacturer = "...", position = {x, y, z}, up = "z", colours = "file", ... }])
//
// Each part is named from the file; its manufacturer, part number and description come from the
// file's product data where it has them, otherwise from the fields. `position`, `up`, `rotation`
// and `scale` place the whole assembly; `view` and `target` are not used (each part is framed
// from its box). `colours = "file"` shows the parts in the file's colours (the default,
// "grey", shows them all alike). Any model file works: a mesh file gives one
// part named after it. The log names the file with the number of parts it gave
// ("Equipment: pump.step: 32 parts"); a file that cannot be read gets a log line saying why and
// one empty part. The files are read after the script has run, so reading them, which can take
// seconds, counts against no script time limit; AddAssembly returns true when the file is taken.
//
// Parts come back in the order the script added them. A script that fails part-way keeps the
// parts it added before the error; a missing script adds none.

#include "Applications/Rigwright/PartOrientation.h"
#include "Engine/Core/Vector.h"

#include <memory>
#include <string>
#include <vector>

namespace Tess
{

struct SImportedModel;

struct SPartDescription
{
    std::string modelFile;
    std::string partName;
    std::string manufacturer;
    std::string partNumber;
    std::string description;
    Vector3 position;
    // The script chose the camera's pitch, yaw and radius for this part.
    bool hasView = false;
    float viewPitch = 0.0f;
    float viewYaw = 0.0f;
    float viewRadius = 0.0f;
    // The script chose the point the camera looks at, too.
    bool hasViewTarget = false;
    Vector3 viewTarget;
    float scale = 1.0f;
    SPartOrientation orientation;
    // The script asked for the file's own colours (colours = "file").
    bool fileColours = false;
    // A part of an assembly: its model, already read from `modelFile`, which the part takes over,
    // and the file's colour for it. Without a model, `modelProblem` says why the file gave none.
    std::shared_ptr<SImportedModel> importedModel;
    std::string modelProblem;
    bool hasColour = false;
    Vector3 colour;
    // While the script runs: an AddAssembly call, whose file is read once the script is done
    // (reading is no part of the script's time limit). `assemblyName` is the file as the script
    // named it.
    bool pendingAssembly = false;
    std::string assemblyName;

    bool IsAssemblyPart() const { return importedModel || !modelProblem.empty(); }
};

class CEquipmentConfiguration
{
public:
    static constexpr const char* kScriptFile = "Data/Scripts/Equipment_Configuration.lua";
    static constexpr const char* kFunctionName = "AddComponent";
    static constexpr const char* kAssemblyFunctionName = "AddAssembly";
    static constexpr const char* kModelDirectory = "Data/Models/";
    static constexpr const char* kDefaultModelFile = "Data/Models/Edge_Mesh.ms3d";
    // More parts than any equipment needs; further calls are refused so that a runaway script
    // cannot make the viewer load models without end.
    static constexpr int kMaxParts = 256;

    // Registers AddComponent and AddAssembly and runs the script; the parts it added, in order.
    // With a `modelFolder`, every relative model path the script names is taken from there
    // (a script the user names keeps its models beside it), and a missing script is logged.
    static std::vector<SPartDescription> Load(const std::string& scriptFile = kScriptFile,
                                              const std::string& modelFolder = "");

    // Load in two steps: the script's list, with each AddAssembly call a part still to be read
    // (the script alone, quick: it runs where the caller is), then the list with each such part
    // replaced by the parts of its file (every file read: this may take a reader's time limit).
    static std::vector<SPartDescription> Describe(const std::string& scriptFile = kScriptFile,
                                                  const std::string& modelFolder = "");
    static std::vector<SPartDescription> ReadAssemblies(std::vector<SPartDescription> listed);

    // The parts of the model files, in order, as AddAssembly without fields adds each.
    static std::vector<SPartDescription> LoadFiles(const std::vector<std::string>& files);

    // The model file a script's `model` argument names.
    static std::string ResolveModelFile(const std::string& model);
};

} // namespace Tess
