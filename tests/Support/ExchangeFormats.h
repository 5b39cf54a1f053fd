#pragma once
// Tests that read exchange-format files (STL, OBJ, glTF, PLY, STEP, IGES) skip themselves in the
// Windows build, which has no import helper and refuses those files.

#include <gtest/gtest.h>

#ifdef _WIN32
#define TESS_SKIP_WITHOUT_EXCHANGE_FORMATS() \
    GTEST_SKIP() << "exchange formats are not available in the Windows build"
#else
#define TESS_SKIP_WITHOUT_EXCHANGE_FORMATS() static_cast<void>(0)
#endif
