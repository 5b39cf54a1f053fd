#pragma once
#include <stb_image.h>
