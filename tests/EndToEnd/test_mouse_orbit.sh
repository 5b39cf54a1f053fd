# The mouse has the camera at start, but only a drag orbits it: moving the mouse onto NEXT leaves
# the model where it was; a drag with the right button, or with the left one started away from
# the buttons, turns it; a click on NEXT turns nothing but the focus (the part line changes).
source "$(dirname "$0")/lib.sh"

SCENE="500x420+20+160"
PART_LINE="260x14+10+136"

e2e_launch
xdotool mousemove --window "$WINDOW" 400 300
sleep 0.5
e2e_screenshot screen_shot_100001.bmp

# From the panel's centre into its top-left corner (540, 15), then onto NEXT (605, 477).
e2e_move_mouse -400 -400
e2e_move_mouse 65 462
e2e_screenshot screen_shot_100002.bmp
moved="$(e2e_region_differs screen_shot_100001.bmp screen_shot_100002.bmp "$SCENE")"
(( moved <= 30 )) || e2e_fail "moving the mouse onto NEXT turned the model ($moved pixels changed)"

# A drag with the right button orbits.
xdotool mousedown 3
e2e_move_mouse 60 0
xdotool mouseup 3
e2e_screenshot screen_shot_100003.bmp
turned="$(e2e_region_differs screen_shot_100002.bmp screen_shot_100003.bmp "$SCENE")"
(( turned > 2000 )) || e2e_fail "a right-button drag did not orbit ($turned pixels changed)"

# A left drag that starts in the panel's top-left corner, away from the buttons, orbits too.
e2e_move_mouse -400 -400
xdotool mousedown 1
e2e_move_mouse 0 60
xdotool mouseup 1
e2e_screenshot screen_shot_100004.bmp
turned="$(e2e_region_differs screen_shot_100003.bmp screen_shot_100004.bmp "$SCENE")"
(( turned > 2000 )) || e2e_fail "a left-button drag did not orbit ($turned pixels changed)"

# Back onto NEXT (605, 477) and click: the focus moves to part 2.
e2e_move_mouse 65 402
e2e_click
sleep 2.2
e2e_screenshot screen_shot_100005.bmp
(( $(e2e_region_differs screen_shot_100004.bmp screen_shot_100005.bmp "$PART_LINE") > 10 )) ||
  e2e_fail "NEXT did not change the part line"

e2e_press Escape
e2e_wait_exit 20
e2e_expect_status 0
e2e_expect_normal_log
echo "PASS"
