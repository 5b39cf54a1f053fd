# Without the main part's model, or with one it cannot read, the viewer starts, draws the scene
# without that part and quits normally; Log.txt has one line that names the model and why.
source "$(dirname "$0")/lib.sh"
e2e_enter_workdir
e2e_copy_data
run_once() {
  local why="$1"
  e2e_start
  e2e_find_window
  e2e_wait_running
  sleep 0.5
  e2e_screenshot screen_shot_100001.bmp
  [[ "$(e2e_pixel screen_shot_100001.bmp 0 599)" == "404040" ]] || e2e_fail "no background drawn"
  e2e_press Escape
  e2e_wait_exit 20
  e2e_expect_status 0
  e2e_expect_normal_log
  e2e_expect_log_contains "CNode : ID : 0"
  grep -Eq '^         \| FPS at exit: [0-9]+ -- TPF at exit: [0-9]+ -- DPC at exit: [0-9]+$' Log.txt ||
    e2e_fail "no exit statistics"
  e2e_expect_log_contains "Main     | Equipment: model Data/Models/Edge_Mesh.ms3d not read: $why"
  [[ "$(grep -c 'not read' Log.txt)" == 1 ]] || e2e_fail "more than one line about the model"
  rm -f screen_shot_*.bmp
}
rm Data/Models/Edge_Mesh.ms3d
run_once "no such file"
# A file that claims to be a model and then ends.
printf 'MS3D000000\004\000\000\000\377\377\000\000' >Data/Models/Edge_Mesh.ms3d
run_once "the file is cut short"
# A model of version 2.
printf 'MS3D000000\002\000\000\000\000\000\000\000' >Data/Models/Edge_Mesh.ms3d
run_once "not a MilkShape 3D file of version 3 or 4"
echo "PASS"
