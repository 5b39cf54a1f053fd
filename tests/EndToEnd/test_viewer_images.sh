# The viewer draws the valve on its dark grey background with a dark outline and the yellow
# statistics in the top-left corner; P saves numbered 800 x 600 screenshots, W switches the
# equipment (not the panel) to wireframe, Escape quits, and the log tells the whole run in order.
source "$(dirname "$0")/lib.sh"
e2e_launch
sleep 1
e2e_screenshot screen_shot_100001.bmp
e2e_screenshot screen_shot_100002.bmp
for shot in screen_shot_100001.bmp screen_shot_100002.bmp; do
  [[ "$(identify -format '%w x %h' "$shot")" == "800 x 600" ]] || e2e_fail "$shot is not 800 x 600"
done
shot=screen_shot_100002.bmp

# The background at the four corners, the equipment in the middle of the free area left of the
# panel and below the text lines.
for corner in "0 0" "799 0" "0 599" "799 599"; do
  # shellcheck disable=SC2086
  [[ "$(e2e_pixel $shot $corner)" == "404040" ]] || e2e_fail "corner ($corner) is not the background"
done
[[ "$(e2e_pixel $shot 270 380)" != "404040" ]] || e2e_fail "nothing is drawn in the middle"

# Along rows across the part, the first pixels of the part from either side are outline: dark
# pixels within a few pixels of where the background ends. The part-information panel covers the
# right of the window from x = 540: rows are looked at left of it, and from the right only where
# the part ends before the panel begins.
outlined=0
crossed=0
for y in $(seq 190 20 570); do
  row="$(e2e_region_pixels $shot 540x1+0+$y)"
  orders=""
  # shellcheck disable=SC2086
  [[ "$(e2e_pixel $shot 539 $y)" == "404040" ]] && orders="-r"
  for order in "" $orders; do
    # shellcheck disable=SC2086
    result="$(echo "$row" | sort -n -k1 $order | awk '
      !started && !($3 == 64 && $4 == 64 && $5 == 64) { started = 1; first = NR }
      started && NR - first <= 4 && $3 < 48 && $4 < 48 && $5 < 48 { dark = 1 }
      END { print (started ? 1 : 0) " " (dark ? 1 : 0) }')"
    crossed=$((crossed + ${result% *}))
    outlined=$((outlined + ${result#* }))
  done
done
(( crossed >= 19 )) || e2e_fail "the part spans only $crossed of the rows looked at"
(( outlined * 10 >= crossed * 9 )) || e2e_fail "only $outlined of $crossed silhouette crossings are outlined"

# Yellow text in the top-left corner.
yellow="$(e2e_region_pixels $shot 240x80+5+25 | awk '$3 > 200 && $4 > 200 && $5 < 90' | wc -l)"
(( yellow > 50 )) || e2e_fail "no yellow text in the top-left corner ($yellow pixels)"

# W: wireframe changes the picture.
e2e_press w
sleep 0.5
e2e_screenshot screen_shot_100003.bmp
changed="$(compare -metric AE screen_shot_100002.bmp screen_shot_100003.bmp null: 2>&1 || true)"
(( ${changed%% *} > 2000 )) || e2e_fail "wireframe changed only $changed pixels"
# Wireframe is for the equipment: the panel's buttons stay solid. They are translucent, so the
# ones looked at are those in front of the background alone, ZOOM IN and ZOOM OUT.
for region in 80x36+566+520 80x36+676+520; do
  panel_changed="$(e2e_region_differs screen_shot_100002.bmp screen_shot_100003.bmp "$region")"
  (( panel_changed < 20 )) || e2e_fail "wireframe changed $panel_changed pixels of the panel at $region"
done

e2e_press Escape
e2e_wait_exit 20
e2e_expect_status 0
e2e_expect_normal_log
e2e_expect_log_in_order \
  "Log      | Opening log file." \
  "Renderer | Renderer has been constructed." \
  "Renderer | Using 32-bit framebuffer." \
  "         | Effect file :: default.fx successfully loaded." \
  "         | Effect file :: Edge_Mesh.fx successfully loaded." \
  "         | Effect file :: default_color.fx successfully loaded." \
  "CNode : ID : 0" \
  "+-CNode : ID : 27" \
  "| +-CEntity : ID : 28" \
  "Main     | Entering the message loop." \
  "Main     | Exiting the message loop." \
  "Renderer | Renderer has been destructed." \
  " -            World Entity Report               - " \
  "Log      | Closing log file."
# Ten draw calls of the parts and their outlines, thirteen of the panel.
grep -Eq '^         \| FPS at exit: [0-9]+ -- TPF at exit: [1-9][0-9]* -- DPC at exit: 23$' Log.txt ||
  e2e_fail "no exit statistics line of a drawn frame"
exit_line="$(grep -n 'FPS at exit' Log.txt | cut -d: -f1)"
exiting_line="$(grep -n 'Exiting the message loop' Log.txt | cut -d: -f1)"
report_line="$(grep -n 'World Entity Report' Log.txt | cut -d: -f1)"
(( exiting_line < exit_line && exit_line < report_line )) || e2e_fail "the exit statistics are out of place"
echo "PASS"
