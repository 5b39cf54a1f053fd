# The command line: --help and --version without a display; model files named relative to the
# folder the viewer is started in (an STL, a glTF and a missing one), each an assembly of one
# part, the missing one logged and left empty while the others are drawn; and an equipment
# script from another folder, whose models are taken from beside it.
source "$(dirname "$0")/lib.sh"

# Draw calls of a frame: the panel's thirteen and two for each part with a model (the part and
# its outline).
PANEL_DRAW_CALLS=13

# Runs the viewer on ARGS until its message loop runs, quits it with Escape and checks a normal
# exit and the draw calls of two parts with models.
run_two_parts() {
  "$RIGWRIGHT" "$@" >stdout.txt 2>stderr.txt &
  APP_PID=$!
  e2e_find_window
  e2e_wait_running
  sleep 0.5
  e2e_press Escape
  e2e_wait_exit 20
  e2e_expect_status 0
  e2e_expect_normal_log
  [[ "$(e2e_exit_draw_calls)" == $((PANEL_DRAW_CALLS + 2 * 2)) ]] ||
    e2e_fail "the last frame made $(e2e_exit_draw_calls) draw calls, not those of two parts"
}

e2e_enter_workdir
e2e_link_data

# ---- --help and --version: no display, the program not started
env -u DISPLAY "$RIGWRIGHT" --help >help.txt 2>help-err.txt || e2e_fail "--help ended with status $?"
grep -q "^Usage: rigwright \[FILE\.\.\. | EQUIPMENT\.lua\]" help.txt || e2e_fail "--help printed: $(cat help.txt)"
version="$(env -u DISPLAY "$RIGWRIGHT" --version)" || e2e_fail "--version ended with status $?"
[[ "$version" == "Rigwright 1.0.0" ]] || e2e_fail "--version printed '$version'"
status=0
env -u DISPLAY "$RIGWRIGHT" --frobnicate >/dev/null 2>bad.txt || status=$?
[[ "$status" == 2 ]] || e2e_fail "an unknown option ended with status $status, expected 2"
grep -q "unknown option --frobnicate" bad.txt || e2e_fail "an unknown option is not named: $(cat bad.txt)"
grep -q "WinMain started" Log.txt 2>/dev/null && e2e_fail "the viewer started although it only printed"

# ---- Model files, relative to the start folder, one of them missing
mkdir -p models
cp "$TESS_SOURCE_DIR/Data/Models/Valve_Flange_Outlet.ply" models/
cp "$TESS_SOURCE_DIR/Data/Models/Valve_Body.gltf" models/
run_two_parts models/Valve_Flange_Outlet.ply models/gone.stl models/Valve_Body.gltf
e2e_expect_log_in_order \
  "Main     | Equipment: $PWD/models/Valve_Flange_Outlet.ply: 1 part" \
  "Main     | Equipment: $PWD/models/Valve_Body.gltf: 1 part"
[[ "$(grep -c "gone\.stl" Log.txt)" == 1 ]] || e2e_fail "the missing file is not named in exactly one log line"
grep -q "^Main     | Equipment: $PWD/models/gone.stl not read: " Log.txt || e2e_fail "the missing file's line"

# ---- A script in another folder, its models beside it
started="$PWD"
mkdir -p elsewhere/rig
cp "$TESS_SOURCE_DIR/Data/Models/Valve_Handwheel.obj" elsewhere/rig/Wheel.obj
cp "$TESS_SOURCE_DIR/Data/Models/Valve_Bonnet.glb" elsewhere/rig/
cat >elsewhere/rig/valve.lua <<'LUA'
AddAssembly("Wheel.obj", { manufacturer = "Acme", position = {0, 40, 0} })
AddComponent("Valve_Bonnet.glb", "Bonnet", "Acme", "B-1", "", 0, 0, 0)
LUA
rm Log.txt
run_two_parts elsewhere/rig/valve.lua
e2e_expect_log_contains "Main     | Equipment: Wheel.obj: 1 part"
grep -q "not read" Log.txt && e2e_fail "a model beside the script was not read"
[[ "$PWD" == "$started" ]] || e2e_fail "the test left its folder"
echo "PASS"
