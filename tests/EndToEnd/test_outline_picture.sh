# The outline keeps its width and place: screenshots of the shipped valve's first view and of a
# third-party model alone match the committed pictures in tests/data/outline-pictures, but for a
# few pixels. The statistics lines (frame rate) are masked out: they change from run to run.
#
# With a folder as its argument it writes the pictures there instead (to make them again when
# the outline is meant to change):  RIGWRIGHT=... TESS_SOURCE_DIR=... bash THIS FOLDER
source "$(dirname "$0")/lib.sh"
WRITE_TO="${1:+$(realpath -m "$1")}"
REFERENCES="$TESS_SOURCE_DIR/tests/data/outline-pictures"
# Pixels that may differ by more than the fuzz (rasterisation of the band's other diagonal).
TOLERATED_PIXELS=150

# picture NAME [MODEL]: the first view's screenshot as NAME.png, with MODEL as the only part.
picture() {
  local name="$1" model="${2:-}"
  e2e_enter_workdir
  if [[ -n "$model" ]]; then
    e2e_copy_data
    printf 'AddComponent("%s", "Part", "", "", "", 0, 0, 0)\n' "$model" >Data/Scripts/Equipment_Configuration.lua
  else
    e2e_link_data
  fi
  e2e_start
  e2e_find_window
  e2e_wait_running
  sleep 1
  e2e_screenshot screen_shot_100001.bmp
  # The three statistics lines in the top-left corner change from frame to frame.
  convert screen_shot_100001.bmp -fill black -draw "rectangle 0,0 260,70" "$name.png"
  e2e_press Escape
  e2e_wait_exit
  if [[ -n "$WRITE_TO" ]]; then
    mkdir -p "$WRITE_TO"
    cp "$name.png" "$WRITE_TO/$name.png"
  else
    local differing
    differing="$(compare -metric AE -fuzz 12% "$REFERENCES/$name.png" "$name.png" null: 2>&1 || true)"
    (( ${differing%% *} <= TOLERATED_PIXELS )) ||
      e2e_fail "$name: $differing pixels differ from the reference picture"
  fi
  e2e_leave_workdir
}

picture valve_first_view
picture jeep1 "$TESS_SOURCE_DIR/tests/data/jeep1.ms3d"
