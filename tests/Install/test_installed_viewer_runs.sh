#!/usr/bin/env bash
# The installed viewer, started as a user starts it: through bin/rigwright from some other
# directory. It must run in the per-user working directory, read the installed data through
# Data there, write Log.txt (and a screenshot) there, quit on Escape with status 0, and leave
# nothing in the directory it was started from.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
: "${DISPLAY:?this test needs a display}"
t_enter_tmpdir

PREFIX="$T_TMP/prefix"
t_install viewer "$PREFIX"
export XDG_STATE_HOME="$T_TMP/state"
WORK="$XDG_STATE_HOME/rigwright"
mkdir -p "$T_TMP/started-from"
cd "$T_TMP/started-from"

# The end-to-end helpers drive the program the launcher becomes (it execs the viewer, so the
# process is the same); their log checks read Log.txt in the current directory.
export RIGWRIGHT="$PREFIX/bin/rigwright"
export TESS_SOURCE_DIR
source "$TESS_SOURCE_DIR/tests/EndToEnd/lib.sh"
E2E_WORKDIR="$T_TMP/started-from"
trap 'e2e_cleanup; t_cleanup' EXIT

t_case "the viewer starts from the launcher and quits on Escape"
e2e_start
e2e_find_window
# The window is up, so the launcher has made the working directory and started the viewer there.
cd "$WORK"
e2e_wait_running
e2e_press p
sleep 0.5
e2e_press Escape
e2e_wait_exit
e2e_expect_status 0

t_case "the log and the screenshot are in the per-user working directory"
t_expect_file "$WORK/Log.txt"
e2e_expect_normal_log
t_expect_no_file "$T_TMP/started-from/Log.txt"
t_expect_eq "$(find "$T_TMP/started-from" -name 'screen_shot_*' | wc -l)" 0 "screenshots where the launcher was started"
t_expect_file "$WORK/screen_shot_100001.bmp"

t_case "the viewer read the installed data through Data"
if grep -iE "could not|cannot|failed" Log.txt | grep -iE "Data/|\.fx|\.lua|\.ms3d|\.jpg|\.dds"; then
  t_fail "the viewer could not read some of its data"
fi

echo "installed viewer: all cases passed"
