#include "Applications/Rigwright/PartFields.h"

#include "Engine/Core/Log.h"
#include "Engine/Rendering/ScriptManager.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace Tess
{

namespace
{

enum EPartField
{
    kModel,
    kName,
    kManufacturer,
    kPartNumber,
    kDescription,
    kPosition,
    kUp,
    kRotation,
    kScale,
    kView,
    kTarget,
    kColours,
    kFieldCount
};
static_assert(std::size(kPartFieldNames) == kFieldCount);

// A runaway table could name thousands of fields that do not exist; the log lists the first few.
constexpr std::size_t kListedUnknownFields = 8;
constexpr std::size_t kLongestNameShown = 40;

const char* const kNotThreeNumbers = "is not a list of three finite numbers; ";

// Finite, and within the float range the part keeps it in (a larger double would not convert).
bool IsFiniteFloat(double value)
{
    return std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max();
}

// The list of three finite numbers on top of the stack.
bool ReadFiniteVector(lua_State* state, Vector3& vector)
{
    double values[3] = {};
    if (!CScriptManager::ReadNumberList(state, -1, values, 3) ||
        !std::all_of(std::begin(values), std::end(values), IsFiniteFloat))
        return false;
    vector = Vector3(static_cast<float>(values[0]), static_cast<float>(values[1]), static_cast<float>(values[2]));
    return true;
}

// The view table on top of the stack: exactly pitch, yaw and radius, finite numbers.
bool ReadView(lua_State* state, SPartDescription& part)
{
    if (!CScriptManager::IsTable(state, -1))
        return false;
    const char* const names[] = {"pitch", "yaw", "radius"};
    double values[3] = {};
    bool seen[3] = {};
    bool wrong = false;
    const int unnamed = CScriptManager::ForEachStringKey(state, -1, [&](const std::string& key) {
        const auto found = std::find(std::begin(names), std::end(names), key);
        const auto i = static_cast<std::size_t>(found - std::begin(names));
        wrong = wrong || found == std::end(names) || !CScriptManager::ReadNumberValue(state, -1, values[i]) ||
                !IsFiniteFloat(values[i]);
        if (!wrong)
            seen[i] = true;
    });
    if (wrong || unnamed > 0 || !std::all_of(std::begin(seen), std::end(seen), [](bool s) { return s; }))
        return false;
    part.hasView = true;
    part.viewPitch = static_cast<float>(values[0]);
    part.viewYaw = static_cast<float>(values[1]);
    part.viewRadius = static_cast<float>(values[2]);
    return true;
}

// A text field: a string, or a number as its text.
std::string ReadText(lua_State* state, std::string& text)
{
    return CScriptManager::ReadStringValue(state, -1, text) ? "" : "is not a string; \"\" is used";
}

// Reads the value on top of the stack into the field; what is wrong with it, or "" when nothing.
std::string ReadField(lua_State* state, int field, SPartDescription& part)
{
    std::string text;
    double number = 0.0;
    switch (field)
    {
    case kModel:
        if (!CScriptManager::ReadStringValue(state, -1, text))
            return "is not a string; the default model is used";
        part.modelFile = CEquipmentConfiguration::ResolveModelFile(text);
        return "";
    case kName: return ReadText(state, part.partName);
    case kManufacturer: return ReadText(state, part.manufacturer);
    case kPartNumber: return ReadText(state, part.partNumber);
    case kDescription: return ReadText(state, part.description);
    case kPosition:
        return ReadFiniteVector(state, part.position) ? "" : std::string(kNotThreeNumbers) + "{0, 0, 0} is used";
    case kUp:
        if (CScriptManager::ReadStringValue(state, -1, text) && ParseUpAxis(text, part.orientation.up))
            return "";
        return "is not \"x\", \"y\", \"z\", \"-x\", \"-y\" or \"-z\"; \"y\" is used";
    case kRotation:
        if (ReadFiniteVector(state, part.orientation.rotation))
            return "";
        return std::string(kNotThreeNumbers) + "{0, 0, 0} is used";
    case kScale:
        if (CScriptManager::ReadNumberValue(state, -1, number) && ToPartScale(number, part.scale))
            return "";
        return "is not a positive number; 1 is used";
    case kView:
        if (ReadView(state, part))
            return "";
        return "is not a table of finite pitch, yaw and radius; the part is framed from its size";
    case kColours:
        if (CScriptManager::ReadStringValue(state, -1, text) && (text == "file" || text == "grey"))
        {
            part.fileColours = text == "file";
            return "";
        }
        return "is not \"file\" or \"grey\"; \"grey\" is used";
    default:
        part.hasViewTarget = ReadFiniteVector(state, part.viewTarget);
        return part.hasViewTarget ? "" : std::string(kNotThreeNumbers) + "the centre of the part is looked at";
    }
}

// A name as the log shows it: a very long one is cut short.
std::string ShownName(const std::string& name)
{
    return name.size() <= kLongestNameShown ? name : name.substr(0, kLongestNameShown) + "...";
}

void ReportUnknownFields(const std::string& prefix, std::vector<std::string> unknown, int unnamed)
{
    std::sort(unknown.begin(), unknown.end());
    for (std::size_t i = 0; i < unknown.size() && i < kListedUnknownFields; ++i)
        GetLog().Write(LOG_MAIN, prefix + "field \"" + ShownName(unknown[i]) + "\" is not known; it is ignored");
    if (unknown.size() > kListedUnknownFields)
        GetLog().Write(LOG_MAIN, prefix + std::to_string(unknown.size() - kListedUnknownFields) +
                                     " more fields are not known; they are ignored");
    if (unnamed == 1)
        GetLog().Write(LOG_MAIN, prefix + "1 entry without a field name is ignored");
    else if (unnamed > 1)
        GetLog().Write(LOG_MAIN, prefix + std::to_string(unnamed) + " entries without a field name are ignored");
}

} // namespace

SPartDescription ReadPartFields(lua_State* state, int index, int partNumber)
{
    SPartDescription part;
    part.modelFile = CEquipmentConfiguration::ResolveModelFile("");
    std::string problems[kFieldCount];
    std::vector<std::string> unknown;
    const int unnamed = CScriptManager::ForEachStringKey(state, index, [&](const std::string& key) {
        const auto field = std::find(std::begin(kPartFieldNames), std::end(kPartFieldNames), key) -
                           std::begin(kPartFieldNames);
        if (field == kFieldCount)
            unknown.push_back(key);
        else
            problems[field] = ReadField(state, static_cast<int>(field), part);
    });
    // The camera looks at a target only from a view of the script's own.
    if (part.hasViewTarget && !part.hasView)
    {
        part.hasViewTarget = false;
        problems[kTarget] = "is used only with \"view\"; it is ignored";
    }

    // Reported once every field is read, so that each line can name the part.
    const std::string prefix = "Equipment: part " + std::to_string(partNumber) +
                               (part.partName.empty() ? "" : " (\"" + part.partName + "\")") + ": ";
    for (int field = 0; field < kFieldCount; ++field)
        if (!problems[field].empty())
            GetLog().Write(LOG_MAIN, prefix + "field \"" + kPartFieldNames[field] + "\" " + problems[field]);
    ReportUnknownFields(prefix, std::move(unknown), unnamed);
    return part;
}

bool ToPartScale(double value, float& scale)
{
    // Checked as a double first: converting one beyond the float range is undefined.
    if (!std::isfinite(value) || !(value > 0.0) || value > std::numeric_limits<float>::max() ||
        !(static_cast<float>(value) > 0.0f))
        return false;
    scale = static_cast<float>(value);
    return true;
}

} // namespace Tess
