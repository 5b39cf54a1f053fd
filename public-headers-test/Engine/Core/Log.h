#pragma once
#include <string>
// Written with SDL in mind
 see <SDL.h>.
