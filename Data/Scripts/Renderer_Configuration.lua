-- Renderer_Configuration.lua
--
-- Rigwright runs this script once at start-up, when the renderer creates its graphics device
-- and before it touches the graphics system. A missing file, a syntax error or a call to an
-- unknown function stops this script only: the viewer then starts with its own settings (an
-- 800 x 600 window).
--
-- Function that changes a setting:
--   SetWindowedMode(flag)  true: draw in the window; false or nil: full screen at 800 x 600.
--                          Lua counts every value but false and nil as true, so
--                          SetWindowedMode(0) still selects the window. The last call wins.
-- The window itself keeps its size whatever this script chooses.
--
-- The input functions CheckKey, CheckKeyDown, CheckKeyUp, DeltaX, DeltaY and DeltaZ may be
-- called here too (see Input_Configuration.lua); they only read the input.
--
-- Only Lua's base library is loaded: there is no string, table, math, io or os library.

SetWindowedMode(true)
