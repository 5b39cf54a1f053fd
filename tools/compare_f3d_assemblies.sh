#!/usr/bin/env bash
# Opens STEP assemblies in the viewer and in f3d (Debian's f3d, a VTK viewer that reads STEP
# through Open CASCADE as the viewer does) in one run, on the same X display, and prints for each:
# - Rigwright: the time from launch to its first presented frame (the probed viewer with the file
#   as its equipment, one part per leaf, AddAssembly) and the peak resident memory of that run;
# - f3d: the time from launch to its picture written (--output, 800 x 600), and its peak memory;
# - the ratio of the two times.
# Each number is the median of RUNS runs (default 3). The peak memory is GNU time's: the largest
# resident set of the program or of a helper process it waited for.
#
#   tools/compare_f3d_assemblies.sh [build directory] [STEP or IGES files...]
#
# Without files it takes as1-oc-214.stp and the rotor pump trj6_pm4-ec-203.stp from
# ../shared/real-models/step beside the checkout. f3d is left out, with a note, when it is not
# installed (apt-get install f3d).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/tools/viewer_session.sh"
BUILD="$(realpath -m "${1:-$ROOT/build}")"
shift || true
PROBE="$BUILD/tools/rigwright_probe"
SHARED="$(realpath -m "$ROOT/../shared")"
RUNS="${RUNS:-3}"
WORK="$(mktemp -d "${TMPDIR:-/tmp}/rigwright-f3d-step.XXXXXX")"
TIME=/usr/bin/time
# Longest wait for a first frame or a picture.
PATIENCE_SECONDS=180

[[ -x "$PROBE" && -x "$TIME" ]] || { echo "needs $PROBE (build first) and GNU time (apt-get install time)" >&2; exit 1; }
session_clean_up_at_exit "$WORK"
models=("$@")
(( ${#models[@]} > 0 )) || models=("$SHARED/real-models/step/as1-oc-214.stp" "$SHARED/real-models/step/trj6_pm4-ec-203.stp")

session_start_display 97
# median_of LINES FIELD: the median of the field (counted from 1) over the lines.
median_of() { echo "$1" | cut -d' ' -f"$2" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# A working directory with the repository's data and MODEL's parts as the equipment.
prepare() {
  local model="$1" dir="$WORK/run"
  rm -rf "$dir"
  mkdir -p "$dir"
  cp -r "$ROOT/Data" "$dir/Data"
  printf 'AddAssembly("%s")\n' "$model" >"$dir/Data/Scripts/Equipment_Configuration.lua"
  echo "$dir"
}

# "milliseconds kilobytes parts": one probed run, from launch to the first presented frame, then
# Escape; its peak memory and the parts the log names for the file.
viewer_run() {
  local model="$1" dir start first pid
  dir="$(prepare "$model")"
  cd "$dir"
  start="$(date +%s%N)"
  "$TIME" -f "%M" -o memory.txt "$PROBE" "$dir/present.txt" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq $((PATIENCE_SECONDS * 20))); do
    grep -q '^first_present_ns' present.txt 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  first="$(sed -n 's/^first_present_ns //p' present.txt 2>/dev/null)"
  [[ -n "$first" ]] || { echo "no frame from the viewer for $model" >&2; kill "$pid" 2>/dev/null; return 1; }
  session_quit_timed "$pid" || return 1
  echo "$(( (first - start) / 1000000 )) $(cat memory.txt) $(sed -n 's/^Main     | Equipment: .*: \([0-9]*\) parts\?$/\1/p' Log.txt | head -n 1)"
  cd "$ROOT"
}

echo "display $DISPLAY, $RUNS runs each, medians"
printf '%-24s %6s %26s %22s %8s\n' "model" "parts" "Rigwright to first frame" "f3d to picture" "ratio"
for model in "${models[@]}"; do
  [[ -f "$model" ]] || { echo "missing: $model" >&2; continue; }
  ours="$(for _ in $(seq "$RUNS"); do viewer_run "$model"; done)"
  ours_ms="$(median_of "$ours" 1)"
  ours_column="$(awk -v m="$ours_ms" 'BEGIN { printf "%.2f", m / 1000 }') s, $(( $(median_of "$ours" 2) / 1024 )) MB"
  theirs="-" ratio="-"
  if command -v f3d >/dev/null 2>&1; then
    f3d_runs="$(for _ in $(seq "$RUNS"); do session_f3d_picture "$WORK" "$model"; done)"
    f3d_s="$(median_of "$f3d_runs" 1)"
    theirs="$f3d_s s, $(( $(median_of "$f3d_runs" 2) / 1024 )) MB"
    ratio="$(awk -v a="$ours_ms" -v b="$f3d_s" 'BEGIN { printf "%.2f", a / 1000 / b }')"
  else
    echo "f3d is not installed (apt-get install f3d): its column is left out" >&2
  fi
  printf '%-24s %6s %26s %22s %8s\n' "$(basename "$model")" "$(median_of "$ours" 3)" "$ours_column" "$theirs" "$ratio"
done
