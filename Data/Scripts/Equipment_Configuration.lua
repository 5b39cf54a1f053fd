-- Equipment_Configuration.lua: the equipment Rigwright shows, one part per AddComponent call.
-- The viewer runs this script once at start, before it builds the scene; the parts appear in the
-- order they are added, and NEXT and PREVIOUS step through them in that order. The first part is
-- the one in focus at start.
--
--   AddComponent(model, name, manufacturer, partNumber, description, x, y, z
--                [, pitch, yaw, radius [, targetX, targetY, targetZ]] [, scale])
--
--   model        a MilkShape 3D, STL, OBJ, glTF or PLY file; a bare file name is looked up in
--                Data/Models/
--   name, manufacturer, partNumber, description
--                the texts of the part-information panel
--   x, y, z      where the part stands in the assembly
--   pitch, yaw, radius (optional)
--                the camera's view of the part, in radians and units; a negative radius puts
--                the camera in front of the part, looking at it. Without them the camera frames
--                the part from its size.
--   targetX, targetY, targetZ (optional)
--                the point the camera looks at, shown in the middle of the free area left of
--                the panel; by default the centre of the part.
--   scale (optional)
--                what the model's coordinates are multiplied by; 1 without it
--
-- The same with named fields, every one but model optional, in any order (note the braces):
--
--   AddComponent{ model = "Part.stl", name = "...", manufacturer = "...", partNumber = "...",
--                 description = "...", position = {x, y, z}, up = "z", rotation = {x, y, z},
--                 scale = 2.5, view = {pitch = 0.3, yaw = 0.5, radius = -140}, target = {x, y, z} }
--
--   up           the model file's own axis that points up: "y" (the default), "z" for the Z-up
--                exports of CAD tools, "x", "-x", "-y" or "-z"
--   rotation     degrees about the x, y and z axes, in that order, after up; a positive angle
--                turns counter-clockwise seen from the positive end of its axis
--   scale        what the model's coordinates are multiplied by (1 by default)
--
-- A field that cannot be read keeps its default, and Log.txt names the part and the field.
--
-- A STEP or IGES assembly (.step, .stp, .iges, .igs) given to AddComponent is one part. To show
-- one part per leaf of the file, named from it, in the file's order:
--
--   AddAssembly("pump.step", { manufacturer = "...", position = {x, y, z}, up = "z", colours = "file" })
--
--   the fields  optional; the texts stand in where the file has no product data, and position,
--               up, rotation and scale place the whole assembly
--   colours     "file" shows each part in the file's colour, "grey" (the default) all alike
--
-- Log.txt names the file with the number of parts it gave ("Equipment: pump.step: 32 parts").
-- README.md has the details; Examples/Prusa_Extruder.lua uses the named fields throughout.
--
-- A part whose model cannot be read stays in the list, empty, its description box saying why,
-- and the others work. Without this script, or when it adds no part, the viewer shows
-- Data/Models/Edge_Mesh.ms3d alone.

local maker = "Halvorsen Flow Controls"

-- Each part comes with its own view, which looks at the centre of the part from the side that
-- keeps the rest of the valve out from behind it. The camera shows the point it looks at in the
-- middle of the free area left of the panel.

AddComponent("Edge_Mesh.ms3d", "Gate valve body", maker, "HFC-GV150-100",
    "Cast carbon steel body carrying the flow bore, the wedge seats and the bonnet joint.",
    0, 0, 0,
    0.3, 0.45, -140)

AddComponent("Valve_Flange_Inlet.ms3d", "Inlet flange", maker, "HFC-FL150-210",
    "Forged weld-neck flange that bolts the valve to the upstream pipe.",
    -30, 0, 0,
    0.3, 2.5416, -110)

AddComponent("Valve_Flange_Outlet.ms3d", "Outlet flange", maker, "HFC-FL150-220",
    "Forged weld-neck flange that bolts the valve to the downstream pipe.",
    30, 0, 0,
    0.3, 0.6, -110)

AddComponent("Valve_Bonnet.ms3d", "Bonnet, yoke and stem", maker, "HFC-BN150-300",
    "Bolted bonnet with a packed stem seal and the yoke that carries the rising threaded stem.",
    0, 18, 0,
    0.25, 0.45, -150)

AddComponent("Valve_Handwheel.ms3d", "Handwheel", maker, "HFC-HW150-400",
    "Spoked cast-iron handwheel that turns the stem nut to open and close the gate.",
    0, 78, 0,
    0.55, 0.45, -105)
