#pragma once
// The SDL keyboard's scancodes translated into the engine's key codes.

#include "Engine/Platform/KeyCodes.h"

namespace Tess
{

// The key code of an SDL scancode (given as its number, so callers need no SDL header); 0 for
// a scancode the keyboard table has no place for.
std::uint8_t KeyCodeFromScancode(int scancode);

} // namespace Tess
