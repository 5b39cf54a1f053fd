# An equipment configuration script that never ends, or that fails, stops with the parts it added
# before: the viewer starts (a script that loops is stopped after its time limit), shows those
# parts with the panel, logs that the script stopped and after how many parts, and quits
# normally. The script's own message goes to standard error. A script that adds no part before
# it fails leaves the viewer with its main model alone.
source "$(dirname "$0")/lib.sh"

SCRIPT=Data/Scripts/Equipment_Configuration.lua
# Draw calls of the panel; each part adds two (the part and its outline).
PANEL_DRAW_CALLS=13

TWO_PARTS='AddComponent("Edge_Mesh.ms3d", "Test body", "Test maker", "TB-1", "First part", 0, 0, 0)
AddComponent("Valve_Bonnet.ms3d", "Test bonnet", "Test maker", "TB-2", "Second part", 0, 18, 0)'

# run_with_script TEXT PARTS MESSAGE: the viewer with this equipment script; it shows PARTS parts
# and writes MESSAGE on standard error.
run_with_script() {
  local text="$1" parts="$2" message="$3"
  e2e_enter_workdir
  e2e_copy_data
  printf '%s\n' "$text" >"$SCRIPT"
  e2e_start
  e2e_find_window
  # Beyond the script's time limit of five seconds.
  e2e_wait_running 40
  sleep 0.5
  e2e_screenshot screen_shot_100001.bmp
  e2e_expect_drawn screen_shot_100001.bmp "$E2E_SCENE" 20000 "the parts"
  e2e_expect_drawn screen_shot_100001.bmp "$E2E_PANEL" 50000 "the panel"
  e2e_press Escape
  e2e_wait_exit 20
  e2e_expect_status 0
  e2e_expect_normal_log
  e2e_expect_log_in_order \
    "Main     | Equipment: $SCRIPT stopped with an error after $parts parts" \
    "Main     | Entering the message loop."
  # Without a part from the script the main model stands alone.
  local drawn_parts=$(( parts > 0 ? parts : 1 ))
  [[ "$(grep -cE '^\+-CNode : ID : [0-9]+$' Log.txt)" == "$drawn_parts" ]] ||
    e2e_fail "the scene report does not list $drawn_parts parts"
  [[ "$(e2e_exit_draw_calls)" == $((PANEL_DRAW_CALLS + 2 * drawn_parts)) ]] ||
    e2e_fail "the last frame made $(e2e_exit_draw_calls) draw calls, expected $((PANEL_DRAW_CALLS + 2 * drawn_parts))"
  grep -qF -- "$message" stderr.txt || e2e_fail "standard error lacks '$message'"
  e2e_leave_workdir
}

run_with_script "$TWO_PARTS
while true do end" 2 "script stopped: it ran longer than"

run_with_script "$TWO_PARTS
error(\"the third part is not described yet\")
AddComponent(\"Valve_Handwheel.ms3d\", \"Never added\", \"Test maker\", \"TB-3\", \"Third part\", 0, 78, 0)" \
  2 "$SCRIPT:3: the third part is not described yet"

# Without a part the viewer shows its main model alone, as without a script.
run_with_script "AddComponent(\"Edge_Mesh.ms3d\", \"Unfinished\"" 0 "$SCRIPT"
echo "PASS"
