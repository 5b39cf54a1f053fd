#pragma once
// The equipment the viewer shows: a flanged gate valve in five parts, each a model file under
// Data/Models placed at its position in the assembly, with the texts of the part-information
// panel. The first entry is the main part, the one the viewer cannot do without.

#include "Engine/Core/Vector.h"

namespace Rigwright
{

struct SEquipmentPart
{
    const char* modelFile;
    Tess::Vector3 position;
    const char* partName;
    const char* manufacturer;
    const char* partNumber;
    const char* description;
};

inline constexpr int kGateValvePartCount = 5;
extern const SEquipmentPart kGateValveParts[kGateValvePartCount];

} // namespace Rigwright
