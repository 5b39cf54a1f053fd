# The folder tree is the architecture, and this keeps it so: run with
# cmake -DTESS_SOURCE_DIR=<repository> -P. It fails when
#   - engine code outside the backend folders of Engine/Platform includes a platform library's
#     header (SDL, X11, OpenGL, FreeType, fontconfig, stb), any code but Engine/Platform/Win32
#     and Engine/Platform/Direct3D9 includes a Windows header, any code but Engine/Platform/Assimp
#     includes assimp, any code but Engine/Platform/OpenCascade includes Open CASCADE, or any
#     code but the script manager includes Lua;
#   - the platform interfaces (Engine/Platform/*.h) or the effect runtime (Engine/Effects)
#     include a backend's header;
#   - the engine or the viewer reads an environment variable.
cmake_minimum_required(VERSION 3.25)

set(platform_regex "^[ \t]*#[ \t]*include[ \t]*[<\"](SDL|X11/|epoxy/|GL/|ft2build\\.h|freetype/|fontconfig/|stb)")
# Windows's headers (the system's and DirectX's) belong to the two Windows backends alone.
set(windows_regex "^[ \t]*#[ \t]*include[ \t]*[<\"]([Ww]indows|[Ww]in(user|gdi|base|def|nt|error|reg|sock2?)|mmsystem|mmreg|timeapi|objbase|ole2|unknwn|d3d9(types|caps)?|d3dx9[a-z]*|d3dcompiler|dinput|dsound|xinput|shellapi|shlobj|shellscalingapi|commctrl|commdlg|dwmapi|versionhelpers|tchar|ws2tcpip)\\.h[>\"]")
# assimp belongs to its own backend folder alone.
set(assimp_regex "^[ \t]*#[ \t]*include[ \t]*[<\"]assimp/")
# Open CASCADE's headers have no folder of their own: they are known by their package prefixes
# and the .hxx ending no other library here uses.
set(occt_regex "^[ \t]*#[ \t]*include[ \t]*[<\"][A-Za-z0-9_]+\\.hxx")
set(lua_regex "^[ \t]*#[ \t]*include[ \t]*[<\"](lua|lauxlib|lualib)")
set(backend_regex "^[ \t]*#[ \t]*include[ \t]*\"Engine/Platform/(SDL|OpenGL|Images|Fonts|Assimp|OpenCascade|Win32|Direct3D9)/")
set(backend_dirs SDL OpenGL Images Fonts Assimp OpenCascade Win32 Direct3D9)
set(failures "")

file(GLOB_RECURSE engine_files RELATIVE ${TESS_SOURCE_DIR} ${TESS_SOURCE_DIR}/Engine/*.h ${TESS_SOURCE_DIR}/Engine/*.cpp)
foreach(file ${engine_files})
  set(in_backend FALSE)
  foreach(dir ${backend_dirs})
    if(file MATCHES "^Engine/Platform/${dir}/")
      set(in_backend TRUE)
    endif()
  endforeach()
  file(STRINGS ${TESS_SOURCE_DIR}/${file} platform_includes REGEX "${platform_regex}")
  if(platform_includes AND NOT in_backend)
    list(APPEND failures "${file} includes a platform library: ${platform_includes}")
  endif()
  file(STRINGS ${TESS_SOURCE_DIR}/${file} windows_includes REGEX "${windows_regex}")
  if(windows_includes AND NOT file MATCHES "^Engine/Platform/(Win32|Direct3D9)/")
    list(APPEND failures "${file} includes a Windows header: ${windows_includes}")
  endif()
  file(STRINGS ${TESS_SOURCE_DIR}/${file} assimp_includes REGEX "${assimp_regex}")
  if(assimp_includes AND NOT file MATCHES "^Engine/Platform/Assimp/")
    list(APPEND failures "${file} includes assimp: ${assimp_includes}")
  endif()
  file(STRINGS ${TESS_SOURCE_DIR}/${file} occt_includes REGEX "${occt_regex}")
  if(occt_includes AND NOT file MATCHES "^Engine/Platform/OpenCascade/")
    list(APPEND failures "${file} includes Open CASCADE: ${occt_includes}")
  endif()
  file(STRINGS ${TESS_SOURCE_DIR}/${file} lua_includes REGEX "${lua_regex}")
  if(lua_includes AND NOT file STREQUAL "Engine/Rendering/ScriptManager.cpp")
    list(APPEND failures "${file} includes Lua: ${lua_includes}")
  endif()
  if(file MATCHES "^Engine/Platform/[^/]+\\.h$" OR file MATCHES "^Engine/Effects/")
    file(STRINGS ${TESS_SOURCE_DIR}/${file} backend_includes REGEX "${backend_regex}")
    if(backend_includes)
      list(APPEND failures "${file} includes a backend: ${backend_includes}")
    endif()
  endif()
endforeach()

file(GLOB_RECURSE program_files ${TESS_SOURCE_DIR}/Engine/*.cpp ${TESS_SOURCE_DIR}/Engine/*.h
     ${TESS_SOURCE_DIR}/Applications/*.cpp ${TESS_SOURCE_DIR}/Applications/*.h)
foreach(file ${program_files})
  file(STRINGS ${file} reads REGEX "(getenv|secure_getenv|SDL_getenv)[ \t]*\\(")
  if(reads)
    list(APPEND failures "${file} reads the environment: ${reads}")
  endif()
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "layout rules broken:\n  ${text}")
endif()
list(LENGTH engine_files count)
message(STATUS "${count} engine files keep to their folders")
