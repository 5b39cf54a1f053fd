# test_report_catches.sh FAULT: runs the memcheck probe with FAULT (clean, leak, overflow) under
# memcheck as the viewer's run does, and checks the report's verdict: the clean run passes, a
# fault fails. Expects VALGRIND, PROBE and TESS_SOURCE_DIR.
set -euo pipefail
fault="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$VALGRIND" --tool=memcheck --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
  --keep-debuginfo=yes --suppressions="$TESS_SOURCE_DIR/tests/Valgrind/memcheck.supp" \
  --xml=yes --xml-file="$work/memcheck.xml" --log-file="$work/memcheck.txt" "$PROBE" "$fault" || true
status=0
bash "$TESS_SOURCE_DIR/tests/Valgrind/memcheck_report.sh" "$work/memcheck.xml" "$PROBE" >"$work/report.txt" || status=$?
cat "$work/report.txt"
case "$fault" in
  clean) [[ "$status" == 0 ]] || { echo "FAIL: the clean run was reported as faulty"; exit 1; } ;;
  leak) [[ "$status" == 1 ]] && grep -q '^FAULT Leak_DefinitelyLost: 64 bytes' "$work/report.txt" ||
    { echo "FAIL: the leak was not reported"; exit 1; } ;;
  overflow) [[ "$status" == 1 ]] && grep -q '^FAULT InvalidRead: Invalid read of size 1' "$work/report.txt" ||
    { echo "FAIL: the overflow was not reported"; exit 1; } ;;
  *) echo "unknown fault $fault"; exit 2 ;;
esac
echo "PASS"
