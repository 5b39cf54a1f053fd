# The Windows cross-build's targets (included by the top-level CMakeLists.txt when WIN32).

add_subdirectory(Engine)
add_subdirectory(Applications/Rigwright)

if(TESS_BUILD_TESTS)
  enable_testing()
  add_subdirectory(tests/Support)
  add_subdirectory(tests)
endif()
