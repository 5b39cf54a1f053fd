#pragma once
// The table form of AddComponent: a part described by named fields,
//
//   AddComponent{ model = "Body.stl", name = "Body", position = {0, 0, 0}, up = "z", ... }
//
// read field by field. A field that cannot be read leaves its default in place and gets a log
// line naming the part (its number in the script, and its name when it has one) and the field:
//
//   Equipment: part 3 ("Extruder body"): field "scale" is not a positive number; 1 is used
//
// The lines come in a fixed order (the fields' order below, then the unknown names sorted), not
// in the table's, which Lua varies from run to run.

#include "Applications/Rigwright/EquipmentConfiguration.h"

struct lua_State;

namespace Tess
{

// The fields, in the order their log lines come.
constexpr const char* kPartFieldNames[] = {"model",    "name",  "manufacturer", "partNumber", "description", "position",
                                           "up",       "rotation", "scale",     "view",       "target",      "colours"};

// The part the table at `index` describes; `partNumber` (counted from 1) names it in the log.
SPartDescription ReadPartFields(lua_State* state, int index, int partNumber);

// A script's scale as the float the part is multiplied by: a finite positive number within the
// float range. False, with `scale` unchanged, for anything else.
bool ToPartScale(double value, float& scale);

} // namespace Tess
