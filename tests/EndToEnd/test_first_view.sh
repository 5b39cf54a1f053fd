# The first frame: the whole equipment stands framed in the free area left of the panel and below
# the text lines, touching neither the window's edges nor the panel, large enough to fill most of
# that area; the help lines name every key and the part line names the part in focus.
source "$(dirname "$0")/lib.sh"

# bounding_box IMAGE GEOMETRY: "left top right bottom" of the drawn pixels of the region, in the
# region's own coordinates.
bounding_box() {
  e2e_region_pixels "$1" "$2" | awk '!($3 == 64 && $4 == 64 && $5 == 64) {
      if (n++ == 0) { l = r = $1; t = b = $2 }
      if ($1 < l) l = $1; if ($1 > r) r = $1; if ($2 < t) t = $2; if ($2 > b) b = $2 }
    END { print l, t, r, b }'
}

e2e_launch
e2e_screenshot screen_shot_100001.bmp
shot=screen_shot_100001.bmp

# Nothing at the window's left, top and bottom edges, nor just left of the panel (x = 540).
for edge in 3x600+0+0 540x3+0+0 540x3+0+597 4x600+536+0; do
  drawn="$(e2e_drawn_pixels $shot $edge)"
  (( drawn == 0 )) || e2e_fail "the equipment touches the edge $edge ($drawn pixels)"
done
# Below the text lines the equipment fills most of the free area.
read -r left top right bottom <<<"$(bounding_box $shot 540x440+0+160)"
echo "equipment from ($left, $((top + 160))) to ($right, $((bottom + 160)))"
(( bottom - top > 300 || right - left > 400 )) || e2e_fail "the equipment is not framed: ($left $top $right $bottom)"
(( left > 20 && right < 520 )) || e2e_fail "the equipment is not centred left of the panel: $left .. $right"

# Three more yellow lines below the statistics and the two first help lines: the other keys and
# the part in focus.
yellow="$(e2e_region_pixels $shot 420x45+10+105 | awk '$3 > 200 && $4 > 200 && $5 < 90' | wc -l)"
(( yellow > 300 )) || e2e_fail "no help and part lines below the first two ($yellow yellow pixels)"

e2e_press Escape
e2e_wait_exit 20
e2e_expect_status 0
e2e_expect_normal_log
echo "PASS"
