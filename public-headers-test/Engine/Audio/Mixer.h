#pragma once
#include "Engine/Input/Keys.h"
