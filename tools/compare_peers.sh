#!/usr/bin/env bash
# Runs the viewer and the peer programs on the same work in one run, and prints the ratios:
# - frames per second at 800 x 600 with one part on screen (outline and panel on), against
#   Irrlicht showing the same file: jeep1, a 32,760-triangle torus knot, and counter.unitsmm.STL
#   and nefertiti.obj from ../shared/real-models when it is there;
# - the shipped gate valve: frames per second still and animated, and its start-up against the
#   floor program (tools/FloorProgram: the same window and context, one triangle, one frame):
#   launch to the first presented frame and launch to exit with Escape sent at once, with Mesa's
#   shader cache warm and empty (cold);
# - frame time against triangles over torus knots of 8,160 to 65,520 triangles, for both
#   programs, with a straight line fitted to each (tools/plot_frame_time.py draws them);
# - LoadMeshMS3D against assimp's MilkShape import on the same two files, each the fastest of a
#   series of single loads;
# - how much of each program's frame is drawn (pixels other than the clear colour), since frame
#   rates are only comparable where the pictures are.
#
#   tools/compare_peers.sh [build directory]
#
# PEERS names the folder of the peer programs (default ../shared/peers beside the checkout).
# A peer is built into BUILD/peers when its package is installed (libirrlicht-dev,
# libassimp-dev) and skipped otherwise. SECONDS_PER_RUN (default 6) is the length of each viewer
# run; every viewer figure is the median of RUNS runs (default 3). LINE=0 leaves out the frame time
# line; LINE_PICTURE names its picture (default BUILD/peers/frame_time_line.svg).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/tools/viewer_session.sh"
BUILD="$(realpath -m "${1:-$ROOT/build}")"
PEERS="$(realpath -m "${PEERS:-$ROOT/../shared/peers}")"
VIEWER="$BUILD/tools/rigwright_probe"
FLOOR="$BUILD/tools/rigwright_floor"
LOAD_BENCH="$BUILD/bench/bench_LoadMeshMS3D"
REAL_MODELS="$(realpath -m "$ROOT/../shared/real-models")"
RUNS="${RUNS:-3}"
SECONDS_PER_RUN="${SECONDS_PER_RUN:-6}"
OUT="$BUILD/peers"
LINE="${LINE:-1}"
LINE_PICTURE="${LINE_PICTURE:-$OUT/frame_time_line.svg}"

[[ -x "$VIEWER" && -x "$FLOOR" ]] || { echo "no probed viewer or floor program in $BUILD/tools: build first" >&2; exit 1; }
source "$ROOT/tools/peer_runs.sh"
cleanup() {
  session_stop_display
  if [[ -n "$WORK" ]]; then rm -rf "$WORK"; fi
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

# knot SEGMENTS: a torus knot of 60 x SEGMENTS triangles (30 sides), made once.
knot() {
  local file="$OUT/knot_$((60 * $1)).ms3d"
  [[ -f "$file" ]] || python3 "$PEERS/make_ms3d.py" "$file" "$1" 30 >/dev/null
  echo "$file"
}
JEEP="$ROOT/tests/data/jeep1.ms3d"
KNOT="$(knot 546)"
MODELS=("jeep1:$JEEP:4000" "knot 32,760:$KNOT:1500")
if [[ -d "$REAL_MODELS" ]]; then
  MODELS+=("counter.unitsmm.STL:$REAL_MODELS/counter.unitsmm.STL:300" "nefertiti.obj:$REAL_MODELS/nefertiti.obj:200")
else
  echo "no $REAL_MODELS: the real models are left out"
fi

session_start_display 96
echo "load before the run: $(uptime)"
echo "display $DISPLAY, 800 x 600, one part with outline and panel; viewer figures are medians of $RUNS runs of $SECONDS_PER_RUN s"

printf '%-22s %12s %12s %7s\n' "frames per second" "Rigwright" "Irrlicht" "ratio"
shares=""
for entry in "${MODELS[@]}"; do
  IFS=: read -r label model frames <<<"$entry"
  ours="$(viewer_median still "$model" "$OUT/rigwright.png" | cut -d' ' -f2)"
  theirs="-"
  rm -f "$OUT/irrlicht.png"
  if [[ -n "$IRRLICHT" ]]; then
    theirs="$(irrlicht_run "$model" "$frames" | cut -d' ' -f1)"
    irrlicht_picture "$model" "$OUT/irrlicht.png"
  fi
  printf '%-22s %12s %12s %7s\n' "$label" "$ours" "$theirs" "$(ratio "$ours" "${theirs/-/0}")"
  shares+="$(printf '%-22s %12s %12s' "$label" "$(drawn_share "$OUT/rigwright.png")" "$(drawn_share "$OUT/irrlicht.png")")"$'\n'
done
printf '%-22s %12s %12s\n' "frame drawn (%)" "Rigwright" "Irrlicht"
printf '%s' "$shares"

read -r _ still_fps <<<"$(viewer_median still)"
read -r _ animated_fps <<<"$(viewer_median animated)"
echo "gate valve: ${still_fps} fps still, ${animated_fps} fps animated"

# start_up LABEL: the valve's start-up against the floor's, as medians of RUNS alternating runs.
start_up() {
  local floor viewer
  floor="$(for _ in $(seq "$RUNS"); do floor_once; done | median_pairs)"
  viewer="$(for _ in $(seq "$RUNS"); do viewer_exit_once; done | median_pairs)"
  read -r floor_first floor_exit <<<"$floor"
  read -r viewer_first viewer_exit <<<"$viewer"
  printf '%-6s %-22s %10s %10s %10s\n' "$1" "first frame (ms)" "$floor_first" "$viewer_first" "+$((viewer_first - floor_first))"
  printf '%-6s %-22s %10s %10s %10s\n' "$1" "exit, Escape sent (ms)" "$floor_exit" "$viewer_exit" "+$((viewer_exit - floor_exit))"
  echo "$((viewer_first - floor_first))" > "$OUT/gap_$1"
}
printf '%-6s %-22s %10s %10s %10s\n' "start" "gate valve" "floor" "Rigwright" "gap"
start_up warm
COLD=1 start_up cold
echo "cold gap / warm gap (first frame): $(ratio "$(cat "$OUT/gap_cold")" "$(cat "$OUT/gap_warm")")"
if [[ -n "$IRRLICHT" ]]; then
  echo "Irrlicht launch to first frame on jeep1 (device, load, one frame): $(irrlicht_run "$JEEP" 1 | cut -d' ' -f2) ms"
fi

if [[ -n "$ASSIMP" && -x "$LOAD_BENCH" ]]; then
  printf '%-22s %12s %12s %7s\n' "MilkShape load (µs)" "LoadMeshMS3D" "assimp" "ratio"
  for model in "$JEEP" "$KNOT"; do
    # Both sides are the fastest of a series of single loads.
    ours="$("$LOAD_BENCH" --benchmark_filter='^LoadFile/' "$model" 2>/dev/null |
      awk '/^LoadFile\/.*_min / { print $2 * ($3 == "ms" ? 1000 : ($3 == "ns" ? 0.001 : 1)); exit }')"
    theirs="$("$ASSIMP" "$model" | sed -n 's/.*best of [0-9]*: \([0-9.]*\) ms.*/\1/p' | awk '{ print $1 * 1000 }')"
    printf '%-22s %12s %12s %7s\n' "$(basename "$model")" "$ours" "$theirs" "$(ratio "$theirs" "$ours")"
  done
fi

if [[ "$LINE" == 1 ]]; then
  table="$OUT/frame_time_line.csv"
  echo "triangles,rigwright_ms,irrlicht_ms" > "$table"
  # A MilkShape file holds at most 65,535 triangles, so the knots stop at 65,520.
  for segments in 136 273 410 546 819 1092; do
    model="$(knot "$segments")"
    triangles=$((60 * segments))
    ours="$(viewer_median still "$model" | cut -d' ' -f2)"
    theirs=""
    if [[ -n "$IRRLICHT" ]]; then
      frames=$(( 16000000 / triangles < 100 ? 100 : (16000000 / triangles > 3000 ? 3000 : 16000000 / triangles) ))
      theirs="$(irrlicht_run "$model" "$frames" | cut -d' ' -f1)"
    fi
    awk -v t="$triangles" -v a="$ours" -v b="$theirs" \
      'BEGIN { printf "%d,%.3f,%s\n", t, 1000 / a, (b > 0 ? sprintf("%.3f", 1000 / b) : "") }' >> "$table"
  done
  python3 "$ROOT/tools/plot_frame_time.py" "$table" "$LINE_PICTURE"
fi
