# The window taken away from outside ends the viewer as its close box does: the message loop
# ends, Shutdown runs, the log closes and the status is 0. Two ways, a run each:
#  - the X server kills the viewer's connection (xdotool windowkill; the server ending is the
#    same loss);
#  - another program destroys the window (xdotool windowclose), the connection staying up.
source "$(dirname "$0")/lib.sh"

for action in windowkill windowclose; do
  e2e_enter_workdir
  e2e_link_data
  e2e_start
  e2e_find_window
  e2e_wait_running
  sleep 0.5
  xdotool "$action" "$WINDOW" || e2e_fail "xdotool $action failed"
  e2e_wait_exit 20
  e2e_expect_status 0
  e2e_expect_normal_log
  e2e_expect_log_in_order \
    "Main     | Exiting the message loop." \
    "Renderer | Renderer has been destructed." \
    " -            World Entity Report               - "
  e2e_leave_workdir
done
echo "PASS"
