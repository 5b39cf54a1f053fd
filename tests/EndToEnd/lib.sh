# Shared helpers of the end-to-end tests. Source it from a test script; it expects RIGWRIGHT
# (the viewer), E2E_CLOSE_WINDOW (the close helper) and TESS_SOURCE_DIR in the environment and a
# display in DISPLAY.
#
#   e2e_enter_workdir        fresh temporary working directory (removed at exit), made current
#   e2e_link_data / e2e_copy_data   the repository's Data directory linked or copied in
#   e2e_start                start the viewer in the background (APP_PID)
#   e2e_find_window          wait for its window (WINDOW) and give it the input focus
#   e2e_wait_running [SECONDS]  wait until the log says the message loop has started
#   e2e_press KEY            key down, a pause, key up (xdotool key names: Escape, slash, w)
#   e2e_close                close the window as a window manager's close box does
#   e2e_wait_exit [SECONDS]  wait for the viewer to end (APP_STATUS), kill it after the timeout
#   e2e_expect_status N, e2e_expect_log_begins_with_banner, e2e_expect_log_in_order LINE...,
#   e2e_expect_log_contains LINE, e2e_expect_log_ends_with LINE
#   e2e_leave_workdir        leave and remove the working directory (several runs in one script)
#   e2e_screenshot NAME, e2e_pixel, e2e_region_pixels, e2e_drawn_pixels, e2e_expect_drawn,
#   e2e_region_differs       screenshots and what they show
#   e2e_exit_draw_calls      the last frame's draw calls from the exit statistics
#   e2e_move_mouse DX DY, e2e_click   the mouse, as a hand moves it
set -euo pipefail

: "${RIGWRIGHT:?RIGWRIGHT must name the viewer executable}"
: "${TESS_SOURCE_DIR:?TESS_SOURCE_DIR must name the repository root}"
: "${DISPLAY:?the end-to-end tests need a display}"

E2E_TITLE="Tesserant Game Engine v1.0"
E2E_WORKDIR=""
APP_PID=""
APP_STATUS=""
WINDOW=""

e2e_fail() {
  echo "FAIL: $*" >&2
  if [[ -n "$E2E_WORKDIR" && -f "$E2E_WORKDIR/Log.txt" ]]; then
    echo "--- Log.txt" >&2
    cat "$E2E_WORKDIR/Log.txt" >&2
  fi
  if [[ -n "$E2E_WORKDIR" && -f "$E2E_WORKDIR/stderr.txt" ]]; then
    echo "--- standard error" >&2
    cat "$E2E_WORKDIR/stderr.txt" >&2
  fi
  exit 1
}

e2e_cleanup() {
  if [[ -n "$APP_PID" ]] && kill -0 "$APP_PID" 2>/dev/null; then
    kill -9 "$APP_PID" 2>/dev/null || true
  fi
  if [[ -n "$E2E_WORKDIR" ]]; then
    chmod -R u+w "$E2E_WORKDIR" 2>/dev/null || true
    rm -rf "$E2E_WORKDIR"
  fi
}

e2e_enter_workdir() {
  E2E_WORKDIR="$(mktemp -d "${TMPDIR:-/tmp}/rigwright-e2e.XXXXXX")"
  trap e2e_cleanup EXIT
  cd "$E2E_WORKDIR"
}

e2e_link_data() {
  ln -s "$TESS_SOURCE_DIR/Data" Data
}

e2e_copy_data() {
  cp -r "$TESS_SOURCE_DIR/Data" Data
}

e2e_start() {
  "$RIGWRIGHT" >stdout.txt 2>stderr.txt &
  APP_PID=$!
}

e2e_find_window() {
  local attempt
  for attempt in $(seq 200); do
    WINDOW="$(xdotool search --all --onlyvisible --pid "$APP_PID" --name "^${E2E_TITLE}\$" 2>/dev/null | head -n 1 || true)"
    if [[ -n "$WINDOW" ]]; then
      timeout 5 xdotool windowfocus --sync "$WINDOW" >/dev/null 2>&1 || true
      return 0
    fi
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the viewer ended before its window appeared"
    sleep 0.05
  done
  echo "--- windows on the display" >&2
  xwininfo -root -tree 2>&1 | grep -i -e tesserant -e "child" >&2 || true
  xdotool search --all --pid "$APP_PID" 2>&1 | while read -r id; do xwininfo -id "$id" | grep -e "Map State" -e "xwininfo"; done >&2 || true
  e2e_fail "no window titled '$E2E_TITLE' appeared"
}

e2e_wait_running() {
  local seconds="${1:-20}"
  local tick
  for tick in $(seq $((seconds * 20))); do
    if grep -qxF "Main     | Entering the message loop." Log.txt 2>/dev/null; then
      return 0
    fi
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the viewer ended before its message loop started"
    sleep 0.05
  done
  e2e_fail "the message loop did not start within $seconds seconds"
}

# The usual start: a fresh working directory with the repository's data, the viewer started, its
# window found and its message loop running.
e2e_launch() {
  e2e_enter_workdir
  e2e_link_data
  e2e_start
  e2e_find_window
  e2e_wait_running
}

e2e_press() {
  local key="$1"
  xdotool keydown --window "$WINDOW" "$key" 2>/dev/null || true
  sleep 0.2
  # Released on the display, not on the window: the viewer may have quit on the key already,
  # and a key left down on a display that is not reset would reach the next test's viewer.
  xdotool keyup "$key" 2>/dev/null || true
}

e2e_close() {
  "${E2E_CLOSE_WINDOW:?E2E_CLOSE_WINDOW must name the close helper}" "$WINDOW" ||
    e2e_fail "could not ask the window to close"
}

e2e_wait_exit() {
  local seconds="${1:-20}"
  local tick
  for tick in $(seq $((seconds * 20))); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.05
  done
  if kill -0 "$APP_PID" 2>/dev/null; then
    kill -9 "$APP_PID" 2>/dev/null || true
    wait "$APP_PID" 2>/dev/null || true
    APP_PID=""
    e2e_fail "the viewer did not end within $seconds seconds"
  fi
  APP_STATUS=0
  wait "$APP_PID" || APP_STATUS=$?
  APP_PID=""
}

e2e_expect_status() {
  [[ "$APP_STATUS" == "$1" ]] || e2e_fail "exit status $APP_STATUS, expected $1"
}

e2e_expect_log_begins_with_banner() {
  [[ -f Log.txt ]] || e2e_fail "no Log.txt was written"
  local expected
  expected="$(printf '%s\n' \
    "-------------------------------" \
    "| Tesserant Game Engine v0.8 |" \
    "-------------------------------" \
    "" \
    "Log      | Opening log file.")"
  [[ "$(head -n 5 Log.txt)" == "$expected" ]] || e2e_fail "Log.txt does not begin with the banner"
}

e2e_expect_log_contains() {
  grep -qxF -- "$1" Log.txt || e2e_fail "Log.txt lacks the line '$1'"
}

# The lines appear in Log.txt in this order (other lines may lie between them).
e2e_expect_log_in_order() {
  local wanted=("$@")
  local next=0 line
  while IFS= read -r line && (( next < ${#wanted[@]} )); do
    if [[ "$line" == "${wanted[$next]}" ]]; then
      next=$((next + 1))
    fi
  done <Log.txt
  (( next == ${#wanted[@]} )) || e2e_fail "Log.txt lacks '${wanted[$next]}' in its place"
}

e2e_expect_log_ends_with() {
  [[ "$(tail -n 1 Log.txt)" == "$1" ]] || e2e_fail "Log.txt does not end with '$1'"
}

# What every normal run writes: the banner, the Main lines in order, the input engine's lines,
# and the closing line last.
e2e_expect_normal_log() {
  e2e_expect_log_begins_with_banner
  e2e_expect_log_in_order \
    "Main     | WinMain started." \
    "Input    | Input engine constructed." \
    "Main     | Entering the message loop." \
    "Main     | Exiting the message loop." \
    "Input    | Keyboard has been released." \
    "Input    | Mouse has been released." \
    "Input    | Input engine deconstructed."
  e2e_expect_log_contains "Input    | Keyboard has been initialized."
  e2e_expect_log_contains "Input    | Mouse has been initialized."
  e2e_expect_log_ends_with "Log      | Closing log file."
}

# ---- Screenshots -------------------------------------------------------------------------------

# e2e_screenshot NAME [SECONDS]: presses P and waits until the viewer has written NAME completely.
e2e_screenshot() {
  local name="$1" seconds="${2:-20}" tick
  e2e_press p
  for tick in $(seq $((seconds * 20))); do
    if [[ -f "$name" ]] && identify "$name" >/dev/null 2>&1; then
      # A second tap before the viewer has polled the first one's release would read as the
      # same press; give it a few frames.
      sleep 1.5
      return 0
    fi
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the viewer ended before writing $name"
    sleep 0.05
  done
  e2e_fail "no screenshot $name within $seconds seconds"
}

# e2e_pixel IMAGE X Y: the pixel's colour as six hexadecimal digits (RRGGBB).
e2e_pixel() {
  convert "$1" -crop "1x1+$2+$3" +repage -depth 8 -format '%[hex:u.p{0,0}]' info: | tail -c 6
}

# e2e_region_pixels IMAGE WxH+X+Y: "x y r g b" for every pixel of the region, one per line.
e2e_region_pixels() {
  convert "$1" -crop "$2" +repage -depth 8 txt:- |
    sed -n 's/^\([0-9]*\),\([0-9]*\): *(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3 \4 \5/p'
}

# ---- Several runs in one script ----------------------------------------------------------------

# Leaves the working directory and removes it, so that the next case starts afresh.
e2e_leave_workdir() {
  cd /
  e2e_cleanup
  E2E_WORKDIR=""
}

# ---- What a frame shows ------------------------------------------------------------------------

# Screen rectangles at 800 x 600 (width x height + left + top): the scene left of the
# part-information panel and below the text lines, and the panel itself.
E2E_SCENE="500x440+20+140"
E2E_PANEL="240x570+540+15"
E2E_CLEAR_COLOR="#404040"

# e2e_drawn_pixels IMAGE GEOMETRY: how many pixels of the region are not the clear colour.
e2e_drawn_pixels() {
  # Drawn pixels black, background white: the mean is the background's share.
  convert "$1" -crop "$2" +repage -fill black +opaque "$E2E_CLEAR_COLOR" -fill white -opaque "$E2E_CLEAR_COLOR" \
    -format '%[fx:int(w*h*(1-mean)+0.5)]' info:
}

# e2e_expect_drawn IMAGE GEOMETRY MINIMUM WHAT: at least MINIMUM pixels of the region are drawn.
e2e_expect_drawn() {
  local drawn
  drawn="$(e2e_drawn_pixels "$1" "$2")"
  (( drawn >= $3 )) || e2e_fail "$4: only $drawn pixels of $2 in $1 are drawn, expected at least $3"
}

# The draw calls of the last frame, from the exit statistics in Log.txt.
e2e_exit_draw_calls() {
  sed -n 's/^         | FPS at exit: [0-9]* -- TPF at exit: [0-9]* -- DPC at exit: \([0-9]*\)$/\1/p' Log.txt
}

# ---- The mouse ---------------------------------------------------------------------------------

# e2e_move_mouse DX DY: moves the mouse in small steps, as a hand does; the panel's cursor
# follows. e2e_click: a left click. Both are the viewer tools' own (tools/viewer_session.sh).
source "$TESS_SOURCE_DIR/tools/viewer_session.sh"

e2e_move_mouse() {
  session_move_mouse "$@"
}

e2e_click() {
  session_click
}

# e2e_region_differs IMAGE1 IMAGE2 GEOMETRY: how many pixels of the region differ between the
# two images (beyond a small tolerance).
e2e_region_differs() {
  convert "$1" -crop "$3" +repage region_a.png
  convert "$2" -crop "$3" +repage region_b.png
  compare -metric AE -fuzz 6% region_a.png region_b.png null: 2>&1 | sed 's/[^0-9].*//' || true
  rm -f region_a.png region_b.png
}
