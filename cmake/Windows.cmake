# The Windows cross-build's targets (included by the top-level CMakeLists.txt when WIN32).

# Until the Win32 and Direct3D 9 backends are in this tree, the engine library builds without
# the platform factory (Platform.cpp); only the programs that need no backend link then.
option(TESS_WINDOWS_ENGINE_ONLY "Windows: build the engine without its platform factory" OFF)

add_subdirectory(Engine)
add_subdirectory(Applications/Rigwright)

if(TESS_BUILD_TESTS)
  enable_testing()
  add_subdirectory(tests/Support)
  add_subdirectory(tests)
endif()
