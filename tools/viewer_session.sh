# Shared helpers of the scripts that drive the real viewer under X with xdotool (the measuring,
# soak and picture tools, and the panel's end-to-end test). Source it; it defines functions only.
#
#   session_start_display FIRST   without DISPLAY: a private Xvfb on the first free number from
#                                 FIRST (SESSION_XVFB_PID; session_stop_display ends it)
#   session_find_window PID       the viewer's visible window (echoed), given the input focus
#   session_press WINDOW KEY      key down on the window, a pause, key up
#   session_move_mouse DX DY      the pointer moved in small relative steps, as a hand does
#   session_click                 left button down, a pause, up
#   session_f3d_picture DIR FILE  "seconds kilobytes" of f3d writing its 800 x 600 picture of FILE
#                                 (into DIR), given at most SESSION_F3D_SECONDS (default 180)
#   session_clean_up_at_exit DIR  at exit, stop the display this session started and remove DIR
#   session_probe_run PROBE MODE SECONDS [PICTURE]
#                                 one run of rigwright_probe in the current directory (which
#                                 holds its Data), still or animated (key A) for SECONDS: prints
#                                 "launch_ms fps_at_exit average_fps"; with PICTURE, a PNG of the
#                                 window taken half-way through
#   session_window_picture WINDOW PNG
#                                 the window's pixels as they are on the display, or nothing
#                                 without ImageMagick's import
#   session_quit_timed PID        the viewer run under GNU time as PID: its window found, Escape
#                                 pressed, and PID waited for
#   session_model_triangles FILE  the triangles of a model of ../shared/real-models: an STL's
#                                 from the file, the others' from the folder's README

SESSION_TITLE="Tesserant Game Engine v1.0"
SESSION_XVFB_PID=""

session_start_display() {
  [[ -n "${DISPLAY:-}" ]] && return 0
  local number="$1"
  while [[ -e "/tmp/.X${number}-lock" || -e "/tmp/.X11-unix/X${number}" ]]; do number=$((number + 1)); done
  # -noreset: the server must not restart when its last client leaves.
  Xvfb ":${number}" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  SESSION_XVFB_PID=$!
  export DISPLAY=":${number}"
  for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb did not start on display $DISPLAY" >&2
  return 1
}

session_stop_display() {
  [[ -n "$SESSION_XVFB_PID" ]] && kill "$SESSION_XVFB_PID" 2>/dev/null || true
  SESSION_XVFB_PID=""
}

session_f3d_picture() {
  /usr/bin/time -f "%e %M" -o "$1/f3d_time.txt" timeout "${SESSION_F3D_SECONDS:-180}" \
    f3d --output="$1/f3d.png" --resolution=800,600 "$2" >/dev/null 2>&1 || true
  cat "$1/f3d_time.txt"
}

session_clean_up_at_exit() {
  SESSION_WORK_DIR="$1"
  trap 'session_stop_display; rm -rf "$SESSION_WORK_DIR"' EXIT
}

session_find_window() {
  local pid="$1" window=""
  for _ in $(seq 400); do
    window="$(xdotool search --onlyvisible --pid "$pid" --name "^${SESSION_TITLE}\$" 2>/dev/null | head -n 1 || true)"
    [[ -n "$window" ]] && break
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.05
  done
  [[ -n "$window" ]] || return 1
  timeout 5 xdotool windowfocus --sync "$window" >/dev/null 2>&1 || true
  echo "$window"
}

session_press() {
  xdotool keydown --window "$1" "$2" 2>/dev/null || true
  sleep 0.2
  # Released on the display, not on the window: the viewer may have quit on the key already.
  xdotool keyup "$2" 2>/dev/null || true
}

session_move_mouse() {
  local dx=$1 dy=$2 sx sy
  while (( dx != 0 || dy != 0 )); do
    sx=$(( dx > 40 ? 40 : (dx < -40 ? -40 : dx) ))
    sy=$(( dy > 40 ? 40 : (dy < -40 ? -40 : dy) ))
    xdotool mousemove_relative -- "$sx" "$sy"
    sleep 0.03
    dx=$((dx - sx))
    dy=$((dy - sy))
  done
  sleep 0.3
}

session_click() {
  xdotool mousedown 1
  sleep 0.15
  xdotool mouseup 1
}

session_window_picture() {
  command -v import >/dev/null 2>&1 || return 0
  import -window "$1" "$2" 2>/dev/null || true
}

session_probe_run() {
  local probe="$1" mode="$2" seconds="$3" picture="${4:-}" pid window start first
  start="$(date +%s%N)"
  "$probe" "$PWD/present.txt" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 400); do
    grep -q '^first_present_ns' present.txt 2>/dev/null && break
    sleep 0.01
  done
  first="$(sed -n 's/^first_present_ns //p' present.txt)"
  window="$(session_find_window "$pid")" || { echo "no viewer window appeared" >&2; return 1; }
  [[ "$mode" == animated ]] && session_press "$window" a
  if [[ -n "$picture" ]]; then
    sleep "$(awk -v s="$seconds" 'BEGIN { print s / 2 }')"
    session_window_picture "$window" "$picture"
    sleep "$(awk -v s="$seconds" 'BEGIN { print s / 2 }')"
  else
    sleep "$seconds"
  fi
  session_press "$window" Escape
  wait "$pid" || true
  echo "$(( (first - start) / 1000000 ))" \
    "$(sed -n 's/^         | FPS at exit: \([0-9]*\) .*/\1/p' Log.txt)" \
    "$(awk '/^presents/ { if ($4 > 0) printf "%.1f", ($2 - 1) / $4 }' present.txt)"
}

session_quit_timed() {
  local pid="$1" child="" window
  # The viewer is GNU time's child.
  for _ in $(seq 500); do
    child="$(pgrep -P "$pid" | head -n 1 || true)"
    [[ -n "$child" ]] && break
    sleep 0.01
  done
  window="$(session_find_window "$child")" || { echo "no viewer window" >&2; return 1; }
  xdotool keydown --window "$window" Escape 2>/dev/null || true
  wait "$pid" || true
  xdotool keyup Escape 2>/dev/null || true
}

session_model_triangles() {
  local file="$1" folder name count size
  size="$(stat -c %s "$file")"
  if [[ "${file,,}" == *.stl ]] && (( size >= 84 )); then
    count="$(od -An -tu4 -j80 -N4 "$file" | tr -d ' ')"
    if (( 84 + 50 * count == size )); then
      echo "$count"
      return
    fi
    # A text STL: one "facet normal" line a triangle.
    grep -c '^[[:space:]]*facet normal' "$file"
    return
  fi
  folder="$(dirname "$file")"
  [[ -f "$folder/README.md" ]] || folder="$(dirname "$folder")"
  name="${file#"$folder"/}"
  sed -n "s/^| ${name//\//\\/}[^|]* | [^|]* | \([0-9,]*\).*/\1/p" "$folder/README.md" | tr -d , | head -n 1
}
