# A Log.txt that cannot be written does not stop the viewer: it runs and quits normally, and
# nothing is written in its place.
source "$(dirname "$0")/lib.sh"
e2e_enter_workdir
e2e_link_data
# A directory in the log's place cannot be opened for writing, not even by root.
mkdir Log.txt
e2e_start
e2e_find_window
# There is no log to watch: give the start-up time to finish.
sleep 1
e2e_press Escape
e2e_wait_exit 20
e2e_expect_status 0
[[ -d Log.txt && -z "$(ls -A Log.txt)" ]] || e2e_fail "something was written in the log's place"
echo "PASS"
