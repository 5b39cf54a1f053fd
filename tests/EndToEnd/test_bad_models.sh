# A part whose model file is empty, or whose triangles name a vertex the file does not have,
# stays in the equipment as an empty part: the viewer starts, draws the other parts and the
# panel, and quits normally. One line of Log.txt names the model and why it was not read; the
# scene report still lists all five parts, and the last frame makes two draw calls fewer (the
# empty part and its outline draw nothing). PREVIOUS from the first part puts the empty last part in focus: its
# texts appear in the panel and the viewer goes on.
source "$(dirname "$0")/lib.sh"

# Draw calls of a frame with all five parts and their outlines (ten) and the panel (thirteen).
ALL_PARTS_DRAW_CALLS=23
NAME_VALUE="200x45+560+45"

# corrupt_vertex_index FILE: the third corner of the middle triangle names vertex N, one past
# the last vertex (little-endian uint16 fields, as the model format stores them).
corrupt_vertex_index() {
  local file="$1" bytes vertex_count triangles triangle_count offset
  read -ra bytes <<<"$(od -An -tu1 -j14 -N2 "$file")"
  vertex_count=$((bytes[0] + 256 * bytes[1]))
  triangles=$((16 + vertex_count * 15))
  read -ra bytes <<<"$(od -An -tu1 -j"$triangles" -N2 "$file")"
  triangle_count=$((bytes[0] + 256 * bytes[1]))
  (( triangle_count > 0 )) || e2e_fail "$file has no triangle to corrupt"
  # Triangle record: flags (2), then the corners a, b, c (2 each).
  offset=$((triangles + 2 + (triangle_count / 2) * 70 + 2 + 4))
  printf "\\x$(printf %02x $((vertex_count & 255)))\\x$(printf %02x $((vertex_count >> 8)))" |
    dd of="$file" bs=1 seek="$offset" conv=notrunc status=none
  read -ra bytes <<<"$(od -An -tu1 -j"$offset" -N2 "$file")"
  (( bytes[0] + 256 * bytes[1] == vertex_count )) || e2e_fail "could not patch $file"
}

# run_with_empty_part: the viewer with the current Data; the last part (the handwheel) is the
# broken one.
run_with_empty_part() {
  local what="$1" why="$2"
  e2e_start
  e2e_find_window
  e2e_wait_running
  xdotool mousemove --window "$WINDOW" 400 300
  sleep 0.5
  e2e_screenshot screen_shot_100001.bmp
  e2e_expect_drawn screen_shot_100001.bmp "$E2E_SCENE" 50000 "$what: the other parts"
  e2e_expect_drawn screen_shot_100001.bmp "$E2E_PANEL" 50000 "$what: the panel"

  # M hands the camera to the part in focus, so the mouse moves only the panel's cursor: from
  # the panel's centre into its top-left corner (540, 15), then onto PREVIOUS (715, 477).
  e2e_press m
  e2e_move_mouse -400 -400
  e2e_move_mouse 175 462
  e2e_click
  sleep 2
  e2e_screenshot screen_shot_100002.bmp
  kill -0 "$APP_PID" 2>/dev/null || e2e_fail "$what: the viewer ended when the empty part took the focus"
  (( $(e2e_region_differs screen_shot_100001.bmp screen_shot_100002.bmp "$NAME_VALUE") > 20 )) ||
    e2e_fail "$what: the panel does not show the empty part's name"

  e2e_press Escape
  e2e_wait_exit 20
  e2e_expect_status 0
  e2e_expect_normal_log
  e2e_expect_log_contains "Main     | Equipment: model Data/Models/Valve_Handwheel.ms3d not read: $why"
  [[ "$(grep -c 'not read' Log.txt)" == 1 ]] || e2e_fail "$what: more than one line about unread models"
  [[ "$(grep -cE '^\+-CNode : ID : [0-9]+$' Log.txt)" == 5 ]] ||
    e2e_fail "$what: the scene report does not list five parts"
  [[ "$(e2e_exit_draw_calls)" == $((ALL_PARTS_DRAW_CALLS - 2)) ]] ||
    e2e_fail "$what: the last frame made $(e2e_exit_draw_calls) draw calls, expected $((ALL_PARTS_DRAW_CALLS - 2))"
}

e2e_enter_workdir
e2e_copy_data
: >Data/Models/Valve_Handwheel.ms3d
run_with_empty_part "empty model file" "the file is cut short"
e2e_leave_workdir

e2e_enter_workdir
e2e_copy_data
corrupt_vertex_index Data/Models/Valve_Handwheel.ms3d
run_with_empty_part "vertex index out of range" "a triangle names a vertex the file does not have"
e2e_leave_workdir
echo "PASS"
