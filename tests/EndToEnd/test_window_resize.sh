# A window of another size gets a picture of that size: at 1280 x 960 the screenshot is that
# large, the panel keeps its size at the right edge, the text is drawn pixel for pixel as at
# 800 x 600 (not stretched), and the valve stays framed in the free area left of the panel.
# Back at 800 x 600 the picture is the one the viewer started with.
source "$(dirname "$0")/lib.sh"

# e2e_size_of IMAGE: "WIDTHxHEIGHT".
size_of() {
  identify -format '%wx%h' "$1"
}

# The panel's background, just inside its left edge, and the clear colour just outside it.
expect_panel_at() {
  local picture="$1" left="$2" inside outside reference
  reference="$(e2e_pixel screen_shot_100001.bmp 545 300)"
  inside="$(e2e_pixel "$picture" $((left + 5)) 300)"
  outside="$(e2e_pixel "$picture" $((left - 5)) 300)"
  [[ "$inside" == "$reference" ]] || e2e_fail "$picture: $inside inside the panel at x $((left + 5)), expected $reference"
  [[ "$outside" == "404040" ]] || e2e_fail "$picture: $outside left of the panel at x $((left - 5))"
  [[ "$(e2e_pixel "$picture" $((left + 5)) 580)" == "$reference" ]] || e2e_fail "$picture: the panel is shorter"
  [[ "$(e2e_pixel "$picture" $((left + 5)) 590)" == "404040" ]] || e2e_fail "$picture: the panel is taller"
}

e2e_launch
sleep 1
e2e_screenshot screen_shot_100001.bmp
[[ "$(size_of screen_shot_100001.bmp)" == 800x600 ]] || e2e_fail "the first picture is $(size_of screen_shot_100001.bmp)"

xdotool windowsize "$WINDOW" 1280 960
sleep 1.5
e2e_screenshot screen_shot_100002.bmp
[[ "$(size_of screen_shot_100002.bmp)" == 1280x960 ]] || e2e_fail "the picture is $(size_of screen_shot_100002.bmp) in a 1280 x 960 window"
# The panel: 240 pixels wide, 20 from the right edge.
expect_panel_at screen_shot_100002.bmp 1020
# The help lines, pixel for pixel.
convert screen_shot_100001.bmp -crop 420x75+0+75 +repage help_small.png
convert screen_shot_100002.bmp -crop 420x75+0+75 +repage help_large.png
differing="$(compare -metric AE help_small.png help_large.png null: 2>&1 | sed 's/[^0-9].*//' || true)"
(( differing == 0 )) || e2e_fail "$differing pixels of the help lines differ at 1280 x 960: stretched text"
# The valve inside the free area (0 to 1020 across, below the text lines), clear of its edges.
e2e_expect_drawn screen_shot_100002.bmp 1020x800+0+158 20000 "the valve at 1280 x 960"
for edge in 4x800+0+158 1020x4+0+956 10x800+1010+158 1020x4+0+154; do
  drawn="$(e2e_drawn_pixels screen_shot_100002.bmp "$edge")"
  (( drawn == 0 )) || e2e_fail "$drawn pixels drawn at the edge $edge of the free area at 1280 x 960"
done

xdotool windowsize "$WINDOW" 800 600
sleep 1.5
e2e_screenshot screen_shot_100003.bmp
[[ "$(size_of screen_shot_100003.bmp)" == 800x600 ]] || e2e_fail "back at 800 x 600 the picture is $(size_of screen_shot_100003.bmp)"
# The statistics lines change from frame to frame.
convert screen_shot_100001.bmp -fill black -draw "rectangle 0,0 260,70" before.png
convert screen_shot_100003.bmp -fill black -draw "rectangle 0,0 260,70" after.png
differing="$(compare -metric AE -fuzz 6% before.png after.png null: 2>&1 | sed 's/[^0-9].*//' || true)"
(( differing <= 20 )) || e2e_fail "back at 800 x 600, $differing pixels differ from the first picture"

e2e_press Escape
e2e_wait_exit
e2e_expect_status 0
e2e_expect_normal_log
echo "PASS"
