-- Valve_Exchange_Formats.lua: the gate valve of Equipment_Configuration.lua, every part read from
-- one of the exchange formats CAD tools export instead of MilkShape 3D: glTF text (.gltf), STL,
-- PLY, glTF binary (.glb) and OBJ. To see it, copy it over Data/Scripts/Equipment_Configuration.lua
-- (keep a copy of that one) and start the viewer.
--
-- The inlet flange's STL file is in metres, a hundredth of the units the other parts use, as many
-- CAD exports are: its last argument, the scale 100, brings it to the same size. Without it the
-- flange would be a speck 0.48 units across and the log would suggest that scale.

local maker = "Halvorsen Flow Controls"

AddComponent("Valve_Body.gltf", "Gate valve body", maker, "HFC-GV150-100",
    "Cast carbon steel body carrying the flow bore, the wedge seats and the bonnet joint.",
    0, 0, 0,
    0.3, 0.45, -140)

AddComponent("Valve_Flange_Inlet.stl", "Inlet flange", maker, "HFC-FL150-210",
    "Forged weld-neck flange that bolts the valve to the upstream pipe.",
    -30, 0, 0,
    0.3, 2.5416, -110,
    100)

AddComponent("Valve_Flange_Outlet.ply", "Outlet flange", maker, "HFC-FL150-220",
    "Forged weld-neck flange that bolts the valve to the downstream pipe.",
    30, 0, 0,
    0.3, 0.6, -110)

AddComponent("Valve_Bonnet.glb", "Bonnet, yoke and stem", maker, "HFC-BN150-300",
    "Bolted bonnet with a packed stem seal and the yoke that carries the rising threaded stem.",
    0, 18, 0,
    0.25, 0.45, -150)

AddComponent("Valve_Handwheel.obj", "Handwheel", maker, "HFC-HW150-400",
    "Spoked cast-iron handwheel that turns the stem nut to open and close the gate.",
    0, 78, 0,
    0.55, 0.45, -105)
