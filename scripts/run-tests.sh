#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (unit, OpenGL and end to end).
# Without a display, a private Xvfb server is started for the run and stopped afterwards.
# Exits non-zero when any step or test fails. Each step is a function listed in STEPS, so a
# later step (another build flavour, fuzz runs) is one more function and one more entry.
#
# Steps: the packages, the normal build and its tests, the Windows cross-build (mingw-w64;
# build-win) of the viewer and the unit tests with those tests run under Wine, the same tests
# again in a sanitizer build (AddressSanitizer, LeakSanitizer, UBSan; build-asan), and a short
# run of every fuzz target (clang, build-fuzz; FUZZ_SECONDS per target, 60 by default, 0 to skip).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
SANITIZE_BUILD="${SANITIZE_BUILD_DIR:-$ROOT/build-asan}"
WINDOWS_BUILD="${WINDOWS_BUILD_DIR:-$ROOT/build-win}"
FUZZ_SECONDS="${FUZZ_SECONDS:-60}"
XVFB_PID=""
WINE_PREFIX_UP=""

stop_display() {
  if [[ -n "$XVFB_PID" ]]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}
# The Windows step's Wine server, when one is up.
stop_wine() {
  if [[ -n "$WINE_PREFIX_UP" ]]; then
    WINEPREFIX="$WINE_PREFIX_UP" wineserver -k >/dev/null 2>&1 || true
    WINE_PREFIX_UP=""
  fi
}
trap 'stop_wine; stop_display' EXIT

# Starts Xvfb on the first free display number from 90 and waits until it answers.
start_display() {
  if [[ -n "${DISPLAY:-}" ]]; then
    return
  fi
  local number=90
  while [[ -e "/tmp/.X${number}-lock" || -e "/tmp/.X11-unix/X${number}" ]]; do
    number=$((number + 1))
  done
  # -noreset: the server must not restart when its last client leaves between two tests,
  # or the next program to connect finds no display.
  Xvfb ":${number}" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":${number}"
  for _ in $(seq 100); do
    if xdotool getdisplaygeometry >/dev/null 2>&1; then
      echo "Started Xvfb on display $DISPLAY"
      return
    fi
    sleep 0.1
  done
  echo "Xvfb did not start on display $DISPLAY" >&2
  exit 1
}

step_dependencies() {
  "$ROOT/scripts/setup-deps.sh"
}

step_build() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja
  cmake --build "$BUILD" -j2
}

step_test() {
  start_display
  ctest --test-dir "$BUILD" -j2 --output-on-failure
}

# The viewer and the unit tests for Windows, the tests run under Wine with a prefix of the build's
# own (never ~/.wine). One Wine server stays up for the whole step, so each test's wine starts
# fast and none holds ctest's output open.
step_windows() {
  # The Linux viewer of step_build takes the reference picture of the viewer's test under Wine.
  cmake -S "$ROOT" -B "$WINDOWS_BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/Toolchain-mingw64.cmake" \
    -DTESS_LINUX_VIEWER="$BUILD/Applications/Rigwright/rigwright"
  cmake --build "$WINDOWS_BUILD" -j2 --target rigwright TesserantWindowsTests
  start_display
  local prefix="$WINDOWS_BUILD/wineprefix"
  mkdir -p "$prefix"
  export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [[ ! -f "$prefix/system.reg" ]]; then
    wineboot -i >"$WINDOWS_BUILD/wineboot.log" 2>&1
  fi
  # Fails when a server is already up for the prefix, which serves as well.
  wineserver -p </dev/null >/dev/null 2>&1 || true
  # Wine's own processes (services, device drivers) start with the first program of a session
  # and keep that program's output open for as long as the server is up. Started here, into a
  # file: started by a test, they held its output pipe, and ctest waited for it until the end
  # (every run on a prefix made earlier).
  wineboot </dev/null >>"$WINDOWS_BUILD/wineboot.log" 2>&1 || true
  WINE_PREFIX_UP="$prefix"
  local status=0
  ctest --test-dir "$WINDOWS_BUILD" -j2 --output-on-failure || status=$?
  stop_wine
  unset WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
  return "$status"
}

# Benchmarks are left out: they are never run here, and sanitizers would only skew them.
step_build_sanitized() {
  cmake -S "$ROOT" -B "$SANITIZE_BUILD" -G Ninja -DTESS_SANITIZE=ON -DTESS_BUILD_BENCH=OFF
  cmake --build "$SANITIZE_BUILD" -j2
}

# LeakSanitizer stops every thread of a process at its exit and scans their stacks and
# thread-local storage. In some OpenGL test processes its tracer crashes on a dynamic TLS entry
# it cannot read ("Tracer caught signal 11", then "LeakSanitizer has encountered a fatal error"),
# a fault of the leak checker of this compiler, which fails a test whose own checks all passed.
# When every failure of the run is such a crash, those tests run again under AddressSanitizer
# without the leak check, and must pass; any other failure stands.
step_test_sanitized() {
  start_display
  local log="$SANITIZE_BUILD/ctest.log" failed crashes
  ctest --test-dir "$SANITIZE_BUILD" -j2 --output-on-failure 2>&1 | tee "$log" && return 0
  failed="$(sed -n 's/.* \([0-9][0-9]*\) tests failed out of .*/\1/p' "$log")"
  crashes="$(grep -c 'LeakSanitizer has encountered a fatal error' "$log" || true)"
  [[ -n "$failed" && "$failed" == "$crashes" ]] || return 1
  echo "The leak checker crashed in $failed test(s); running them again without it:"
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    ctest --test-dir "$SANITIZE_BUILD" --rerun-failed --output-on-failure
}

step_fuzz() {
  if (( FUZZ_SECONDS > 0 )); then
    "$ROOT/scripts/run-fuzz.sh" "$FUZZ_SECONDS"
  fi
}

STEPS=(step_dependencies step_build step_test step_windows step_build_sanitized step_test_sanitized step_fuzz)

for step in "${STEPS[@]}"; do
  echo "==> ${step#step_}"
  started=$SECONDS
  "$step"
  echo "==> ${step#step_} took $((SECONDS - started)) s"
done
