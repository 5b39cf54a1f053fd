# Exchange-format readers that crash or hang do not take the viewer down. The viewer runs from a
# copy of itself beside a fake import helper (tesserant-import-fake as tesserant-import) that dies
# of SIGABRT on a file whose first word is "abort" and never answers on one whose first word is
# "sleep". Both files are logged with the reason, their parts stay empty, the viewer runs and
# Escape ends it with status 0.
source "$(dirname "$0")/lib.sh"

PANEL_DRAW_CALLS=13

e2e_enter_workdir
e2e_link_data
mkdir bin
cp "$RIGWRIGHT" bin/rigwright
cp "${E2E_FAKE_IMPORT_HELPER:?E2E_FAKE_IMPORT_HELPER must name the fake import helper}" bin/tesserant-import
echo abort >crash.stl
echo sleep >hang.obj

bin/rigwright crash.stl hang.obj >stdout.txt 2>stderr.txt &
APP_PID=$!
# The hanging reader holds the start-up until the reader's time limit has passed.
e2e_find_window
e2e_wait_running 120
sleep 0.5
e2e_press Escape
e2e_wait_exit 20
e2e_expect_status 0
e2e_expect_normal_log
grep -q "^Main     | Equipment: $PWD/crash.stl not read: the reader crashed" Log.txt ||
  e2e_fail "the crashing reader's file is not logged with its reason: $(grep crash.stl Log.txt)"
grep -q "^Main     | Equipment: $PWD/hang.obj not read: the reader took longer than" Log.txt ||
  e2e_fail "the hanging reader's file is not logged with its reason: $(grep hang.obj Log.txt)"
[[ "$(e2e_exit_draw_calls)" == "$PANEL_DRAW_CALLS" ]] || e2e_fail "the empty parts drew something"
pgrep -f "$PWD/bin/tesserant-import" >/dev/null && e2e_fail "an import helper outlived the viewer"
echo "PASS"
