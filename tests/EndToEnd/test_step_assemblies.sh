# STEP assemblies named on the command line, from ../shared/real-models/step beside the checkout:
# the AS1 assembly and the rotor pump show every part, each named in the panel, and NEXT steps
# through all of them; the Cyrillic part names of a legacy code page render as the same names
# written in the script do, not as "?"; the AS1 assembly declared in inches comes out 25.4 times
# as large as in millimetres (its file writes the same numbers under the other unit); a file cut
# short gives one log line and an empty part.
source "$(dirname "$0")/lib.sh"

STEP_DIR="$TESS_SOURCE_DIR/../shared/real-models/step"
if [[ ! -d "$STEP_DIR" ]]; then
  echo "SKIP: $STEP_DIR is absent"
  exit 77
fi
STEP_DIR="$(cd "$STEP_DIR" && pwd)"

NAME_VALUE="200x45+560+45"
PART_LINE="260x14+10+136"
PANEL_DRAW_CALLS=13

# Starts the viewer on ARGS in a fresh working directory and waits for its message loop.
start_with() {
  e2e_enter_workdir
  e2e_link_data
  "$RIGWRIGHT" "$@" >stdout.txt 2>stderr.txt &
  APP_PID=$!
  e2e_find_window
  e2e_wait_running 120
  sleep 0.5
}

quit_normally() {
  e2e_press Escape
  e2e_wait_exit 30
  e2e_expect_status 0
  e2e_expect_normal_log
}

# Pixels of the panel's name box that are not its background: the name's text.
name_pixels() {
  local background
  background="$(e2e_pixel "$1" 752 84)"
  convert "$1" -crop "$NAME_VALUE" +repage -fuzz 8% -fill white -opaque "#$background" -fill black +opaque white \
    -format '%[fx:int(w*h*(1-mean)+0.5)]' info:
}

# The panel's cursor starts at its centre: into its top-left corner, then onto NEXT (605, 477).
cursor_to_next() {
  e2e_move_mouse -400 -400
  e2e_move_mouse 65 462
}

# e2e case FILE PARTS: every part named in the panel, NEXT stepping through all of them.
every_part_named() {
  local file="$1" parts="$2" part shot previous=""
  start_with "$STEP_DIR/$file"
  e2e_expect_log_contains "Main     | Equipment: $STEP_DIR/$file: $parts parts"
  cursor_to_next
  for part in $(seq "$parts"); do
    shot="$(printf 'screen_shot_%06d.bmp' $((100000 + part)))"
    e2e_screenshot "$shot"
    (( $(name_pixels "$shot") > 20 )) || e2e_fail "$file: part $part has no name in the panel"
    if [[ -n "$previous" ]]; then
      (( $(e2e_region_differs "$previous" "$shot" "$PART_LINE") > 10 )) ||
        e2e_fail "$file: NEXT did not step from part $((part - 1)) to part $part"
    fi
    previous="$shot"
    (( part < parts )) && e2e_click
  done
  quit_normally
  grep -q "not read" Log.txt && e2e_fail "$file: a part was not read"
  [[ "$(e2e_exit_draw_calls)" == $((PANEL_DRAW_CALLS + 2 * parts)) ]] ||
    e2e_fail "$file: the last frame made $(e2e_exit_draw_calls) draw calls, not one part and outline for each of $parts parts"
  e2e_leave_workdir
}

every_part_named as1-oc-214.stp 18
every_part_named trj6_pm4-ec-203.stp 32

# ---- Cyrillic names: the file's first part, "Дет1", against the same name and "???1" from the script
cat >"${TMPDIR:-/tmp}/rigwright-cyrillic.lua" <<LUA
AddAssembly("$STEP_DIR/bug31670_russian.stp")
AddComponent{ name = "Дет1" }
AddComponent{ name = "???1" }
LUA
start_with "${TMPDIR:-/tmp}/rigwright-cyrillic.lua"
rm -f "${TMPDIR:-/tmp}/rigwright-cyrillic.lua"
parts="$(sed -n 's/^Main     | Equipment: .*bug31670_russian.stp: \([0-9]*\) parts$/\1/p' Log.txt)"
[[ -n "$parts" ]] || e2e_fail "the Cyrillic file's parts are not counted in the log"
e2e_screenshot screen_shot_100001.bmp
# PREVIOUS, right of NEXT, steps back from the first part to the last ("???1"), then "Дет1".
cursor_to_next
e2e_move_mouse 110 0
e2e_click
e2e_screenshot screen_shot_100002.bmp
e2e_click
e2e_screenshot screen_shot_100003.bmp
(( $(e2e_region_differs screen_shot_100001.bmp screen_shot_100003.bmp "$NAME_VALUE") <= 5 )) ||
  e2e_fail "the file's first name does not render as the script's Дет1"
(( $(e2e_region_differs screen_shot_100001.bmp screen_shot_100002.bmp "$NAME_VALUE") > 20 )) ||
  e2e_fail "the file's first name renders as ???1"
quit_normally
e2e_leave_workdir

# ---- Inches: the inch file writes the millimetre file's numbers but declares inches, so its
# parts are 25.4 times as large; scaled down by that much they measure as the millimetre file's.
# At a thousandth of their size each part is under 10 units, and the log names its size.
cat >"${TMPDIR:-/tmp}/rigwright-inches.lua" <<LUA
AddAssembly("$STEP_DIR/as1-oc-214.stp", { scale = 0.001 })
AddAssembly("$STEP_DIR/as1_pe_203.stp", { scale = 0.001 / 25.4 })
LUA
start_with "${TMPDIR:-/tmp}/rigwright-inches.lua"
rm -f "${TMPDIR:-/tmp}/rigwright-inches.lua"
quit_normally
sizes() { sed -n "s#^Main     | $STEP_DIR/$1 is \([0-9.]*\) units across.*#\1#p" Log.txt | sort -n | uniq; }
[[ -n "$(sizes as1-oc-214.stp)" ]] || e2e_fail "the millimetre file's parts are not measured in the log"
# The two CAD tools modelled the small parts a little differently (a nut 0.037 against 0.04), so
# sizes agree within a tenth.
paste -d' ' <(sizes as1-oc-214.stp) <(sizes as1_pe_203.stp) |
  awk 'NF != 2 || $1 > 1.1 * $2 || $2 > 1.1 * $1 { bad = 1 } END { exit bad }' ||
  e2e_fail "the inch file's parts measure $(sizes as1_pe_203.stp | tr '\n' ' ')against $(sizes as1-oc-214.stp | tr '\n' ' ')"
e2e_leave_workdir

# ---- A file cut short: one log line, one empty part, the viewer running on
start_with "$STEP_DIR/truncated_as1-oc-214.stp"
quit_normally
[[ "$(grep -c "truncated_as1-oc-214" Log.txt)" == 1 ]] || e2e_fail "the cut file is not named in exactly one log line"
grep -q "^Main     | Equipment: $STEP_DIR/truncated_as1-oc-214.stp not read: ." Log.txt ||
  e2e_fail "the cut file's line does not say why"
[[ "$(e2e_exit_draw_calls)" == "$PANEL_DRAW_CALLS" ]] || e2e_fail "the empty part drew something"
echo "PASS"
