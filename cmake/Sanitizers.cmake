# Sanitizer builds.
#
# TESS_SANITIZE: AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer on every target
# of the project (engine, viewer, tests, tools, benchmarks), C and C++ alike. Any undefined
# behaviour stops the program, so a test that hits it fails.
#
# TESS_FUZZ: the libFuzzer targets in fuzz/ (clang only). Every target is compiled with the
# fuzzer's coverage instrumentation and the same sanitizers; only the fuzz programs link the
# fuzzer's main.
#
# In both, every executable carries the sanitizer defaults of cmake/SanitizerRuntime.cpp.in:
# leak checking on and the suppressions of tests/sanitizer/lsan.supp, so a test, the viewer or
# a fuzzer run by hand checks the same way CI does.
if(TESS_SANITIZE AND TESS_FUZZ)
  message(FATAL_ERROR "TESS_SANITIZE and TESS_FUZZ are separate builds; configure each in its own build directory")
endif()

# GCC leaves float-cast-overflow out of "undefined" (clang has it in): named here, a float
# converted to an integer that cannot hold it stops the program in both.
set(TESS_UBSAN_CHECKS undefined,float-cast-overflow)
set(TESS_SANITIZER_FLAGS -fsanitize=address,${TESS_UBSAN_CHECKS} -fno-omit-frame-pointer
                         -fno-sanitize-recover=${TESS_UBSAN_CHECKS})

if(TESS_SANITIZE)
  add_compile_options(${TESS_SANITIZER_FLAGS})
  add_link_options(-fsanitize=address,${TESS_UBSAN_CHECKS})
endif()

if(TESS_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TESS_FUZZ needs clang: configure with -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link ${TESS_SANITIZER_FLAGS})
  add_link_options(-fsanitize=address,${TESS_UBSAN_CHECKS})
endif()

if(TESS_SANITIZE OR TESS_FUZZ)
  set(suppressions ${PROJECT_SOURCE_DIR}/tests/sanitizer/lsan.supp)
  file(READ ${suppressions} TESS_LSAN_SUPPRESSIONS)
  # An edited suppression file reconfigures, so the executables get the new text.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${suppressions})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/SanitizerRuntime.cpp.in
                 ${PROJECT_BINARY_DIR}/SanitizerRuntime.cpp @ONLY)
  add_library(TessSanitizerRuntime OBJECT ${PROJECT_BINARY_DIR}/SanitizerRuntime.cpp)
endif()

# Gives every executable of the project the sanitizer defaults; call once, after every target
# exists. Does nothing in other builds.
function(tess_attach_sanitizer_runtime)
  if(NOT TARGET TessSanitizerRuntime)
    return()
  endif()
  set(directories ${PROJECT_SOURCE_DIR})
  while(directories)
    list(POP_FRONT directories directory)
    get_property(children DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
    list(APPEND directories ${children})
    get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
      get_target_property(type ${target} TYPE)
      if(type STREQUAL "EXECUTABLE")
        target_link_libraries(${target} PRIVATE TessSanitizerRuntime)
        # Shared libraries loaded at run time (the OpenGL driver) must find our dlclose.
        target_link_options(${target} PRIVATE -Wl,--export-dynamic-symbol=dlclose)
      endif()
    endforeach()
  endwhile()
endfunction()
