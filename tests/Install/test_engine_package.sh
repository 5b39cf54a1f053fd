#!/usr/bin/env bash
# The engine as a package for other programs: installs the "development" component into a
# prefix, checks the installed headers stand on their own without any third-party include
# path, that find_package(Tesserant) works with versions and data, and builds the example
# viewers of examples/ against the installed package only. The example build is left in
# TESS_INSTALL_TEST_DIR for the test that runs it.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
: "${TESS_INSTALL_TEST_DIR:?TESS_INSTALL_TEST_DIR must name the directory for the example build}"
t_enter_tmpdir

PREFIX="$TESS_INSTALL_TEST_DIR/engine-prefix"
EXAMPLE_BUILD="$TESS_INSTALL_TEST_DIR/example-build"
rm -rf "$PREFIX" "$EXAMPLE_BUILD"
mkdir -p "$TESS_INSTALL_TEST_DIR"
t_install development "$PREFIX"
INCLUDE="$PREFIX/include/Tesserant"

t_case "headers keep their Engine/ paths under include/Tesserant"
for header in Core/Application.h Core/Log.h Core/Matrix.h Scene/Node.h Rendering/Renderer.h \
              Geometry/TriMesh.h Input/Input.h Platform/GraphicsDevice.h; do
  t_expect_file "$INCLUDE/Engine/$header"
done

t_case "no installed header includes a third-party header or a header that is not installed"
while IFS= read -r -d '' header; do
  if grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](SDL|X11/|epoxy/|GL/|ft2build|freetype/|fontconfig/|stb|lua|lauxlib|lualib)' "$header"; then
    t_fail "${header#"$INCLUDE"/} includes a third-party header"
  fi
  while IFS= read -r included; do
    [[ -f "$INCLUDE/$included" ]] || t_fail "${header#"$INCLUDE"/} includes $included, which is not installed"
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\(Engine\/[^"]*\)".*/\1/p' "$header")
done < <(find "$INCLUDE" -name '*.h' -print0)
for internal in Platform/OpenGL/GLDevice.h Platform/OpenGL/GLObjects.h Platform/SDL/SDLHandles.h; do
  t_expect_no_file "$INCLUDE/Engine/$internal"
done

t_case "the test doubles and measuring aids are not part of the engine"
t_expect_no_file "$INCLUDE/Engine/Platform/RecordingDevice.h"
library="$(find "$PREFIX" -name libTesserantEngine.a | head -n 1)"
[[ -f "$library" ]] || t_fail "no libTesserantEngine.a installed"
if nm -C "$library" | grep -E 'CRecording(Device|System|Log)|CPresentProbe|ReleaseFreeHeapMemory'; then
  t_fail "the installed engine library holds test or measuring code"
fi

t_case "every installed header compiles on its own include path"
: >all-headers.cpp
(cd "$INCLUDE" && find Engine -name '*.h' | sort) | while IFS= read -r header; do
  echo "#include \"$header\"" >>all-headers.cpp
done
"${CXX:-c++}" -std=c++20 -fsyntax-only -Wall -Wextra -I "$INCLUDE" all-headers.cpp ||
  t_fail "the installed headers do not compile together"

t_case "find_package(Tesserant): version, target and data"
mkdir -p consumer
cat >consumer/CMakeLists.txt <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(Consumer LANGUAGES CXX)
find_package(Tesserant 2.0 QUIET)
if(Tesserant_FOUND)
  message(FATAL_ERROR "a request for Tesserant 2.0 was met by ${Tesserant_VERSION}")
endif()
find_package(Tesserant 1.0 REQUIRED)
get_target_property(type Tesserant::Engine TYPE)
get_target_property(links Tesserant::Engine INTERFACE_LINK_LIBRARIES)
message(STATUS "engine type: ${type}")
message(STATUS "engine links: ${links}")
message(STATUS "engine data: ${Tesserant_DATA_DIR}")
CMAKE
cmake -S consumer -B consumer/build -G Ninja -DCMAKE_PREFIX_PATH="$PREFIX" >consumer.log 2>&1 ||
  { cat consumer.log >&2; t_fail "configuring a program that finds Tesserant failed"; }
configured="$(cat consumer.log)"
t_expect_contains "$configured" "engine type: STATIC_LIBRARY" "the exported target"
for module in SDL2 EPOXY LUA STB FREETYPE FONTCONFIG; do
  t_expect_contains "$configured" "PkgConfig::TESS_$module" "the engine's link dependencies"
done
data_dir="$(sed -n 's/^-- engine data: //p' consumer.log)"
t_expect_eq "$(readlink -f "$data_dir")" "$(readlink -f "$PREFIX/share/tesserant/Data")" "Tesserant_DATA_DIR"
t_expect_file "$data_dir/Effects/default.fx"
t_expect_file "$data_dir/Scripts/Renderer_Configuration.lua"

t_case "the example viewers build against the installed engine alone"
cmake -S "$TESS_SOURCE_DIR/examples" -B "$EXAMPLE_BUILD" -G Ninja \
  -DCMAKE_PREFIX_PATH="$PREFIX" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >examples-configure.log 2>&1 ||
  { cat examples-configure.log >&2; t_fail "configuring the examples failed"; }
cmake --build "$EXAMPLE_BUILD" -j2 >examples-build.log 2>&1 ||
  { cat examples-build.log >&2; t_fail "building the examples failed"; }
compile_commands="$(cat "$EXAMPLE_BUILD/compile_commands.json")"
t_expect_contains "$compile_commands" "$INCLUDE" "the examples' compile commands"
t_expect_lacks "$compile_commands" "-I$TESS_SOURCE_DIR " "the examples' compile commands"
t_expect_lacks "$compile_commands" "$TESS_SOURCE_DIR/Engine" "the examples' compile commands"
link_lines="$(grep -F 'libTesserantEngine.a' "$EXAMPLE_BUILD/build.ninja")"
t_expect_contains "$link_lines" "$PREFIX/lib" "the examples' link command"
t_expect_lacks "$link_lines" "$TESS_BUILD_DIR/Engine" "the examples' link command"
t_expect_file "$EXAMPLE_BUILD/part_viewer"

echo "engine package: all cases passed"
