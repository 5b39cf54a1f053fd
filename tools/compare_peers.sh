#!/usr/bin/env bash
# Runs the viewer and the peer programs on the same work in one run, and prints the ratios:
# - frames per second at 800 x 600 with one part on screen (outline and panel on), against
#   Irrlicht showing the same MilkShape file, for jeep1 and a 32,760-triangle torus knot;
# - the shipped gate valve: launch to the first presented frame, frames per second still and
#   animated;
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

# viewer_once MODE [MODEL [PICTURE]]: "launch_ms average_fps" of one run, with MODEL as the only
# part (or the shipped equipment), still or animated; with PICTURE, a PNG of the window.
viewer_once() {
  local mode="$1" model="${2:-}" picture="${3:-}" result
  WORK="$(mktemp -d "${TMPDIR:-/tmp}/rigwright-peers.XXXXXX")"
  cd "$WORK"
  mkdir Data
  for folder in Effects Models Textures Scripts; do cp -r "$ROOT/Data/$folder" Data/; done
  if [[ -n "$model" ]]; then
    printf 'AddComponent("%s", "%s", "", "", "", 0, 0, 0)\n' "$model" "$(basename "$model")" \
      > Data/Scripts/Equipment_Configuration.lua
  fi
  result="$(session_probe_run "$VIEWER" "$mode" "$SECONDS_PER_RUN" "$picture")" || exit 1
  echo "$(cut -d' ' -f1 <<<"$result") $(cut -d' ' -f3 <<<"$result")"
  cd "$ROOT"
  rm -rf "$WORK"
  WORK=""
}

# viewer_median MODE [MODEL [PICTURE]]: the medians of RUNS runs, "launch_ms average_fps"; the
# first run takes the picture.
viewer_median() {
  local results
  results="$(viewer_once "$@"; for _ in $(seq 2 "$RUNS"); do viewer_once "$1" "${2:-}"; done)"
  echo "$(echo "$results" | cut -d' ' -f1 | median) $(echo "$results" | cut -d' ' -f2 | median)"
}

# irrlicht_run MODEL FRAMES: Irrlicht's frames per second and its launch to first frame.
irrlicht_run() {
  "$IRRLICHT" "$1" "$2" 2>/dev/null |
    sed -n 's/.*first frame at \([0-9.]*\) ms, [0-9]* frames at \([0-9.]*\) fps.*/\2 \1/p'
}

# irrlicht_picture MODEL PNG: a picture of Irrlicht's window a second into a run. Its window
# carries no process id, so it is the visible window that was not there before.
irrlicht_picture() {
  local before window="" pid
  before="$(xdotool search --onlyvisible --name '' 2>/dev/null || true)"
  "$IRRLICHT" "$1" 100000 >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 100); do
    window="$(xdotool search --onlyvisible --name '' 2>/dev/null | grep -vxF "$before" | head -n 1 || true)"
    [[ -n "$window" ]] && break
    sleep 0.05
  done
  sleep 1
  [[ -n "$window" ]] && session_window_picture "$window" "$2"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# drawn_share PNG: the share of the picture, in per cent, that is not the clear colour both
# programs use (64, 64, 64); "-" without a picture.
drawn_share() {
  [[ -s "$1" ]] || { echo "-"; return; }
  convert "$1" -format %c histogram:info:- 2>/dev/null |
    awk '{ n = $1 + 0; total += n } /#404040/ { clear = n } END { if (total > 0) printf "%.1f", 100 * (total - clear) / total; else print "-" }'
}

echo "display $DISPLAY, 800 x 600, one part with outline and panel; viewer figures are medians of $RUNS runs of $SECONDS_PER_RUN s"
printf '%-22s %12s %12s %7s\n' "frames per second" "Rigwright" "Irrlicht" "ratio"
shares=""
for entry in "jeep1:$JEEP:4000" "knot 32,760:$KNOT:1500"; do
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
    # Both sides are the fastest of a series of single loads.
    ours="$("$LOAD_BENCH" --benchmark_filter='^LoadFile/' "$model" 2>/dev/null |
      awk '/^LoadFile\/.*_min / { print $2 * ($3 == "ms" ? 1000 : ($3 == "ns" ? 0.001 : 1)); exit }')"
    theirs="$("$ASSIMP" "$model" | sed -n 's/.*best of [0-9]*: \([0-9.]*\) ms.*/\1/p' | awk '{ print $1 * 1000 }')"
    printf '%-22s %12s %12s %7s\n' "$(basename "$model")" "$ours" "$theirs" "$(ratio "$theirs" "$ours")"
  done
fi
