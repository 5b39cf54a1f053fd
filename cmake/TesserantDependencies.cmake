# The libraries the engine links privately, found with pkg-config. The engine's own build
# includes this file, and so does the installed package configuration: a program linking the
# static engine needs them again, under the same imported target names the engine exported.
#
# Set TESS_DEPENDENCY_MODE to REQUIRED (the engine's build) or QUIET (the package, which
# reports what is missing through Tesserant_FOUND) before including it.
if(NOT DEFINED TESS_DEPENDENCY_MODE)
  set(TESS_DEPENDENCY_MODE REQUIRED)
endif()

# Windows: Debian has no Windows builds of the libraries. Lua is built from its sources in
# ThirdParty/Lua, stb from Debian's headers, and the rest is the system's own.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/TesserantWindowsDependencies.cmake)
  return()
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

# Open CASCADE, for STEP and IGES, has no pkg-config module, and its own CMake package sets
# compile definitions on the directory that finds it and loads every module it has. The libraries
# the reader calls into are found one by one instead, behind one imported target of the engine's
# own; each brings the rest of Open CASCADE it needs by itself.
set(TESS_OCCT_LIBRARIES TKXDESTEP TKXDEIGES TKSTEP TKSTEPBase TKIGES TKXCAF TKLCAF TKCAF TKMesh TKBRep
  TKTopAlgo TKG3d TKXSBase TKMath TKernel)
if(NOT TARGET TesserantDependency::OpenCascade)
  find_path(TESS_OCCT_INCLUDE_DIR STEPCAFControl_Reader.hxx PATH_SUFFIXES opencascade)
  set(_tess_occt_found TRUE)
  if(NOT TESS_OCCT_INCLUDE_DIR)
    set(_tess_occt_found FALSE)
  endif()
  set(_tess_occt_paths "")
  foreach(_tess_library IN LISTS TESS_OCCT_LIBRARIES)
    find_library(TESS_OCCT_${_tess_library} ${_tess_library})
    if(TESS_OCCT_${_tess_library})
      list(APPEND _tess_occt_paths ${TESS_OCCT_${_tess_library}})
    else()
      set(_tess_occt_found FALSE)
    endif()
  endforeach()
  if(_tess_occt_found)
    add_library(TesserantDependency::OpenCascade INTERFACE IMPORTED)
    # An imported target's include directory is a system one: Open CASCADE's headers do not
    # compile warning-free as C++20.
    set_target_properties(TesserantDependency::OpenCascade PROPERTIES
      INTERFACE_INCLUDE_DIRECTORIES "${TESS_OCCT_INCLUDE_DIR}"
      INTERFACE_LINK_LIBRARIES "${_tess_occt_paths}")
  elseif(TESS_DEPENDENCY_MODE STREQUAL "REQUIRED")
    message(FATAL_ERROR "Open CASCADE 7.6 was not found (Debian: libocct-data-exchange-dev, libocct-ocaf-dev)")
  endif()
  unset(_tess_occt_paths)
  unset(_tess_library)
endif()
if(TARGET TesserantDependency::OpenCascade)
  list(APPEND TESS_DEPENDENCY_TARGETS TesserantDependency::OpenCascade)
else()
  list(APPEND TESS_MISSING_DEPENDENCIES opencascade)
endif()
unset(_tess_occt_found)
