# The part-information panel on the real viewer: it is drawn on the right with its captions, the
# first part's texts and its four buttons; the mouse, moved with xdotool, reaches NEXT and clicks
# it: the part texts change and the camera glides to the next part (screenshots before, during
# and after differ); PREVIOUS brings the first part back; ZOOM IN changes the framing.
source "$(dirname "$0")/lib.sh"
# The real ImageMagick (a wrapper of another name may stand first on the PATH).
IM_CONVERT=/usr/bin/convert
IM_COMPARE=/usr/bin/compare

# Screen rectangles at 800 x 600 (width x height + left + top).
SCENE="500x440+20+140"        # the scene left of the panel, below the text lines
NAME_VALUE="200x45+560+45"    # the part name's value box
NUMBER_VALUE="200x45+560+225" # the part number's value box
NAME_CAPTION="160x30+560+15"  # "PART NAME:"

shot() {
  sleep 0.1
  import -window root -crop 800x600+0+0 +repage "$1.png" || e2e_fail "could not take a screenshot"
}

# Pixels of region GEOMETRY that differ between two screenshots (beyond a small tolerance).
differing() {
  "$IM_CONVERT" "$1.png" -crop "$3" +repage a.png
  "$IM_CONVERT" "$2.png" -crop "$3" +repage b.png
  "$IM_COMPARE" -metric AE -fuzz 6% a.png b.png null: 2>&1 | sed 's/[^0-9].*//' || true
}

expect_differ() {
  local count
  count="$(differing "$1" "$2" "$3")"
  echo "$1 / $2 in $3: $count pixels differ"
  (( count > $4 )) || e2e_fail "$1 and $2 differ in $count pixels of $3, expected more than $4"
}

expect_same() {
  local count
  count="$(differing "$1" "$2" "$3")"
  echo "$1 / $2 in $3: $count pixels differ"
  (( count <= $4 )) || e2e_fail "$1 and $2 differ in $count pixels of $3, expected at most $4"
}

# Share of light pixels in a region (text on the panel).
light_share() {
  "$IM_CONVERT" "$1.png" -crop "$2" +repage -colorspace Gray -threshold 45% -format '%[fx:mean]' info:
}

# "R G B" of one pixel.
pixel() {
  "$IM_CONVERT" "$1.png" -crop "1x1+$2+$3" -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:
}

e2e_launch
xdotool mousemove --window "$WINDOW" 400 300
sleep 0.5
# M hands the camera to the part in focus, so the mouse moves only the panel's cursor.
e2e_press m
sleep 0.5
shot start

# The panel: captions and values drawn in light text, four opaque blue buttons.
for region in "$NAME_CAPTION" "$NAME_VALUE" "$NUMBER_VALUE"; do
  share="$(light_share start "$region")"
  awk -v s="$share" 'BEGIN { exit !(s > 0.01 && s < 0.6) }' || e2e_fail "no text in $region (light share $share)"
done
for button in "575 470" "685 470" "575 530" "685 530"; do
  read -r r g b <<<"$(pixel start $button)"
  (( b > 90 && b > r + 60 && b > g + 60 )) || e2e_fail "no blue button at $button: $r $g $b"
done
read -r r g b <<<"$(pixel start 650 400)"
(( r < 110 && g < 110 && b < 110 )) || e2e_fail "the panel's surroundings are not the dark background: $r $g $b"

# The cursor starts at the panel's centre (660, 300); push it into the top-left corner of the
# panel (540, 15), whatever it got before, then onto NEXT (605, 477).
e2e_move_mouse -400 -400
e2e_move_mouse 65 462
shot before
e2e_click
sleep 0.6
shot during
sleep 2.0
shot after
expect_differ before after "$NAME_VALUE" 20
expect_differ before after "$NUMBER_VALUE" 20
expect_differ before during "$SCENE" 2000
expect_differ during after "$SCENE" 2000
expect_differ before after "$SCENE" 2000

# PREVIOUS (715, 477) brings the first part and its view back.
e2e_move_mouse 110 0
e2e_click
sleep 2.2
shot back
expect_same before back "$NAME_VALUE" 15
expect_same before back "$NUMBER_VALUE" 15
expect_same before back "$SCENE" 400

# ZOOM IN (605, 537) brings the camera closer to the part.
e2e_move_mouse -110 60
e2e_click
sleep 2.2
shot zoomed
expect_differ back zoomed "$SCENE" 4000
expect_same back zoomed "$NAME_VALUE" 15

e2e_press Escape
e2e_wait_exit 20
e2e_expect_status 0
e2e_expect_normal_log
echo "PASS"
