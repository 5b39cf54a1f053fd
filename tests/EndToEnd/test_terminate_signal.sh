# A termination request (SIGTERM, as at the end of a session) shuts the viewer down normally.
source "$(dirname "$0")/lib.sh"
e2e_launch
kill -TERM "$APP_PID"
e2e_wait_exit 20
e2e_expect_status 0
e2e_expect_normal_log
echo "PASS"
