#!/usr/bin/env bash
# Soak run of the real viewer under Xvfb at 800 x 600 with the repository's data: the animated
# outline on (key A), the camera handed to the parts (key M), and a click on the panel's NEXT
# button every FOCUS_EVERY frames, so the focus walks round the parts all run long. After FRAMES
# frames (default 50,000) it quits with Escape and checks:
#   - the viewer ended with status 0;
#   - resident memory at frame FRAMES is at most MAX_GROWTH_KIB (default 1024) above frame 1,000;
#     with a click every 250 frames every part has been in focus by then, so the OpenGL driver has
#     compiled what each view needs (its code pages count as resident memory too, and grow on a
#     part's first visit however well the program itself keeps its heap);
#   - Log.txt holds no line that reports a failure.
#
#   tools/soak_viewer.sh [build directory]
#
# Frame numbers and resident memory come from rigwright_probe, the viewer with a present probe
# after every frame (tools/ViewerProbe: a "frame <n> rss_kib <k> heap_kib <h>" line every 250
# frames; the heap
# figure tells the program's own allocations from what the driver and the kernel add). The memory series is kept
# in SOAK_OUTPUT (default soak-memory.txt in the current directory) for a closer look.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/tools/viewer_session.sh"
BUILD="$(realpath -m "${1:-$ROOT/build}")"
VIEWER="$BUILD/tools/rigwright_probe"
FRAMES="${FRAMES:-50000}"
FOCUS_EVERY="${FOCUS_EVERY:-250}"
MAX_GROWTH_KIB="${MAX_GROWTH_KIB:-1024}"
OUTPUT="$(realpath -m "${SOAK_OUTPUT:-soak-memory.txt}")"
PROBE_INTERVAL=250
APP_PID=""
WORK=""

[[ -x "$VIEWER" ]] || { echo "no viewer at $VIEWER: build first" >&2; exit 1; }
(( FRAMES >= 1000 && FRAMES % PROBE_INTERVAL == 0 )) ||
  { echo "FRAMES must be a multiple of $PROBE_INTERVAL, at least 1000" >&2; exit 2; }
(( FOCUS_EVERY >= PROBE_INTERVAL )) || { echo "FOCUS_EVERY must be at least $PROBE_INTERVAL" >&2; exit 2; }

cleanup() {
  [[ -n "$APP_PID" ]] && kill -9 "$APP_PID" 2>/dev/null || true
  session_stop_display
  [[ -n "$WORK" ]] && rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "SOAK FAILED: $*" >&2
  [[ -f "$WORK/Log.txt" ]] && tail -n 30 "$WORK/Log.txt" >&2
  exit 1
}

# The soak moves the pointer, so it gets a display of its own unless told otherwise.
session_start_display 97

press() {
  session_press "$WINDOW" "$1"
  sleep 0.3
}

# The part name's value box on the panel, for checking that a click changed the part.
name_box() {
  import -window root -crop 200x45+560+45 +repage "$WORK/$1.png"
}

latest_frame() {
  sed -n 's/^frame \([0-9]*\) .*/\1/p' "$WORK/present.txt" 2>/dev/null | tail -n 1
}

rss_at() {
  sed -n "s/^frame $1 rss_kib \([0-9]*\).*/\1/p" "$WORK/present.txt"
}

heap_at() {
  sed -n "s/^frame $1 .* heap_kib \([0-9-]*\)$/\1/p" "$WORK/present.txt"
}

WORK="$(mktemp -d "${TMPDIR:-/tmp}/rigwright-soak.XXXXXX")"
cd "$WORK"
ln -s "$ROOT/Data" Data
"$VIEWER" "$WORK/present.txt" >stdout.txt 2>stderr.txt &
APP_PID=$!
WINDOW="$(session_find_window "$APP_PID")" || fail "no window titled '$SESSION_TITLE' appeared"
xdotool mousemove --window "$WINDOW" 400 300
sleep 0.5
press a
press m
# The panel's cursor starts at its centre: push it into the panel's top-left corner, then onto
# NEXT (the same path as the panel's end-to-end test).
session_move_mouse -400 -400
session_move_mouse 65 462

echo "soak: $FRAMES frames, focus change every $FOCUS_EVERY frames, display $DISPLAY"
started=$(date +%s)
clicks=0
next_click=$FOCUS_EVERY
next_report=10000
while :; do
  kill -0 "$APP_PID" 2>/dev/null || fail "the viewer ended during the soak"
  frame="$(latest_frame)"
  frame="${frame:-0}"
  if (( frame >= FRAMES )); then
    break
  fi
  if (( frame >= next_click )); then
    (( clicks == 0 )) && name_box before
    session_click
    clicks=$((clicks + 1))
    if (( clicks == 1 )); then
      sleep 1
      name_box after
      changed="$(compare -metric AE -fuzz 6% before.png after.png null: 2>&1 | sed 's/[^0-9].*//' || true)"
      (( ${changed:-0} > 20 )) || fail "a click on NEXT did not change the part's name"
    fi
    next_click=$((next_click + FOCUS_EVERY))
  fi
  if (( frame >= next_report )); then
    echo "  frame $frame, resident $(rss_at "$frame") KiB, $(( $(date +%s) - started )) s"
    next_report=$((next_report + 10000))
  fi
  sleep 0.5
done
press Escape
status=0
for _ in $(seq 600); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.05; done
kill -0 "$APP_PID" 2>/dev/null && fail "the viewer did not quit on Escape"
wait "$APP_PID" || status=$?
APP_PID=""
elapsed=$(( $(date +%s) - started ))

grep '^frame ' present.txt >"$OUTPUT"
first_rss="$(rss_at 1000)"
last_rss="$(rss_at "$FRAMES")"
[[ -n "$first_rss" && -n "$last_rss" ]] || fail "the probe did not record frames 1000 and $FRAMES"
growth=$((last_rss - first_rss))
peak="$(awk '{ if ($4 > m) m = $4 } END { print m }' "$OUTPUT")"
echo "frames $FRAMES in $elapsed s ($(awk -v f="$FRAMES" -v s="$elapsed" 'BEGIN { printf "%.1f", f / s }') per second), $clicks clicks on NEXT"
echo "resident memory: frame 1000 $first_rss KiB, frame $FRAMES $last_rss KiB, growth $growth KiB, peak $peak KiB"
echo "heap in use: frame 1000 $(heap_at 1000) KiB, frame $FRAMES $(heap_at "$FRAMES") KiB"
echo "memory series in $OUTPUT"

(( status == 0 )) || fail "exit status $status"
(( growth <= MAX_GROWTH_KIB )) || fail "resident memory grew by $growth KiB (limit $MAX_GROWTH_KIB KiB)"
failures="$(grep -inE 'fail|error|invalid|cannot|could not|unable|not found' Log.txt || true)"
[[ -z "$failures" ]] || fail "Log.txt reports failures:"$'\n'"$failures"
echo "SOAK PASSED"
