#!/usr/bin/env bash
# Shows every model of ../shared/real-models alone in the viewer, still, at 800 x 600 under Xvfb,
# and prints for each: the file's triangles (from the folder's README, or from the size of a
# binary STL), the frame's triangles (TPF) and the frames per second at exit, after
# SECONDS_PER_RUN seconds (default 8) on the first view.
#
#   tools/measure_real_models.sh [viewer executable]
#
# The viewer defaults to build/Applications/Rigwright/rigwright; any build of it may be given,
# so an older one can be measured beside the current one, with the Data folder it was made with
# (DATA, default the repository's).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/tools/viewer_session.sh"
VIEWER="$(realpath -m "${1:-$ROOT/build/Applications/Rigwright/rigwright}")"
MODELS="$(realpath -m "$ROOT/../shared/real-models")"
SECONDS_PER_RUN="${SECONDS_PER_RUN:-8}"
DATA="$(realpath -m "${DATA:-$ROOT/Data}")"
WORK="$(mktemp -d "${TMPDIR:-/tmp}/rigwright-real.XXXXXX")"

[[ -x "$VIEWER" ]] || { echo "no viewer at $VIEWER" >&2; exit 1; }
[[ -d "$MODELS" ]] || { echo "no models at $MODELS" >&2; exit 1; }
cleanup() {
  session_stop_display
  rm -rf "$WORK"
}
trap cleanup EXIT
session_start_display 98


printf '%-36s %10s %10s %8s %6s\n' "model" "triangles" "TPF" "TPF/T" "FPS"
while IFS= read -r -d '' file; do
  rm -rf "$WORK/run"
  mkdir -p "$WORK/run"
  cp -r "$DATA" "$WORK/run/Data"
  printf 'AddComponent("%s", "Part", "", "", "", 0, 0, 0)\n' "$file" >"$WORK/run/Data/Scripts/Equipment_Configuration.lua"
  cd "$WORK/run"
  "$VIEWER" >/dev/null 2>&1 &
  pid=$!
  window="$(session_find_window "$pid")" || { echo "no window for $file" >&2; kill "$pid"; continue; }
  sleep "$SECONDS_PER_RUN"
  session_press "$window" Escape
  wait "$pid" || true
  read -r fps tpf < <(sed -n 's/^         | FPS at exit: \([0-9]*\) -- TPF at exit: \([0-9]*\) .*/\1 \2/p' Log.txt)
  triangles="$(session_model_triangles "$file")"
  printf '%-36s %10s %10s %8s %6s\n' "${file#"$MODELS"/}" "$triangles" "$tpf" \
    "$(awk -v a="$tpf" -v b="$triangles" 'BEGIN { if (b > 0) printf "%.1f", a / b }')" "$fps"
  cd "$ROOT"
done < <(find "$MODELS" -maxdepth 2 \( -iname '*.stl' -o -iname '*.obj' -o -iname '*.ply' -o -iname '*.gltf' -o -iname '*.glb' \) -print0 | sort -z)
