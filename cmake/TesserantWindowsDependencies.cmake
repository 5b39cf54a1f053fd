# The engine's libraries in the Windows cross-build (included by TesserantDependencies.cmake).
# Sets TESS_DEPENDENCY_TARGETS like the Linux branch does.
set(TESS_LUA_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/../ThirdParty/Lua/src)
set(TESS_MISSING_DEPENDENCIES "")

# Lua, static, compiled as C (luaconf.h picks its Windows settings by itself).
if(NOT TARGET TesserantLua)
  file(GLOB _tess_lua_sources ${TESS_LUA_SOURCE_DIR}/*.c)
  add_library(TesserantLua STATIC ${_tess_lua_sources})
  target_include_directories(TesserantLua SYSTEM PUBLIC ${TESS_LUA_SOURCE_DIR})
  unset(_tess_lua_sources)
endif()

# stb, from Debian's headers. /usr/include itself must not reach the cross compiler (its C
# library headers are the host's), so the build folder gets an include folder of its own that
# holds only a link to the stb headers. Debian's libstb carries the implementations on Linux;
# here one C file of the build compiles them.
if(NOT TARGET TesserantStb)
  set(_tess_stb_include ${PROJECT_BINARY_DIR}/third-party-include)
  find_file(TESS_STB_IMAGE_HEADER stb_image.h PATHS /usr/include/stb NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT TESS_STB_IMAGE_HEADER)
    message(FATAL_ERROR "stb's headers were not found in /usr/include/stb (Debian: libstb-dev)")
  endif()
  file(MAKE_DIRECTORY ${_tess_stb_include})
  file(CREATE_LINK /usr/include/stb ${_tess_stb_include}/stb SYMBOLIC)
  file(WRITE ${PROJECT_BINARY_DIR}/TesserantStb.c.in
    "#define STB_IMAGE_IMPLEMENTATION\n#include <stb_image.h>\n"
    "#define STB_IMAGE_WRITE_IMPLEMENTATION\n#include <stb_image_write.h>\n"
    "#define STB_TRUETYPE_IMPLEMENTATION\n#include <stb_truetype.h>\n")
  configure_file(${PROJECT_BINARY_DIR}/TesserantStb.c.in ${PROJECT_BINARY_DIR}/TesserantStb.c COPYONLY)
  add_library(TesserantStb STATIC ${PROJECT_BINARY_DIR}/TesserantStb.c)
  target_include_directories(TesserantStb SYSTEM PUBLIC ${_tess_stb_include}/stb)
  unset(_tess_stb_include)
endif()

if(NOT TARGET TesserantWindowsSystem)
  add_library(TesserantWindowsSystem INTERFACE)
  target_link_libraries(TesserantWindowsSystem INTERFACE
    d3d9 dinput8 dxguid dsound winmm gdi32 user32 ole32 uuid)
endif()

set(TESS_DEPENDENCY_TARGETS TesserantLua TesserantStb TesserantWindowsSystem)
