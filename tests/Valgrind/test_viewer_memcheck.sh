# One short run of the real viewer under Valgrind's memcheck: start, the message loop, a few
# seconds of frames, Escape. It must quit normally, and memcheck must find no definite leak and
# no memory error in our code (memcheck_report.sh says how a record is told to be ours; records
# whose stacks have no frame from our code are ignored, and leaks that system libraries make and
# keep are suppressed in memcheck.supp, each with its reason). Under memcheck the viewer needs
# about half a minute to reach its loop on llvmpipe and draws a frame or two a second.
# Expects what the end-to-end tests expect (RIGWRIGHT, E2E_CLOSE_WINDOW, TESS_SOURCE_DIR,
# DISPLAY), and VALGRIND.
source "$TESS_SOURCE_DIR/tests/EndToEnd/lib.sh"
: "${VALGRIND:?VALGRIND must name the valgrind executable}"
HERE="$TESS_SOURCE_DIR/tests/Valgrind"

e2e_enter_workdir
e2e_link_data
started=$SECONDS
# A process the viewer's libraries fork while it starts holds a copy of the memory without the
# other threads: its own leak report would call whatever only they point to lost. It is left out.
"$VALGRIND" --tool=memcheck --child-silent-after-fork=yes --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
  --keep-debuginfo=yes --num-callers=50 --suppressions="$HERE/memcheck.supp" \
  --xml=yes --xml-file=memcheck.xml --log-file=memcheck.txt \
  "$RIGWRIGHT" >stdout.txt 2>stderr.txt &
APP_PID=$!
e2e_find_window_slowly() {
  local attempt
  for attempt in $(seq 600); do
    WINDOW="$(xdotool search --all --onlyvisible --pid "$APP_PID" --name "^${E2E_TITLE}\$" 2>/dev/null | head -n 1 || true)"
    [[ -n "$WINDOW" ]] && return 0
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the viewer ended before its window appeared"
    sleep 0.2
  done
  e2e_fail "no window within two minutes"
}
e2e_find_window_slowly
e2e_wait_running 240
echo "message loop after $((SECONDS - started)) s"
# A few frames.
sleep 5
# A frame takes longer than a tap: Escape stays down until the viewer has seen it and ended.
timeout 5 xdotool windowfocus --sync "$WINDOW" >/dev/null 2>&1 || true
xdotool keydown --window "$WINDOW" Escape 2>/dev/null || true
e2e_wait_exit 120
xdotool keyup Escape 2>/dev/null || true
echo "run ended after $((SECONDS - started)) s"
e2e_expect_status 0
e2e_expect_normal_log
bash "$HERE/memcheck_report.sh" memcheck.xml "$RIGWRIGHT" || {
  echo "--- memcheck's report"
  cat memcheck.txt
  e2e_fail "memcheck found faults in our code"
}
echo "PASS"
