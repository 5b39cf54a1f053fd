# Started where no display can be opened (DISPLAY names one that does not exist, as over a plain
# SSH session), the viewer says in Log.txt that it could not create its window and ends with a
# failure status at once: it neither runs unseen on a driver that needs no display nor hangs,
# whatever SDL_VIDEODRIVER asks for.
source "$(dirname "$0")/lib.sh"

NO_DISPLAY=":9999"
[[ -e /tmp/.X11-unix/X9999 ]] && { echo "display $NO_DISPLAY exists here"; exit 77; }

e2e_enter_workdir
e2e_link_data
# No Wayland compositor either: an empty runtime directory of our own.
mkdir -m 700 runtime
DISPLAY="$NO_DISPLAY" XDG_RUNTIME_DIR="$PWD/runtime" SDL_VIDEODRIVER=offscreen \
  env -u WAYLAND_DISPLAY "$RIGWRIGHT" >stdout.txt 2>stderr.txt &
APP_PID=$!
e2e_wait_exit 2
[[ "$APP_STATUS" != 0 ]] || e2e_fail "the viewer ended with status 0 without a window"
e2e_expect_log_begins_with_banner
e2e_expect_log_in_order \
  "Main     | WinMain started." \
  "Main     | The window could not be created."
if grep -qxF "Main     | Entering the message loop." Log.txt; then
  e2e_fail "the viewer entered its message loop without a window"
fi
e2e_expect_log_ends_with "Log      | Closing log file."
echo "PASS"
