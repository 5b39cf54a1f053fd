#!/usr/bin/env bash
# Builds the viewer for 64-bit Windows on this Debian machine (mingw-w64) and packs it with its
# data and the licences of what is linked into it: build-win/rigwright-windows.zip. Installs
# what is missing first. The program needs only the DLLs every Windows has.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${WINDOWS_BUILD_DIR:-$ROOT/build-win}"
STAGE="$BUILD/rigwright-windows"

"$ROOT/scripts/setup-deps.sh"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/Toolchain-mingw64.cmake"
cmake --build "$BUILD" -j2 --target rigwright

rm -rf "$STAGE" "$BUILD/rigwright-windows.zip"
mkdir -p "$STAGE/licences"
x86_64-w64-mingw32-strip -o "$STAGE/rigwright.exe" "$BUILD/Applications/Rigwright/rigwright.exe"
cp -r "$ROOT/Data" "$STAGE/Data"
# Lua and stb are compiled in; mingw-w64's start-up code and threads library are linked in.
cp "$ROOT/ThirdParty/Lua/LICENSE" "$STAGE/licences/Lua.txt"
cp /usr/share/doc/libstb-dev/copyright "$STAGE/licences/stb.txt"
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$STAGE/licences/mingw-w64.txt"
(cd "$BUILD" && zip -qr rigwright-windows.zip rigwright-windows)
echo "Made $BUILD/rigwright-windows.zip"
