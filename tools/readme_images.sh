#!/usr/bin/env bash
# Makes the README's pictures of the viewer from its own screenshots (key P) under Xvfb:
#   docs/images/viewer_plain.png      the start view: the equipment, its outline and the panel
#   docs/images/viewer_wireframe.png  the same with key W
#   docs/images/viewer_outline_widest.png  with key A, the animated outline near its widest: of
#                                     shots taken over one period, the one with most dark pixels
#   docs/images/rigwright-panel.png   NEXT clicked: the inlet flange in focus, in its own view
#                                     (640 x 480)
#   docs/images/viewer_exchange_formats.png  the example equipment of exchange-format files
#                                     (Data/Scripts/Examples/Valve_Exchange_Formats.lua), the
#                                     bonnet (a .glb file) in focus
#
#   tools/readme_images.sh [build directory]
#
# Needs ImageMagick (convert) and xdotool, as the end-to-end tests do.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/tools/viewer_session.sh"
BUILD="$(realpath -m "${1:-$ROOT/build}")"
VIEWER="$BUILD/Applications/Rigwright/rigwright"
IMAGES="$ROOT/docs/images"
APP_PID=""
WORK=""

[[ -x "$VIEWER" ]] || { echo "no viewer at $VIEWER: build first" >&2; exit 1; }

cleanup() {
  [[ -n "$APP_PID" ]] && kill -9 "$APP_PID" 2>/dev/null || true
  session_stop_display
  [[ -n "$WORK" ]] && rm -rf "$WORK"
}
trap cleanup EXIT

session_start_display 96

press() {
  session_press "$WINDOW" "$1"
}

# Presses P and waits for the numbered screenshot.
take() {
  local number="$1"
  press p
  for _ in $(seq 400); do
    [[ -f "screen_shot_$number.bmp" ]] && identify "screen_shot_$number.bmp" >/dev/null 2>&1 && break
    sleep 0.05
  done
  sleep 0.5
}

# Takes the numbered screenshot and stores it as a PNG under the given name.
shoot() {
  take "$1"
  store "$1" "$2"
}

store() {
  convert "screen_shot_$1.bmp" "$IMAGES/$2.png"
  echo "wrote docs/images/$2.png"
}

# Share of near-black pixels: the outline is the only black in the picture.
dark_share() {
  convert "screen_shot_$1.bmp" -colorspace Gray -threshold 8% -negate -format '%[fx:mean]' info:
}

WORK="$(mktemp -d "${TMPDIR:-/tmp}/rigwright-images.XXXXXX")"
cd "$WORK"
ln -s "$ROOT/Data" Data
"$VIEWER" >/dev/null 2>&1 &
APP_PID=$!
WINDOW="$(session_find_window "$APP_PID")" || { echo "no viewer window appeared" >&2; exit 1; }
# Let the frame counter settle before the first picture.
sleep 3
shoot 100001 viewer_plain
press w
sleep 1
shoot 100002 viewer_wireframe
press w
press a
# The outline swings with a sine of the program's clock, about 6.3 s a period.
best=100003 best_share=0
for number in $(seq 100003 100010); do
  take "$number"
  share="$(dark_share "$number")"
  if awk -v a="$share" -v b="$best_share" 'BEGIN { exit !(a > b) }'; then
    best=$number best_share=$share
  fi
done
store "$best" viewer_outline_widest
press a

# NEXT: the cursor from the panel's centre into its top-left corner (540, 15), then onto the
# button (605, 477).
session_move_mouse -400 -400
session_move_mouse 65 462
session_click
sleep 2.5
take 100011
convert "screen_shot_100011.bmp" -resize 640x480 "$IMAGES/rigwright-panel.png"
echo "wrote docs/images/rigwright-panel.png"
press Escape
wait "$APP_PID" || true
APP_PID=""

# Starts the viewer in the current folder on a copy of Data/ whose equipment is the example
# script named.
start_example() {
  rm -rf Data screen_shot_*.bmp
  cp -r "$ROOT/Data" Data
  cp "Data/Scripts/Examples/$1" Data/Scripts/Equipment_Configuration.lua
  "$VIEWER" >/dev/null 2>&1 &
  APP_PID=$!
  WINDOW="$(session_find_window "$APP_PID")" || { echo "no viewer window appeared" >&2; exit 1; }
  sleep 3
}

quit_viewer() {
  press Escape
  wait "$APP_PID" || true
  APP_PID=""
}

# The example equipment, its parts read from STL, OBJ, glTF and PLY files.
start_example Valve_Exchange_Formats.lua
session_move_mouse -400 -400
session_move_mouse 65 462
for _ in 1 2 3; do
  session_click
  sleep 0.3
done
sleep 2.5
shoot 100001 viewer_exchange_formats
quit_viewer

