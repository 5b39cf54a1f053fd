#include "Applications/Rigwright/EquipmentConfiguration.h"

#include "Applications/Rigwright/AssemblyParts.h"
#include "Applications/Rigwright/PartFields.h"
#include "Engine/Core/Log.h"
#include "Engine/Rendering/ScriptManager.h"

#include <cmath>
#include <filesystem>

namespace Tess
{

namespace
{
// The list the running script adds to; null outside Load, so a later call adds nothing.
std::vector<SPartDescription>* g_parts = nullptr;
bool g_refusalLogged = false;
// Where the running script's relative model paths are taken from; empty for the usual rules.
std::string g_modelFolder;

// Position, angle and radius arguments: anything that is not a finite number reads 0.
float ReadFinite(lua_State* state, int index)
{
    const double value = CScriptManager::ReadNumber(state, index);
    return std::isfinite(value) ? static_cast<float>(value) : 0.0f;
}

Vector3 ReadVector(lua_State* state, int first)
{
    return Vector3(ReadFinite(state, first), ReadFinite(state, first + 1), ReadFinite(state, first + 2));
}

float ReadScale(lua_State* state, int index, const std::string& modelFile)
{
    float scale = 1.0f;
    if (ToPartScale(CScriptManager::ReadNumber(state, index), scale))
        return scale;
    GetLog().Write(LOG_MAIN, "Equipment: the scale of " + modelFile + " is not a positive number; 1 is used");
    return 1.0f;
}

SPartDescription ReadPositionalPart(lua_State* state)
{
    SPartDescription part;
    part.modelFile = CEquipmentConfiguration::ResolveModelFile(CScriptManager::ReadString(state, 1));
    part.partName = CScriptManager::ReadString(state, 2);
    part.manufacturer = CScriptManager::ReadString(state, 3);
    part.partNumber = CScriptManager::ReadString(state, 4);
    part.description = CScriptManager::ReadString(state, 5);
    part.position = ReadVector(state, 6);
    const int count = CScriptManager::GetArgumentCount(state);
    if (count >= 11)
    {
        part.hasView = true;
        part.viewPitch = ReadFinite(state, 9);
        part.viewYaw = ReadFinite(state, 10);
        part.viewRadius = ReadFinite(state, 11);
    }
    if (count >= 14)
    {
        part.hasViewTarget = true;
        part.viewTarget = ReadVector(state, 12);
    }
    // The scale is the one argument left over after the position and the groups of three.
    if (count <= 15 && (count - 8) % 3 == 1)
        part.scale = ReadScale(state, count, part.modelFile);
    return part;
}

// AddComponent(model, name, manufacturer, partNumber, description, x, y, z [, pitch, yaw, radius
// [, tx, ty, tz]] [, scale]) or AddComponent{field = value, ...} -> true when the part was added.
int AddComponent(lua_State* state)
{
    bool added = false;
    if (g_parts && static_cast<int>(g_parts->size()) < CEquipmentConfiguration::kMaxParts)
    {
        const int number = static_cast<int>(g_parts->size()) + 1;
        g_parts->push_back(CScriptManager::IsTable(state, 1) ? ReadPartFields(state, 1, number)
                                                             : ReadPositionalPart(state));
        added = true;
    }
    else if (g_parts && !g_refusalLogged)
    {
        g_refusalLogged = true;
        GetLog().Write(LOG_MAIN, "Equipment: more than " + std::to_string(CEquipmentConfiguration::kMaxParts) +
                                     " parts; the rest are left out");
    }
    CScriptManager::PushBoolean(state, added);
    return 1;
}

// AddAssembly(file [, fields]) -> true when the file was taken; it is read after the script.
int AddAssembly(lua_State* state)
{
    bool taken = false;
    if (g_parts && static_cast<int>(g_parts->size()) < CEquipmentConfiguration::kMaxParts)
    {
        const std::string file = CScriptManager::ReadString(state, 1);
        const int number = static_cast<int>(g_parts->size()) + 1;
        SPartDescription assembly =
            CScriptManager::IsTable(state, 2) ? ReadPartFields(state, 2, number) : SPartDescription{};
        assembly.modelFile = CEquipmentConfiguration::ResolveModelFile(file);
        assembly.assemblyName = file;
        assembly.pendingAssembly = true;
        g_parts->push_back(std::move(assembly));
        taken = true;
    }
    CScriptManager::PushBoolean(state, taken);
    return 1;
}

} // namespace

std::string CEquipmentConfiguration::ResolveModelFile(const std::string& model)
{
    if (model.empty())
        return kDefaultModelFile;
    if (!g_modelFolder.empty())
        return std::filesystem::path(model).is_absolute() ? model : (std::filesystem::path(g_modelFolder) / model).string();
    if (model.find('/') == std::string::npos)
        return kModelDirectory + model;
    return model;
}

std::vector<SPartDescription> CEquipmentConfiguration::Load(const std::string& scriptFile,
                                                            const std::string& modelFolder)
{
    return ReadAssemblies(Describe(scriptFile, modelFolder));
}

std::vector<SPartDescription> CEquipmentConfiguration::Describe(const std::string& scriptFile,
                                                                const std::string& modelFolder)
{
    std::vector<SPartDescription> parts;
    std::error_code error;
    if (!std::filesystem::is_regular_file(scriptFile, error))
    {
        // The default script may be left out on purpose; one the user names is expected.
        if (!modelFolder.empty())
            GetLog().Write(LOG_MAIN, "Equipment: script " + scriptFile + " not found");
        return parts;
    }

    CScriptManager& scripts = GetScriptManager();
    scripts.RegisterFunction(kFunctionName, &AddComponent);
    scripts.RegisterFunction(kAssemblyFunctionName, &AddAssembly);
    g_parts = &parts;
    g_refusalLogged = false;
    g_modelFolder = modelFolder;
    const int status = scripts.RunScriptFile(scriptFile);
    g_parts = nullptr;
    g_modelFolder.clear();
    if (status != 0)
        GetLog().Write(LOG_MAIN, "Equipment: " + scriptFile + " stopped with an error after " +
                                     std::to_string(parts.size()) + " parts");
    return parts;
}

std::vector<SPartDescription> CEquipmentConfiguration::ReadAssemblies(std::vector<SPartDescription> listed)
{
    std::vector<SPartDescription> parts;
    for (SPartDescription& part : listed)
    {
        if (part.pendingAssembly)
        {
            part.pendingAssembly = false;
            AppendAssemblyParts(part.modelFile, part.assemblyName, part, parts, CEquipmentConfiguration::kMaxParts);
        }
        else if (static_cast<int>(parts.size()) < CEquipmentConfiguration::kMaxParts)
            parts.push_back(std::move(part));
    }
    return parts;
}

std::vector<SPartDescription> CEquipmentConfiguration::LoadFiles(const std::vector<std::string>& files)
{
    std::vector<SPartDescription> parts;
    for (const std::string& file : files)
        AppendAssemblyParts(file, file, SPartDescription{}, parts, kMaxParts);
    return parts;
}

} // namespace Tess
