#pragma once
#include "lua.h"
