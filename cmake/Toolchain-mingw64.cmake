# Cross-building for 64-bit Windows with Debian's mingw-w64 (posix threads, for std::thread and
# std::mutex). Configure with
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/Toolchain-mingw64.cmake
# Programs and tests run under Wine through cmake/wine-run.sh, which keeps its prefix inside the
# build folder.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESS_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TESS_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESS_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TESS_MINGW_PREFIX}-windres)

# Only the cross environment's headers and libraries; programs (pkg-config, Python) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TESS_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own run-time libraries linked in, so the program needs only the DLLs every
# Windows has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
