#!/usr/bin/env bash
# Opens models made elsewhere in the viewer and in f3d (Debian's f3d, a VTK viewer that reads the
# same formats through assimp) in one run, on the same X display, and prints for each model:
# - Rigwright: the time from launch to exit with Escape sent as soon as its window shows, and
#   the peak resident memory of that run;
# - f3d: the time from launch to its picture written (--output, 800 x 600), and its peak memory;
# - Rigwright's time from launch to its first presented frame, and its frame rate with the model
#   alone on screen (outline and panel on), from the probed viewer's frames over SECONDS_PER_RUN
#   seconds (default 6), still.
# Each time is the median of RUNS runs (default 3); memory is the largest of them.
#
#   tools/compare_f3d.sh [build directory] [model files...]
#
# Without model files it takes 2CylinderEngine.glb and counter.unitsmm.STL from
# ../shared/real-models beside the checkout, and a 200,000-triangle torus knot (STL, 300 units
# across) made by tools/make_knot_stl.py. f3d is left out, with a note, when it is not installed (apt-get install f3d).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/tools/viewer_session.sh"
BUILD="$(realpath -m "${1:-$ROOT/build}")"
shift || true
VIEWER="$BUILD/Applications/Rigwright/rigwright"
PROBE="$BUILD/tools/rigwright_probe"
SHARED="$(realpath -m "$ROOT/../shared")"
RUNS="${RUNS:-3}"
SECONDS_PER_RUN="${SECONDS_PER_RUN:-6}"
WORK="$(mktemp -d "${TMPDIR:-/tmp}/rigwright-f3d.XXXXXX")"
TIME=/usr/bin/time

[[ -x "$VIEWER" && -x "$PROBE" ]] || { echo "no viewer in $BUILD: build first" >&2; exit 1; }
[[ -x "$TIME" ]] || { echo "GNU time is needed: apt-get install time" >&2; exit 1; }
cleanup() {
  session_stop_display
  rm -rf "$WORK"
}
trap cleanup EXIT

models=("$@")
if (( ${#models[@]} == 0 )); then
  models=("$SHARED/real-models/2CylinderEngine.glb" "$SHARED/real-models/counter.unitsmm.STL")
  knot="$WORK/knot_200k.stl"
  python3 "$ROOT/tools/make_knot_stl.py" "$knot" 1000 100 >/dev/null
  models+=("$knot")
fi

session_start_display 97
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
largest() { sort -n | tail -n 1; }

# A working directory with the repository's data and MODEL as the only part.
prepare() {
  local model="$1" dir="$WORK/run"
  rm -rf "$dir"
  mkdir -p "$dir"
  cp -r "$ROOT/Data" "$dir/Data"
  printf 'AddComponent("%s", "Part", "", "", "", 0, 0, 0)\n' "$model" >"$dir/Data/Scripts/Equipment_Configuration.lua"
  echo "$dir"
}

# "seconds kilobytes" of one launch of the viewer that quits as soon as its window shows.
viewer_to_exit() {
  local dir
  dir="$(prepare "$1")"
  cd "$dir"
  "$TIME" -f "%e %M" -o time.txt "$VIEWER" >/dev/null 2>&1 &
  session_quit_timed $! || return 1
  cat time.txt
  cd "$ROOT"
}

# "launch_ms average_fps" of one probed run.
viewer_first_frame_and_fps() {
  local dir
  dir="$(prepare "$1")"
  cd "$dir"
  session_probe_run "$PROBE" still "$SECONDS_PER_RUN" | cut -d' ' -f1,3
  cd "$ROOT"
}

echo "display $DISPLAY, $RUNS runs each"
printf '%-24s %20s %20s %12s %8s\n' "model" "Rigwright to exit" "f3d to picture" "first frame" "fps"
for model in "${models[@]}"; do
  [[ -f "$model" ]] || { echo "missing: $model" >&2; continue; }
  ours="$(for _ in $(seq "$RUNS"); do viewer_to_exit "$model"; done)"
  ours_time="$(echo "$ours" | cut -d' ' -f1 | median) s"
  ours_memory="$(( $(echo "$ours" | cut -d' ' -f2 | largest) / 1024 )) MB"
  theirs="-"
  if command -v f3d >/dev/null 2>&1; then
    f3d_runs="$(for _ in $(seq "$RUNS"); do session_f3d_picture "$WORK" "$model"; done)"
    theirs="$(echo "$f3d_runs" | cut -d' ' -f1 | median) s, $(( $(echo "$f3d_runs" | cut -d' ' -f2 | largest) / 1024 )) MB"
  fi
  read -r first fps < <(viewer_first_frame_and_fps "$model")
  printf '%-24s %20s %20s %12s %8s\n' "$(basename "$model")" "$ours_time, $ours_memory" "$theirs" "$first ms" "$fps"
done
