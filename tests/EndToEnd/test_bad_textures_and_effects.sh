# Broken files the renderer reads, each in a run of its own: the viewer starts, draws everything
# that does not depend on the broken file, logs what failed, and quits normally.
#  - a truncated DDS texture (the panel's buttons): "Load texture :: ... :: failed", and the
#    buttons are drawn in their own colour;
#  - an effect file with a syntax error (the parts' effect): the parser's message and
#    "Effect file :: ... failed to load."; the parts draw nothing, the outlines and the panel do;
#  - an effect with a stage that does not compile (the outlines' effect): the compiler's message
#    on one line and "Effect file :: ... failed to load."; the outlines draw nothing, the parts do;
#  - an effect none of whose techniques links (the outlines' effect): no technique line and no
#    message, and the effect still loads; the outlines draw nothing, the parts do.
source "$(dirname "$0")/lib.sh"

# Draw calls of a frame with all five parts and their outlines (ten) and the panel (thirteen).
ALL_DRAW_CALLS=23
PART_COUNT=5

run_once() {
  e2e_start
  e2e_find_window
  e2e_wait_running
  sleep 0.5
  e2e_screenshot screen_shot_100001.bmp
  e2e_press Escape
  e2e_wait_exit 20
  e2e_expect_status 0
  e2e_expect_normal_log
}

expect_draw_calls() {
  [[ "$(e2e_exit_draw_calls)" == "$1" ]] ||
    e2e_fail "the last frame made $(e2e_exit_draw_calls) draw calls, expected $1"
}

# The lines Log.txt holds from "Loading effect file :: NAME" to the block's last separator.
effect_block() {
  sed -n "/^         | Loading effect file :: $1\$/,/^         | Effect file :: $1 /p" Log.txt
}

# ---- A truncated texture ------------------------------------------------------------------------
e2e_enter_workdir
e2e_copy_data
head -c 1000 "$TESS_SOURCE_DIR/Data/Textures/button_texture_4.dds" >Data/Textures/button_texture_4.dds
run_once
e2e_expect_log_contains "Renderer | Load texture :: button_texture_4.dds :: failed"
if grep -qF "Load texture :: button_texture_4.dds :: successful" Log.txt; then
  e2e_fail "the truncated texture was reported as loaded"
fi
e2e_expect_drawn screen_shot_100001.bmp "$E2E_SCENE" 50000 "the parts"
e2e_expect_drawn screen_shot_100001.bmp "$E2E_PANEL" 50000 "the panel"
# NEXT, PREVIOUS, ZOOM IN and ZOOM OUT, untextured, in their opaque blue.
for button in "575 470" "685 470" "575 530" "685 530"; do
  # shellcheck disable=SC2086
  color="$(e2e_pixel screen_shot_100001.bmp $button)"
  r=$((16#${color:0:2})) g=$((16#${color:2:2})) b=$((16#${color:4:2}))
  (( b > 90 && b > r + 60 && b > g + 60 )) || e2e_fail "no blue button at ($button): $color"
done
expect_draw_calls "$ALL_DRAW_CALLS"
e2e_leave_workdir

# ---- An effect file with a syntax error -----------------------------------------------------------
e2e_enter_workdir
e2e_copy_data
# The first parameter loses its ';'.
sed -i 's/^float4x4 World : World;$/float4x4 World : World/' Data/Effects/default_color.fx
cmp -s Data/Effects/default_color.fx "$TESS_SOURCE_DIR/Data/Effects/default_color.fx" &&
  e2e_fail "could not break default_color.fx"
run_once
block="$(effect_block default_color.fx)"
[[ -n "$block" ]] || e2e_fail "no loading block for default_color.fx"
expected="$(printf '%s\n' \
  "         | Loading effect file :: default_color.fx" \
  "         | ------------------------------------------------------------" \
  "         | Data/Effects/default_color.fx(10): error: expected ';' but found 'float4x4'" \
  "         | ------------------------------------------------------------" \
  "         | Effect file :: default_color.fx failed to load.")"
[[ "$block" == "$expected" ]] || e2e_fail "the loading block of default_color.fx is not the failure block: $block"
# The outlines (dark, all their edges) and the panel are drawn; the parts are not.
e2e_expect_drawn screen_shot_100001.bmp "$E2E_SCENE" 20000 "the outlines"
e2e_expect_drawn screen_shot_100001.bmp "$E2E_PANEL" 50000 "the panel"
expect_draw_calls $((ALL_DRAW_CALLS - PART_COUNT))
e2e_leave_workdir

# ---- An effect with a stage that does not compile --------------------------------------------------
e2e_enter_workdir
e2e_copy_data
# The outline's pixel stage reads a value that does not exist, and a second technique, whose
# stages are compiled at loading as well, calls a function that does not exist.
sed -i 's/PixelColor = vec4(OutlineColor.rgb, 1.0);/PixelColor = vec4(NoSuchValue.rgb, 1.0);/' Data/Effects/Edge_Mesh.fx
cat >>Data/Effects/Edge_Mesh.fx <<'FX'

glsl FallbackPS
{
    void main()
    {
        PixelColor = NoSuchFunction();
    }
}

technique Fallback
{
    pass P0
    {
        VertexShader = FinVS;
        PixelShader = FallbackPS;
    }
}
FX
grep -q NoSuchValue Data/Effects/Edge_Mesh.fx || e2e_fail "could not break Edge_Mesh.fx"
run_once
block="$(effect_block Edge_Mesh.fx)"
[[ "$(wc -l <<<"$block")" == 5 ]] || e2e_fail "the loading block of Edge_Mesh.fx is not the failure block: $block"
[[ "$(sed -n 1p <<<"$block")" == "         | Loading effect file :: Edge_Mesh.fx" ]] ||
  e2e_fail "the loading block of Edge_Mesh.fx does not begin with its heading: $block"
# The compiler's text, all of it on the one line between the separators.
sed -n 3p <<<"$block" | grep -q '^         | Data/Effects/Edge_Mesh.fx([0-9]*): error: .*NoSuchValue' ||
  e2e_fail "the compiler's message is not the error line of Edge_Mesh.fx: $block"
[[ "$(sed -n 5p <<<"$block")" == "         | Effect file :: Edge_Mesh.fx failed to load." ]] ||
  e2e_fail "Edge_Mesh.fx did not end its block as failed: $block"
e2e_expect_drawn screen_shot_100001.bmp "$E2E_SCENE" 50000 "the parts"
e2e_expect_drawn screen_shot_100001.bmp "$E2E_PANEL" 50000 "the panel"
expect_draw_calls $((ALL_DRAW_CALLS - PART_COUNT))
e2e_leave_workdir

# ---- An effect none of whose techniques links ---------------------------------------------------------
e2e_enter_workdir
e2e_copy_data
# The outline's pixel stage calls a function it declares and nobody defines: it compiles, and
# does not link.
sed -i -e '/^glsl FinPS$/,/^}$/ s/^    void main()$/    vec4 Undefined();\n    void main()/' \
  -e 's/PixelColor = vec4(OutlineColor.rgb, 1.0);/PixelColor = Undefined();/' \
  Data/Effects/Edge_Mesh.fx
grep -q "= Undefined()" Data/Effects/Edge_Mesh.fx || e2e_fail "could not break Edge_Mesh.fx"
run_once
block="$(effect_block Edge_Mesh.fx)"
expected="$(printf '%s\n' \
  "         | Loading effect file :: Edge_Mesh.fx" \
  "         | ------------------------------------------------------------" \
  "         | >    valid parameter :: World -> World" \
  "         | >    valid parameter :: WorldViewProj -> WorldViewProjection" \
  "         | >    valid parameter :: EyePosition -> ViewPosition" \
  "         | >    valid parameter :: Displacement -> ViewParm0" \
  "         | >    valid parameter :: OutlineColor -> ObjectParm0" \
  "         | >    valid parameter :: PartSize -> ObjectParm1" \
  "         | >    valid parameter :: EyeInModel -> ObjectParm2" \
  "         | >" \
  "         | ------------------------------------------------------------" \
  "         | Effect file :: Edge_Mesh.fx successfully loaded.")"
[[ "$block" == "$expected" ]] ||
  e2e_fail "the loading block of Edge_Mesh.fx is not that of an effect without a technique: $block"
e2e_expect_drawn screen_shot_100001.bmp "$E2E_SCENE" 50000 "the parts"
e2e_expect_drawn screen_shot_100001.bmp "$E2E_PANEL" 50000 "the panel"
expect_draw_calls $((ALL_DRAW_CALLS - PART_COUNT))
e2e_leave_workdir
echo "PASS"
