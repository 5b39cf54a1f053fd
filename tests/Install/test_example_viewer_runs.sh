#!/usr/bin/env bash
# Runs the example part viewer that the engine package test built against the installed engine,
# in a working directory whose Data is the installed engine data: it must show the part it is
# given (or a sphere when the file cannot be read), save a screenshot on P and quit on Escape.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
: "${DISPLAY:?this test needs a display}"
: "${TESS_INSTALL_TEST_DIR:?TESS_INSTALL_TEST_DIR must name the directory of the example build}"
t_enter_tmpdir

EXAMPLE="$TESS_INSTALL_TEST_DIR/example-build/part_viewer"
ENGINE_DATA="$TESS_INSTALL_TEST_DIR/engine-prefix/share/tesserant/Data"
[[ -x "$EXAMPLE" ]] || t_fail "the example viewer was not built (run install.engine_package first)"
[[ -d "$ENGINE_DATA" ]] || t_fail "the engine data was not installed"

export RIGWRIGHT="$EXAMPLE" TESS_SOURCE_DIR
source "$TESS_SOURCE_DIR/tests/EndToEnd/lib.sh"
trap 'e2e_cleanup; t_cleanup' EXIT

# The background the example clears to and the colour of its help line.
BACKGROUND="203040"

# Colour of the screenshot's pixel at x y as RRGGBB.
pixel() {
  convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6
}

# Starts the example with the given model in a fresh working directory, presses P, waits for the
# screenshot and quits with Escape; SHOT names the screenshot.
run_example() {
  local run_dir="$T_TMP/$1" model="$2"
  mkdir -p "$run_dir"
  cd "$run_dir"
  E2E_WORKDIR="$run_dir"
  ln -s "$ENGINE_DATA" Data
  "$EXAMPLE" "$model" >stdout.txt 2>stderr.txt &
  APP_PID=$!
  e2e_find_window
  e2e_wait_running
  e2e_press p
  SHOT="$run_dir/screen_shot_100001.bmp"
  for _ in $(seq 100); do
    [[ -s "$SHOT" ]] && break
    sleep 0.05
  done
  e2e_press Escape
  e2e_wait_exit
  e2e_expect_status 0
  t_expect_file "$SHOT"
}

# The part stands in the middle of the picture, the corners show the background.
expect_part_in_the_middle() {
  t_expect_eq "$(pixel "$SHOT" 3 3)" "$BACKGROUND" "top-left corner"
  t_expect_eq "$(pixel "$SHOT" 796 3)" "$BACKGROUND" "top-right corner"
  local middle
  middle="$(pixel "$SHOT" 400 300)"
  [[ "$middle" != "$BACKGROUND" ]] || t_fail "nothing is drawn in the middle of the picture"
}

t_case "shows a model file"
run_example model "$TESS_SOURCE_DIR/Data/Models/Valve_Bonnet.ms3d"
e2e_expect_log_contains "Main     | Part viewer: showing $TESS_SOURCE_DIR/Data/Models/Valve_Bonnet.ms3d."
expect_part_in_the_middle
# The help line along the bottom, drawn by the GUI view over the scene: some near-white pixels.
white="$(convert "$SHOT" -crop 600x20+10+570 +repage -fuzz 20% -fill black +opaque white \
  -fill white -opaque white -format '%[fx:mean*w*h]' info:)"
(( ${white%.*} > 50 )) || t_fail "the help line is missing ($white white pixels)"

t_case "shows a sphere when the model cannot be read"
run_example missing "$T_TMP/no-such-model.ms3d"
e2e_expect_log_contains "Main     | Part viewer: could not read $T_TMP/no-such-model.ms3d, showing a sphere."
expect_part_in_the_middle
e2e_expect_log_ends_with "Log      | Closing log file."

echo "example viewer: all cases passed"
