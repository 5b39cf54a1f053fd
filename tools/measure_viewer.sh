#!/usr/bin/env bash
# Measures the real viewer under Xvfb at 800 x 600 with the repository's data: the time from
# launch to the first presented frame, and frames per second with the outline still and animated
# (key A). Each figure is the median of RUNS runs (default 3) of SECONDS seconds (default 8).
#
#   tools/measure_viewer.sh [build directory]
#
# The launch time comes from the OpenGL device's present probe (TESS_PRESENT_LOG, read only by
# Engine/Platform/PresentProbe.cpp); the frame rates from the viewer's own "FPS at exit" line
# (the last whole second) and from the probe's frame count over the run.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
VIEWER="$BUILD/Applications/Rigwright/rigwright"
RUNS="${RUNS:-3}"
SECONDS_PER_RUN="${SECONDS_PER_RUN:-8}"
TITLE="Tesserant Game Engine v1.0"
XVFB_PID=""
WORK=""

[[ -x "$VIEWER" ]] || { echo "no viewer at $VIEWER: build first" >&2; exit 1; }

cleanup() {
  [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null || true
  [[ -n "$WORK" ]] && rm -rf "$WORK"
}
trap cleanup EXIT

if [[ -z "${DISPLAY:-}" ]]; then
  number=95
  while [[ -e "/tmp/.X${number}-lock" || -e "/tmp/.X11-unix/X${number}" ]]; do number=$((number + 1)); done
  Xvfb ":${number}" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":${number}"
  for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
fi

press() {
  xdotool keydown --window "$1" "$2" 2>/dev/null || true
  sleep 0.2
  xdotool keyup "$2" 2>/dev/null || true
}

# One run: prints "launch_ms fps_at_exit average_fps".
run_once() {
  local mode="$1" pid window="" start first
  WORK="$(mktemp -d "${TMPDIR:-/tmp}/rigwright-measure.XXXXXX")"
  cd "$WORK"
  ln -s "$ROOT/Data" Data
  start="$(date +%s%N)"
  TESS_PRESENT_LOG="$WORK/present.txt" "$VIEWER" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 400); do
    grep -q '^first_present_ns' present.txt 2>/dev/null && break
    sleep 0.01
  done
  first="$(sed -n 's/^first_present_ns //p' present.txt)"
  for _ in $(seq 200); do
    window="$(xdotool search --onlyvisible --pid "$pid" --name "^${TITLE}\$" 2>/dev/null | head -n 1 || true)"
    [[ -n "$window" ]] && break
    sleep 0.05
  done
  timeout 5 xdotool windowfocus --sync "$window" >/dev/null 2>&1 || true
  [[ "$mode" == animated ]] && press "$window" a
  sleep "$SECONDS_PER_RUN"
  press "$window" Escape
  wait "$pid" || true
  local exit_fps average
  exit_fps="$(sed -n 's/^         | FPS at exit: \([0-9]*\) .*/\1/p' Log.txt)"
  average="$(awk '/^presents/ { if ($4 > 0) printf "%.1f", ($2 - 1) / $4 }' present.txt)"
  echo "$(( (first - start) / 1000000 )) $exit_fps $average"
  cd "$ROOT"
  rm -rf "$WORK"
  WORK=""
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "viewer: $VIEWER, display $DISPLAY, $RUNS runs of $SECONDS_PER_RUN s each"
for mode in still animated; do
  results="$(for _ in $(seq "$RUNS"); do run_once "$mode"; done)"
  echo "$results" | sed "s/^/  $mode run: launch_ms fps_at_exit average_fps = /"
  echo "$mode: launch to first frame $(echo "$results" | cut -d' ' -f1 | median) ms," \
    "FPS at exit $(echo "$results" | cut -d' ' -f2 | median)," \
    "average FPS $(echo "$results" | cut -d' ' -f3 | median)"
done
