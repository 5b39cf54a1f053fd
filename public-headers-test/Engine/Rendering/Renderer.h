#pragma once
#include "Engine/Core/Log.h"
#include "Engine/Platform/Device.h"
