#!/usr/bin/env bash
# Installs what is missing, builds Rigwright and runs it from the repository root, where the
# viewer finds its Data directory and writes Log.txt.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"

"$ROOT/scripts/setup-deps.sh"
cmake -S "$ROOT" -B "$BUILD" -G Ninja
cmake --build "$BUILD" -j2 --target rigwright
cd "$ROOT"
exec "$BUILD/Applications/Rigwright/rigwright"
