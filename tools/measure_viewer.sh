#!/usr/bin/env bash
# Measures the real viewer under Xvfb at 800 x 600 with the repository's data: the time from
# launch to the first presented frame, and frames per second with the outline still and animated
# (key A). Each figure is the median of RUNS runs (default 3) of SECONDS seconds (default 8).
#
#   tools/measure_viewer.sh [build directory]
#   EQUIPMENT=Data/Scripts/Examples/Valve_Exchange_Formats.lua tools/measure_viewer.sh
#                            the same with another equipment script (in a copy of Data)
#
# It runs rigwright_probe, the viewer with a present probe after every frame (tools/ViewerProbe):
# the launch time comes from the probe's first frame; the frame rates from the viewer's own "FPS
# at exit" line (the last whole second) and from the probe's frame count over the run.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/tools/viewer_session.sh"
BUILD="$(realpath -m "${1:-$ROOT/build}")"
VIEWER="$BUILD/tools/rigwright_probe"
RUNS="${RUNS:-3}"
SECONDS_PER_RUN="${SECONDS_PER_RUN:-8}"
EQUIPMENT="${EQUIPMENT:-}"
WORK=""

[[ -x "$VIEWER" ]] || { echo "no probed viewer at $VIEWER: build first" >&2; exit 1; }

cleanup() {
  session_stop_display
  [[ -n "$WORK" ]] && rm -rf "$WORK"
}
trap cleanup EXIT

session_start_display 95

# One run: prints "launch_ms fps_at_exit average_fps".
run_once() {
  local mode="$1"
  WORK="$(mktemp -d "${TMPDIR:-/tmp}/rigwright-measure.XXXXXX")"
  cd "$WORK"
  if [[ -n "$EQUIPMENT" ]]; then
    cp -r "$ROOT/Data" Data
    cp "$ROOT/$EQUIPMENT" Data/Scripts/Equipment_Configuration.lua
  else
    ln -s "$ROOT/Data" Data
  fi
  session_probe_run "$VIEWER" "$mode" "$SECONDS_PER_RUN" || exit 1
  cd "$ROOT"
  rm -rf "$WORK"
  WORK=""
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "viewer: $VIEWER, display $DISPLAY, $RUNS runs of $SECONDS_PER_RUN s each${EQUIPMENT:+, equipment $EQUIPMENT}"
for mode in still animated; do
  results="$(for _ in $(seq "$RUNS"); do run_once "$mode"; done)"
  echo "$results" | sed "s/^/  $mode run: launch_ms fps_at_exit average_fps = /"
  echo "$mode: launch to first frame $(echo "$results" | cut -d' ' -f1 | median) ms," \
    "FPS at exit $(echo "$results" | cut -d' ' -f2 | median)," \
    "average FPS $(echo "$results" | cut -d' ' -f3 | median)"
done
