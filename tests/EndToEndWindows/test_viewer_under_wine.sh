# The Windows viewer under Wine on the test display, against the Linux viewer on the same data:
# the window opens, the log has the start-up lines, a screenshot (P) shows the equipment where
# the Linux viewer shows it, and Escape ends it with status 0.
#
# Environment: RIGWRIGHT_EXE (the Windows viewer), RIGWRIGHT (the Linux viewer, for the reference
# picture; the test is skipped without one), WINEPREFIX (the build's own prefix), TESS_SOURCE_DIR
# and DISPLAY.
: "${RIGWRIGHT_EXE:?RIGWRIGHT_EXE must name the Windows viewer}"
if [[ -z "${RIGWRIGHT:-}" || ! -x "${RIGWRIGHT:-}" ]]; then
  echo "SKIP: no Linux viewer to take the reference picture from (set RIGWRIGHT)"
  exit 77
fi
LINUX_VIEWER="$RIGWRIGHT"
source "$TESS_SOURCE_DIR/tests/EndToEnd/lib.sh"

# box IMAGE: "left top right bottom drawn" of the drawn pixels left of the panel and below the
# text lines, in window coordinates.
box() {
  e2e_region_pixels "$1" 540x440+0+160 | awk '!($3 == 64 && $4 == 64 && $5 == 64) {
      if (n++ == 0) { l = r = $1; t = b = $2 }
      if ($1 < l) l = $1; if ($1 > r) r = $1; if ($2 < t) t = $2; if ($2 > b) b = $2 }
    END { print l, t + 160, r, b + 160, n + 0 }'
}

# shoot VIEWER: the viewer's first screenshot, copied to the caller's folder as NAME.
shoot() {
  local name="$1"
  e2e_enter_workdir
  # Wine reads the data through its own file system: a copy, not a link out of the folder.
  e2e_copy_data
  e2e_start
  # Wine may take several seconds to show a window; the shared wait is made for native starts.
  local tick
  for tick in $(seq 600); do
    xdotool search --all --onlyvisible --pid "$APP_PID" --name "^${E2E_TITLE}\$" >/dev/null 2>&1 && break
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  e2e_find_window
  # A Windows program's Log.txt ends its lines with CR LF.
  for tick in $(seq 600); do
    tr -d '\r' <Log.txt 2>/dev/null | grep -qxF "Main     | Entering the message loop." && break
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the viewer ended before its message loop started"
    sleep 0.1
  done
  tr -d '\r' <Log.txt | grep -qxF "Main     | Entering the message loop." ||
    e2e_fail "the message loop did not start within 60 seconds"
  # Pressed again while no screenshot comes: under Wine the first frames can pass before
  # DirectInput has the keyboard.
  local attempt
  for attempt in 1 2 3 4 5 6; do
    [[ -f screen_shot_100001.bmp ]] && break
    e2e_press p
    for tick in $(seq 100); do
      [[ -f screen_shot_100001.bmp ]] && identify screen_shot_100001.bmp >/dev/null 2>&1 && break
      sleep 0.1
    done
  done
  identify screen_shot_100001.bmp >/dev/null 2>&1 || e2e_fail "no screenshot after six presses of P"
  sleep 1
  cp screen_shot_100001.bmp "$RESULTS/$name"
}

RESULTS="$(mktemp -d "${TMPDIR:-/tmp}/rigwright-wine.XXXXXX")"
trap 'rm -rf "$RESULTS"' EXIT

RIGWRIGHT="$LINUX_VIEWER"
shoot linux.bmp
e2e_press Escape
e2e_wait_exit 20
e2e_expect_status 0
e2e_leave_workdir

# Wine's loader becomes the Windows program's process, so the window carries its process number.
cat >"$RESULTS/wine-viewer" <<WRAPPER
#!/bin/sh
exec "$TESS_SOURCE_DIR/cmake/wine-run.sh" "$RIGWRIGHT_EXE" "\$@"
WRAPPER
chmod +x "$RESULTS/wine-viewer"
RIGWRIGHT="$RESULTS/wine-viewer"
# Wine takes keys from the X server's own input (XTEST), not from events sent to a window, and
# DirectInput reads the keyboard's state once a frame: the key stays down for several frames.
e2e_press() {
  timeout 5 xdotool windowfocus --sync "$WINDOW" >/dev/null 2>&1 || true
  xdotool keydown "$1" 2>/dev/null || true
  sleep 0.5
  xdotool keyup "$1" 2>/dev/null || true
}
shoot windows.bmp
e2e_press Escape
e2e_wait_exit 30
e2e_expect_status 0
grep -q $'\r$' Log.txt || e2e_fail "Log.txt does not end its lines as Windows text files do"
sed -i 's/\r$//' Log.txt
e2e_expect_normal_log
e2e_expect_log_contains "Renderer | Renderer has been constructed."
e2e_expect_log_contains "Renderer | Using 32-bit framebuffer."
grep -q "failed to load" Log.txt && e2e_fail "an effect file did not load under Direct3D 9"

read -r l1 t1 r1 b1 n1 <<<"$(box "$RESULTS/linux.bmp")"
read -r l2 t2 r2 b2 n2 <<<"$(box "$RESULTS/windows.bmp")"
echo "Linux:   equipment from ($l1, $t1) to ($r1, $b1), $n1 pixels"
echo "Windows: equipment from ($l2, $t2) to ($r2, $b2), $n2 pixels"
(( n1 > 20000 )) || e2e_fail "the Linux reference shows no equipment ($n1 pixels)"
# The two rasterisers may differ by a pixel or two along edges and in the outline's width.
for pair in "$l1 $l2" "$t1 $t2" "$r1 $r2" "$b1 $b2"; do
  read -r a b <<<"$pair"
  (( a - b <= 4 && b - a <= 4 )) || e2e_fail "the equipment is elsewhere under Wine: ($l2 $t2 $r2 $b2) against ($l1 $t1 $r1 $b1)"
done
(( n2 * 100 >= n1 * 95 && n2 * 100 <= n1 * 105 )) ||
  e2e_fail "the equipment covers $n2 pixels under Wine against $n1 on Linux"
echo "PASS"
