# Closing the window ends the viewer the way a quit key does.
source "$(dirname "$0")/lib.sh"
e2e_launch
e2e_close
e2e_wait_exit 20
e2e_expect_status 0
e2e_expect_normal_log
echo "PASS"
