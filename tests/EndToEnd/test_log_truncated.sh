# A second run replaces the log of the first.
source "$(dirname "$0")/lib.sh"
e2e_enter_workdir
e2e_link_data
printf 'a line of an earlier run\n' >Log.txt
e2e_start
e2e_find_window
e2e_wait_running
e2e_press Escape
e2e_wait_exit 20
e2e_expect_status 0
e2e_expect_normal_log
if grep -q "an earlier run" Log.txt; then e2e_fail "the earlier log was not replaced"; fi
[[ "$(grep -c "WinMain started." Log.txt)" == 1 ]] || e2e_fail "more than one run in Log.txt"
echo "PASS"
