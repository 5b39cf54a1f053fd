#pragma once
#include "Engine/Core/Log.h"
#include <cstdint>
