#pragma once
#include <ft2build.h>
