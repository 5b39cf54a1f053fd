#pragma once
#include <vector>
#include "Engine/Rendering/Renderer.h"
