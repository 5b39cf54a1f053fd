# The slash key quits the viewer like Escape.
source "$(dirname "$0")/lib.sh"
e2e_enter_workdir
e2e_link_data
e2e_start
e2e_find_window
e2e_wait_running
e2e_press slash
e2e_wait_exit 20
e2e_expect_status 0
e2e_expect_normal_log
echo "PASS"
