#pragma once
// The parts an assembly file gives the equipment: one description per placed leaf, each holding
// its model as read, so the file is read once, while the script runs, however many parts it has.

#include "Applications/Rigwright/EquipmentConfiguration.h"

#include <string>
#include <vector>

namespace Tess
{

// Reads `modelFile` and appends its parts to `parts`, no more than `maxParts` in all. Every part
// takes `common`'s placement, colour choice and texts where the file has none; unnamed leaves
// are called after `shownName` and their number. The log names the file as `shownName` with the
// count of its parts. A file that cannot be read gives one empty part with the reason, and a
// log line. The number of parts appended.
int AppendAssemblyParts(const std::string& modelFile, const std::string& shownName, const SPartDescription& common,
                        std::vector<SPartDescription>& parts, int maxParts);

} // namespace Tess
