# The equipment of Data/Scripts/Examples/Valve_Exchange_Formats.lua, one part in each exchange
# format (glTF, STL at scale 100, PLY, GLB, OBJ): every part is drawn where it stands (the part in
# focus turns amber as NEXT steps through them) and named in the panel and the part line, and the
# log names no model.
source "$(dirname "$0")/lib.sh"

NAME_VALUE="200x45+560+45"
PART_LINE="260x14+10+136"
SAMPLES=(Valve_Body.gltf Valve_Flange_Inlet.stl Valve_Flange_Outlet.ply Valve_Bonnet.glb Valve_Handwheel.obj)
# Draw calls of a frame with all five parts and their outlines (ten) and the panel (thirteen).
ALL_PARTS_DRAW_CALLS=23

use_example_equipment() {
  cp Data/Scripts/Examples/Valve_Exchange_Formats.lua Data/Scripts/Equipment_Configuration.lua
}

# Pixels of the scene left of the panel in the amber of the part in focus, counted on every
# other pixel of every other row.
amber_pixels() {
  convert "$1" -crop 540x600+0+0 +repage -sample 50% -depth 8 txt:- |
    sed -n 's/^[0-9]*,[0-9]*: *(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' |
    awk '$1 > $3 + 60 && $2 > $3 + 20 && $1 > 120' | wc -l
}

e2e_enter_workdir
e2e_copy_data
use_example_equipment
e2e_start
e2e_find_window
e2e_wait_running
sleep 0.5
e2e_screenshot screen_shot_100001.bmp
# The panel's cursor starts at its centre: into its top-left corner, then onto NEXT (605, 477).
e2e_move_mouse -400 -400
e2e_move_mouse 65 462
shots=(screen_shot_100001.bmp)
for part in 2 3 4 5; do
  e2e_click
  sleep 2.2
  shot="screen_shot_10000${part}.bmp"
  e2e_screenshot "$shot"
  shots+=("$shot")
done
for index in 0 1 2 3 4; do
  shot="${shots[$index]}"
  (( $(amber_pixels "$shot") > 400 )) || e2e_fail "${SAMPLES[$index]}: the part in focus is not drawn in $shot"
  if (( index > 0 )); then
    previous="${shots[$((index - 1))]}"
    (( $(e2e_region_differs "$previous" "$shot" "$NAME_VALUE") > 20 )) ||
      e2e_fail "${SAMPLES[$index]}: the panel does not name the part"
    (( $(e2e_region_differs "$previous" "$shot" "$PART_LINE") > 10 )) ||
      e2e_fail "${SAMPLES[$index]}: the part line does not change"
  fi
done
e2e_press Escape
e2e_wait_exit 20
e2e_expect_status 0
e2e_expect_normal_log
grep -q "not read:\|units across" Log.txt && e2e_fail "the log names a model"
[[ "$(e2e_exit_draw_calls)" == "$ALL_PARTS_DRAW_CALLS" ]] || e2e_fail "the last frame made $(e2e_exit_draw_calls) draw calls"
echo "PASS"
