#pragma once
#include "Engine/Platform/Window.h"
