#!/usr/bin/env bash
# Runs the viewer and the peer programs on the same work in one run, and prints the ratios:
# - frames per second at 800 x 600 with one part on screen (outline and panel on), against
#   Irrlicht showing the same MilkShape file, for jeep1 and a 32,760-triangle torus knot;
# - the shipped gate valve: launch to the first presented frame, frames per second still and
#   animated;
# - LoadMeshMS3D against assimp's MilkShape import on the same two files.
#
#   tools/compare_peers.sh [build directory]
#
# PEERS names the folder of the peer programs (default ../shared/peers beside the checkout).
# A peer is built into BUILD/peers when its package is installed (libirrlicht-dev,
# libassimp-dev) and skipped otherwise. SECONDS_PER_RUN (default 6) is the length of each viewer
# run; every viewer figure is the median of RUNS runs (default 3).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/tools/viewer_session.sh"
BUILD="$(realpath -m "${1:-$ROOT/build}")"
PEERS="$(realpath -m "${PEERS:-$ROOT/../shared/peers}")"
VIEWER="$BUILD/tools/rigwright_probe"
LOAD_BENCH="$BUILD/bench/bench_LoadMeshMS3D"
RUNS="${RUNS:-3}"
SECONDS_PER_RUN="${SECONDS_PER_RUN:-6}"
OUT="$BUILD/peers"
WORK=""

[[ -x "$VIEWER" ]] || { echo "no probed viewer at $VIEWER: build first" >&2; exit 1; }
cleanup() {
  session_stop_display
  [[ -n "$WORK" ]] && rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$OUT"

# build_peer SOURCE HEADER LIBRARY: the peer program's path, or nothing without its package.
build_peer() {
  local source="$PEERS/$1" binary="$OUT/${1%.cpp}"
  [[ -f "$source" && -f "/usr/include/$2" ]] || return 0
  if [[ ! -x "$binary" || "$source" -nt "$binary" ]]; then
    g++ -O2 "$source" -o "$binary" "-l$3" || return 0
  fi
  echo "$binary"
}
IRRLICHT="$(build_peer irrlicht_view.cpp irrlicht/irrlicht.h Irrlicht)"
ASSIMP="$(build_peer assimp_load.cpp assimp/cimport.h assimp)"

JEEP="$ROOT/tests/data/jeep1.ms3d"
KNOT="$OUT/knot_32760.ms3d"
[[ -f "$KNOT" ]] || python3 "$PEERS/make_ms3d.py" "$KNOT" 546 30 >/dev/null

session_start_display 96

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

# viewer_once MODE [MODEL]: "launch_ms average_fps" of one run, with MODEL as the only part
# (or the shipped equipment), still or animated.
viewer_once() {
  local mode="$1" model="${2:-}" result
  WORK="$(mktemp -d "${TMPDIR:-/tmp}/rigwright-peers.XXXXXX")"
  cd "$WORK"
  mkdir Data
  for folder in Effects Models Textures Scripts; do cp -r "$ROOT/Data/$folder" Data/; done
  if [[ -n "$model" ]]; then
    printf 'AddComponent("%s", "%s", "", "", "", 0, 0, 0)\n' "$model" "$(basename "$model")" \
      > Data/Scripts/Equipment_Configuration.lua
  fi
  result="$(session_probe_run "$VIEWER" "$mode" "$SECONDS_PER_RUN")" || exit 1
  echo "$(cut -d' ' -f1 <<<"$result") $(cut -d' ' -f3 <<<"$result")"
  cd "$ROOT"
  rm -rf "$WORK"
  WORK=""
}

# viewer_median MODE [MODEL]: the medians of RUNS runs, "launch_ms average_fps".
viewer_median() {
  local results
  results="$(for _ in $(seq "$RUNS"); do viewer_once "$@"; done)"
  echo "$(echo "$results" | cut -d' ' -f1 | median) $(echo "$results" | cut -d' ' -f2 | median)"
}

# irrlicht_fps MODEL FRAMES: Irrlicht's frames per second and its launch to first frame.
irrlicht_run() {
  "$IRRLICHT" "$1" "$2" 2>/dev/null |
    sed -n 's/.*first frame at \([0-9.]*\) ms, [0-9]* frames at \([0-9.]*\) fps.*/\2 \1/p'
}

echo "display $DISPLAY, 800 x 600, one part with outline and panel; viewer figures are medians of $RUNS runs of $SECONDS_PER_RUN s"
printf '%-22s %12s %12s %7s\n' "frames per second" "Rigwright" "Irrlicht" "ratio"
for entry in "jeep1:$JEEP:4000" "knot 32,760:$KNOT:1500"; do
  IFS=: read -r label model frames <<<"$entry"
  ours="$(viewer_median still "$model" | cut -d' ' -f2)"
  theirs="-"
  [[ -n "$IRRLICHT" ]] && theirs="$(irrlicht_run "$model" "$frames" | cut -d' ' -f1)"
  printf '%-22s %12s %12s %7s\n' "$label" "$ours" "$theirs" "$(ratio "$ours" "${theirs/-/0}")"
done

read -r still_launch still_fps <<<"$(viewer_median still)"
read -r animated_launch animated_fps <<<"$(viewer_median animated)"
echo "gate valve: launch to first frame ${still_launch} ms (still), ${animated_launch} ms (animated);" \
  "${still_fps} fps still, ${animated_fps} fps animated"
if [[ -n "$IRRLICHT" ]]; then
  echo "Irrlicht launch to first frame on jeep1 (device, load, one frame): $(irrlicht_run "$JEEP" 1 | cut -d' ' -f2) ms"
fi

if [[ -n "$ASSIMP" && -x "$LOAD_BENCH" ]]; then
  printf '%-22s %12s %12s %7s\n' "MilkShape load (µs)" "LoadMeshMS3D" "assimp" "ratio"
  for model in "$JEEP" "$KNOT"; do
    ours="$("$LOAD_BENCH" --benchmark_filter='^LoadFile/' --benchmark_min_time=0.5 "$model" 2>/dev/null |
      awk '/^LoadFile\// { print $2 * ($3 == "ms" ? 1000 : ($3 == "ns" ? 0.001 : 1)); exit }')"
    theirs="$("$ASSIMP" "$model" | sed -n 's/.*best of [0-9]*: \([0-9.]*\) ms.*/\1/p' | awk '{ print $1 * 1000 }')"
    printf '%-22s %12s %12s %7s\n' "$(basename "$model")" "$ours" "$theirs" "$(ratio "$theirs" "$ours")"
  done
fi
