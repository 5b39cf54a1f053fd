# The slash key quits the viewer like Escape.
source "$(dirname "$0")/lib.sh"
e2e_launch
e2e_press slash
e2e_wait_exit 20
e2e_expect_status 0
e2e_expect_normal_log
echo "PASS"
