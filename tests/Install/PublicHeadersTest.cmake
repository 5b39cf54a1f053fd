# Which engine headers get installed: run with cmake -DTESS_SOURCE_DIR=<repository> -P on a
# small engine tree made here. A header is internal when it includes a third-party header, or
# an internal header through any number of engine headers; comments and look-alike names do not
# count.
cmake_minimum_required(VERSION 3.25)
include(${TESS_SOURCE_DIR}/cmake/TesserantHeaders.cmake)

set(root ${CMAKE_CURRENT_BINARY_DIR}/public-headers-test/Engine)
file(REMOVE_RECURSE ${root})

function(write_header path)
  string(JOIN "\n" text ${ARGN})
  file(WRITE ${root}/${path} "#pragma once\n${text}\n")
endfunction()

write_header(Platform/Window.h "#include <SDL.h>")
write_header(Platform/Shader.h "#  include   <epoxy/gl.h>")
write_header(Platform/Font.h "#include <ft2build.h>")
write_header(Platform/Script.h "#include \"lua.h\"")
write_header(Platform/Image.h "#include <stb_image.h>")
write_header(Platform/Cad.h "#include <TopoDS_Shape.hxx>")
write_header(Platform/Device.h "#include \"Engine/Platform/Window.h\"")
write_header(Rendering/Renderer.h "#include \"Engine/Core/Log.h\"" "#include \"Engine/Platform/Device.h\"")
write_header(Views/View.h "#include <vector>" "#include \"Engine/Rendering/Renderer.h\"")
# A chain that runs against the alphabetical order, so one pass over the headers is not enough.
write_header(Audio/Mixer.h "#include \"Engine/Input/Keys.h\"")
write_header(Input/Keys.h "#include \"Engine/Platform/Window.h\"")
write_header(Core/Log.h "#include <string>" "// Written with SDL in mind; see <SDL.h>.")
write_header(Core/Sdl.h "#include \"Engine/Core/Log.h\"" "#include <cstdint>")
write_header(Core/Standalone.h "int standalone();")

tess_partition_engine_headers(${root} public internal)

set(expected_public Core/Log.h Core/Sdl.h Core/Standalone.h)
set(expected_internal Audio/Mixer.h Input/Keys.h
  Platform/Cad.h Platform/Device.h Platform/Font.h Platform/Image.h Platform/Script.h Platform/Shader.h
  Platform/Window.h Rendering/Renderer.h Views/View.h)
list(SORT internal)
list(SORT expected_internal)
if(NOT public STREQUAL expected_public)
  message(FATAL_ERROR "public headers: got '${public}', expected '${expected_public}'")
endif()
if(NOT internal STREQUAL expected_internal)
  message(FATAL_ERROR "internal headers: got '${internal}', expected '${expected_internal}'")
endif()

# The engine's own tree: the platform headers that include SDL or OpenGL are internal, and the
# headers a program needs are public.
tess_partition_engine_headers(${TESS_SOURCE_DIR}/Engine public internal)
foreach(header Platform/OpenGL/GLDevice.h Platform/OpenGL/GLObjects.h Platform/SDL/SDLHandles.h)
  if(NOT header IN_LIST internal)
    message(FATAL_ERROR "${header} would be installed")
  endif()
endforeach()
foreach(header Core/Application.h Rendering/Renderer.h Scene/Node.h Views/RenderViewMain.h
               Views/CameraSpherical.h Geometry/ModelLoader.h Input/Input.h)
  if(NOT header IN_LIST public)
    message(FATAL_ERROR "${header} would not be installed")
  endif()
endforeach()
message(STATUS "public headers: ${public}")
