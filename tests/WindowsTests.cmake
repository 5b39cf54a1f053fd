# The unit tests of the Windows cross-build, run by ctest under Wine (the toolchain's emulator).
# The same one program per folder as on Linux, for the folders that need no Linux platform:
# no OpenGL or SDL (*GL, Platform's SDL parts), no import helper or Open CASCADE, no installed
# packages, Valgrind or /proc.

# GoogleTest, built for Windows from Debian's sources.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Left out: RigwrightFrame (its allocation counter reads call stacks through glibc) and
# FuzzRegressions (it drives the exchange-format readers themselves).
set(TESS_WINDOWS_TEST_DIRS Core Effects GUI Geometry Input Platform Rendering Rigwright Scene SceneStartup
  Sound Views)
# The Windows backends' own tests: folders ending in Win32 or D3D9. They open windows on the
# display, and one window taking the focus from another's input test would fail it.
file(GLOB TESS_WINDOWS_BACKEND_TEST_DIRS LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
  CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Win32 ${CMAKE_CURRENT_SOURCE_DIR}/*D3D9)
list(APPEND TESS_WINDOWS_TEST_DIRS ${TESS_WINDOWS_BACKEND_TEST_DIRS})
# Tests of Linux-only pieces: Open CASCADE, the import helper process, fontconfig, SDL's key codes.
set(TESS_LINUX_ONLY_TEST_SOURCES
  Platform/CadReaderTest.cpp Platform/ImportSandboxTest.cpp Platform/FontRasterizerTest.cpp
  Input/KeyCodeTableTest.cpp)

# Every test program, for building just them (scripts/run-tests.sh).
add_custom_target(TesserantWindowsTests)

foreach(name ${TESS_WINDOWS_TEST_DIRS})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  foreach(excluded ${TESS_LINUX_ONLY_TEST_SOURCES})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  set(target Test${name})
  add_executable(${target} ${sources})
  add_dependencies(TesserantWindowsTests ${target})
  tess_set_warnings(${target})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE TesserantTesting Tesserant::Engine GTest::gtest GTest::gtest_main)
  target_link_libraries(${target} PRIVATE RigwrightApp)
  if(name IN_LIST TESS_WINDOWS_BACKEND_TEST_DIRS)
    target_link_libraries(${target} PRIVATE TesserantWindowsSystem)
  endif()
  target_compile_definitions(${target} PRIVATE
    TESS_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TESS_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
  # One Wine process a program, not one a test: each start costs Wine a second or more, which
  # over some five hundred tests would be most of the step. The program's own output names any
  # test that fails.
  add_test(NAME windows.${name} COMMAND ${target} --gtest_brief=1
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(windows.${name} PROPERTIES LABELS unit TIMEOUT 600)
  if(name IN_LIST TESS_WINDOWS_BACKEND_TEST_DIRS)
    set_tests_properties(windows.${name} PROPERTIES RESOURCE_LOCK wine_display)
  endif()
endforeach()

# The viewer itself under Wine, its picture against the Linux viewer's (TESS_LINUX_VIEWER, which
# scripts/run-tests.sh names; skipped without one).
set(TESS_LINUX_VIEWER "" CACHE FILEPATH "The Linux viewer whose picture the Windows viewer's is compared with")
add_test(NAME e2e.viewer_under_wine COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/EndToEndWindows/test_viewer_under_wine.sh)
# Alone: a test program's windows running beside it would take the keyboard focus DirectInput
# reads from.
set_tests_properties(e2e.viewer_under_wine PROPERTIES
  LABELS e2e
  RUN_SERIAL TRUE
  TIMEOUT 300
  SKIP_RETURN_CODE 77
  ENVIRONMENT "RIGWRIGHT_EXE=$<TARGET_FILE:rigwright>;RIGWRIGHT=${TESS_LINUX_VIEWER};WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;TESS_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
