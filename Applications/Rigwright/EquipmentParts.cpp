#include "Applications/Rigwright/EquipmentParts.h"

namespace Rigwright
{

const SEquipmentPart kGateValveParts[kGateValvePartCount] = {
    {"Data/Models/Edge_Mesh.ms3d", {0.0f, 0.0f, 0.0f}, "Valve body", "Rigwright Valve Works", "GV-100-01",
     "Cast steel body: the pipe run, the gate chamber and the bonnet flange."},
    {"Data/Models/Valve_Flange_Inlet.ms3d", {-30.0f, 0.0f, 0.0f}, "Inlet flange", "Rigwright Valve Works",
     "GV-100-02", "Forged steel inlet flange with eight studs and nuts."},
    {"Data/Models/Valve_Flange_Outlet.ms3d", {30.0f, 0.0f, 0.0f}, "Outlet flange", "Rigwright Valve Works",
     "GV-100-03", "Forged steel outlet flange with eight studs and nuts."},
    {"Data/Models/Valve_Bonnet.ms3d", {0.0f, 18.0f, 0.0f}, "Bonnet and yoke", "Rigwright Valve Works", "GV-100-04",
     "Cast steel bonnet with its studs, the yoke, the yoke nut and the threaded stem."},
    {"Data/Models/Valve_Handwheel.ms3d", {0.0f, 78.0f, 0.0f}, "Handwheel", "Rigwright Valve Works", "GV-100-05",
     "Painted steel handwheel: rim, hub and five spokes."},
};

} // namespace Rigwright
