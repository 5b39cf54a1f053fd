# Models made elsewhere, of every size (../shared/real-models): each file alone, and the five
# parts of the printer extruder as one assembly. Each starts; its first view and its part view (M)
# show the model inside the free area left of the panel and below the text lines, touching no
# edge of it; the frame's triangles stay within six times the model's own, wireframe (W) and
# every outline band included; Escape ends the viewer normally.
source "$(dirname "$0")/lib.sh"
MODELS="$(realpath -m "$TESS_SOURCE_DIR/../shared/real-models")"
if [[ ! -d "$MODELS" ]]; then
  echo "SKIP: $MODELS is absent"
  exit 77
fi

# The free area at 800 x 600: left of the panel (x 540) and below the last text line (y 157.5).
# Framing keeps a twentieth of it clear on every side, so a strip along each edge stays empty.
FREE_EDGES=("4x446+0+154" "540x4+0+596" "10x446+530+154" "540x4+0+154")
SCENE="540x442+0+158"
# Triangles of the panel, its cursor and the text, beside the parts'.
GUI_TRIANGLES=400


# The part in focus is drawn in amber, the others in grey: red well above blue.
amber_pixels() {
  convert "$1" -crop "$2" +repage -fx '(r - b) > 0.2 ? 1 : 0' -format '%[fx:int(w*h*mean+0.5)]' info:
}

# expect_in_free_area PICTURE WHAT [COUNT]: the model (or, with COUNT amber_pixels, the part in
# focus) is drawn and clear of the free area's edges.
expect_in_free_area() {
  local picture="$1" what="$2" count="${3:-e2e_drawn_pixels}" edge drawn
  e2e_expect_drawn "$picture" "$SCENE" 2000 "$what"
  for edge in "${FREE_EDGES[@]}"; do
    drawn="$("$count" "$picture" "$edge")"
    (( drawn == 0 )) || e2e_fail "$what: $drawn pixels drawn at the edge $edge of the free area"
  done
}

# view NAME TRIANGLES AddComponent-LINES...: one run of the viewer with the parts given. The part
# view frames the part in focus; in an assembly the parts around it may reach beyond the area.
view() {
  local name="$1" triangles="$2" tpf focus=e2e_drawn_pixels
  shift 2
  (( $# > 1 )) && focus=amber_pixels
  e2e_enter_workdir
  e2e_copy_data
  printf '%s\n' "$@" >Data/Scripts/Equipment_Configuration.lua
  e2e_start
  e2e_find_window
  e2e_wait_running 60
  e2e_screenshot screen_shot_100001.bmp 60
  expect_in_free_area screen_shot_100001.bmp "$name, first view"
  e2e_press m
  e2e_screenshot screen_shot_100002.bmp 60
  expect_in_free_area screen_shot_100002.bmp "$name, part view" "$focus"
  e2e_press w
  sleep 1
  e2e_press Escape
  e2e_wait_exit 60
  e2e_expect_status 0
  grep -q "not read" Log.txt && e2e_fail "$name: a model was not read"
  tpf="$(sed -n 's/^         | FPS at exit: [0-9]* -- TPF at exit: \([0-9]*\) .*/\1/p' Log.txt)"
  (( tpf <= 6 * triangles + GUI_TRIANGLES )) ||
    e2e_fail "$name: $tpf triangles a frame for a model of $triangles"
  echo "$name: $triangles triangles, $tpf a frame in wireframe"
  e2e_leave_workdir
}

count=0
while IFS= read -r -d '' file; do
  triangles="$(session_model_triangles "$file")"
  [[ -n "$triangles" ]] || e2e_fail "no triangle count for $file"
  view "${file#"$MODELS"/}" "$triangles" "AddComponent(\"$file\", \"Part\", \"\", \"\", \"\", 0, 0, 0)"
  count=$((count + 1))
done < <(find "$MODELS" -maxdepth 2 -path "$MODELS/Prusa-extruder" -prune -o \
  \( -iname '*.stl' -o -iname '*.obj' -o -iname '*.ply' -o -iname '*.gltf' -o -iname '*.glb' \) -print0 | sort -z)
(( count >= 10 )) || e2e_fail "only $count models found in $MODELS"

# The extruder's parts as the example script assembles them, read from the repository root.
total=0
for file in "$MODELS"/Prusa-extruder/*.stl; do
  total=$((total + $(session_model_triangles "$file")))
done
cd "$TESS_SOURCE_DIR"
mapfile -t lines < <(sed "s#\"\.\./shared/real-models#\"$MODELS#g" Data/Scripts/Examples/Prusa_Extruder.lua)
view "Prusa extruder" "$total" "${lines[@]}"
echo "PASS"
