-- Input_Configuration.lua
--
-- Rigwright runs this script once at start-up, when the input engine is created and before the
-- keyboard and the mouse are opened. A missing file, a syntax error or a call to an unknown
-- function stops this script only: the viewer starts normally either way.
--
-- Functions this script may call (all of them only read the input; none changes a setting):
--   CheckKey(code)      true while the key with this key code is down
--   CheckKeyDown(code)  true in the frame the key went down
--   CheckKeyUp(code)    true in the frame the key went up
--   DeltaX()            mouse movement to the right in this frame
--   DeltaY()            mouse movement downwards in this frame
--   DeltaZ()            wheel movement in this frame (120 per notch)
-- Key codes are the PC keyboard's scan codes: 0x01 Escape, 0x11 W, 0x1E A, 0x32 M, 0x35 slash.
-- A missing or non-numeric key code reads as 0, a key that is never down.
--
-- Because the devices are not open yet, every key reads up and every delta reads 0 here. The
-- viewer's keys are fixed (Escape or slash quits, W wireframe, A edge animation, M camera,
-- P screenshot); this script cannot rebind them.
--
-- Only Lua's base library is loaded: there is no string, table, math, io or os library.

local escapeHeld = CheckKey(0x01)
local mouseMoved = DeltaX() ~= 0 or DeltaY() ~= 0 or DeltaZ() ~= 0
