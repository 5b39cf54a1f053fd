# The equipment of Data/Scripts/Examples/Valve_Exchange_Formats.lua with every one of its files
# (glTF, STL, PLY, GLB, OBJ) broken, cut to its last third: the viewer starts quietly and quits
# normally, each part stays in the list, empty, and the log names each file once with the reason
# it could not be read.
source "$(dirname "$0")/lib.sh"

SAMPLES=(Valve_Body.gltf Valve_Flange_Inlet.stl Valve_Flange_Outlet.ply Valve_Bonnet.glb Valve_Handwheel.obj)
# Draw calls of a frame with all five parts and their outlines (ten) and the panel (thirteen).
ALL_PARTS_DRAW_CALLS=23

e2e_enter_workdir
e2e_copy_data
cp Data/Scripts/Examples/Valve_Exchange_Formats.lua Data/Scripts/Equipment_Configuration.lua
for sample in "${SAMPLES[@]}"; do
  size=$(stat -c %s "Data/Models/$sample")
  tail -c $((size / 3)) "Data/Models/$sample" >broken && mv broken "Data/Models/$sample"
done
e2e_start
e2e_find_window
e2e_wait_running
sleep 0.5
e2e_screenshot screen_shot_100001.bmp
e2e_expect_drawn screen_shot_100001.bmp "$E2E_PANEL" 50000 "the panel"
e2e_press Escape
e2e_wait_exit 20
e2e_expect_status 0
e2e_expect_normal_log
# What the viewer itself wrote to standard error: a sanitizer build adds its summary of the
# suppressed library leaks at exit.
own_stderr() { grep -vE '^-+$|^Suppressions used:|^ +count +bytes +template$|^ +[0-9]+ +[0-9]+ |^$' stderr.txt || true; }
[[ -z "$(own_stderr)" ]] || e2e_fail "the viewer wrote to standard error: $(own_stderr)"
for sample in "${SAMPLES[@]}"; do
  [[ "$(grep -c "^Main     | Equipment: model Data/Models/$sample not read: ." Log.txt)" == 1 ]] ||
    e2e_fail "the log does not name $sample once"
done
[[ "$(grep -cE '^\+-CNode : ID : [0-9]+$' Log.txt)" == 5 ]] || e2e_fail "the scene report does not list five parts"
[[ "$(e2e_exit_draw_calls)" == $((ALL_PARTS_DRAW_CALLS - 10)) ]] ||
  e2e_fail "the last frame made $(e2e_exit_draw_calls) draw calls, expected $((ALL_PARTS_DRAW_CALLS - 10))"
echo "PASS"
