# The viewer opens its 800 x 600 window; Escape quits it: exit status 0 and a complete log.
source "$(dirname "$0")/lib.sh"
e2e_launch
# An 800 x 600 client area at the top-left corner of the screen.
geometry="$(xdotool getwindowgeometry "$WINDOW")"
[[ "$geometry" == *"Position: 0,0"* && "$geometry" == *"Geometry: 800x600"* ]] ||
  e2e_fail "unexpected window geometry: $geometry"
e2e_press Escape
e2e_wait_exit 20
e2e_expect_status 0
e2e_expect_normal_log
echo "PASS"
