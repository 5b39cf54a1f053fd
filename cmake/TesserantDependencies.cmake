# The libraries the engine links privately, found with pkg-config. The engine's own build
# includes this file, and so does the installed package configuration: a program linking the
# static engine needs them again, under the same imported target names the engine exported.
#
# Set TESS_DEPENDENCY_MODE to REQUIRED (the engine's build) or QUIET (the package, which
# reports what is missing through Tesserant_FOUND) before including it.
if(NOT DEFINED TESS_DEPENDENCY_MODE)
  set(TESS_DEPENDENCY_MODE REQUIRED)
endif()

find_package(PkgConfig ${TESS_DEPENDENCY_MODE})

# Each entry is <prefix>:<pkg-config module>; the imported target is PkgConfig::<prefix>. The
# prefixes are the engine's own so that a program's pkg-config targets of the same modules
# (PkgConfig::SDL2 and so on) never stand in for them.
set(TESS_DEPENDENCY_MODULES
  TESS_SDL2:sdl2 TESS_X11:x11 TESS_EPOXY:epoxy TESS_LUA:lua5.4 TESS_STB:stb
  TESS_FREETYPE:freetype2 TESS_FONTCONFIG:fontconfig TESS_ASSIMP:assimp)

set(TESS_DEPENDENCY_TARGETS "")
set(TESS_MISSING_DEPENDENCIES "")
if(PkgConfig_FOUND)
  foreach(_tess_entry IN LISTS TESS_DEPENDENCY_MODULES)
    string(REPLACE ":" ";" _tess_entry "${_tess_entry}")
    list(GET _tess_entry 0 _tess_prefix)
    list(GET _tess_entry 1 _tess_module)
    pkg_check_modules(${_tess_prefix} ${TESS_DEPENDENCY_MODE} IMPORTED_TARGET ${_tess_module})
    if(${_tess_prefix}_FOUND)
      list(APPEND TESS_DEPENDENCY_TARGETS PkgConfig::${_tess_prefix})
    else()
      list(APPEND TESS_MISSING_DEPENDENCIES ${_tess_module})
    endif()
  endforeach()
else()
  set(TESS_MISSING_DEPENDENCIES pkg-config)
endif()
