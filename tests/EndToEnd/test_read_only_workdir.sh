# In a working directory it cannot write to, the viewer still starts, draws and quits normally:
# no Log.txt can be created, and P writes no screenshot and does not stop it. Nothing appears in
# the directory.
#
# Root writes to a directory whatever its mode, so under root (as in CI) the viewer runs as the
# unprivileged user nobody (setpriv); the test checks first that this user really cannot write
# there. The frame is read from the display, since the viewer cannot save one.
source "$(dirname "$0")/lib.sh"

SKIPPED=77
NOBODY=65534

e2e_enter_workdir
# The viewer's copy, its output and the display's screenshots stay outside the directory it runs
# in; an unprivileged user may pass through to it.
chmod 711 "$E2E_WORKDIR"
cp "$RIGWRIGHT" "$E2E_WORKDIR/rigwright"
chmod 755 "$E2E_WORKDIR/rigwright"
mkdir run
(cd run && e2e_copy_data)
chmod -R a+rX,a-w run

RUNNER=()
if (( EUID == 0 )); then
  if ! command -v setpriv >/dev/null; then
    echo "SKIPPED: running as root, and setpriv is missing to run the viewer as an unprivileged user"
    exit "$SKIPPED"
  fi
  RUNNER=(setpriv --reuid="$NOBODY" --regid="$NOBODY" --clear-groups)
fi
if "${RUNNER[@]}" touch run/probe 2>/dev/null; then
  rm -f run/probe
  e2e_fail "the viewer's user can still write to the read-only directory"
fi
# Both depend on the machine (a temporary directory inside a private one, a display that asks
# for root's cookie), not on the viewer.
if ! "${RUNNER[@]}" test -x "$E2E_WORKDIR/rigwright" -a -r "$E2E_WORKDIR/run/Data/Models/Edge_Mesh.ms3d"; then
  echo "SKIPPED: the unprivileged user cannot reach $E2E_WORKDIR/run"
  exit "$SKIPPED"
fi
if ! "${RUNNER[@]}" xdotool getdisplaygeometry >/dev/null 2>&1; then
  echo "SKIPPED: the unprivileged user cannot open the display $DISPLAY"
  exit "$SKIPPED"
fi

cd run
# HOME points into the same directory, so nothing the libraries cache finds a place either.
"${RUNNER[@]}" env HOME="$PWD" "$E2E_WORKDIR/rigwright" >"$E2E_WORKDIR/stdout.txt" 2>"$E2E_WORKDIR/stderr.txt" &
APP_PID=$!
e2e_find_window

# take_frame NAME: the window's 800 x 600 at the top-left corner of the display.
take_frame() {
  import -window root -crop 800x600+0+0 +repage "$E2E_WORKDIR/$1.png" || e2e_fail "could not read the display"
}

# No log tells when the loop runs: wait until a frame shows the clear colour in the corner and
# the parts in the scene.
drawn=""
for attempt in $(seq 60); do
  kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the viewer ended in a read-only directory"
  take_frame frame
  if [[ "$(e2e_pixel "$E2E_WORKDIR/frame.png" 0 599)" == "404040" ]] &&
    (( $(e2e_drawn_pixels "$E2E_WORKDIR/frame.png" "$E2E_SCENE") > 50000 )); then
    drawn=1
    break
  fi
  sleep 0.5
done
[[ -n "$drawn" ]] || e2e_fail "no frame with the parts was drawn within 30 seconds"
e2e_expect_drawn "$E2E_WORKDIR/frame.png" "$E2E_PANEL" 50000 "the panel"

e2e_press p
sleep 1.5
kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the viewer ended on a screenshot it could not write"
e2e_press Escape
e2e_wait_exit 20
e2e_expect_status 0
[[ "$(ls -A .)" == "Data" ]] || e2e_fail "something was written in the read-only directory: $(ls -A .)"
echo "PASS"
