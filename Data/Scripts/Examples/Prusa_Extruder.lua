-- Prusa_Extruder.lua: five printed parts of the Original Prusa i3 extruder as one assembly: the
-- X carriage, the extruder body, the motor plate, the cover and the idler. The STL files are
-- Prusa Research's (github.com/prusa3d/Original-Prusa-i3, Printed-Parts/STL, GPL-3.0); they are
-- not part of this repository but lie beside it, in ../shared/real-models/Prusa-extruder/. The
-- paths below are relative to the repository root, so run the viewer from there:
--
--   cp Data/Scripts/Examples/Prusa_Extruder.lua Data/Scripts/Equipment_Configuration.lua
--   build/Applications/Rigwright/rigwright
--   git checkout Data/Scripts/Equipment_Configuration.lua
--
-- Each file is exported as the part is printed: z up, lying on the print bed, in millimetres
-- (25 to 92 across, so no scale is needed). up = "z" stands each part as it lay on the bed; the
-- rotation then turns it into the assembly, whose y is up (the filament runs down to the nozzle)
-- and whose front faces the start view: {90, 0, 0} turns the face that was up on the bed to the
-- front, {90, 180, 0} to the back. Positions are in millimetres from the body's own origin; z
-- counts away from the front, as the viewer's z does.
--
-- Assembled from the shapes: the X carriage, the body and the motor plate are placed by their
-- screw holes, which meet exactly (the motor's 31 mm square through plate, body and carriage;
-- the pair 24 mm apart through plate and body, the pair 20 mm apart through body and carriage),
-- and the halves of the hotend clamp in body and plate face each other. The cover sits on the
-- 24 mm pair in front of the hotend, turned so that its counterbores face out. The idler is only
-- roughly in place, in the pocket beside the drive gear.

local folder = "../shared/real-models/Prusa-extruder/"

-- File (as Prusa names the part), name, rotation, position, description.
local parts = {
    {"extruder-body", "Extruder body", {90, 0, 0}, {0, 0, 0}, "Holds the drive gears, the filament path and the back of the hotend clamp."},
    {"extruder-motor-plate", "Motor plate", {90, 180, 0}, {-46.2, 36.5, -31}, "Carries the motor in front of the body and clamps the hotend."},
    {"extruder-idler", "Idler", {90, 0, 0}, {0.9, 13.5, 23.85}, "Presses the second drive gear against the filament."},
    {"extruder-cover", "Extruder cover", {90, 180, 0}, {-28.2, 31.1, -66}, "Covers the hotend below the motor."},
    {"x-carriage", "X carriage", {90, 180, 0}, {-17.2, -15.5, 0}, "Rides on the X axis rods; its back holds the bearings and the belt."},
}

for _, part in ipairs(parts) do
    AddComponent{
        model = folder .. part[1] .. ".stl",
        name = part[2],
        manufacturer = "Prusa Research",
        partNumber = part[1],
        description = part[5],
        up = "z",
        rotation = part[3],
        position = part[4],
    }
end
